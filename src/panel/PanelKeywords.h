// Which features the panel treats specially: two-way ("Bidi") keywords, the
// colour-management (Tintvane) controls, the features never offered in the
// Quick Access pane, and what the administrator's device-management template
// hides or locks.
#pragma once

#include <string_view>

class PPDXControl;

// Width of one entry of the fixed keyword tables.
constexpr size_t kPanelKeywordField = 64;

// Longer than 4 characters and ending in "Bidi".
bool isBidiKeyword(const char* keyword);
// Exact match against the 12 expert colour-management keywords.
bool isExpertTintvaneControl(const char* keyword);
// Contains one of the 3 special colour-management keywords.
bool isSpecialTintvaneControl(const char* keyword);
// Exact match against the 63 keywords the Quick Access pane never offers.
bool isQuickAccessExcluded(const char* keyword);
// Whether a control may appear in the Quick Access pane.
bool IsValidBasicPanelControl(PPDXControl* control);

// Whether the template's UI-Modification category shows the feature with
// value "False" (hidden) or locks it with value "True". The keyword's leading
// "*" is ignored; any missing piece answers false.
bool dmtHides(std::string_view dmtXml, const char* keyword);
bool dmtLocks(std::string_view dmtXml, const char* keyword);
