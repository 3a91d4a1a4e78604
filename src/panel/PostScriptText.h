// Text helpers of the feature output: the byte-order-mark marker, the
// parenthesis escapes of a PostScript string, the wide feature-line
// templates and printf-style formatting into a string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Inside stored values these six letters stand for the UTF-8 byte-order mark.
inline constexpr std::string_view kBOMMarker = "EFBBBF";
inline constexpr std::string_view kUTF8BOM = "\xEF\xBB\xBF";

// Every marker replaced by the three mark bytes.
std::string ReplaceBOMMarker(std::string_view text);

// Takes over the malloc'ed text. When `what` occurs in it, answers a new
// malloc'ed text whose first occurrence is replaced by "\050" (for "(") or
// "\051" (any other `what`) and frees the old one; otherwise answers text.
// A null text answers null; when memory runs out the text comes back as it
// was.
char* replaceWithBackslashIfNeeded(const char* what, char* text);

// The room the wide templates are formatted into, in wide characters.
inline constexpr size_t kWideFeatureLineSize = 256;

// Formats a wide template (two "%S" arguments) into kWideFeatureLineSize wide
// characters and answers its UTF-8 form; false, and out empty, when the line
// does not fit: a cut line would lose its end comment.
bool FormatWideFeatureLine(const wchar_t* format, std::wstring_view key, std::wstring_view value,
                           std::string& out);

// Wide (UTF-32) text as UTF-8; a value that is no Unicode scalar becomes
// U+FFFD.
std::string WideToUTF8(std::wstring_view text);

// printf into a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The longest prefix of text of at most `room` bytes that ends on a
// character boundary of UTF-8.
std::string_view UTF8Prefix(std::string_view text, size_t room);
