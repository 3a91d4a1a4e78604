// The platform's immutable Unicode string: UTF-16 code units inside, with a
// null state that stands for a missing string (a null string reference).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextEncoding.h"

class CFString {
 public:
  CFString() = default;  // the null string
  explicit CFString(std::u16string units) : units_(std::move(units)), null_(false) {}

  // Literal ASCII / UTF-8 text (never null; invalid UTF-8 bytes become U+FFFD).
  static CFString FromUTF8(std::string_view text);
  // Bytes in the given encoding; null when they cannot be decoded.
  static CFString CreateWithBytes(const void* bytes, size_t length, TextEncoding encoding);
  // A NUL-terminated text; null for a null pointer or undecodable bytes.
  static CFString CreateWithCString(const char* text, TextEncoding encoding);
  // External representation: UTF-16 with a byte-order mark (either order; host
  // order assumed without a mark). Null for a null buffer or odd length.
  static CFString CreateFromExternalRepresentation(const void* bytes, size_t length);

  bool IsNull() const { return null_; }
  explicit operator bool() const { return !null_; }
  bool Empty() const { return units_.empty(); }
  size_t Length() const { return units_.size(); }  // UTF-16 units
  const std::u16string& Units() const { return units_; }

  // The text in an encoding. With lossByte 0, nullopt when any character cannot
  // be represented; otherwise such characters become lossByte.
  std::optional<std::string> GetBytes(TextEncoding encoding, char lossByte = 0) const;
  // Into a buffer of `size` bytes with a terminating NUL; false (buffer
  // holding the empty text when size > 0) when it cannot convert or fit.
  bool GetCString(char* buffer, size_t size, TextEncoding encoding) const;
  std::string UTF8() const;  // lossless
  std::u32string UTF32() const;

  // UTF-16 with a byte-order mark, host order; unrepresentable units never occur.
  std::vector<uint8_t> CreateExternalRepresentation() const;

  // Integer value as the classic call gave it: optional white space, sign and
  // decimal digits; 0 when nothing parses.
  int32_t IntValue() const;
  double DoubleValue() const;

  bool operator==(const CFString& other) const {
    return null_ == other.null_ && units_ == other.units_;
  }
  bool operator!=(const CFString& other) const { return !(*this == other); }
  bool operator<(const CFString& other) const { return units_ < other.units_; }

 private:
  std::u16string units_;
  bool null_ = true;
};

// Shorthand for literal text in code and tests.
inline CFString CFSTR(std::string_view text) {
  return CFString::FromUTF8(text);
}
