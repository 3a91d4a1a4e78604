#include "panel/QZVWatermark.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"

namespace {

constexpr size_t kDescriptionFields = 14;  // the text is what follows the 14th

// Mac Japanese, PostScript print variant (base 1, variant 4).
constexpr TextEncoding kMacJapanesePostScript = kTextEncodingMacJapanese | (4u << 16);

// The longest prefix of text that fits `room` bytes without splitting a
// UTF-8 sequence.
size_t Utf8Prefix(std::string_view text, size_t room) {
  if (text.size() <= room) return text.size();
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

std::string_view Trimmed(std::string_view field) {
  while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
  while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
  return field;
}

bool Is(const char* text, const char* word) {
  return text && std::strcmp(text, word) == 0;
}

// The resource puts the Euro glyph at 128 of its font encoding; the
// converters put the Euro at 0xA4. Only a byte that stands for a character
// of its own is moved: in GBK 0xA4 also begins and ends two-byte characters
// (the hiragana row, for one), which must stay whole.
void MoveEuro(std::string& bytes, bool twoByteLeads) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (twoByteLeads && byte >= 0x81 && byte <= 0xFE) {
      ++i;  // its second byte belongs to it
      continue;
    }
    if (byte == 0xA4) bytes[i] = static_cast<char>(0x80);
  }
}

}  // namespace

QZVWatermark::QZVWatermark(const char* description) {
  const std::string_view whole = description ? description : "";
  const size_t kept = Utf8Prefix(whole, kWatermarkDescriptionSize - 1);
  if (kept < whole.size()) problems_ |= kWatermarkFieldCut;
  std::memcpy(description_.data(), whole.data(), kept);

  std::string_view rest(description_.data(), kept);
  std::string_view fields[kDescriptionFields];
  size_t found = 0;
  bool textFollows = false;
  while (found < kDescriptionFields) {
    const size_t start = rest.find_first_not_of(',');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const size_t end = rest.find(',');
    fields[found++] = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
      break;
    }
    rest.remove_prefix(end + 1);  // the comma that ends the field
    textFollows = found == kDescriptionFields;
  }
  if (found < kDescriptionFields || !textFollows || rest.empty()) {
    problems_ |= kWatermarkMissingField;
  }

  constexpr int32_t kMost = 2147483647;  // symmetric, so that any value negates
  clearInk_ = NumberField(fields[0], -kMost, kMost) != 0;
  xOffset_ = NumberField(fields[1], -kMost, kMost);
  yOffset_ = NumberField(fields[2], -kMost, kMost);
  red_ = NumberField(fields[3], 0, 255);
  green_ = NumberField(fields[4], 0, 255);
  blue_ = NumberField(fields[5], 0, 255);
  firstPageOnly_ = fields[7] == "1";
  angleTenths_ = NumberField(fields[9], -kMost, kMost);
  fontSize_ = NumberField(fields[12], -kMost, kMost);

  if (fields[13].size() < kWatermarkFontNameSize) {
    std::copy_n(fields[13].data(), fields[13].size(), fontName_.data());
  } else {
    // A cut name would name another font: left empty, so no resource uses it.
    problems_ |= kWatermarkFieldCut | kWatermarkBadFontName;
  }
  if (found == kDescriptionFields && !IsPlainFontName(fontName_.data())) {
    problems_ |= kWatermarkBadFontName;
  }

  const size_t textKept = Utf8Prefix(rest, kWatermarkTextSize - 1);
  if (textKept < rest.size()) problems_ |= kWatermarkFieldCut;
  std::copy_n(rest.data(), textKept, text_.data());
}

int32_t QZVWatermark::NumberField(std::string_view field, int32_t minimum, int32_t maximum) {
  const std::string_view digits = Trimmed(field);
  if (digits.empty()) return 0;  // a missing field, already reported
  size_t at = 0;
  const bool negative = digits[0] == '-';
  if (digits[0] == '-' || digits[0] == '+') at = 1;
  if (at == digits.size()) {
    problems_ |= kWatermarkNotANumber;
    return 0;
  }
  int64_t value = 0;
  bool beyond = false;
  for (; at < digits.size(); ++at) {
    const char c = digits[at];
    if (c < '0' || c > '9') {
      problems_ |= kWatermarkNotANumber;
      return 0;
    }
    if (value < 100000000000LL) {
      value = value * 10 + (c - '0');
    } else {
      beyond = true;
    }
  }
  if (negative) value = -value;
  if (beyond || value < minimum || value > maximum) {
    problems_ |= kWatermarkOutOfRange;
    return value < minimum ? minimum : maximum;
  }
  return static_cast<int32_t>(value);
}

void QZVWatermark::SetFirstPageOnly(const wchar_t* value) {
  firstPageOnly_ = value && std::wcscmp(value, L"True") == 0;
}

bool QZVWatermark::IsCIDFontName(const char* fontName) {
  const size_t n = fontName ? std::strlen(fontName) : 0;
  return n >= 2 && fontName[n - 2] == '-' && (fontName[n - 1] == 'H' || fontName[n - 1] == 'V');
}

bool QZVWatermark::IsPlainFontName(const char* fontName) {
  const size_t n = fontName ? std::strlen(fontName) : 0;
  if (n == 0 || n >= kWatermarkFontNameSize) return false;
  for (size_t i = 0; i < n; ++i) {
    const char c = fontName[i];
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '+';
    if (!plain) return false;
  }
  return true;
}

const char* QZVWatermark::GetWMTextInHex(const char* language, const char* fontName) {
  if (hexText_[0] != '\0') return hexText_.data();
  TextEncoding target = kTextEncodingISOLatin9;
  bool moveEuro = true;
  bool twoByteLeads = false;
  if (Is(language, "Chinese")) {
    target = kTextEncodingGBK;
    twoByteLeads = true;
  } else if (Is(language, "Japanese") && IsCIDFontName(fontName)) {
    // The conversion library has no Mac table; Windows Japanese is the
    // nearest (Shift-JIS with ASCII kept and the vendor rows).
    target = IconvNameForEncoding(kMacJapanesePostScript) ? kMacJapanesePostScript
                                                          : kTextEncodingDOSJapanese;
    moveEuro = false;
  }
  const std::string_view text(text_.data());
  std::string converted;
  if (!ConvertText(text, kTextEncodingUTF8, target, converted)) {
    if (!ConvertText(text, kTextEncodingUTF8, target, converted, '?')) {
      problems_ |= kWatermarkTextNotConverted;
      return hexText_.data();
    }
    problems_ |= kWatermarkTextReplaced;
  }
  if (moveEuro) MoveEuro(converted, twoByteLeads);
  if (converted.size() >= kWatermarkTextSize) {
    converted.resize(kWatermarkTextSize - 1);
    problems_ |= kWatermarkFieldCut;
  }
  text_.fill('\0');
  std::memcpy(text_.data(), converted.data(), converted.size());
  // Two digits a byte: a single digit for a byte below 0x10 would shift
  // every later byte of the string by half a byte.
  static const char kDigits[] = "0123456789ABCDEF";
  size_t at = 0;
  for (unsigned char byte : converted) {
    hexText_[at++] = kDigits[byte >> 4];
    hexText_[at++] = kDigits[byte & 0x0F];
  }
  hexText_[at] = '\0';
  return hexText_.data();
}
