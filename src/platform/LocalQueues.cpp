#include "platform/LocalQueues.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>

#include "platform/PrintingBackends.h"
#include "platform/PropertyList.h"
#include "platform/SystemSettings.h"

namespace fs = std::filesystem;

namespace {

struct LocalJob {
  PMJobInfo info;
  std::string root;
  std::string body;                       // a command's text
  std::optional<PMDocumentJob> document;  // a document job (path: the spool copy)
};

std::mutex gMutex;  // guards the handlers and the job list
LocalQueueCommandHandler gHandler;
LocalQueueDocumentHandler gDocumentHandler;
std::vector<LocalJob> gJobs;
int gNextJobId = 1;

bool ValidQueueName(std::string_view name) {
  if (name.empty() || name.size() > 127 || name.front() == '.') return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

std::string PPDFile(std::string_view queueName) {
  return LocalQueueDirectory(queueName) + "/" + std::string(queueName) + ".ppd";
}

std::string StateFile(std::string_view queueName) {
  return LocalQueueDirectory(queueName) + "/queue.plist";
}

bool ReadFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return !in.bad();
}

// Written beside and renamed over, so that a reader never sees half a file.
bool WriteFileAtomically(const std::string& path, const std::string& data) {
  std::string temp = path + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(data.data(), static_cast<std::streamsize>(data.size()))) return false;
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

PlistValue ReadQueueState(std::string_view queueName) {
  std::string text;
  if (ReadFile(StateFile(queueName), &text)) {
    if (auto value = PlistValue::FromXml(text); value && value->IsDict()) return *value;
  }
  return PlistValue::MakeDict();
}

bool QueueExists(std::string_view queueName) {
  std::error_code ec;
  return ValidQueueName(queueName) && fs::is_regular_file(PPDFile(queueName), ec);
}

// The quoted value of the PPD's *NickName line.
std::string NickNameOf(const std::string& ppdPath) {
  std::ifstream in(ppdPath, std::ios::binary);
  std::string line;
  constexpr std::string_view kKey = "*NickName:";
  while (std::getline(in, line)) {
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    auto open = line.find('"');
    auto close = line.rfind('"');
    if (open != std::string::npos && close > open) return line.substr(open + 1, close - open - 1);
    return {};
  }
  return {};
}

std::string LoginName() {
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  return std::to_string(geteuid());
}

// Raw printing: the document as it is onto a "file:" device.
LocalQueueCommandResult CopyToDevice(const LocalQueueDocument& doc) {
  constexpr std::string_view kFile = "file://";
  if (doc.deviceURI.compare(0, kFile.size(), kFile) != 0) {
    return {false, "no filter for device " + doc.deviceURI};
  }
  std::string text;
  if (!ReadFile(doc.documentPath, &text)) return {false, "cannot read the document"};
  std::ofstream out(doc.deviceURI.substr(kFile.size()), std::ios::binary | std::ios::app);
  if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    return {false, "cannot write to the device"};
  }
  return {true, ""};
}

std::string DeviceURIOf(std::string_view queueName) {
  PlistValue state = ReadQueueState(queueName);
  const PlistValue* v = state.Find("device-uri");
  return v ? v->GetString() : std::string();
}

// Runs one job through its handler, outside the lock, and records the result.
void RunJob(int jobId) {
  LocalQueueCommandHandler handler;
  LocalQueueDocumentHandler documentHandler;
  LocalQueueCommand command;
  std::optional<LocalQueueDocument> document;
  {
    std::lock_guard lock(gMutex);
    auto it = std::find_if(gJobs.begin(), gJobs.end(),
                           [jobId](const LocalJob& j) { return j.info.id == jobId; });
    if (it == gJobs.end()) return;
    it->info.state = kPMJobProcessing;
    handler = gHandler;
    documentHandler = gDocumentHandler;
    command.root = it->root;
    command.queueName = it->info.destination;
    command.ppdPath = PPDFile(it->info.destination);
    command.user = it->info.user;
    command.title = it->info.title;
    command.body = std::move(it->body);
    if (it->document) {
      document = LocalQueueDocument{command.root,          command.ppdPath,    command.queueName,
                                    command.user,          command.title,      it->document->format,
                                    it->document->options, it->document->path, {}};
    }
  }
  LocalQueueCommandResult result;
  if (document) {
    document->deviceURI = DeviceURIOf(document->queueName);
    result = documentHandler ? documentHandler(*document) : CopyToDevice(*document);
    std::error_code ec;
    fs::remove(document->documentPath, ec);
  } else if (handler) {
    result = handler(command);
  }
  std::lock_guard lock(gMutex);
  auto it = std::find_if(gJobs.begin(), gJobs.end(),
                         [jobId](const LocalJob& j) { return j.info.id == jobId; });
  if (it != gJobs.end()) it->info.state = result.accepted ? kPMJobCompleted : kPMJobStopped;
}

