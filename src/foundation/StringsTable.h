// A localized string table in the text format of ".strings" files:
//   /* comment */  "key" = "value";   // comment
// UTF-8 (with or without a byte-order mark) or UTF-16 with a byte-order mark.
// Escapes inside quotes: \" \\ \n \t \r \0 and \Uhhhh / \uhhhh. Bare words of
// letters, digits and _ . - $ : / may stand unquoted; `"key";` maps a key to
// itself. A table with a syntax error is refused as a whole, as a half-read
// table would give some keys their translation and others not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "platform/CFString.h"

class StringsTable {
 public:
  // The parsed table, or nullopt with a reason ("line N: ...") in *error.
  static std::optional<StringsTable> Parse(std::span<const uint8_t> bytes,
                                           std::string* error = nullptr);
  // Reads and parses a file; nullopt when it is missing, unreadable or bad
  // (the last two are logged with the file name).
  static std::optional<StringsTable> Load(const std::filesystem::path& file);

  // The value for a key; a null string when the table has none.
  CFString Find(const CFString& key) const;
  size_t Size() const { return entries_.size(); }

 private:
  std::map<std::u16string, std::u16string> entries_;
};
