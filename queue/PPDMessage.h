// A PPD message as queue attributes: the payload deflated (level 9), cut into
// pieces of at most 158 bytes, each Base64-encoded under the message name and
// a four-digit lower-case hexadecimal piece number, then an end attribute with
// the next number and an empty value. The panel reads the pieces back from the
// queue's PPD.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using PPDUpdates = std::vector<std::pair<std::string, std::string>>;

// Appends the pieces and the end attribute. False (nothing appended) when
// compression fails.
bool EncodePPDMessage(std::string_view name, std::string_view payload, PPDUpdates& out);

// The "PPD:" lines that make cupsd store the updates: "PPD: Name=Value ...",
// an empty value written as "", each line at most `maxLine` bytes unless a
// single pair is longer.
std::vector<std::string> FormatPPDLines(const PPDUpdates& updates, size_t maxLine = 1000);
