// The view model's whole exchange with the job properties component: the
// key/value list made from the model and the same list applied back, for the
// sample PPD and the generated 400-control vendor PPD
// ($TAVRO_BENCH_VENDOR_PPD, bench/gen_vendor_ppd.py). No printer: the panel
// data has no queue, so the figure is the model's own work.
//
//   tavro_bench --benchmark_filter=ViewModel
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "ParseOnce.h"
#include "panel/PDEData.h"
#include "panel/UI_Panel.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "serverlink/SDMAlloc.h"

namespace {

namespace fs = std::filesystem;

struct ViewModel {
  explicit ViewModel(const fs::path& ppd) {
    // The panel data's working copy of the PPD goes into a folder of its own.
    const char* tmp = std::getenv("TMPDIR");
    const std::string savedTmp = tmp ? tmp : "";
    char pattern[] = "/tmp/tavro-bench-viewmodel-XXXXXX";
    if (mkdtemp(pattern)) {
      dir = pattern;
      ::setenv("TMPDIR", pattern, 1);
    }
    ClearEndOfPPDLatch();
    document = std::make_unique<QZVPPD>(ppd, kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
    data = std::make_unique<PDEData>(document.get(), CFString(), nullptr);
    data->printSettings = &settings;
    panel = std::make_unique<UI_Panel>(data.get());
    if (savedTmp.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", savedTmp.c_str(), 1);
  }
  ~ViewModel() {
    panel.reset();
    data.reset();
    document.reset();
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
  }
  std::string dir;
  PMPrintSettings settings;
  std::unique_ptr<QZVPPD> document;
  std::unique_ptr<PDEData> data;
  std::unique_ptr<UI_Panel> panel;
};

void Exchange(benchmark::State& state, const std::string& ppd) {
  if (ppd.empty()) {
    state.SkipWithError("no PPD");
    return;
  }
  SetLogPause(false);
  SetSDMLogToStderr(false);
  ViewModel model(ppd);
  size_t pairs = 0;
  for (auto _ : state) {
    HeapSDMList list;
    model.panel->GetDefaultSettings(list, nullptr);
    model.panel->SetUpdatedSettings(list.Get());
    pairs = list.Count();
    benchmark::DoNotOptimize(pairs);
  }
  state.counters["pairs"] = static_cast<double>(pairs);
  state.counters["pairs_per_s"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ViewModelExchangeSample(benchmark::State& state) {
  Exchange(state, (fs::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd").string());
}
BENCHMARK(BM_ViewModelExchangeSample)->Unit(benchmark::kMicrosecond);

void BM_ViewModelExchangeVendor(benchmark::State& state) {
  Exchange(state, GeneratedVendorPPD());
}
BENCHMARK(BM_ViewModelExchangeVendor)->Unit(benchmark::kMicrosecond);

}  // namespace
