// The CUPS back end: every call opens its own connection to the scheduler
// that libcups names (CUPS_SERVER), bounded by PrintingTimeoutMs().
#include <cups/cups.h>
#include <cups/ppd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/PrintingBackends.h"
#include "platform/SystemSettings.h"

namespace fs = std::filesystem;

namespace {

struct Connection {
  http_t* http = nullptr;
  bool timedOut = false;
  std::chrono::steady_clock::time_point deadline;
  ~Connection() {
    if (http) httpClose(http);
  }
};

// libcups asks again each time a short wait expires; the whole exchange on
// one connection gives up once its deadline has passed, however many waits
// the library makes.
int KeepWaiting(http_t*, void* data) {
  auto* c = static_cast<Connection*>(data);
  if (std::chrono::steady_clock::now() < c->deadline) return 1;
  c->timedOut = true;
  return 0;
}

OSStatus Connect(Connection* c) {
  int ms = PrintingTimeoutMs();
  c->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  c->http =
      httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ms, nullptr);
  if (!c->http) return kPMGeneralError;
  httpSetTimeout(c->http, std::min(ms, 100) / 1000.0, KeepWaiting, c);
  return noErr;
}

OSStatus Failure(const Connection& c) {
  if (c.timedOut) return kPMTimeout;
  ipp_status_t status = cupsLastError();
  if (status == IPP_STATUS_ERROR_NOT_FOUND) return kPMInvalidPrinter;
  return kPMGeneralError;
}

std::string PrinterURI(std::string_view name) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/printers/%.*s", static_cast<int>(name.size()), name.data());
  return uri;
}

struct IppDelete {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDelete>;

// Get-Printer-Attributes for one queue.
OSStatus PrinterAttributes(std::string_view name, IppPtr* response) {
  Connection c;
  if (OSStatus s = Connect(&c); s != noErr) return s;
  static const char* const kAttributes[] = {
      "printer-name",  "printer-info",          "printer-make-and-model", "device-uri",
      "printer-state", "printer-state-message", "printer-state-reasons"};
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               PrinterURI(name).c_str());
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
  IppPtr reply(cupsDoRequest(c.http, request, "/"));
  if (!reply || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) return Failure(c);
  *response = std::move(reply);
  return noErr;
}

std::string StringAttribute(ipp_t* ipp, const char* name) {
  ipp_attribute_t* attr = ippFindAttribute(ipp, name, IPP_TAG_ZERO);
  const char* value = attr ? ippGetString(attr, 0, nullptr) : nullptr;
  return value ? value : "";
}

// Downloaded PPDs go to one folder per process, named "<queue>.ppd" as the
// scheduler names them, and the folder goes when the process ends.
class PPDFolder {
 public:
  const std::string& Path() {
    if (path_.empty()) {
      path_ = NSTemporaryDirectory() + "tavro-ppd-" + std::to_string(getpid());
      std::error_code ec;
      fs::create_directories(path_, ec);
    }
    return path_;
  }
  ~PPDFolder() {
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove_all(path_, ec);
    }
  }

 private:
  std::string path_;
};

PPDFolder& DownloadFolder() {
  static PPDFolder folder;
  return folder;
}

OSStatus FetchPPD(std::string_view name, std::string* path) {
  Connection c;
  if (OSStatus s = Connect(&c); s != noErr) return s;
  std::string target = DownloadFolder().Path() + "/" + std::string(name) + ".ppd";
  char buffer[PATH_MAX];
  snprintf(buffer, sizeof buffer, "%s", target.c_str());
  time_t modtime = 0;
  std::string queue(name);
  http_status_t status = cupsGetPPD3(c.http, queue.c_str(), &modtime, buffer, sizeof buffer);
  if (status != HTTP_STATUS_OK) {
    if (c.timedOut) return kPMTimeout;
    return status == HTTP_STATUS_NOT_FOUND ? kPMInvalidPrinter : kPMGeneralError;
  }
  // On a local scheduler libcups links to the scheduler's own file: give
  // that file's real path, which stays current as commands update it.
  std::error_code ec;
  if (fs::is_symlink(buffer, ec)) {
    fs::path real = fs::canonical(buffer, ec);
    if (!ec) {
      fs::remove(buffer, ec);
      *path = real.string();
      return noErr;
    }
  }
  *path = buffer;
  return noErr;
}

