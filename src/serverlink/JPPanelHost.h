// The panel's real answers for a job properties session: its two-way data
// copy, the destination PPD's local presets message, and printer commands
// sent to the current printer and waited for.
#pragma once

#include <functional>
#include <string>

#include "serverlink/JPSessionHost.h"

class TwoWayData;

// `twoWay` must outlive the sessions run with the result. `dmtXml` gives the
// feature document's DMT text and `windowTitle` the localized title (both may
// be empty functions).
JPSessionHost MakePanelJPSessionHost(const TwoWayData* twoWay, std::function<std::string()> dmtXml,
                                     std::function<std::string()> windowTitle);
