// links: tavro_security
// Input: [32-byte key][16-byte vector][cipher text]; short inputs get a fixed
// key and vector. Decryption with the text padding must either refuse or give
// a text that encrypts back to the very same cipher text; the raw decryption
// must refuse lengths that are not block multiples or exceed the capacity.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "security/AES256CBC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const char kFixedKey[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                     12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                     23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
  static const char kFixedIV[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
  const char* key = kFixedKey;
  const char* iv = kFixedIV;
  std::vector<char> keyCopy, ivCopy;
  if (size >= 48) {
    keyCopy.assign(bytes, bytes + 32);
    ivCopy.assign(bytes + 32, bytes + 48);
    key = keyCopy.data();
    iv = ivCopy.data();
    bytes += 48;
    size -= 48;
  }
  // The cipher text in an exact-size heap block.
  std::vector<unsigned char> cipher(bytes, bytes + size);

  std::string text;
  if (AES256CBC::DoAES256DecryptText(key, iv, cipher.data(), cipher.size(), text)) {
    if (std::memchr(text.data(), 0, text.size()) != nullptr) std::abort();
    std::vector<unsigned char> again(text.size() + 32);
    int length = int(again.size());
    AES256CBC::DoAES256Encrypt(key, iv, text.c_str(), again.data(), &length);
    if (size_t(length) != cipher.size() || std::memcmp(again.data(), cipher.data(), cipher.size()))
      std::abort();
  } else if (!text.empty()) {
    std::abort();
  }

  // Raw decryption with a capacity that is sometimes too small.
  const int capacity = int(size % 3 == 0 ? size : size / 2);
  std::vector<char> plain(size_t(capacity) + 1, '#');
  int outLength = capacity;
  AES256CBC::DoAES256Decrypt(key, iv, reinterpret_cast<const char*>(cipher.data()), int(size),
                             plain.data(), &outLength);
  const bool acceptable = size > 0 && size % 16 == 0 && int(size) <= capacity;
  if (outLength != (acceptable ? int(size) : 0)) std::abort();
  if (plain[size_t(capacity)] != '#') std::abort();
  return 0;
}