// Create-Job on our own connection: cupsCreateJob first looks the queue up
// on a connection of its own, which waits a minute on a silent scheduler.
int CreateJob(http_t* http, const std::string& queue, const std::string& title,
              const std::vector<std::pair<std::string, std::string>>& options = {}) {
  ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               PrinterURI(queue).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
  if (!options.empty()) {
    cups_option_t* list = nullptr;
    int n = 0;
    for (const auto& [name, value] : options) {
      n = cupsAddOption(name.c_str(), value.c_str(), n, &list);
    }
    cupsEncodeOptions2(request, n, list, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, n, list, IPP_TAG_JOB);
    cupsFreeOptions(n, list);
  }
  std::string resource = "/printers/" + queue;
  IppPtr reply(cupsDoRequest(http, request, resource.c_str()));
  if (!reply || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) return 0;
  ipp_attribute_t* id = ippFindAttribute(reply.get(), "job-id", IPP_TAG_INTEGER);
  return id ? ippGetInteger(id, 0) : 0;
}

class CupsPrinter final : public PMPrinter {
 public:
  explicit CupsPrinter(std::string name) : name_(std::move(name)) {}

  PMBackend Backend() const override { return PMBackend::Cups; }
  const std::string& ID() const override { return name_; }
  OSStatus CopyJobs(std::vector<PMJobInfo>* jobs) const override {
    return PMCopyBackendJobs(PMBackend::Cups, jobs);
  }

  std::string DisplayName() const override {
    IppPtr reply;
    if (PrinterAttributes(name_, &reply) != noErr) return name_;
    std::string info = StringAttribute(reply.get(), "printer-info");
    return info.empty() ? name_ : info;
  }

  OSStatus MakeAndModel(std::string* makeAndModel) const override {
    IppPtr reply;
    if (OSStatus s = PrinterAttributes(name_, &reply); s != noErr) return s;
    *makeAndModel = StringAttribute(reply.get(), "printer-make-and-model");
    return noErr;
  }

  OSStatus DeviceURI(std::string* uri) const override {
    IppPtr reply;
    if (OSStatus s = PrinterAttributes(name_, &reply); s != noErr) return s;
    *uri = StringAttribute(reply.get(), "device-uri");
    return noErr;
  }

  OSStatus State(PMPrinterStateInfo* info) const override {
    IppPtr reply;
    if (OSStatus s = PrinterAttributes(name_, &reply); s != noErr) return s;
    ipp_attribute_t* state = ippFindAttribute(reply.get(), "printer-state", IPP_TAG_ENUM);
    int n = state ? ippGetInteger(state, 0) : IPP_PSTATE_IDLE;
    info->state = n == IPP_PSTATE_PROCESSING ? kPMPrinterProcessing
                  : n == IPP_PSTATE_STOPPED  ? kPMPrinterStopped
                                             : kPMPrinterIdle;
    info->message = StringAttribute(reply.get(), "printer-state-message");
    info->reasons.clear();
    if (ipp_attribute_t* reasons =
            ippFindAttribute(reply.get(), "printer-state-reasons", IPP_TAG_KEYWORD)) {
      for (int i = 0; i < ippGetCount(reasons); ++i) {
        if (const char* r = ippGetString(reasons, i, nullptr)) info->reasons.push_back(r);
      }
    }
    return noErr;
  }

  OSStatus PPDPath(std::string* path) const override { return FetchPPD(name_, path); }

