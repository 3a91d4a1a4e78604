#include "platform/PrintingSystem.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string_view>

#include "platform/PrintingBackends.h"

namespace {

PMBackend BackendFromEnvironment() {
  const char* env = std::getenv("TAVRO_PRINTING_SYSTEM");
  return env && std::string_view(env) == "cups" ? PMBackend::Cups : PMBackend::Local;
}

std::atomic<PMBackend>& Backend() {
  static std::atomic<PMBackend> backend{BackendFromEnvironment()};
  return backend;
}

std::atomic<int> gTimeoutMs{10000};

}  // namespace

PMBackend PrintingBackend() {
  return Backend().load();
}

void SetPrintingBackend(PMBackend backend) {
  Backend().store(backend);
}

int PrintingTimeoutMs() {
  return gTimeoutMs.load();
}

void SetPrintingTimeoutMs(int milliseconds) {
  gTimeoutMs.store(std::max(1, milliseconds));
}

OSStatus PMPrinterCreateFromPrinterID(std::string_view id, PMPrinterRef* printer) {
  if (!printer || id.empty()) return kPMInvalidParameter;
  printer->reset();
  return PrintingBackend() == PMBackend::Cups ? cups_backend::Open(id, printer)
                                              : local_backend::Open(id, printer);
}

OSStatus PMCopyPrinterNames(std::vector<std::string>* names) {
  if (!names) return kPMInvalidParameter;
  names->clear();
  OSStatus status = PrintingBackend() == PMBackend::Cups ? cups_backend::Names(names)
                                                         : local_backend::Names(names);
  std::sort(names->begin(), names->end());
  return status;
}

OSStatus PMCopyAllJobs(std::vector<PMJobInfo>* jobs) {
  return PMCopyBackendJobs(PrintingBackend(), jobs);
}

OSStatus PMCopyBackendJobs(PMBackend backend, std::vector<PMJobInfo>* jobs) {
  if (!jobs) return kPMInvalidParameter;
  jobs->clear();
  OSStatus status =
      backend == PMBackend::Cups ? cups_backend::Jobs(jobs) : local_backend::Jobs(jobs);
  std::sort(jobs->begin(), jobs->end(),
            [](const PMJobInfo& a, const PMJobInfo& b) { return a.id < b.id; });
  return status;
}

OSStatus PMCopyQueuePPDPath(std::string_view queueName, std::string* path) {
  if (!path || queueName.empty()) return kPMInvalidParameter;
  return PrintingBackend() == PMBackend::Cups ? cups_backend::PPDPath(queueName, path)
                                              : local_backend::PPDPath(queueName, path);
}
