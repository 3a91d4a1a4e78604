#include "shell/PopupJobNoteState.h"

#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "PPDX/PopupJnPrefs.h"
#include "foundation/EncodingSwitches.h"

namespace {
AccountingPrompt& Prompt() {
  static AccountingPrompt prompt;
  return prompt;
}
AccountingPrefsWriter& PrefsWriter() {
  static AccountingPrefsWriter writer;
  return writer;
}
}  // namespace

bool PopupJobNoteState::FoundOne() const {
  return gPopupJobNotesFoundOne;
}

PopupJobNoteState& PopupJobNotes() {
  static PopupJobNoteState state;
  return state;
}

void ResetPopupJobNoteState() {
  PopupJobNoteState& state = PopupJobNotes();
  state.fileName.clear();
  for (int slot = 0; slot < kPopupJobNoteSlots; ++slot) {
    PopupJobNotesNote(slot).clear();
    PopupJobNotesSavedNote(slot).clear();
  }
  state.defaultsPressed = false;
  gPopupJobNotesSavedEnable = '0';
  gPopupJobNotesSavedSetting = '1';
  gPopupJobNotesSavedShowLast = '0';
  gPopupJobNotesLangIsJapanese = false;
  state.initialized = false;
  gPopupJobNotesFoundOne = false;
}

bool PopupJobNotesAbsent() {
  const PopupJobNoteState& state = PopupJobNotes();
  return state.initialized && !state.FoundOne();
}

AccountingPrompt SetAccountingPrompt(AccountingPrompt prompt) {
  AccountingPrompt previous = std::move(Prompt());
  Prompt() = std::move(prompt);
  return previous;
}

bool handlePopupJobnoteUI() {
  return Prompt() ? Prompt()() : true;
}

AccountingPrefsWriter SetAccountingPrefsWriter(AccountingPrefsWriter writer) {
  AccountingPrefsWriter previous = std::move(PrefsWriter());
  PrefsWriter() = std::move(writer);
  return previous;
}

void writePrefsFile() {
  if (PrefsWriter()) PrefsWriter()();
}