  OSStatus SendCommand(std::string_view text, std::string_view commandName, int* jobId) override {
    Connection c;
    if (OSStatus s = Connect(&c); s != noErr) return s;
    std::string title(commandName);
    int id = CreateJob(c.http, name_, title);
    if (id <= 0) return Failure(c);
    bool sent = cupsStartDocument(c.http, name_.c_str(), id, "command", CUPS_FORMAT_COMMAND, 1) ==
                    HTTP_STATUS_CONTINUE &&
                (text.empty() ||
                 cupsWriteRequestData(c.http, text.data(), text.size()) == HTTP_STATUS_CONTINUE);
    ipp_status_t finished = cupsFinishDocument(c.http, name_.c_str());
    if (!sent || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
      OSStatus failure = Failure(c);
      cupsCancelJob2(c.http, name_.c_str(), id, 0);
      return failure;
    }
    if (jobId) *jobId = id;
    return noErr;
  }

  OSStatus PrintFile(const PMDocumentJob& job, int* jobId) override {
    std::unique_ptr<FILE, decltype(&fclose)> file(fopen(job.path.c_str(), "rb"), &fclose);
    if (!file) return kPMInvalidParameter;
    Connection c;
    if (OSStatus s = Connect(&c); s != noErr) return s;
    int id = CreateJob(c.http, name_, job.title, job.options);
    if (id <= 0) return Failure(c);
    std::string docName = fs::path(job.path).filename().string();
    bool sent = cupsStartDocument(c.http, name_.c_str(), id, docName.c_str(), job.format.c_str(),
                                  1) == HTTP_STATUS_CONTINUE;
    char buffer[65536];
    size_t n = 0;
    while (sent && (n = fread(buffer, 1, sizeof buffer, file.get())) > 0) {
      sent = cupsWriteRequestData(c.http, buffer, n) == HTTP_STATUS_CONTINUE;
    }
    if (ferror(file.get())) sent = false;
    ipp_status_t finished = cupsFinishDocument(c.http, name_.c_str());
    if (!sent || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
      OSStatus failure = Failure(c);
      cupsCancelJob2(c.http, name_.c_str(), id, 0);
      return failure;
    }
    if (jobId) *jobId = id;
    return noErr;
  }

 private:
  std::string name_;
};

}  // namespace

namespace cups_backend {

OSStatus Open(std::string_view id, PMPrinterRef* printer) {
  IppPtr reply;
  if (OSStatus s = PrinterAttributes(id, &reply); s != noErr) return s;
  if (StringAttribute(reply.get(), "printer-name").empty()) return kPMInvalidPrinter;
  *printer = std::make_shared<CupsPrinter>(std::string(id));
  return noErr;
}

OSStatus Names(std::vector<std::string>* names) {
  Connection c;
  if (OSStatus s = Connect(&c); s != noErr) return s;
  cups_dest_t* dests = nullptr;
  int n = cupsGetDests2(c.http, &dests);
  if (n == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
      cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
    cupsFreeDests(n, dests);
    return Failure(c);
  }
  for (int i = 0; i < n; ++i) {
    if (!dests[i].instance) names->push_back(dests[i].name);
  }
  cupsFreeDests(n, dests);
  return noErr;
}

OSStatus Jobs(std::vector<PMJobInfo>* jobs) {
  Connection c;
  if (OSStatus s = Connect(&c); s != noErr) return s;
  cups_job_t* list = nullptr;
  int n = cupsGetJobs2(c.http, &list, nullptr, 0, CUPS_WHICHJOBS_ALL);
  if (n < 0 || (n == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE &&
                cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)) {
    cupsFreeJobs(n < 0 ? 0 : n, list);
    return Failure(c);
  }
  for (int i = 0; i < n; ++i) {
    PMJobInfo info;
    info.id = list[i].id;
    info.title = list[i].title ? list[i].title : "";
    info.state = static_cast<PMJobState>(list[i].state);
    info.destination = list[i].dest ? list[i].dest : "";
    info.user = list[i].user ? list[i].user : "";
    jobs->push_back(std::move(info));
  }
  cupsFreeJobs(n, list);
  return noErr;
}

OSStatus PPDPath(std::string_view queueName, std::string* path) {
  return FetchPPD(queueName, path);
}

}  // namespace cups_backend
