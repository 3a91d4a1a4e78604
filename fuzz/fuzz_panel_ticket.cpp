// links: tavro_core
// Arbitrary bytes parsed as a PPD; a panel is made over it (its data object
// with the working copy of the PPD, no printer) and writes everything of the
// document into a job ticket (every control's code, the job notes with their
// enciphered values) and saves it, and the saved ticket must read back as
// exactly the pairs that went in.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "panel/PDEData.h"
#include "panel/QZVJobNoteList.h"
#include "panel/QZVJobTicket.h"
#include "platform/Log.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"

namespace {
const std::filesystem::path& InputPath() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("fuzz_panel_ticket." + std::to_string(static_cast<long>(getpid())) + ".ppd");
  return path;
}

// The panel's working copy of the PPD goes into a folder of this process.
const std::filesystem::path& CopyFolder() {
  static const std::filesystem::path path = [] {
    std::filesystem::path folder = InputPath();
    folder += ".d";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    ::setenv("TMPDIR", folder.c_str(), 1);
    return folder;
  }();
  return path;
}

// Registered once both paths exist, so it runs before they are destroyed.
void RemoveFiles() {
  std::error_code ignored;
  std::filesystem::remove(InputPath(), ignored);
  std::filesystem::remove_all(CopyFolder(), ignored);
}

std::string NoLogin() {
  return "Fuzz User";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready =
      (SetLogPause(false), CopyFolder(), std::atexit(RemoveFiles), SetFullUserNameSource(NoLogin),
       SetSystemMinorVersion(kNewestSystemMinorVersion), true);
  (void)ready;
  const std::filesystem::path& path = InputPath();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  ClearEndOfPPDLatch();
  {
    QZVPPD document(path, kParseOrphansAndHidden);
    PDEData panel(&document, CFString(), nullptr);
    PPDTree tree;
    panel.GetPPDShortcuts(tree);
    for (const char* keyword : {"*QZStaple", "*PageSize", "*Duplex"}) {
      panel.dmtHides(keyword);
      panel.dmtLocks(keyword);
    }
    PMPrintSettings settings;
    settings.SetBool("com.apple.print.PrintSettings.PMLayoutNUp", true);
    settings.SetInteger("com.apple.print.PrintSettings.PMLayoutRows",
                        static_cast<int64_t>(size % 3));
    settings.SetInteger("com.apple.print.PrintSettings.PMLayoutColumns", 2);
    QZVJobTicket ticket(nullptr, &settings, CFSTR("QZV.PSData.fuzz"));
    if (PPDXControls* controls = document.GetControls()) {
      // Every note carries a text, so that every cipher path runs.
      int n = 0;
      for (PPDXJobNote* note = controls->FirstJobNote(); note; note = controls->NextJobNote())
        note->SetNotes(++n % 3 ? "Fuzz-Value-1" : "");
      CNTL_TYPE type = kNoControl;
      for (PPDXControl* control = controls->First(type); control; control = controls->Next(type))
        ticket.Add(kSiteFeature, control);
    }
    QZVJobNoteList notes(&document, size % 2 == 0);
    notes.SetOrientation(static_cast<int32_t>(size % 5));
    panel.printSettings = &settings;
    notes.outInjectionData(&ticket, &settings);
    ticket.SavePPDForAllKeys(&document, CFSTR("org.tavro.fuzz"));
    const std::string xml = ticket.Save();
    std::vector<TicketEntry> back;
    if (!ParseTicketEntries(xml, back) || back != ticket.Entries()) std::abort();
  }
  gQZVPPD = nullptr;
  ClearEndOfPPDLatch();
  return 0;
}
