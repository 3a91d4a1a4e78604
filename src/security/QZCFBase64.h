// Base64 between byte data and platform strings.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/CFString.h"

// The Base64 text of the data, without line breaks; the empty string for no
// data.
CFString QZCFBase64CreateEncodedString(const std::vector<uint8_t>& data);
// The bytes of a Base64 text. A text shorter than 4 characters gives empty
// data; a null text, characters outside ASCII or malformed Base64 give nullopt.
std::optional<std::vector<uint8_t>> QZCFBase64CreateDecodedData(const CFString& text);
