// links: tavro_core
// Arbitrary bytes parsed as a PPD; a panel over it, with two-way on or off,
// custom paper from the system or not, the extra lists, the paper catalog
// and a watermark filled, writes its whole print-time output into a job
// ticket. Every job note carries the byte-order-mark marker and
// parentheses. The saved ticket must read back as the pairs that went in.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/PropertyListFile.h"
#include "panel/PDEData.h"
#include "panel/QZVJobNoteList.h"
#include "panel/QZVJobTicket.h"
#include "panel/QZVWatermark.h"
#include "platform/CFString.h"
#include "platform/Log.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"

namespace {
const std::filesystem::path& InputPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("fuzz_postscript_output." + std::to_string(static_cast<long>(getpid())) + ".ppd");
  return path;
}

// The working copy of the PPD and the system root go into a folder of this
// process.
const std::filesystem::path& ProcessFolder() {
  static const std::filesystem::path path = [] {
    std::filesystem::path folder = InputPath();
    folder += ".d";
    std::error_code ignored;
    std::filesystem::create_directories(folder / "root", ignored);
    ::setenv("TMPDIR", folder.c_str(), 1);
    SetTavroRoot((folder / "root").string());
    return folder;
  }();
  return path;
}

void RemoveFiles() {
  std::error_code ignored;
  std::filesystem::remove(InputPath(), ignored);
  std::filesystem::remove_all(ProcessFolder(), ignored);
}

std::string NoLogin() {
  return "Fuzz User";
}

// The preferences list in memory.
std::optional<std::u32string> gStored;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready =
      (SetLogPause(false), ProcessFolder(), std::atexit(RemoveFiles),
       SetFullUserNameSource(NoLogin), SetSystemMinorVersion(kNewestSystemMinorVersion),
       SetPreferencesChannel(
           PreferencesChannel{[]() -> std::optional<std::u32string> { return gStored; },
                              [](const std::string&, const std::string& text) {
                                gStored = CFString::FromUTF8(text).UTF32();
                                return PreferencesSendResult::kCompleted;
                              }}),
       true);
  (void)ready;
  const std::filesystem::path& path = InputPath();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  const uint8_t choice = size ? data[size - 1] : 0;
  gStored.reset();
  ClearEndOfPPDLatch();
  {
    QZVPPD document(path, kParseOrphansAndHidden);
    PDEData panel(&document, CFSTR("FUZZQ"), nullptr);
    panel.SetIPAddressEnabled((choice & 1) != 0);
    panel.customPaperFromOS = (choice & 2) ? 1 : 0;
    panel.osOrientation = (choice >> 2) % 5;
    PMPrintSettings settings;
    settings.SetString("com.apple.print.JobInfo.PMJobName", "fuzz job");
    PMPageFormat format;
    format.SetOrientation(static_cast<PMOrientation>(1 + (choice >> 4) % 4));
    panel.printSettings = &settings;
    panel.pageFormat = &format;
    panel.mixedMedia.Append(L"*QZMixedMedia", L"1-2:\u00e9");
    panel.padCovers.Append(L"QZPadCover", std::wstring(300, L'x'));
    panel.slipSheets.Append(L"QZSlipSheet", L"Blue");
    panel.coverPages.Append(L"QZCoverPage", L"Back");
    panel.paperCatalog[0].SetValue(L"12");
    panel.paperCatalog[3].SetValue(L"\u65e5\u672c");
    panel.watermarks->Clear();
    panel.watermarks->Append(
        std::make_unique<QZVWatermark>("0,0,0,0,0,0,0,1,0,0,0,0,12,Times-Roman,Fuzz (text)"));
    panel.watermarks->selected = (choice & 0x40) ? 0 : 5;
    if (PPDXControls* controls = document.GetControls()) {
      int n = 0;
      for (PPDXJobNote* note = controls->FirstJobNote(); note; note = controls->NextJobNote())
        note->SetNotes(++n % 2 ? "EFBBBF(a)(b)EFBBBF" : "");
    }
    QZVJobTicket ticket(nullptr, &settings, CFSTR("QZV.PSData.fuzz"));
    panel.OutPostscriptData(ticket, nullptr);
    const std::string xml = ticket.Save();
    std::vector<TicketEntry> back;
    if (!ParseTicketEntries(xml, back) || back != ticket.Entries()) std::abort();
  }
  gQZVPPD = nullptr;
  ClearEndOfPPDLatch();
  return 0;
}
