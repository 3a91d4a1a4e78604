#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"

bool gPopupJobNotesFoundOne = false;
bool gPopupJobNotesDoneInitializing = false;
