// The printing system as a whole: which back end the process uses, finding a
// queue, and listing jobs of all queues (what a command's sender polls to see
// its job complete).
//
// The back end is local queues unless set otherwise; the environment variable
// TAVRO_PRINTING_SYSTEM=cups selects the CUPS scheduler (the one libcups
// finds: CUPS_SERVER, CUPS_SERVERROOT, client.conf).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/PMDefinitions.h"
#include "platform/PMPrinter.h"

PMBackend PrintingBackend();
void SetPrintingBackend(PMBackend backend);

// Every exchange with the scheduler gives up after this long (milliseconds),
// so that a scheduler that does not answer ends a wait with a failure
// (kPMTimeout). libcups itself may wait up to a second for a request's first
// answer, so limits below a second act as about one second. Default 10 s.
int PrintingTimeoutMs();
void SetPrintingTimeoutMs(int milliseconds);

struct PMJobInfo {
  int id = 0;
  std::string title;
  PMJobState state = kPMJobPending;
  std::string destination;  // queue name
  std::string user;
};

// The queue with this name on the current back end; kPMInvalidPrinter when
// there is none, kPMTimeout/kPMGeneralError when the scheduler fails.
OSStatus PMPrinterCreateFromPrinterID(std::string_view id, PMPrinterRef* printer);
// The names of all queues, sorted.
OSStatus PMCopyPrinterNames(std::vector<std::string>* names);
// Jobs of all queues, all users, all states, in job-number order.
OSStatus PMCopyAllJobs(std::vector<PMJobInfo>* jobs);
// The same from the given back end, whichever is selected.
OSStatus PMCopyBackendJobs(PMBackend backend, std::vector<PMJobInfo>* jobs);
// The path of a queue's current PPD.
OSStatus PMCopyQueuePPDPath(std::string_view queueName, std::string* path);

// Sets the back end for a scope and puts the previous one back.
class ScopedPrintingBackend {
 public:
  explicit ScopedPrintingBackend(PMBackend backend) : saved_(PrintingBackend()) {
    SetPrintingBackend(backend);
  }
  ~ScopedPrintingBackend() { SetPrintingBackend(saved_); }
  ScopedPrintingBackend(const ScopedPrintingBackend&) = delete;
  ScopedPrintingBackend& operator=(const ScopedPrintingBackend&) = delete;

 private:
  PMBackend saved_;
};
