// Reader of binary property lists ("bplist00"). Binary lists come from
// outside (files, other programs), so every offset, count and reference is
// checked; reference cycles, deep nesting and lists that would expand
// through shared references beyond a fixed number of values are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/PropertyList.h"

// True when the bytes start like a binary property list.
bool IsBinaryPropertyList(std::string_view bytes);

// The list's value, or nullopt with the reason in `error` (when given).
// Sets are not property-list values and are refused, as are keys that are
// not text and text that is not valid Unicode.
std::optional<PlistValue> ReadBinaryPropertyList(std::string_view bytes, std::string* error);
