// links: tavro_textconverter
// Hex decoding and the text converter over arbitrary bytes. Byte 0 picks the
// source encoding and the in-place capacity; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "TextConverter/DehexBufferFill.h"
#include "TextConverter/TextConverter.h"
#include "TextConverter/ppdStringConvert.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const TextEncoding kSources[] = {
    kTextEncodingMacRoman,  kTextEncodingISOLatin1,     kTextEncodingISOLatin2,
    kTextEncodingISOLatin5, kTextEncodingWindowsLatin1, kTextEncodingShiftJIS,
    kTextEncodingUTF8,      kTextEncodingUnknown,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const TextEncoding source = kSources[data[0] % 8];
  const TextEncoding target = (data[0] & 0x80) ? kTextEncodingShiftJIS : kTextEncodingMacRoman;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);  // NULs kept

  // Decoding never writes more than the text and its NUL.
  std::vector<char> out(text.size() + 2, '\x5A');
  size_t n = DehexBufferFill(text.c_str(), out.data());
  Check(n >= 1 && n <= std::strlen(text.c_str()) + 1);
  Check(out[n - 1] == '\0');
  Check(out[text.size() + 1] == '\x5A');

  TextConverter converter(source, target);
  CFString s = converter.ConvertToCFString(text.c_str(), static_cast<long>(text.size()));
  Check(!s.IsNull());
  CFString limited = converter.ConvertToCFString(text.data(), static_cast<long>(data[0] % 16));
  Check(!limited.IsNull());

  // In place with a capacity below, at or above the text's length.
  const long capacity = 1 + static_cast<long>(data[0] >> 3) % (static_cast<long>(text.size()) + 8);
  std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\x5A');
  std::memcpy(buffer.data(), text.data(),
              text.size() < static_cast<size_t>(capacity) ? text.size()
                                                          : static_cast<size_t>(capacity));
  if (text.size() < static_cast<size_t>(capacity)) buffer[text.size()] = '\0';
  converter.Convert(buffer.data(), capacity);
  Check(buffer[static_cast<size_t>(capacity)] == '\x5A');

  if (converter.ValidConverter()) {
    TextConversion context(source, target);
    std::string converted;
    size_t length = data[0] % 40;
    ppdStringConvert(&context, text.c_str(), converted, length);
    Check(length == converted.size());
  }

  char cstring[64];
  TextConverter::CFStringToCstring(s, cstring, 1 + data[0] % 63);
  Check(std::strlen(cstring) < 64);
  return 0;
}