class LocalPrinter final : public PMPrinter {
 public:
  explicit LocalPrinter(std::string name) : name_(std::move(name)) {}

  PMBackend Backend() const override { return PMBackend::Local; }
  const std::string& ID() const override { return name_; }
  OSStatus CopyJobs(std::vector<PMJobInfo>* jobs) const override {
    return PMCopyBackendJobs(PMBackend::Local, jobs);
  }

  std::string DisplayName() const override {
    PlistValue state = ReadQueueState(name_);
    const PlistValue* v = state.Find("printer-info");
    std::string info = v ? v->GetString() : std::string();
    return info.empty() ? name_ : info;
  }

  OSStatus MakeAndModel(std::string* makeAndModel) const override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    PlistValue state = ReadQueueState(name_);
    const PlistValue* v = state.Find("printer-make-and-model");
    *makeAndModel = v && !v->GetString().empty() ? v->GetString() : NickNameOf(PPDFile(name_));
    return noErr;
  }

  OSStatus DeviceURI(std::string* uri) const override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    PlistValue state = ReadQueueState(name_);
    const PlistValue* v = state.Find("device-uri");
    *uri = v ? v->GetString() : std::string();
    return noErr;
  }

  OSStatus State(PMPrinterStateInfo* info) const override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    PlistValue state = ReadQueueState(name_);
    int64_t n = state.Find("printer-state") ? state.Find("printer-state")->GetInteger(3) : 3;
    info->state = n == kPMPrinterProcessing ? kPMPrinterProcessing
                  : n == kPMPrinterStopped  ? kPMPrinterStopped
                                            : kPMPrinterIdle;
    const PlistValue* message = state.Find("printer-state-message");
    info->message = message ? message->GetString() : std::string();
    info->reasons.clear();
    if (const PlistValue* reasons = state.Find("printer-state-reasons")) {
      for (size_t i = 0; i < reasons->Count(); ++i) {
        if (const std::string* s = reasons->At(i)->AsString()) info->reasons.push_back(*s);
      }
    }
    return noErr;
  }

  OSStatus PPDPath(std::string* path) const override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    *path = PPDFile(name_);
    return noErr;
  }

  OSStatus SendCommand(std::string_view text, std::string_view commandName, int* jobId) override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    LocalJob job;
    job.info.title = std::string(commandName);
    job.body = std::string(text);
    return Queue(std::move(job), jobId);
  }

  OSStatus PrintFile(const PMDocumentJob& document, int* jobId) override {
    if (!QueueExists(name_)) return kPMInvalidPrinter;
    std::error_code ec;
    if (!fs::is_regular_file(document.path, ec)) return kPMInvalidParameter;
    LocalJob job;
    job.info.title = document.title;
    job.document = document;
    return Queue(std::move(job), jobId);
  }

 private:
  // Numbers and records the job, then runs it unless the queue is stopped (a
  // stopped queue keeps its jobs until it is made idle again).
  OSStatus Queue(LocalJob job, int* jobId) {
    PMPrinterStateInfo state;
    State(&state);
    int id = 0;
    {
      std::lock_guard lock(gMutex);
      id = gNextJobId++;
    }
    if (job.document) {
      // The caller may remove its file once the job is queued.
      std::string spool = LocalQueueDirectory(name_) + "/spool";
      std::string copy = spool + "/d" + std::to_string(id);
      std::error_code ec;
      fs::create_directories(spool, ec);
      if (ec ||
          !fs::copy_file(job.document->path, copy, fs::copy_options::overwrite_existing, ec)) {
        return kPMGeneralError;
      }
      job.document->path = copy;
    }
    job.info.id = id;
    job.info.state = kPMJobPending;
    job.info.destination = name_;
    job.info.user = LoginName();
    job.root = TavroRoot();
    {
      std::lock_guard lock(gMutex);
      gJobs.push_back(std::move(job));
    }
    if (jobId) *jobId = id;
    if (state.state != kPMPrinterStopped) RunJob(id);
    return noErr;
  }

  std::string name_;
};

}  // namespace

