// Wide texts (32-bit wchar_t) as the job properties component exchanges them,
// and their UTF-8 form in the panel's fixed-width records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 to wide; a byte that starts no valid sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Wide to UTF-8; a value that is no Unicode scalar becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
// Writes `text` as UTF-8 into a field of `width` bytes, always terminated, cut
// before the first character that would not fit whole. Answers the bytes
// written (without the terminator).
size_t WriteUtf8Field(char* field, size_t width, std::string_view utf8);
// The text of a fixed field: up to its first NUL or its width.
std::string_view FieldText(const char* field, size_t width);
// A wide text as the section payloads hold it (32-bit units) made wchar_t.
std::wstring ToWide(std::u32string_view text);
// The length of a wide C text, looking at most `limit` characters far.
size_t BoundedWcslen(const wchar_t* text, size_t limit);
