// PDEData::UploadJobriftXMLFiles: registers the job with the workflow service
// through its client library.
#include "panel/JobriftClient.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "panel/PostScriptText.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"

namespace {

// Closes the library on every way out.
class Library {
 public:
  explicit Library(const std::string& path)
      : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL)) {}
  ~Library() {
    if (handle_) ::dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  bool Loaded() const { return handle_ != nullptr; }
  template <typename Proc>
  Proc Resolve(const char* name) const {
    return reinterpret_cast<Proc>(::dlsym(handle_, name));
  }

 private:
  void* handle_;
};

std::string ControlValue(PPDXControls* controls, const char* keyword, size_t room) {
  CNTL_TYPE type = kNoControl;
  PPDXControl* control = controls ? controls->Find(keyword, type, true) : nullptr;
  if (!control) return {};
  return std::string(UTF8Prefix(control->CopyCurrentControlValueString().UTF8(), room));
}

void SetControlValue(PPDXControls* controls, const char* keyword, const CFString& value) {
  CNTL_TYPE type = kNoControl;
  if (PPDXControl* control = controls ? controls->Find(keyword, type, true) : nullptr)
    control->SetCurrentControlWithCFString(value);
}

}  // namespace

void PDEData::UploadJobriftXMLFiles(int mode) {
  const Library library(SystemPath(kJobriftClientLibrary));
  if (!library.Loaded()) return;
  const auto closeSession = library.Resolve<JRCloseSessionProc>("JRCloseSession");
  const auto openSession = library.Resolve<JROpenSessionProc>("JROpenSession");
  const auto createJob = library.Resolve<JRCreateNewJobExProc>("JRCreateNewJobEx");
  if (!closeSession || !openSession || !createJob) return;

  PPDXControls* controls = ppd ? ppd->GetControls() : nullptr;
  std::string userName, password, ip, workflowName, workflowFolder;
  CNTL_TYPE type = kNoControl;
  if (controls && controls->Find("*QZUserName", type, true)) {
    userName = ControlValue(controls, "*QZUserName", 127);
    password = ControlValue(controls, "*QZUserPassword", 127);
    ip = ControlValue(controls, "*QZIP", 127);
    workflowName = ControlValue(controls, "*QZWorkflowName", 255);
    workflowFolder = ControlValue(controls, "*QZWorkflowFolder", 255);
  }
  const std::string jobFilePath = "/tmp/" + workflowName + ".xml";

  void* session = nullptr;
  openSession(ip.c_str(), userName.c_str(), password.c_str(), "english", &session, 0);
  if (!session) return;

  std::string jobName;
  if (printSettings) {
    if (auto name = printSettings->GetString("com.apple.print.JobInfo.PMJobName"))
      jobName = UTF8Prefix(*name, 255);
  }
  if (mode == 2) {
    char jobId[kJobriftJobIdSize] = {};
    const int status =
        createJob(session, workflowFolder.c_str(), jobName.c_str(), jobFilePath.c_str(), jobId);
    jobId[kJobriftJobIdSize - 1] = 0;
    // A failed call leaves no identifier to pass on.
    if (status == 0) {
      const CFString id = CFString::FromUTF8(jobId);
      SetControlValue(controls, "*QZJobriftJobId", id);
      SetControlValue(controls, "*QZJRNewJobID", id);
    }
  }
  closeSession(session);
}
