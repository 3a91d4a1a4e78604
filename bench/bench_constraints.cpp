// The panel asks for every choice of every pop-up whether it is constrained,
// after every user change. These benchmarks sweep every choice of a generated
// model (400 pick-one keys of 20 choices, 5,000 constraints), and compare one
// checked choice against libcups marking the choice and counting conflicts on
// an equivalent PPD written from the same description.
//
//   ninja -C build tavro_bench && build/bench/tavro_bench --benchmark_filter=Constraint
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>
#pragma GCC diagnostic pop

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PopupItem.h"
#include "ParseOnce.h"
#include "constraints/UIConstraints.h"
#include "platform/Log.h"

namespace {

// One description, written out both as our facade and as a PPD.
struct ModelDescription {
  int keys = 400;
  int options = 20;
  int constraints = 5000;
  unsigned seed = 20240611;

  std::string Key(int k) const {  // without the leading "*"
    char b[32];
    std::snprintf(b, sizeof b, "QZKey%03d", k);
    return b;
  }
  std::string StarKey(int k) const { return std::string("*").append(Key(k)); }
  std::string Option(int o) const {
    char b[32];
    std::snprintf(b, sizeof b, "Opt%02d", o);
    return b;
  }
  // (k1, o1, k2, o2), distinct, k1 != k2. The defaults (option 0 everywhere)
  // conflict with nothing, as in a real PPD; half the constraints forbid a
  // default, so a fair share of the choices is constrained.
  std::vector<std::tuple<int, int, int, int>> Constraints() const {
    std::mt19937 rng(seed);
    std::set<std::tuple<int, int, int, int>> seen;
    std::vector<std::tuple<int, int, int, int>> out;
    while (static_cast<int>(out.size()) < constraints) {
      const int k1 = rng() % keys, k2 = rng() % keys;
      if (k1 == k2) continue;
      const int o1 = rng() % options;
      const int o2 = (rng() % 2) ? 0 : static_cast<int>(rng() % options);
      if (o1 == 0 && o2 == 0) continue;  // the defaults stay free of conflicts
      auto t = std::make_tuple(k1, o1, k2, o2);
      if (seen.insert(t).second) out.push_back(t);
    }
    return out;
  }
};

void Fill(const ModelDescription& d, UIConstraints& ui) {
  for (int k = 0; k < d.keys; ++k) {
    const std::string key = d.StarKey(k);
    for (int o = 0; o < d.options; ++o) ui.KVSInsert(key.c_str(), d.Option(o).c_str());
  }
  for (const auto& [k1, o1, k2, o2] : d.Constraints())
    ui.Add(d.StarKey(k1).c_str(), d.Option(o1).c_str(), d.StarKey(k2).c_str(), d.Option(o2).c_str(),
           false);
  ui.Resolve();
  for (int k = 0; k < d.keys; ++k) ui.UpdateKVCache(d.StarKey(k).c_str(), d.Option(0).c_str());
}

std::string WritePPD(const ModelDescription& d) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("tavro-bench-constraints-" + std::to_string(getpid()) + ".ppd");
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return {};
  std::fprintf(f,
               "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
               "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
               "*PCFileName: \"BENCH.PPD\"\n*Manufacturer: \"Bench\"\n*Product: \"(Bench)\"\n"
               "*ModelName: \"Bench\"\n*ShortNickName: \"Bench\"\n*NickName: \"Bench\"\n"
               "*PSVersion: \"(3010) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
               "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
               "*TTRasterizer: Type42\n");
  for (int k = 0; k < d.keys; ++k) {
    const std::string key = d.Key(k);
    std::fprintf(f, "*OpenUI *%s/%s: PickOne\n*OrderDependency: 10 AnySetup *%s\n", key.c_str(),
                 key.c_str(), key.c_str());
    std::fprintf(f, "*Default%s: %s\n", key.c_str(), d.Option(0).c_str());
    for (int o = 0; o < d.options; ++o)
      std::fprintf(f, "*%s %s/%s: \"\"\n", key.c_str(), d.Option(o).c_str(), d.Option(o).c_str());
    std::fprintf(f, "*CloseUI: *%s\n", key.c_str());
  }
  for (const auto& [k1, o1, k2, o2] : d.Constraints())
    std::fprintf(f, "*UIConstraints: *%s %s *%s %s\n", d.Key(k1).c_str(), d.Option(o1).c_str(),
                 d.Key(k2).c_str(), d.Option(o2).c_str());
  std::fclose(f);
  return path;
}

struct Choices {
  std::vector<std::string> keyTexts, optionTexts;  // with "*" for keys
  std::vector<std::pair<long, long>> ids;
  std::vector<std::pair<int, int>> indices;
};

Choices AllChoices(const ModelDescription& d, UIConstraints& ui) {
  Choices c;
  for (int k = 0; k < d.keys; ++k)
    for (int o = 0; o < d.options; ++o) {
      c.keyTexts.push_back(d.StarKey(k));
      c.optionTexts.push_back(d.Option(o));
      c.ids.emplace_back(ui.FindId(c.keyTexts.back().c_str()),
                         ui.FindId(c.optionTexts.back().c_str()));
      c.indices.emplace_back(k, o);
    }
  return c;
}

