// links: tavro_platform
// Arbitrary bytes through every supported decoder, then back out through the
// encoders, strict and lossy: no crash, no hang, and a lossless round trip for
// the single-byte encodings that map every byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/CFString.h"

namespace {
const TextEncoding kEncodings[] = {
    kTextEncodingMacRoman,  kTextEncodingISOLatin1,      kTextEncodingISOLatin2,
    kTextEncodingISOLatin5, kTextEncodingISOLatin9,      kTextEncodingWindowsLatin1,
    kTextEncodingShiftJIS,  kTextEncodingDOSJapanese,    kTextEncodingGBK,
    kTextEncodingUTF8,      kTextEncodingUnicodeDefault, kTextEncodingUTF16BE};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const TextEncoding source = kEncodings[data[0] % std::size(kEncodings)];
  const TextEncoding target = kEncodings[(data[0] / 16) % std::size(kEncodings)];
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  CFString s = CFString::CreateWithBytes(text, length, source);
  if (source == kTextEncodingISOLatin1 && s.IsNull()) std::abort();
  if (!s.IsNull()) {
    auto strict = s.GetBytes(target);
    auto lossy = s.GetBytes(target, '?');
    if (!lossy) std::abort();  // the lossy form always converts
    if (source == kTextEncodingISOLatin1 && target == source &&
        (!strict || *strict != std::string(text, length)))
      std::abort();
    char small[8];
    s.GetCString(small, sizeof small, target);
    std::vector<uint8_t> ext = s.CreateExternalRepresentation();
    if (CFString::CreateFromExternalRepresentation(ext.data(), ext.size()) != s) std::abort();
    (void)s.IntValue();
    (void)s.UTF8();
  }
  CFString literal = CFString::FromUTF8(std::string_view(text, length));
  if (literal.IsNull()) std::abort();
  (void)CFString::CreateFromExternalRepresentation(text, length);
  return 0;
}
