// links: tavro_security
// Input: [mode][text]. Mode even: the text is a preset cipher text to decrypt
// (malformed Base64, bad padding, non-UTF-8 plain text must give null). Mode
// odd: the text is enciphered and must decipher back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "security/PresetStringCipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1 || size > 2048) return 0;
  static const CFString phrase = CFSTR("7C2E4A19-3B8D-4F06-9A51-E0D6C3B2F847");
  const CFString text =
      CFString::FromUTF8(std::string(reinterpret_cast<const char*>(bytes + 1), size - 1));
  if (bytes[0] % 2 == 0) {
    const CFString plain = QZCFCreateDecryptedString(text, phrase);
    // Whatever came out enciphers back to a text that deciphers to it.
    if (!plain.IsNull()) {
      const CFString again = QZCFCreateEncryptedString(plain, phrase);
      if (again.IsNull() || QZCFCreateDecryptedString(again, phrase) != plain) std::abort();
    }
  } else {
    const CFString cipher = QZCFCreateEncryptedString(text, phrase);
    if (cipher.IsNull() || QZCFCreateDecryptedString(cipher, phrase) != text) std::abort();
  }
  return 0;
}
