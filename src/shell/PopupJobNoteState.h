// The accounting pop-up's process-wide state, as far as the panel's
// lifecycle uses it, and the seam through which printing asks for the
// accounting notes. Until the pop-up's window exists the seam answers
// "print".
#pragma once

#include <functional>
#include <string>

struct PopupJobNoteState {
  std::string fileName;
  bool defaultsPressed = false;
  bool initialized = false;
  // Set by the PPD reader when a control is a pop-up note.
  bool FoundOne() const;
};

PopupJobNoteState& PopupJobNotes();
// Panel creation: file name, the five keywords and saved texts empty,
// defaults-pressed off, saved enable "0", setting "1", show-last "0",
// Japanese off, not initialised, none found.
void ResetPopupJobNoteState();
// Initialised and found no pop-up note: the accounting steps are skipped.
bool PopupJobNotesAbsent();

// Asks the user for the accounting notes; false cancels the print.
using AccountingPrompt = std::function<bool()>;
// Replaces the prompt (null: the default that answers "print"); answers the
// previous one.
AccountingPrompt SetAccountingPrompt(AccountingPrompt prompt);
bool handlePopupJobnoteUI();
// Stores the notes' current texts for the next print; the pop-up's window
// supplies it, until then nothing is written.
using AccountingPrefsWriter = std::function<void()>;
AccountingPrefsWriter SetAccountingPrefsWriter(AccountingPrefsWriter writer);
void writePrefsFile();
