// The inspection snapshot as JSON for scripts: keys in a fixed order, two
// spaces of indentation, strings escaped by JsonQuote. No JSON library: the
// output needs only objects, arrays, strings, numbers, booleans and null.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "inspect/PPDInspectModel.h"

// The text as a JSON string literal, quotes included: '"' and '\' escaped,
// control characters as \n, \t ... or \u00XX, bytes that are not UTF-8 as
// U+FFFD; everything else is kept as UTF-8.
std::string JsonQuote(std::string_view text);

void WriteInspectJson(std::ostream& out, const InspectModel& model);
