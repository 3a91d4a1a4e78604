// Process-wide flags of the accounting pop-up job notes that decide whether a
// pop-up menu's default override counts (see PPDXPopupControl::DefaultValue).
#pragma once

// Set as soon as a job note with the PopupJN flag is inspected.
extern bool gPopupJobNotesFoundOne;
// Set by the panel once the pop-up job notes are set up.
extern bool gPopupJobNotesDoneInitializing;
