#include "PrintRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "PanelLibrary.h"
#include "QueuePPD.h"
#include "platform/LocalQueues.h"
#include "platform/PMPaper.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "queue/ticket/TicketFile.h"
#include "queue/ticket/TicketOption.h"
#include "shell/HeadlessHost.h"

namespace {

// Where the panel keeps its watermark selection in the print settings.
constexpr const char* kSelectedWatermarkKey = ".SelectedWatermarkKey";

const char* kTicketCommands[] = {"Command_PSTempFileName", "Command_WritePSTemp"};

// The panel the entry point made, released (its dealloc) however the run ends.
class PanelHandle {
 public:
  explicit PanelHandle(TavroPDEPanel* panel) : panel_(panel) {}
  ~PanelHandle() {
    if (panel_) panel_->Release();
  }
  PanelHandle(const PanelHandle&) = delete;
  PanelHandle& operator=(const PanelHandle&) = delete;
  TavroPDEPanel* operator->() const { return panel_; }

 private:
  TavroPDEPanel* panel_;
};

const char* ChoiceReason(TavroPDEChoiceResult result) {
  switch (result) {
    case TavroPDEChoiceResult::kUnknownKeyword:
      return "no such feature";
    case TavroPDEChoiceResult::kUnknownValue:
      return "no such value";
    case TavroPDEChoiceResult::kConstrained:
      return "constrained by the current choices";
    case TavroPDEChoiceResult::kLocked:
      return "locked by the administrator";
    case TavroPDEChoiceResult::kApplied:
      break;
  }
  return "refused";
}

bool SystemUnreachable(OSStatus status) {
  return status == kPMTimeout ||
         (status == kPMGeneralError && PrintingBackend() == PMBackend::Cups);
}

std::string Describe(OSStatus status) {
  switch (status) {
    case kPMTimeout:
      return "the scheduler did not answer in time";
    case kPMGeneralError:
      return PrintingBackend() == PMBackend::Cups ? "the scheduler cannot be reached or refused"
                                                  : "the printing system failed";
    case kPMInvalidPrinter:
      return "no such queue";
    default:
      return "error " + std::to_string(status);
  }
}

int HighestJobId() {
  std::vector<PMJobInfo> jobs;
  int highest = 0;
  if (PMCopyAllJobs(&jobs) == noErr) {
    for (const PMJobInfo& job : jobs) highest = std::max(highest, job.id);
  }
  return highest;
}

// Waits until the ticket's command jobs sent after `since` have ended; the
// document may only follow a ticket the queue has written. Answers the exit
// code (kPrintOK when both completed or none was sent) with a message.
PrintExit WaitForTicketCommands(const std::string& queue, int since, std::string* why) {
  const auto limit = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(std::max(PrintingTimeoutMs(), 1000) * 3);
  for (;;) {
    std::vector<PMJobInfo> jobs;
    OSStatus status = PMCopyAllJobs(&jobs);
    if (status != noErr) {
      *why = "the job list cannot be read: " + Describe(status);
      return kPrintSystemDown;
    }
    int seen = 0, done = 0;
    for (const PMJobInfo& job : jobs) {
      if (job.id <= since || job.destination != queue) continue;
      if (job.title != kTicketCommands[0] && job.title != kTicketCommands[1]) continue;
      ++seen;
      if (job.state == kPMJobCompleted) {
        ++done;
      } else if (job.state >= kPMJobStopped) {
        *why = "the queue did not take the ticket (" + job.title + ", job " +
               std::to_string(job.id) + ", did not complete)";
        return kPrintSubmitFailed;
      }
    }
    if (seen == done) return kPrintOK;
    if (std::chrono::steady_clock::now() > limit) {
      *why = "the queue did not take the ticket in time";
      return kPrintSystemDown;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void SetPaper(HeadlessHost& host, const std::string& ppdName) {
  std::vector<PMPaper> papers;
  if (ppdName.empty() || PMPrinterGetPaperList(host.Printer(), &papers) != noErr) return;
  for (const PMPaper& paper : papers) {
    if (paper.ppdName == ppdName) host.PageFormat()->SetPaper(paper);
  }
}

}  // namespace

bool CheckPostScriptDocument(const std::string& path, std::string* why) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *why = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  char head[3] = {};
  ssize_t n = read(fd, head, sizeof head);
  close(fd);
  if (n < 0) {
    *why = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string_view start(head, static_cast<size_t>(n));
  if (!start.empty() && start[0] == '\x04') start.remove_prefix(1);
  if (start.substr(0, 2) != "%!") {
    *why = path + " is not a PostScript document (it does not start with %!)";
    return false;
  }
  return true;
}

PrintExit RunPrint(const PrintArguments& args, std::ostream& out, std::ostream& log) {
  auto fail = [&log](PrintExit code, const std::string& text) {
    log << "tavro-print: error: " << text << std::endl;
    return code;
  };

  // Nothing reaches the queue for a document that cannot print.
  if (args.Prints() || !args.document.empty()) {
    std::string why;
    if (!CheckPostScriptDocument(args.document, &why)) return fail(kPrintNotPostScript, why);
  }

  PMPrinterRef printer;
  OSStatus status = PMPrinterCreateFromPrinterID(args.queue, &printer);
  if (status == kPMInvalidPrinter && PrintingBackend() == PMBackend::Local && !args.queue.empty() &&
      args.queue.find('/') == std::string::npos &&
      access((LocalQueueDirectory(args.queue) + "/queue.plist").c_str(), F_OK) == 0) {
    // A local queue is its folder; without its PPD it cannot be used.
    return fail(kPrintBadPPD, "queue " + args.queue + " has no readable PPD (" +
                                  LocalQueueDirectory(args.queue) + "/" + args.queue + ".ppd)");
  }
  if (status == kPMInvalidPrinter || (status == noErr && !printer)) {
    return fail(kPrintNotServed, "no queue named " + args.queue);
  }
  if (status != noErr) {
    return fail(SystemUnreachable(status) ? kPrintSystemDown : kPrintNotServed,
                "queue " + args.queue + ": " + Describe(status));
  }
  std::string ppdPath;
  status = printer->PPDPath(&ppdPath);
  if (status == kPMTimeout) {
    return fail(kPrintSystemDown, "queue " + args.queue + ": " + Describe(status));
  }
  if (status != noErr || ppdPath.empty() || access(ppdPath.c_str(), R_OK) != 0) {
    return fail(kPrintBadPPD, "queue " + args.queue + " has no readable PPD" +
                                  (ppdPath.empty() ? std::string() : " (" + ppdPath + ")"));
  }
  {
    std::ifstream in(ppdPath, std::ios::binary);
    std::string first;
    std::getline(in, first);
    if (first.rfind("*PPD-Adobe:", 0) != 0) {
      return fail(kPrintBadPPD,
                  "the PPD of queue " + args.queue + " is not a PPD (" + ppdPath + ")");
    }
  }

  PanelLibrary library;
  std::string error;
  if (!library.Load(&error)) return fail(kPrintNotServed, error);

  HeadlessHost host(printer);
  SetPaper(host, PPDDefaultPageSize(ppdPath));
  if (!args.document.empty()) {
    host.PrintSettings()->SetString(kPMJobNameKey,
                                    std::filesystem::path(args.document).filename().string());
  }
  PMSetCopies(host.PrintSettings(), 1, false);

  TavroPDEPanel* panels[4] = {};
  int count = library.Entry()(TAVRO_PDE_PANEL_TYPE, &host, panels, 4);
  if (count <= 0) {
    for (int i = 0; i < count; ++i) panels[i]->Release();
    if (!PPDDeclaresControllerVersion(ppdPath)) {
      return fail(kPrintNotServed, "the panel does not serve queue " + args.queue +
                                       ": its PPD declares no controller version (*%QZVersion)");
    }
    return fail(kPrintNotServed, "the panel does not serve queue " + args.queue +
                                     " (its PPD is not in the panel's printer list)");
  }
  for (int i = 1; i < std::min(count, 4); ++i) panels[i]->Release();
  PanelHandle panel(panels[0]);
  log << "tavro-print: queue " << args.queue << ": " << panel->PanelName() << " (" << library.Path()
      << ")" << std::endl;

  // As a print dialog: restore, show, the user's choices, hide, save.
  panel->RestoreValues();
  panel->WillShow();
  if (args.watermark >= 0) {
    // As the user picks it in the full properties.
    std::string message;
    if (panel->SelectWatermark(args.watermark, &message) != TavroPDEChoiceResult::kApplied) {
      panel->ShouldHide();
      panel->PrintWindowWillClose();
      return fail(kPrintChoiceRefused,
                  "watermark " + std::to_string(args.watermark) + " refused (" + message + ")");
    }
  }
  for (const auto& [keyword, value] : args.choices) {
    std::string message;
    TavroPDEChoiceResult result = panel->ChooseFeature(keyword, value, &message);
    if (result != TavroPDEChoiceResult::kApplied) {
      panel->ShouldHide();
      panel->PrintWindowWillClose();
      return fail(kPrintChoiceRefused, keyword + "=" + value + " refused (" + ChoiceReason(result) +
                                           ")" + (message.empty() ? "" : ": " + message));
    }
    log << "tavro-print: " << keyword << "=" << value << std::endl;
  }
  // The dialog hides the panel, then saves its values.
  panel->ShouldHide();
  panel->SaveValues();
  if (args.watermark >= 0 &&
      host.PrintSettings()->GetInteger(kSelectedWatermarkKey).value_or(-1) != args.watermark) {
    panel->PrintWindowWillClose();
    return fail(kPrintChoiceRefused, "watermark " + std::to_string(args.watermark) +
                                         " refused (the queue has no watermark of that number)");
  }
  if (args.watermark >= 0) log << "tavro-print: watermark " << args.watermark << std::endl;

  if (args.show) {
    for (const TavroPDEFeature& f : panel->QuickAccessFeatures()) {
      out << f.label << " (" << f.keyword << "): " << f.valueLabel;
      if (!f.value.empty() && f.value != f.valueLabel) out << " (" << f.value << ")";
      out << "\n";
    }
    out.flush();
  }
  PrintExit exit = kPrintOK;
  if (!args.ticketFile.empty()) {
    std::string text = panel->DescribeTicket();
    if (args.ticketFile == "-") {
      out << text;
      out.flush();
    } else {
      std::ofstream file(args.ticketFile, std::ios::binary | std::ios::trunc);
      file << text;
      file.close();
      if (!file) {
        exit = fail(kPrintOutputFailed, "cannot write the ticket text to " + args.ticketFile);
      } else {
        log << "tavro-print: ticket written to " << args.ticketFile << std::endl;
      }
    }
  }
  if (!args.Prints()) {
    panel->PrintWindowWillClose();
    return exit;
  }

  // Printing: the panel sends the ticket, the queue must have taken it, then
  // the document follows with the settings as job options.
  const int before = HighestJobId();
  if (!panel->ShouldPrint()) {
    panel->PrintWindowWillClose();
    return fail(kPrintSubmitFailed, "the panel cancelled the print; nothing was submitted");
  }
  PrintExit waited = WaitForTicketCommands(args.queue, before, &error);
  if (waited != kPrintOK) {
    panel->PrintWindowWillClose();
    return fail(waited, error + "; the document was not submitted");
  }
  const std::optional<std::string> ticket = host.PrintSettings()->GetString(TicketOptionName());
  if (!ticket || ticket->empty()) {
    panel->PrintWindowWillClose();
    return fail(kPrintSubmitFailed, "the panel named no ticket; the document was not submitted");
  }

  if (printer->Backend() == PMBackend::Local) {
    // A local queue's cache folder is ours to look at: the ticket must be there.
    std::string xml, why;
    if (!ReadTicketFile(*ticket, TavroRoot(), xml, why)) {
      panel->PrintWindowWillClose();
      return fail(kPrintSubmitFailed, "the queue has no usable ticket " + *ticket + " (" + why +
                                          "); the document was not submitted");
    }
  }

  PMDocumentJob job;
  job.path = args.document;
  job.title = std::filesystem::path(args.document).filename().string();
  job.options = StandardJobOptions(ppdPath, *host.PrintSettings());
  job.options.emplace_back(TicketOptionName(), *ticket);
  int jobId = 0;
  status = PMPrinterPrintFile(printer.get(), job, &jobId);
  panel->PrintWindowWillClose();
  if (status != noErr) {
    return fail(
        SystemUnreachable(status) && status == kPMTimeout ? kPrintSystemDown : kPrintSubmitFailed,
        "the document was not submitted to " + args.queue + ": " + Describe(status));
  }
  if (printer->Backend() == PMBackend::Local) {
    // A local queue has run the job already: say so when it did not print.
    std::vector<PMJobInfo> jobs;
    PMCopyAllJobs(&jobs);
    for (const PMJobInfo& info : jobs) {
      if (info.id == jobId && info.state != kPMJobCompleted) {
        return fail(kPrintSubmitFailed, "job " + std::to_string(jobId) + " on " + args.queue +
                                            " did not print; see " +
                                            LocalQueueDirectory(args.queue) + "/job.log");
      }
    }
  }
  log << "tavro-print: job " << jobId << " submitted to " << args.queue << " with ticket "
      << *ticket << std::endl;
  return kPrintOK;
}
