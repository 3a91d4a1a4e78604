// Conversion of one PPD text (hex substrings decoded first) through a
// conversion context, with an output that grows as the converter asks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/TextEncoding.h"

// Status of an empty text: nothing to convert.
constexpr int32_t kPPDStringEmpty = 5000;
// The smallest output area handed to the converter.
constexpr size_t kConvertMinimumOutput = 32;

// Converts `length` bytes of `in` with the context into `out` (replacing its
// contents). The output starts at `initialSize` bytes (at least 32) and grows
// by that first size each time the converter reports a full output; after the
// input the converter is flushed. Returns the converter's status.
int32_t convertText(TextConversion& context, const char* in, size_t length, std::string& out,
                    size_t initialSize);

// Decodes the hex substrings of the NUL-terminated text and converts the
// decoded bytes (the terminating NUL included; one byte less when the target
// is Shift-JIS and that count is odd). Without a context the text is copied
// unchanged. `length` is in: the first output size, out: the output length.
// An empty or null text gives kPPDStringEmpty and converts nothing.
int32_t ppdStringConvert(TextConversion* context, const char* text, std::string& out,
                         size_t& length);
