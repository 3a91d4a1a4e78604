// One printer command's round trip as the panel sees it: send the command,
// see its job completed in the list of all jobs, read the queue's new PPD
// and the message the command wrote. On a private scheduler running the queue
// filter, and on a local queue for comparison. The job list is polled every
// millisecond here (the panel polls every 100 ms and then settles for 700 ms;
// those sleeps are its own choice and not measured).
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/LocalQueues.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/LocalQueueLink.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace {

const std::string kSamplePPD = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";

// A preferences list of about `entries` printers (three elements each).
std::string Preferences(int entries, int serial) {
  PlistValue list = PlistValue::MakeArray();
  for (int i = 0; i < entries; ++i) {
    list.Append(PlistValue::String("Tavro-" + std::to_string(i)));
    list.Append(PlistValue::String("10.0.0." + std::to_string(i % 250)));
    list.Append(PlistValue::Integer(serial));
  }
  return list.ToXml();
}

bool WaitCompleted(int jobId) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < end) {
    std::vector<PMJobInfo> jobs;
    if (PMCopyAllJobs(&jobs) != noErr) return false;
    for (const auto& job : jobs) {
      if (job.id != jobId) continue;
      if (job.state == kPMJobCompleted) return true;
      if (job.state >= kPMJobStopped) return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// Sends, waits, reads back; false (with the reason) when any step fails.
bool RoundTrip(PMPrinter* printer, const std::string& text, int serial, std::string* why) {
  int jobId = 0;
  std::string title = "Command_QZVPrefs" + std::to_string(serial);
  if (PMPrinterSendCommand(printer, text, title, &jobId) != noErr) return *why = "send", false;
  if (!WaitCompleted(jobId)) return *why = "job did not complete", false;
  std::string ppd;
  if (PMCopyQueuePPDPath(printer->ID(), &ppd) != noErr) return *why = "no PPD", false;
  std::u32string back = CPPDMsgHdlr(ppd.c_str(), "DriverPreference").GetStringData();
  if (back != std::u32string(text.begin(), text.end())) return *why = "message differs", false;
  return true;
}

void CommandRoundTripCups(benchmark::State& state) {
  if (std::string why = PrivateCupsd::SkipReason(); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  PrivateCupsd cupsd;
  ScopedPrintingBackend backend(PMBackend::Cups);
  std::string filter =
      cupsd.Start() ? cupsd.InstallFilter("tavro-queue-filter", TAVRO_QUEUE_FILTER) : std::string();
  std::string ppd = cupsd.Dir() + "/queue.ppd";
  // The sample names the queue filter by its installed name; here it is elsewhere.
  std::string text = PrivateCupsd::ReadFile(kSamplePPD);
  const std::string named = "0 tavro-queue-filter\"";
  if (size_t at = text.find(named); at != std::string::npos) {
    text.replace(at, named.size(), "0 " + filter + "\"");
  } else {
    text += "*cupsFilter: \"application/vnd.cups-command 0 " + filter + "\"\n";
  }
  std::ofstream(ppd) << text;
  PMPrinterRef printer;
  if (filter.empty() || !cupsd.AddQueue("Office", ppd) ||
      PMPrinterCreateFromPrinterID("Office", &printer) != noErr) {
    state.SkipWithError(("scheduler: " + cupsd.Error()).c_str());
    return;
  }
  int serial = 0;
  for (auto _ : state) {
    std::string text = Preferences(static_cast<int>(state.range(0)), ++serial);
    std::string why;
    if (!RoundTrip(printer.get(), text, serial, &why)) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  state.counters["message_bytes"] = static_cast<double>(Preferences(state.range(0), 0).size());
}

void CommandRoundTripLocal(benchmark::State& state) {
  TempDir root;
  ScopedTavroRoot scoped(root.Path());
  ScopedPrintingBackend backend(PMBackend::Local);
  InstallLocalQueueCommands();
  LocalQueueResetJobs();
  PMPrinterRef printer;
  if (LocalQueueCreate("Office", kSamplePPD) != noErr ||
      PMPrinterCreateFromPrinterID("Office", &printer) != noErr) {
    state.SkipWithError("local queue");
    return;
  }
  int serial = 0;
  for (auto _ : state) {
    std::string text = Preferences(static_cast<int>(state.range(0)), ++serial);
    std::string why;
    if (!RoundTrip(printer.get(), text, serial, &why)) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  SetLocalQueueCommandHandler({});
  state.counters["message_bytes"] = static_cast<double>(Preferences(state.range(0), 0).size());
}

// A list of 4 printers (one message piece or two) and of 200 (many pieces).
BENCHMARK(CommandRoundTripCups)->Arg(4)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CommandRoundTripLocal)->Arg(4)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
