// Whole-file parse speed of the feature document against libcups, side by
// side on the same files: our sample PPD, the generated 2 MB vendor PPD
// (bench/gen_vendor_ppd.py) and whatever real PPDs are named in
// TAVRO_BENCH_PPDS (colon-separated; bench/run.sh passes the largest ones of
// the installed openprinting-ppds). Each pair reports bytes per second; the
// second of a pair (ours) carries cups_over_ours, libcups's time per run
// divided by ours (above 1: ours is faster).
//
//   bash bench/run.sh            (or: tavro_bench --benchmark_filter=Parse)
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ParseOnce.h"
#include "platform/Log.h"

namespace {

namespace fs = std::filesystem;

// libcups's seconds per run of each file, filled by its benchmark, read by ours.
std::map<std::string, double>& CupsSeconds() {
  static std::map<std::string, double> seconds;
  return seconds;
}

template <typename Body>
double TimedLoop(benchmark::State& state, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  return state.iterations() ? spent.count() / static_cast<double>(state.iterations()) : 0;
}

void BM_ParseCups(benchmark::State& state, std::string path) {
  if (!CupsParseOnce(path)) {
    state.SkipWithError("libcups cannot read the file");
    return;
  }
  CupsSeconds()[path] = TimedLoop(state, [&] { benchmark::DoNotOptimize(CupsParseOnce(path)); });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}

void BM_ParseOurs(benchmark::State& state, std::string path) {
  const double ours = TimedLoop(state, [&] { benchmark::DoNotOptimize(OurParseOnce(path)); });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
  state.SetLabel(kOurReader);
  if (auto it = CupsSeconds().find(path); it != CupsSeconds().end() && ours > 0)
    state.counters["cups_over_ours"] = it->second / ours;
}

void Register(const std::string& label, const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(path, ec)) return;
  benchmark::RegisterBenchmark(("Parse/libcups/" + label).c_str(), BM_ParseCups, path)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("Parse/ours/" + label).c_str(), BM_ParseOurs, path)
      ->Unit(benchmark::kMicrosecond);
}

const bool registered = [] {
  // A parse logs the end-of-PPD marker; the 2 ms pause per log line would
  // swamp the parse itself.
  SetLogPause(false);
  Register("sample", std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd");
  Register("generated", GeneratedVendorPPD());
  if (const char* list = std::getenv("TAVRO_BENCH_PPDS")) {
    std::string all = list;
    size_t begin = 0;
    while (begin <= all.size()) {
      size_t end = all.find(':', begin);
      if (end == std::string::npos) end = all.size();
      const std::string path = all.substr(begin, end - begin);
      if (!path.empty()) Register(fs::path(path).filename().string(), path);
      begin = end + 1;
    }
  }
  return true;
}();

}  // namespace
