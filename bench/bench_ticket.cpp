// The print-time output: the panel writes every feature of the generated
// vendor PPD (400 pick-one keys of 20 choices) into a job ticket and saves it
// as its property list; libcups, given the same choices as options, marks
// them and emits the code of every section order. Both work on a document
// read once beforehand.
//
//   ninja -C build tavro_bench && build/bench/tavro_bench --benchmark_filter=Ticket
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>
#pragma GCC diagnostic pop

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PopupItem.h"
#include "ParseOnce.h"
#include "panel/PDEData.h"
#include "panel/QZVJobTicket.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// Key k takes its choice k mod 20 (option 0 is every key's default).
std::vector<std::pair<std::string, std::string>> Choices(QZVPPD& doc) {
  std::vector<std::pair<std::string, std::string>> out;
  PPDXControls* controls = doc.GetControls();
  if (!controls) return out;
  long k = 0;
  for (PPDXPopupControl* p = controls->FirstPopupControl(); p; p = controls->NextPopupControl()) {
    const long wanted = k++ % std::max(1L, p->ItemCount());
    long i = 0;
    for (_PopupItem* item = p->FirstItem(); item; item = p->NextItem(), ++i)
      if (i == wanted && p->Keyword() && item->Keyword())
        out.emplace_back(p->Keyword(), item->Keyword());
  }
  return out;
}

// Thread CPU time: the machine is shared, so wall time mostly measures the
// others.
double Now() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Median CPU time of one ticket each way, and the ratio (libcups / ours).
void BM_TicketOutputVsLibcups(benchmark::State& state) {
  SetLogPause(false);
  const std::string& path = GeneratedVendorPPD();
  if (path.empty()) {
    state.SkipWithError("no generated PPD");
    return;
  }
  ClearEndOfPPDLatch();
  QZVPPD doc(path, kParseOrphansAndHidden);
  const auto choices = Choices(doc);
  ppd_file_t* ppd = ppdOpenFile(path.c_str());
  if (choices.empty() || !ppd) {
    state.SkipWithError("the generated PPD gave no pop-ups, or libcups could not read it");
    if (ppd) ppdClose(ppd);
    return;
  }
  PPDXControls* controls = doc.GetControls();
  for (const auto& [keyword, option] : choices)
    if (PPDXPopupControl* p = controls->FindPopup(keyword.c_str(), true))
      p->SetCurrentControlWithCFString(CFString::FromUTF8(option));
  cups_option_t* options = nullptr;
  int count = 0;
  for (const auto& [keyword, option] : choices)
    count = cupsAddOption(keyword.c_str() + 1, option.c_str(), count, &options);
  ppdMarkDefaults(ppd);

  PDEData panel(&doc, CFString(), nullptr);
  PMPrintSettings settings;
  panel.printSettings = &settings;
  std::vector<double> ours, cups;
  size_t oursBytes = 0, cupsBytes = 0;
  const ppd_section_t sections[] = {PPD_ORDER_EXIT, PPD_ORDER_JCL,    PPD_ORDER_DOCUMENT,
                                    PPD_ORDER_ANY,  PPD_ORDER_PROLOG, PPD_ORDER_PAGE};
  for (auto _ : state) {
    for (int round = 0; round < 20; ++round) {
      double t0 = Now();
      {
        QZVJobTicket ticket(nullptr, &settings, CFSTR("QZV.PSData.bench"));
        panel.OutPostscriptData(ticket, nullptr);
        oursBytes = ticket.Save().size();
      }
      ours.push_back(Now() - t0);

      t0 = Now();
      cupsMarkOptions(ppd, count, options);
      size_t bytes = 0;
      for (ppd_section_t section : sections) {
        if (char* code = ppdEmitString(ppd, section, 0.0)) {
          bytes += std::strlen(code);
          std::free(code);
        }
      }
      cupsBytes = bytes;
      cups.push_back(Now() - t0);
    }
  }
  const double o = Median(ours), c = Median(cups);
  state.counters["ours_us"] = o * 1e6;
  state.counters["libcups_us"] = c * 1e6;
  state.counters["ratio"] = o > 0 ? c / o : 0;
  state.counters["ours_bytes"] = static_cast<double>(oursBytes);
  state.counters["libcups_bytes"] = static_cast<double>(cupsBytes);
  cupsFreeOptions(count, options);
  ppdClose(ppd);
}
BENCHMARK(BM_TicketOutputVsLibcups)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
