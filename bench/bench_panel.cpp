// From panel creation to a ticket handed to the queue, against the parse of
// the same PPD alone: the sample PPD and the generated 400-control vendor
// PPD ($TAVRO_BENCH_VENDOR_PPD, bench/gen_vendor_ppd.py). Each panel is made
// on a local queue through the print dialog's calls: creation (parse,
// restore, one synchronisation), save (a second synchronisation), print (the
// ticket saved and sent as two commands); then released outside the timing.
// The waits for command jobs (a 100 ms poll and a 700 ms settling pause per
// preferences save) are skipped with an instant clock: the figure is the
// panel's own work. The lifecycle benchmark reports panel_over_parse.
//
//   tavro_bench --benchmark_filter=Panel
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/PDEBundle.h"
#include "platform/LocalQueues.h"
#include "platform/Log.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "serverlink/LocalQueueLink.h"
#include "serverlink/WaitClock.h"
#include "shell/HeadlessHost.h"
#include "shell/TavroFeaturesPDE.h"

namespace {

namespace fs = std::filesystem;

class InstantClock : public WaitClock {
 public:
  void SleepMs(int milliseconds) override { now_ += milliseconds / 1000.0; }
  double NowSeconds() override { return now_; }

 private:
  double now_ = 0;
};

// A root of its own with a copy of the bundle that also serves the
// generated PPD, and the local queues.
class BenchWorld {
 public:
  BenchWorld() {
    char pattern[] = "/tmp/tavro-bench-panel-XXXXXX";
    dir_ = mkdtemp(pattern) ? pattern : "/tmp/tavro-bench-panel";
    const fs::path bundle = fs::path(dir_) / "TavroFeatures.plugin";
    fs::copy(fs::path(TAVRO_SOURCE_DIR) / "bundle" / "TavroFeatures.plugin", bundle,
             fs::copy_options::recursive);
    std::ofstream(bundle / "Contents" / "PrinterList.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>PCFILENAME</key><array><string>TAVC750.PPD</string>"
           "<string>BENCHV.PPD</string></array>\n</dict>\n</plist>\n";
    setenv("TAVRO_BUNDLE", bundle.c_str(), 1);
    setenv("TMPDIR", dir_.c_str(), 1);
    PDEBundle::Reset();
    root_ = std::make_unique<ScopedTavroRoot>(dir_ + "/root");
    fs::create_directories(dir_ + "/root/Library/Caches/QZV");
    backend_ = std::make_unique<ScopedPrintingBackend>(PMBackend::Local);
    clock_ = std::make_unique<ScopedWaitClock>(instant_);
    InstallLocalQueueCommands();
    SetLogPause(false);
  }
  ~BenchWorld() {
    clock_.reset();
    backend_.reset();
    root_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // The queue's host; the queue is made once per file.
  HeadlessHost* Host(const std::string& ppd) {
    std::unique_ptr<HeadlessHost>& host = hosts_[ppd];
    if (!host) {
      const std::string name = "Q" + std::to_string(hosts_.size());
      LocalQueueCreate(name, ppd, {});
      PMPrinterRef printer;
      if (PMPrinterCreateFromPrinterID(name, &printer) != noErr) return nullptr;
      host = std::make_unique<HeadlessHost>(printer);
    }
    return host.get();
  }

 private:
  std::string dir_;
  std::unique_ptr<ScopedTavroRoot> root_;
  std::unique_ptr<ScopedPrintingBackend> backend_;
  InstantClock instant_;
  std::unique_ptr<ScopedWaitClock> clock_;
  std::map<std::string, std::unique_ptr<HeadlessHost>> hosts_;
};

BenchWorld& World() {
  static BenchWorld world;
  return world;
}

std::map<std::string, double>& ParseSeconds() {
  static std::map<std::string, double> seconds;
  return seconds;
}

std::string PPDFor(int which) {
  if (which == 0) return std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";
  const char* vendor = std::getenv("TAVRO_BENCH_VENDOR_PPD");
  return vendor ? vendor : "";
}

void BM_PanelParseOnly(benchmark::State& state) {
  const std::string ppd = PPDFor(static_cast<int>(state.range(0)));
  if (ppd.empty()) return state.SkipWithError("TAVRO_BENCH_VENDOR_PPD is not set");
  SetLogPause(false);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    ClearEndOfPPDLatch();
    QZVPPD document(ppd, kParseOrphansAndHidden);
    benchmark::DoNotOptimize(document.GetControls());
  }
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  if (state.iterations()) ParseSeconds()[ppd] = spent.count() / double(state.iterations());
  state.SetLabel(fs::path(ppd).filename().string());
}

void BM_PanelCreateToTicket(benchmark::State& state) {
  const std::string ppd = PPDFor(static_cast<int>(state.range(0)));
  if (ppd.empty()) return state.SkipWithError("TAVRO_BENCH_VENDOR_PPD is not set");
  HeadlessHost* host = World().Host(ppd);
  if (!host) return state.SkipWithError("no local queue");
  double spent = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    TavroFeaturesPDE* panel = TavroFeaturesPDE::initWithCallback(host);
    if (!panel) return state.SkipWithError("the panel refused the PPD");
    panel->SaveValues();
    const bool printed = panel->ShouldPrint();
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    if (!printed) state.SkipWithError("the print was cancelled");
    panel->PrintWindowWillClose();
    panel->Release();
    // The job list of the local queues grows with every print.
    LocalQueueResetJobs();
    state.ResumeTiming();
  }
  state.SetLabel(fs::path(ppd).filename().string());
  const auto parse = ParseSeconds().find(ppd);
  if (parse != ParseSeconds().end() && state.iterations() && parse->second > 0) {
    state.counters["panel_over_parse"] = spent / double(state.iterations()) / parse->second;
  }
}

}  // namespace

BENCHMARK(BM_PanelParseOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanelCreateToTicket)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