// Built once; the benchmarks only read it.
struct Fixture {
  ModelDescription d;
  UIConstraints ui;
  Choices choices;
  Fixture() {
    Fill(d, ui);
    choices = AllChoices(d, ui);
  }
};

Fixture& Model() {
  static Fixture* f = new Fixture();  // lives for the whole run
  return *f;
}

void BM_ConstraintSweepText(benchmark::State& state) {
  Fixture& f = Model();
  long constrained = 0;
  for (auto _ : state) {
    constrained = 0;
    for (size_t i = 0; i < f.choices.ids.size(); ++i)
      constrained +=
          f.ui.IsKVConstrained(f.choices.keyTexts[i].c_str(), f.choices.optionTexts[i].c_str());
    benchmark::DoNotOptimize(constrained);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(f.choices.ids.size()));
  state.counters["choices"] = static_cast<double>(f.choices.ids.size());
  state.counters["constrained"] = static_cast<double>(constrained);
}
BENCHMARK(BM_ConstraintSweepText)->Unit(benchmark::kMicrosecond);

void BM_ConstraintSweepIds(benchmark::State& state) {
  Fixture& f = Model();
  long constrained = 0;
  for (auto _ : state) {
    constrained = 0;
    for (const auto& [k, o] : f.choices.ids) constrained += f.ui.IsKVConstrained(k, o);
    benchmark::DoNotOptimize(constrained);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(f.choices.ids.size()));
  state.counters["constrained"] = static_cast<double>(constrained);
}
BENCHMARK(BM_ConstraintSweepIds)->Unit(benchmark::kMicrosecond);

