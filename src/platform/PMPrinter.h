// A print queue of the printing system. Two back ends stand behind one
// interface: the CUPS scheduler (through libcups) and local queues kept as
// folders (see LocalQueues.h). Every query asks the back end afresh, since a
// queue's state and PPD change under the panel.
//
// Printer commands are jobs: on CUPS a job of format
// application/vnd.cups-command whose title is the command name and whose
// document is the text; on a local queue the same title and text go to the
// queue's command handler in-process. Either way the answers come back as
// lines in the queue's PPD and files in the cache folder.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PMDefinitions.h"
#include "platform/PMPaper.h"
#include "platform/PropertyList.h"

enum class PMBackend { Local, Cups };

struct PMJobInfo;

struct PMPrinterStateInfo {
  PMPrinterState state = kPMPrinterIdle;
  std::string message;               // "printer-state-message"
  std::vector<std::string> reasons;  // "printer-state-reasons"
};

// A document to print. The options reach the queue's filters as
// "name=value" words (names with dots pass; names starting with "job-" are
// the scheduler's own and do not).
struct PMDocumentJob {
  std::string path;   // the document file
  std::string title;  // the job's name
  std::string format = "application/postscript";
  std::vector<std::pair<std::string, std::string>> options;
};

class PMPrinter {
 public:
  virtual ~PMPrinter() = default;
  virtual PMBackend Backend() const = 0;
  // The queue name.
  virtual const std::string& ID() const = 0;
  // The queue's description ("printer-info"), or its name when it has none.
  virtual std::string DisplayName() const = 0;
  virtual OSStatus MakeAndModel(std::string* makeAndModel) const = 0;
  virtual OSStatus DeviceURI(std::string* uri) const = 0;
  virtual OSStatus State(PMPrinterStateInfo* state) const = 0;
  // The path of the queue's current PPD, whose file name is "<queue>.ppd".
  virtual OSStatus PPDPath(std::string* path) const = 0;
  // Sends a printer command; `jobId` (when given) receives the job's number.
  virtual OSStatus SendCommand(std::string_view text, std::string_view commandName, int* jobId) = 0;
  virtual OSStatus PrintFile(const PMDocumentJob& job, int* jobId) = 0;
  // The job list of the printing system this printer belongs to. Code that
  // was handed the printer asks it, not its own copy of the printing layer:
  // a panel loaded into a host sees the host's local jobs this way.
  // (Pure, so that the class keeps no out-of-line key function: a library
  // that only calls printers needs none of the platform's code for it.)
  virtual OSStatus CopyJobs(std::vector<PMJobInfo>* jobs) const = 0;
};

using PMPrinterRef = std::shared_ptr<PMPrinter>;

// The classic calls. A null printer answers kPMInvalidParameter (or the empty
// text for the name calls).
std::string PMPrinterGetID(const PMPrinter* printer);
std::string PMPrinterGetName(const PMPrinter* printer);
OSStatus PMPrinterGetMakeAndModelName(const PMPrinter* printer, std::string* makeAndModel);
OSStatus PMPrinterCopyDeviceURI(const PMPrinter* printer, std::string* uri);
OSStatus PMPrinterGetState(const PMPrinter* printer, PMPrinterState* state);
// A dictionary with "printer-state" (integer), "printer-state-message" (string)
// and "printer-state-reasons" (array of strings).
OSStatus PMPrinterCopyState(const PMPrinter* printer, PlistValue* state);
// For kPMPPDDescriptionType: the queue's PPD as a "file://" URL; other
// description types answer kPMInvalidParameter.
OSStatus PMPrinterCopyDescriptionURL(const PMPrinter* printer, std::string_view descriptionType,
                                     std::string* url);
// The path part of a "file://" URL (percent escapes decoded); the text itself
// when it is no URL.
std::string PMFileURLPath(std::string_view url);
OSStatus PMPrinterSendCommand(PMPrinter* printer, std::string_view text,
                              std::string_view commandName, int* jobId = nullptr);
// Submits a document job; `jobId` (when given) receives its number.
// kPMInvalidParameter when the file cannot be read.
OSStatus PMPrinterPrintFile(PMPrinter* printer, const PMDocumentJob& job, int* jobId = nullptr);
// The page sizes of the queue's PPD.
OSStatus PMPrinterGetPaperList(const PMPrinter* printer, std::vector<PMPaper>* papers);
