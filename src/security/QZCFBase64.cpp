#include "security/QZCFBase64.h"

#include <string>

#include "security/Base64.h"

CFString QZCFBase64CreateEncodedString(const std::vector<uint8_t>& data) {
  if (data.empty()) return CFSTR("");
  std::string text(Base64Encoder::EncodedLength(data.size(), false) + 1, '\0');
  const long n = Base64Encoder::Encode(data.data(), data.size(), text.data(), text.size(), false);
  if (n < 0) return CFString();
  text.resize(size_t(n));
  return CFString::FromUTF8(text);
}

std::optional<std::vector<uint8_t>> QZCFBase64CreateDecodedData(const CFString& text) {
  if (text.IsNull()) return std::nullopt;
  if (text.Length() < 4) return std::vector<uint8_t>();
  std::string ascii;
  ascii.reserve(text.Length());
  for (char16_t unit : text.Units()) {
    if (unit > 0x7F) return std::nullopt;
    ascii.push_back(char(unit));
  }
  std::vector<uint8_t> data(Base64Decoder::MaxDecodedLength(ascii.size()));
  const long n = Base64Decoder::Decode(ascii.data(), ascii.size(), data.data(), data.size());
  if (n < 0) return std::nullopt;
  data.resize(size_t(n));
  return data;
}
