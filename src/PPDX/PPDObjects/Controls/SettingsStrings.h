// Text items of a settings store, as the model classes read them back.
#pragma once

#include <memory>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "foundation/CString.h"
#include "platform/CFString.h"

// The item's bytes as a CString (cut at the first NUL, like any C text); null
// when the item is missing or empty.
std::unique_ptr<CString> GetSettingsString(Settings& settings, unsigned int tag, int id);
// The item read as an external representation (UTF-16 with byte-order mark);
// the null string when the item is missing, empty or not readable as such.
CFString GetSettingsCFString(Settings& settings, unsigned int tag, int id);