LocalQueueCommandHandler SetLocalQueueCommandHandler(LocalQueueCommandHandler handler) {
  std::lock_guard lock(gMutex);
  LocalQueueCommandHandler previous = std::move(gHandler);
  gHandler = std::move(handler);
  return previous;
}

LocalQueueDocumentHandler SetLocalQueueDocumentHandler(LocalQueueDocumentHandler handler) {
  std::lock_guard lock(gMutex);
  LocalQueueDocumentHandler previous = std::move(gDocumentHandler);
  gDocumentHandler = std::move(handler);
  return previous;
}

std::string LocalQueuesDirectory() {
  return TavroRoot() + "/queues";
}

std::string LocalQueueDirectory(std::string_view queueName) {
  return LocalQueuesDirectory() + "/" + std::string(queueName);
}

OSStatus LocalQueueCreate(std::string_view queueName, const std::string& ppdSource,
                          const LocalQueueSetup& setup) {
  if (!ValidQueueName(queueName)) return kPMInvalidParameter;
  std::string ppd;
  if (!ReadFile(ppdSource, &ppd)) return kPMInvalidParameter;
  std::error_code ec;
  fs::create_directories(LocalQueueDirectory(queueName), ec);
  if (ec) return kPMGeneralError;
  PlistValue state = PlistValue::MakeDict();
  state.Set("device-uri", PlistValue::String(setup.deviceURI));
  state.Set("printer-info", PlistValue::String(setup.info));
  state.Set("printer-make-and-model", PlistValue::String(setup.makeAndModel));
  state.Set("printer-state", PlistValue::Integer(kPMPrinterIdle));
  state.Set("printer-state-message", PlistValue::String(""));
  state.Set("printer-state-reasons", PlistValue::MakeArray({PlistValue::String("none")}));
  if (!WriteFileAtomically(PPDFile(queueName), ppd) ||
      !WriteFileAtomically(StateFile(queueName), state.ToXml())) {
    return kPMGeneralError;
  }
  return noErr;
}

OSStatus LocalQueueDelete(std::string_view queueName) {
  if (!ValidQueueName(queueName)) return kPMInvalidParameter;
  std::error_code ec;
  if (!fs::exists(LocalQueueDirectory(queueName), ec)) return kPMInvalidPrinter;
  fs::remove_all(LocalQueueDirectory(queueName), ec);
  return ec ? kPMGeneralError : noErr;
}

OSStatus LocalQueueSetState(std::string_view queueName, PMPrinterState state,
                            std::string_view message) {
  if (!QueueExists(queueName)) return kPMInvalidPrinter;
  if (state != kPMPrinterIdle && state != kPMPrinterProcessing && state != kPMPrinterStopped) {
    return kPMInvalidParameter;
  }
  PlistValue dict = ReadQueueState(queueName);
  dict.Set("printer-state", PlistValue::Integer(state));
  dict.Set("printer-state-message", PlistValue::String(message));
  if (!WriteFileAtomically(StateFile(queueName), dict.ToXml())) return kPMGeneralError;
  if (state != kPMPrinterStopped) {
    std::vector<int> pending;
    {
      std::lock_guard lock(gMutex);
      for (const auto& job : gJobs) {
        if (job.info.destination == queueName && job.info.state == kPMJobPending) {
          pending.push_back(job.info.id);
        }
      }
    }
    for (int id : pending) RunJob(id);
  }
  return noErr;
}

void LocalQueueResetJobs() {
  std::lock_guard lock(gMutex);
  gJobs.clear();
  gNextJobId = 1;
}

namespace local_backend {

OSStatus Open(std::string_view id, PMPrinterRef* printer) {
  if (!QueueExists(id)) return kPMInvalidPrinter;
  *printer = std::make_shared<LocalPrinter>(std::string(id));
  return noErr;
}

OSStatus Names(std::vector<std::string>* names) {
  std::error_code ec;
  fs::directory_iterator it(LocalQueuesDirectory(), ec), end;
  if (ec) return noErr;  // no folder: no queues
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    std::string name = it->path().filename().string();
    if (QueueExists(name)) names->push_back(name);
  }
  return noErr;
}

OSStatus Jobs(std::vector<PMJobInfo>* jobs) {
  std::lock_guard lock(gMutex);
  for (const auto& job : gJobs) jobs->push_back(job.info);
  return noErr;
}

OSStatus PPDPath(std::string_view queueName, std::string* path) {
  if (!QueueExists(queueName)) return kPMInvalidPrinter;
  *path = PPDFile(queueName);
  return noErr;
}

}  // namespace local_backend
