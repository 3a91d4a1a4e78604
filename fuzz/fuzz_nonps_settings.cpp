// links: tavro_core
// Arbitrary bytes as print settings (an XML or binary property list) from
// which a panel over the sample PPD restores the state its PPD controls do
// not hold. Whatever the input, the lists stay within their capacities and
// their texts within their buffers, the selection names a stored watermark or
// none, and what is saved then restores to exactly the same state.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/PropertyListFile.h"
#include "panel/PDEData.h"
#include "panel/QZVWatermark.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/QZVUnisorPrinterPList.h"
#include "serverlink/SDMAlloc.h"
#include "serverlink/WideText.h"

namespace {

constexpr const char* kQueue = "FuzzQ";
// Descriptions stored for the queue: a selection may name index 0 or 1.
constexpr int kStoredWatermarks = 2;

void Check(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_nonps_settings: check on line %d failed\n", line);
  std::abort();
}
#define CHECK(condition) Check((condition), __LINE__)

struct Scratch {
  std::filesystem::path dir;
  std::optional<std::u32string> stored;
};

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

void RemoveScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(TheScratch().dir, ignored);
}

// The panel of one queue over the sample PPD, made once: its per-printer
// list lives in memory and holds two watermark descriptions.
PDEData& Panel() {
  static std::unique_ptr<QZVPPD> document;
  static std::unique_ptr<PDEData> panel = [] {
    Scratch& scratch = TheScratch();
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "fuzz-nonps-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    scratch.dir = pattern;
    std::atexit(RemoveScratch);
    ::setenv("TMPDIR", pattern.c_str(), 1);
    SetTavroRoot(pattern + "/root");
    SetLogPause(false);
    SetSDMLogToStderr(false);
    CFileHdlr::SetEchoToStderr(false);
    SetPreferencesChannel(PreferencesChannel{[] { return TheScratch().stored; },
                                             [](const std::string&, const std::string& text) {
                                               TheScratch().stored =
                                                   CFString::FromUTF8(text).UTF32();
                                               return PreferencesSendResult::kCompleted;
                                             }});

    ClearEndOfPPDLatch();
    document = std::make_unique<QZVPPD>(
        std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "TavroC750.ppd",
        kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
    auto made = std::make_unique<PDEData>(document.get(), CFSTR(kQueue), nullptr);
    const std::vector<std::string> descriptions = {
        "0,0,0,192,192,192,0,0,0,450,0,0,72,Helvetica-Bold,DRAFT",
        "0,0,0,220,40,40,0,1,0,300,0,0,96,Helvetica-Bold,URGENT"};
    if (!made->printerList->Add(CFSTR(kQueue), CFSTR("10.0.0.1"), false) ||
        !made->printerList->AddDataBlob(CFSTR(kQueue), kWatermarksDataBlock, descriptions))
      std::abort();
    return made;
  }();
  return *panel;
}

// What restoring set, in a form to compare.
struct State {
  std::vector<std::vector<std::pair<std::wstring, std::wstring>>> lists;
  int32_t selected = -1;
  bool firstPageOnly = false;
  std::vector<std::wstring> catalog;
};

template <size_t N>
std::vector<std::pair<std::wstring, std::wstring>> Entries(const FeatureList<N>& list) {
  CHECK(list.Count() >= 0 && static_cast<size_t>(list.Count()) <= N);
  std::vector<std::pair<std::wstring, std::wstring>> entries;
  for (size_t i = 0; i < static_cast<size_t>(list.Count()); ++i) {
    const FeaturePair* entry = list.At(i);
    CHECK(entry != nullptr);
    for (const std::wstring* text : {&entry->key, &entry->value}) {
      CHECK(WideToUtf8(*text).size() < 256);
      CHECK(text->find(L'\0') == std::wstring::npos);
    }
    entries.emplace_back(entry->key, entry->value);
  }
  return entries;
}

State Capture(const PDEData& panel) {
  State state;
  state.lists = {Entries(panel.mixedMedia), Entries(panel.padCovers), Entries(panel.coverPages),
                 Entries(panel.slipSheets)};
  state.selected = panel.watermarks->selected;
  CHECK(state.selected >= -1 && state.selected < kStoredWatermarks);
  if (const QZVWatermark* mark = panel.watermarks->Selected())
    state.firstPageOnly = mark->FirstPageOnly();
  for (const PaperCatalogPair& pair : panel.paperCatalog) state.catalog.push_back(pair.value);
  return state;
}

bool operator==(const State& a, const State& b) {
  return a.lists == b.lists && a.selected == b.selected && a.firstPageOnly == b.firstPageOnly &&
         a.catalog == b.catalog;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PDEData& panel = Panel();
  std::optional<PMPrintSettings> settings =
      PMPrintSettings::FromXml(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!settings) return 0;

  // Each input starts from the same panel state.
  panel.mixedMedia.Clear();
  panel.padCovers.Clear();
  panel.coverPages.Clear();
  panel.slipSheets.Clear();
  panel.watermarks->selected = -1;
  CHECK(panel.GetWatermarksFromPreferences());
  CHECK(panel.watermarks->count == kStoredWatermarks);

  panel.printSettings = &*settings;
  CHECK(panel.RestoreNonPSSettings() == 0);
  const State restored = Capture(panel);

  CHECK(panel.SaveNonPSSettings() == 0);
  CHECK(panel.RestoreNonPSSettings() == 0);
  CHECK(Capture(panel) == restored);

  // The saved keys also come back through the settings' XML form.
  std::optional<PMPrintSettings> reread = PMPrintSettings::FromXml(settings->ToXml());
  CHECK(reread.has_value());
  panel.printSettings = &*reread;
  CHECK(panel.RestoreNonPSSettings() == 0);
  const State again = Capture(panel);
  CHECK(again.lists == restored.lists && again.selected == restored.selected);
  panel.printSettings = nullptr;
  return 0;
}
