// links: tavro_core
// Arbitrary bytes as the administrator's template injected into a small PPD
// with job notes and a custom print size; the panel applies its presets and
// lists the keys it hides. Whatever the template, the lists stay within their
// capacities, the counts written are the lists' counts, mixed-media keys and
// hidden keys carry exactly one leading "*".
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/DisplayOptions.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/SDMAlloc.h"

namespace {

void Check(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_nonps_dmt: check on line %d failed\n", line);
  std::abort();
}
#define CHECK(condition) Check((condition), __LINE__)

const std::filesystem::path& Folder() {
  static const std::filesystem::path path = [] {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "fuzz-nonps-dmt-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    ::setenv("TMPDIR", pattern.c_str(), 1);
    return std::filesystem::path(pattern);
  }();
  return path;
}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

template <size_t N>
void CheckList(const FeatureList<N>& list) {
  CHECK(list.Count() >= 0 && static_cast<size_t>(list.Count()) <= N);
  CHECK(list.At(static_cast<size_t>(list.Count())) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready =
      (SetLogPause(false), SetSDMLogToStderr(false), CFileHdlr::SetEchoToStderr(false), Folder(),
       std::atexit(RemoveFolder), true);
  (void)ready;
  // The template as the PPD's writer would store it: each byte one character.
  std::u32string xml(data, data + size);
  std::string section;
  if (!CFileHdlr::fileWriteData("*DMT_Injection", xml.data(), xml.size() * sizeof(char32_t),
                                section))
    return 0;
  const std::filesystem::path path = Folder() / "dmt.ppd";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n*PCFileName: \"FUZZ.PPD\"\n*ModelName: \"Fuzz\"\n"
           "*%QZVersion: \"1.0\"\n*%QZVGroupName FPQZNotes/Notes: True\n"
           "*%QZVGroupName FPPaperSource/Paper Source: True\n"
           "*%QZVJobNote *Notes1/Notes1: 64|Numeric\n"
           "*%QZVJobNote *Instruct/Instruct: 32|Alpha|Space\n"
           "*%ParamCustomPrintSize Width: 1 points 72 1224\n"
           "*%ParamCustomPrintSize Height: 2 points 72 1728\n"
           "*%QZVSpecialOption *DMT_Injection: False\n"
        << section << "*% End of PPD file\n";
  }
  ClearEndOfPPDLatch();
  {
    ScopedDisplayOption everything(kDisplayEverything);
    QZVPPD document(path, kParseOrphansAndHidden);
    PDEData panel(&document, CFString(), nullptr);
    PMPrintSettings settings;
    panel.printSettings = &settings;
    CHECK(panel.dmtSetNonPPDKeys() == 0);
    CHECK(panel.dmtSetNonPPDKeys() == 0);  // twice: the lists start over
    CheckList(panel.mixedMedia);
    CheckList(panel.padCovers);
    CheckList(panel.coverPages);
    CheckList(panel.slipSheets);
    // Written only when the template has presets to apply.
    if (auto count = settings.GetInteger(".MMKey")) CHECK(*count == panel.mixedMedia.Count());
    if (auto count = settings.GetInteger(".PadCov")) CHECK(*count == panel.padCovers.Count());
    CHECK(settings.Contains(".MMKey") == settings.Contains(".PadCov"));
    for (size_t i = 0; i < static_cast<size_t>(panel.mixedMedia.Count()); ++i) {
      const std::wstring& key = panel.mixedMedia.At(i)->key;
      CHECK(key.size() > 1 && key[0] == L'*' && key[1] != L'*');
    }
    std::vector<CFString> hidden;
    if (panel.fetchHiddenKeysFromDMTXML(hidden)) {
      for (const CFString& key : hidden) {
        const std::string text = key.UTF8();
        CHECK(!text.empty() && text[0] == '*' && (text.size() == 1 || text[1] != '*'));
      }
    } else {
      CHECK(document.CustomXmlData().empty() || hidden.empty());
    }
    panel.printSettings = nullptr;
  }
  ClearEndOfPPDLatch();
  return 0;
}
