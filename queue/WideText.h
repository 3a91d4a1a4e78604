// Strict UTF-8 to 32-bit characters (host byte order), for the messages the
// panel reads back as wide text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The bytes of the wide text; nothing when `text` is not well-formed UTF-8
// (overlong forms, surrogates and values past U+10FFFF are refused).
std::optional<std::string> Utf8ToWideBytes(std::string_view text);
