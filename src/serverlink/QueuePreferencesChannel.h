// The printing system's side of the preferences list: the current printer's
// queue PPD carries the "DriverPreference" message, and "Command_QZVPrefs"
// jobs replace it.
#pragma once

#include "foundation/PropertyListFile.h"

PreferencesChannel QueuePreferencesChannel();
// The channel installed for the process when there is one, else the queue's.
PreferencesChannel PreferencesChannelInUse();
