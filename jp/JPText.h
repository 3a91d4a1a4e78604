// Wide text helpers of the component.
#pragma once

#include <string>
#include <string_view>

namespace jp {
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);  // ASCII-safe; other bytes decoded as UTF-8
// A wide C text read at most `limit` characters far; empty for null.
std::wstring_view Bounded(const wchar_t* text, size_t limit = 1u << 16);
}  // namespace jp