// The general engine path (conflicts and alternatives listed), for reference.
void BM_ConstraintSweepEngineTest(benchmark::State& state) {
  Fixture& f = Model();
  long constrained = 0;
  for (auto _ : state) {
    constrained = 0;
    for (const auto& [k, o] : f.choices.ids) {
      KVCache delta;
      delta.Insert(k, o);
      constrained += !f.ui.ValidateDelta(delta);
    }
    benchmark::DoNotOptimize(constrained);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(f.choices.ids.size()));
  state.counters["constrained"] = static_cast<double>(constrained);
}
BENCHMARK(BM_ConstraintSweepEngineTest)->Unit(benchmark::kMillisecond);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
// One checked choice, side by side: libcups marks the choice (which counts
// conflicts), counts conflicts, and marks the default back; we ask the facade
// (text form, as the panel does) about the same choices. The counters carry
// the times per checked choice and their ratio.
void BM_ConstraintCheckVsLibcups(benchmark::State& state) {
  Fixture& f = Model();
  const std::string path = WritePPD(f.d);
  ppd_file_t* ppd = path.empty() ? nullptr : ppdOpenFile(path.c_str());
  if (!ppd) {
    state.SkipWithError("libcups could not read the generated PPD");
    if (!path.empty()) std::filesystem::remove(path);
    return;
  }
  ppdMarkDefaults(ppd);
  std::vector<std::string> keys, options;
  for (const auto& [k, o] : f.choices.indices) {
    keys.push_back(f.d.Key(k));
    options.push_back(f.d.Option(o));
  }
  const std::string original = f.d.Option(0);
  const size_t n = f.choices.ids.size();
  // A stride through the choices so that a short run still spreads over keys.
  const size_t stride = 397;
  size_t at = 0;
  double cupsSeconds = 0;
  long cupsConflicts = 0;
  std::vector<size_t> visited;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    const size_t i = at;
    at = (at + stride) % n;
    auto t0 = Clock::now();
    ppdMarkOption(ppd, keys[i].c_str(), options[i].c_str());
    cupsConflicts += ppdConflicts(ppd) > 0;
    ppdMarkOption(ppd, keys[i].c_str(), original.c_str());
    cupsSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
    visited.push_back(i);
  }
  // Our check of the same choices, timed in bulk (one check is far below the
  // clock's own cost) and repeated until the time is well above its grain.
  long oursConstrained = 0, oursChecks = 0;
  double oursSeconds = 0;
  while (!visited.empty() && oursSeconds < 0.05) {
    long constrained = 0;
    auto t0 = Clock::now();
    for (size_t i : visited)
      constrained +=
          f.ui.IsKVConstrained(f.choices.keyTexts[i].c_str(), f.choices.optionTexts[i].c_str());
    oursSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
    benchmark::DoNotOptimize(constrained);
    oursConstrained = constrained;
    oursChecks += static_cast<long>(visited.size());
  }
  const long checks = static_cast<long>(visited.size());
  ppdClose(ppd);
  std::filesystem::remove(path);
  if (checks == 0 || oursSeconds <= 0) return;
  const double cupsPer = cupsSeconds / checks, oursPer = oursSeconds / oursChecks;
  state.counters["libcups_us_per_choice"] = cupsPer * 1e6;
  state.counters["ours_us_per_choice"] = oursPer * 1e6;
  state.counters["ratio"] = cupsPer / oursPer;
  state.counters["libcups_conflicted"] = static_cast<double>(cupsConflicts);
  state.counters["ours_constrained"] = static_cast<double>(oursConstrained);
}
#pragma GCC diagnostic pop
BENCHMARK(BM_ConstraintCheckVsLibcups)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The whole sweep on the generated vendor PPD, side by side: our feature
// document built from it asks IsKVConstrained for every choice of every
// pop-up; libcups, having opened the same file and marked its defaults,
// marks each choice, counts conflicts and marks the default back. Reported:
// the median seconds of a whole sweep for each (TAVRO_BENCH_SWEEPS sweeps of
// libcups, default 3; ours as many as fit in a second, at least 5) and the
// ratio. Both count the constrained choices; the counts should agree.
void BM_ConstraintSweepDocumentVsLibcups(benchmark::State& state) {
  SetLogPause(false);
  const std::string& path = GeneratedVendorPPD();
  if (path.empty()) {
    state.SkipWithError("no generated PPD");
    return;
  }
  ClearEndOfPPDLatch();
  QZVPPD doc(path, kParseOrphansAndHidden);
  std::vector<std::pair<std::string, std::string>> choices;
  if (PPDXControls* controls = doc.GetControls()) {
    for (PPDXPopupControl* p = controls->FirstPopupControl(); p; p = controls->NextPopupControl()) {
      for (_PopupItem* item = p->FirstItem(); item; item = p->NextItem())
        if (p->Keyword() && item->Keyword()) choices.emplace_back(p->Keyword(), item->Keyword());
    }
  }
  ppd_file_t* ppd = ppdOpenFile(path.c_str());
  if (choices.empty() || !ppd) {
    state.SkipWithError("the generated PPD gave no pop-ups, or libcups could not read it");
    if (ppd) ppdClose(ppd);
    return;
  }
  ppdMarkDefaults(ppd);
  struct CupsChoice {
    const char* keyword;
    const char* choice;
    const char* original;
  };
  std::vector<CupsChoice> cupsChoices;
  for (int g = 0; g < ppd->num_groups; ++g) {
    const ppd_group_t& group = ppd->groups[g];
    for (int o = 0; o < group.num_options; ++o) {
      const ppd_option_t& option = group.options[o];
      if (option.ui != PPD_UI_PICKONE) continue;
      for (int c = 0; c < option.num_choices; ++c)
        cupsChoices.push_back({option.keyword, option.choices[c].choice, option.defchoice});
    }
  }
  int sweepsOfCups = 3;
  if (const char* n = std::getenv("TAVRO_BENCH_SWEEPS"); n && std::atoi(n) > 0)
    sweepsOfCups = std::atoi(n);
  using Clock = std::chrono::steady_clock;
  std::vector<double> ours, cups;
  long oursConstrained = 0, cupsConflicted = 0;
  for (auto _ : state) {
    double spent = 0;
    while (ours.size() < 5 || spent < 1.0) {
      long constrained = 0;
      const auto t0 = Clock::now();
      for (const auto& [keyword, option] : choices)
        constrained += doc.IsKVConstrained(keyword.c_str(), option.c_str());
      const double s = std::chrono::duration<double>(Clock::now() - t0).count();
      benchmark::DoNotOptimize(constrained);
      ours.push_back(s);
      spent += s;
      oursConstrained = constrained;
    }
    for (int sweep = 0; sweep < sweepsOfCups; ++sweep) {
      long conflicted = 0;
      const auto t0 = Clock::now();
      for (const CupsChoice& c : cupsChoices) {
        ppdMarkOption(ppd, c.keyword, c.choice);
        conflicted += ppdConflicts(ppd) > 0;
        ppdMarkOption(ppd, c.keyword, c.original);
      }
      cups.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
      cupsConflicted = conflicted;
    }
  }
  ppdClose(ppd);
  const double oursSweep = Median(ours), cupsSweep = Median(cups);
  state.counters["choices"] = static_cast<double>(choices.size());
  state.counters["libcups_choices"] = static_cast<double>(cupsChoices.size());
  state.counters["ours_s_per_sweep"] = oursSweep;
  state.counters["libcups_s_per_sweep"] = cupsSweep;
  state.counters["ours_us_per_choice"] = oursSweep / static_cast<double>(choices.size()) * 1e6;
  state.counters["libcups_us_per_choice"] =
      cupsSweep / static_cast<double>(cupsChoices.size()) * 1e6;
  state.counters["libcups_over_ours"] = oursSweep > 0 ? cupsSweep / oursSweep : 0;
  state.counters["ours_constrained"] = static_cast<double>(oursConstrained);
  state.counters["libcups_conflicted"] = static_cast<double>(cupsConflicted);
}
#pragma GCC diagnostic pop
BENCHMARK(BM_ConstraintSweepDocumentVsLibcups)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
