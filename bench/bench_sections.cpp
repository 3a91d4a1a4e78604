// Two-way data sections: our writer (deflate, Base64 pieces, lines) and reader
// (piece look-up, Base64, inflate) beside zlib's own one-shot deflate and
// inflate of the same payload. The counters "ours_over_zlib" give the ratio
// of times: what the piece format costs on top of the compression itself.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "serverlink/CFileHdlr.h"

namespace {

// Wide text (32-bit characters) like the trays and presets a controller
// reports: repetitive lines with varying numbers and names.
std::string Payload(size_t bytes) {
  std::u32string text;
  unsigned seed = 7;
  while (text.size() * 4 < bytes) {
    seed = seed * 1103515245u + 12345u;
    std::string line = "Tray" + std::to_string(seed % 9) + "\tA4\t" + std::to_string(seed % 500) +
                       " sheets\tPlain paper " + std::to_string((seed >> 8) % 120) + " g/m2\n";
    text.append(line.begin(), line.end());
  }
  text.resize(bytes / 4);
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 4);
}

std::map<std::string, double>& ZlibSeconds() {
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

void Ratio(benchmark::State& state, const std::string& zlibKey, double ours) {
  if (auto it = ZlibSeconds().find(zlibKey); it != ZlibSeconds().end() && it->second > 0)
    state.counters["ours_over_zlib"] = ours / it->second;
}

void BM_ZlibDeflate(benchmark::State& state, size_t size) {
  const std::string payload = Payload(size);
  std::vector<Bytef> out(compressBound(static_cast<uLong>(payload.size())));
  ZlibSeconds()["deflate" + std::to_string(size)] = TimedLoop(state, [&] {
    uLongf n = static_cast<uLongf>(out.size());
    compress2(out.data(), &n, reinterpret_cast<const Bytef*>(payload.data()),
              static_cast<uLong>(payload.size()), 9);
    benchmark::DoNotOptimize(n);
  });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_OursWrite(benchmark::State& state, size_t size) {
  CFileHdlr::SetEchoToStderr(false);
  const std::string payload = Payload(size);
  const double ours = TimedLoop(state, [&] {
    std::string text;
    CFileHdlr::fileWriteData("TrayInfo", payload.data(), payload.size(), text);
    benchmark::DoNotOptimize(text.data());
  });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
  Ratio(state, "deflate" + std::to_string(size), ours);
}

void BM_ZlibInflate(benchmark::State& state, size_t size) {
  const std::string payload = Payload(size);
  std::vector<Bytef> packed(compressBound(static_cast<uLong>(payload.size())));
  uLongf packedSize = static_cast<uLongf>(packed.size());
  compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(payload.data()),
            static_cast<uLong>(payload.size()), 9);
  std::vector<Bytef> out(size);
  ZlibSeconds()["inflate" + std::to_string(size)] = TimedLoop(state, [&] {
    uLongf n = static_cast<uLongf>(out.size());
    uncompress(out.data(), &n, packed.data(), packedSize);
    benchmark::DoNotOptimize(n);
  });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_OursRead(benchmark::State& state, size_t size) {
  CFileHdlr::SetEchoToStderr(false);
  const std::string payload = Payload(size);
  // The section among others, as in a data file.
  std::string text;
  const std::string other = Payload(size / 2 + 4);
  CFileHdlr::fileWriteData("PresetsList", other.data(), other.size(), text);
  CFileHdlr::fileWriteData("TrayInfo", payload.data(), payload.size(), text);
  const double ours = TimedLoop(state, [&] {
    SectionPayload got;
    CFileHdlr::stringReadData(text, "TrayInfo", got);
    benchmark::DoNotOptimize(got.bytes.data());
  });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
  Ratio(state, "inflate" + std::to_string(size), ours);
}

const bool registered = [] {
  for (size_t size : {size_t{4} << 10, size_t{256} << 10, size_t{4} << 20}) {
    const std::string label = std::to_string(size >> 10) + "KiB";
    benchmark::RegisterBenchmark(("Sections/zlib_deflate/" + label).c_str(), BM_ZlibDeflate, size)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Sections/ours_write/" + label).c_str(), BM_OursWrite, size)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Sections/zlib_inflate/" + label).c_str(), BM_ZlibInflate, size)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Sections/ours_read/" + label).c_str(), BM_OursRead, size)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
