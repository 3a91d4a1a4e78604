#include "platform/CFString.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool HostIsLittleEndian() {
  const uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

void AppendUTF16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

// Decodes UTF-8; each invalid sequence becomes U+FFFD. Returns false when any
// replacement was needed.
bool DecodeUTF8(std::string_view text, std::u16string& out) {
  bool clean = true;
  size_t i = 0;
  const size_t n = text.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < n) {
    unsigned char b = byte(i);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra = (b >= 0xC2 && b <= 0xDF)   ? 1
                : (b >= 0xE0 && b <= 0xEF) ? 2
                : (b >= 0xF0 && b <= 0xF4) ? 3
                                           : 0;
    char32_t c = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : (b & 0x1F);
    bool ok = extra > 0;
    if (ok) {
      for (int k = 1; k <= extra; ++k) {
        if (i + k >= n || (byte(i + k) & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
      }
    }
    if (ok) {
      // Overlong forms, surrogates and values past U+10FFFF are invalid.
      if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
          (c >= 0xD800 && c <= 0xDFFF))
        ok = false;
    }
    if (!ok) {
      out.push_back(0xFFFD);
      clean = false;
      ++i;
      continue;
    }
    AppendUTF16(out, c);
    i += extra + 1;
  }
  return clean;
}

std::u32string ToUTF32(const std::u16string& units) {
  std::u32string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      out.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back(0xFFFD);  // lone surrogate
    } else {
      out.push_back(u);
    }
  }
  return out;
}

std::string EncodeUTF8(const std::u16string& units) {
  std::string out;
  out.reserve(units.size());
  for (char32_t c : ToUTF32(units)) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool IsUTF16(TextEncoding e) {
  return e == kTextEncodingUnicodeDefault || e == kTextEncodingUTF16BE || e == kTextEncodingUTF16LE;
}

std::u16string UnitsFromBytes(const unsigned char* p, size_t length, bool bigEndian) {
  std::u16string units;
  units.reserve(length / 2);
  for (size_t i = 0; i + 1 < length; i += 2)
    units.push_back(bigEndian ? static_cast<char16_t>(p[i] << 8 | p[i + 1])
                              : static_cast<char16_t>(p[i + 1] << 8 | p[i]));
  return units;
}

}  // namespace

CFString CFString::FromUTF8(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  DecodeUTF8(text, units);
  return CFString(std::move(units));
}

CFString CFString::CreateWithBytes(const void* bytes, size_t length, TextEncoding encoding) {
  if (bytes == nullptr && length > 0) return CFString();
  const char* p = static_cast<const char*>(bytes);
  if (length == 0) return CFString(std::u16string());
  if (encoding == kTextEncodingUTF8) {
    std::u16string units;
    if (!DecodeUTF8(std::string_view(p, length), units)) return CFString();
    return CFString(std::move(units));
  }
  if (IsUTF16(encoding)) {
    if (length % 2 != 0) return CFString();
    bool big = encoding == kTextEncodingUTF16BE ||
               (encoding == kTextEncodingUnicodeDefault && !HostIsLittleEndian());
    return CFString(UnitsFromBytes(reinterpret_cast<const unsigned char*>(p), length, big));
  }
  // ISO Latin-1 is the first 256 code points, and ASCII text reads the same
  // in Mac Roman and Windows Latin-1: no converter needed for those.
  const auto* bytes8 = reinterpret_cast<const unsigned char*>(p);
  const bool direct =
      encoding == kTextEncodingISOLatin1 ||
      ((encoding == kTextEncodingMacRoman || encoding == kTextEncodingWindowsLatin1) &&
       std::all_of(bytes8, bytes8 + length, [](unsigned char b) { return b < 0x80; }));
  if (direct) return CFString(std::u16string(bytes8, bytes8 + length));
  std::string utf16;
  if (!ConvertText(std::string_view(p, length), encoding, kTextEncodingUnicodeDefault, utf16))
    return CFString();
  std::u16string units(utf16.size() / 2, u'\0');
  std::memcpy(units.data(), utf16.data(), units.size() * 2);
  return CFString(std::move(units));
}

CFString CFString::CreateWithCString(const char* text, TextEncoding encoding) {
  if (text == nullptr) return CFString();
  return CreateWithBytes(text, std::strlen(text), encoding);
}

CFString CFString::CreateFromExternalRepresentation(const void* bytes, size_t length) {
  if (bytes == nullptr || length % 2 != 0) return CFString();
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  bool big = !HostIsLittleEndian();
  if (length >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    big = true;
    p += 2;
    length -= 2;
  } else if (length >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    big = false;
    p += 2;
    length -= 2;
  }
  return CFString(UnitsFromBytes(p, length, big));
}

std::optional<std::string> CFString::GetBytes(TextEncoding encoding, char lossByte) const {
  if (null_) return std::nullopt;
  if (encoding == kTextEncodingUTF8) return EncodeUTF8(units_);
  if (IsUTF16(encoding)) {
    bool big = encoding == kTextEncodingUTF16BE ||
               (encoding == kTextEncodingUnicodeDefault && !HostIsLittleEndian());
    std::string out;
    out.reserve(units_.size() * 2);
    for (char16_t u : units_) {
      char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
      out.push_back(big ? hi : lo);
      out.push_back(big ? lo : hi);
    }
    return out;
  }
  // Through UTF-8, so lone surrogates are already replaced.
  std::string out;
  if (!ConvertText(EncodeUTF8(units_), kTextEncodingUTF8, encoding, out, lossByte))
    return std::nullopt;
  return out;
}

bool CFString::GetCString(char* buffer, size_t size, TextEncoding encoding) const {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  auto bytes = GetBytes(encoding);
  if (!bytes || bytes->size() + 1 > size) return false;
  std::memcpy(buffer, bytes->data(), bytes->size());
  buffer[bytes->size()] = '\0';
  return true;
}

std::string CFString::UTF8() const {
  return EncodeUTF8(units_);
}

std::u32string CFString::UTF32() const {
  return ToUTF32(units_);
}

std::vector<uint8_t> CFString::CreateExternalRepresentation() const {
  std::vector<uint8_t> out;
  out.reserve(2 + units_.size() * 2);
  auto put = [&](char16_t u) {
    uint8_t two[2];
    std::memcpy(two, &u, 2);
    out.push_back(two[0]);
    out.push_back(two[1]);
  };
  put(0xFEFF);
  for (char16_t u : units_) put(u);
  return out;
}

int32_t CFString::IntValue() const {
  size_t i = 0;
  while (i < units_.size() &&
         (units_[i] == u' ' || units_[i] == u'\t' || units_[i] == u'\n' || units_[i] == u'\r'))
    ++i;
  bool negative = false;
  if (i < units_.size() && (units_[i] == u'+' || units_[i] == u'-')) negative = units_[i++] == u'-';
  int64_t value = 0;
  bool any = false;
  while (i < units_.size() && units_[i] >= u'0' && units_[i] <= u'9') {
    any = true;
    if (value <= static_cast<int64_t>(INT_MAX) + 1) value = value * 10 + (units_[i] - u'0');
    ++i;
  }
  if (!any) return 0;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int32_t>(value);
}

double CFString::DoubleValue() const {
  std::string ascii;
  for (char16_t u : units_) {
    if (u >= 0x80) break;
    ascii.push_back(static_cast<char>(u));
  }
  char* end = nullptr;
  double v = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() ? 0.0 : v;
}
