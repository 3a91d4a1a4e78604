// links: tavro_security
// Input: Base64 text, possibly malformed. Decoding into an exact-size buffer
// must either fail or give bytes that encode back to the same text modulo
// white space and padding; decoding into a smaller buffer must fail or fit.
// The platform-string form must agree with the byte form.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "security/Base64.h"
#include "security/QZCFBase64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const char* text = reinterpret_cast<const char*>(bytes);
  std::vector<unsigned char> out(Base64Decoder::MaxDecodedLength(size));
  const long n = Base64Decoder::Decode(text, size, out.data(), out.size());

  if (size > 0) {
    // A buffer one byte short of the result: refused, never overrun.
    std::vector<unsigned char> small(n > 0 ? size_t(n - 1) : 0);
    const long m = Base64Decoder::Decode(text, size, small.data(), small.size());
    if (n > 0 && m != -1) std::abort();
    if (n <= 0 && m != n) std::abort();
  }
  if (n < 0) return 0;

  // Re-encode: the significant characters come back, canonical padding added.
  std::string significant;
  for (size_t i = 0; i < size; ++i)
    if (text[i] != '\r' && text[i] != '\n' && text[i] != ' ' && text[i] != '\t' && text[i] != '=')
      significant.push_back(text[i]);
  for (bool lineBreaks : {false, true}) {
    std::string encoded(Base64Encoder::EncodedLength(size_t(n), lineBreaks) + 1, '\0');
    const long e =
        Base64Encoder::Encode(out.data(), size_t(n), encoded.data(), encoded.size(), lineBreaks);
    if (e < 0 || size_t(e) + 1 != encoded.size()) std::abort();
    std::vector<unsigned char> again(Base64Decoder::MaxDecodedLength(size_t(e)));
    const long back = Base64Decoder::Decode(encoded.data(), size_t(e), again.data(), again.size());
    if (back != n || std::memcmp(again.data(), out.data(), size_t(n)) != 0) std::abort();
    if (!lineBreaks) {
      std::string canon;
      for (char c : encoded.substr(0, size_t(e)))
        if (c != '=') canon.push_back(c);
      // Trailing bits that the text carried beyond the last byte may differ.
      if (canon.size() != significant.size()) std::abort();
      if (canon.size() > 1 &&
          canon.compare(0, canon.size() - 1, significant, 0, significant.size() - 1) != 0)
        std::abort();
    }
  }

  // Platform-string form (texts of 4 characters and more decode the same).
  std::string ascii(text, size);
  bool isAscii = true;
  for (unsigned char c : ascii) isAscii = isAscii && c < 0x80;
  if (isAscii) {
    const auto data = QZCFBase64CreateDecodedData(CFString::FromUTF8(ascii));
    if (size >= 4) {
      if (!data || data->size() != size_t(n) ||
          (n > 0 && std::memcmp(data->data(), out.data(), size_t(n)) != 0))
        std::abort();
    } else if (!data || !data->empty()) {
      std::abort();
    }
  }
  return 0;
}
