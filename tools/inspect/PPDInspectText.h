// The inspection snapshot as plain text: the identity block, the page tree
// (property pages, scroll panes, roll-downs, controls), the groups, the
// controls outside any roll-down, shortcuts, special options, constraint
// counts, the errors and the verdict.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "inspect/PPDInspectModel.h"

// Text between double quotes with '"', '\' and control characters escaped
// C-style, so that blanks at the ends of a translation stay visible.
std::string TextQuote(std::string_view text);

// The identity block alone (the first lines of the full text).
void WriteInspectIdentity(std::ostream& out, const InspectModel& model);
void WriteInspectText(std::ostream& out, const InspectModel& model);
// The one-line verdict of --check.
void WriteInspectVerdict(std::ostream& out, const InspectModel& model);
