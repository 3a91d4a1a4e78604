// AES with a 256-bit key (Rijndael, 16-byte block, 14 rounds) in CBC mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class AES256CBC {
 public:
  static constexpr int kKeyLength = 32;
  static constexpr int kBlockSize = 16;
  static constexpr int kRounds = 14;

  AES256CBC() = default;
  ~AES256CBC();

  // Expands the key and sets the chain value. Only keyLength 32 with
  // blockSize 16 is accepted; any other pair, or a null key, leaves the object
  // unkeyed. A null chain means a zero chain value.
  void MakeKey(const char* key, const char* chain, int keyLength = kKeyLength,
               int blockSize = kBlockSize);
  bool IsKeyed() const { return keyed_; }
  // Back to the chain value given to MakeKey.
  void ResetChain();

  // One 16-byte block without chaining; table-driven and general forms give
  // the same result. An unkeyed object leaves `out` untouched.
  void EncryptBlock(const char* in, char* out) const;
  void DecryptBlock(const char* in, char* out) const;
  void DefEncryptBlock(const char* in, char* out) const;
  void DefDecryptBlock(const char* in, char* out) const;

  // CBC over n bytes, continuing the current chain. n must be a non-zero
  // multiple of 16, otherwise nothing happens. `in` and `out` may be the same.
  void Encrypt(const char* in, char* out, size_t n);
  void Decrypt(const char* in, char* out, size_t n);

  // Pads the NUL-terminated text (with its NUL, length L) by p = 16 - L % 16
  // bytes of value p - 1 and encrypts it under key/iv. On entry *outLength is
  // the capacity of `out`, which is cleared entirely; on return it is the
  // cipher length, or 0 when the padded text does not fit. Any null argument:
  // nothing happens.
  static void DoAES256Encrypt(const char* key, const char* iv, const char* text, unsigned char* out,
                              int* outLength);
  // Decrypts `length` bytes; no padding is removed. On entry *outLength is the
  // capacity of `out`; on return the plain length, or 0 when `length` is not a
  // non-zero multiple of 16 or exceeds the capacity. Null arguments: nothing.
  static void DoAES256Decrypt(const char* key, const char* iv, const char* in, int length,
                              char* out, int* outLength);
  // The reverse of DoAES256Encrypt: decrypts and checks the padding (every pad
  // byte p - 1, the NUL right before it, no NUL inside the text). False, with
  // `text` empty, for anything DoAES256Encrypt could not have produced.
  static bool DoAES256DecryptText(const char* key, const char* iv, const unsigned char* in,
                                  size_t length, std::string& text);

 private:
  uint32_t encKey_[4 * (kRounds + 1)] = {};
  uint32_t decKey_[4 * (kRounds + 1)] = {};  // equivalent inverse cipher form
  uint8_t chain0_[kBlockSize] = {};
  uint8_t chain_[kBlockSize] = {};
  bool keyed_ = false;
};
