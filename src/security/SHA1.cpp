#include "security/SHA1.h"

#include <cstring>

namespace {
constexpr uint32_t Rotl(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}
}  // namespace

void SHA1::Reset() {
  lengthLow_ = lengthHigh_ = 0;
  blockIndex_ = 0;
  H_[0] = 0x67452301;
  H_[1] = 0xEFCDAB89;
  H_[2] = 0x98BADCFE;
  H_[3] = 0x10325476;
  H_[4] = 0xC3D2E1F0;
  std::memset(block_, 0, sizeof block_);
  computed_ = false;
  corrupted_ = false;
}

bool SHA1::Result(unsigned* digest) {
  if (corrupted_ || digest == nullptr) return false;
  if (!computed_) {
    PadMessage();
    computed_ = true;
  }
  for (int i = 0; i < 5; ++i) digest[i] = H_[i];
  return true;
}

void SHA1::Input(const unsigned char* bytes, unsigned length) {
  if (length == 0) return;
  if (bytes == nullptr || computed_ || corrupted_) {
    corrupted_ = true;
    return;
  }
  while (length-- && !corrupted_) {
    block_[blockIndex_++] = *bytes++;
    lengthLow_ += 8;
    if (lengthLow_ == 0 && ++lengthHigh_ == 0) corrupted_ = true;  // over 2^64 bits
    if (blockIndex_ == 64) ProcessMessageBlock();
  }
}

void SHA1::Input(const char* bytes, unsigned length) {
  Input(reinterpret_cast<const unsigned char*>(bytes), length);
}

void SHA1::Input(unsigned char byte) {
  Input(&byte, 1);
}

void SHA1::Input(char byte) {
  Input(reinterpret_cast<const unsigned char*>(&byte), 1);
}

SHA1& SHA1::operator<<(const char* text) {
  if (text) Input(text, unsigned(std::strlen(text)));
  return *this;
}

SHA1& SHA1::operator<<(const unsigned char* text) {
  return *this << reinterpret_cast<const char*>(text);
}

SHA1& SHA1::operator<<(char byte) {
  Input(byte);
  return *this;
}

SHA1& SHA1::operator<<(unsigned char byte) {
  Input(byte);
  return *this;
}

void SHA1::ProcessMessageBlock() {
  uint32_t w[80];
  for (int t = 0; t < 16; ++t)
    w[t] = (uint32_t(block_[4 * t]) << 24) | (uint32_t(block_[4 * t + 1]) << 16) |
           (uint32_t(block_[4 * t + 2]) << 8) | block_[4 * t + 3];
  for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  uint32_t a = H_[0], b = H_[1], c = H_[2], d = H_[3], e = H_[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t temp = Rotl(a, 5) + f + e + w[t] + k;
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = temp;
  }
  H_[0] += a;
  H_[1] += b;
  H_[2] += c;
  H_[3] += d;
  H_[4] += e;
  blockIndex_ = 0;
}

// A 1 bit, zeros, and the 64-bit length, spilling into a second block when
// fewer than 8 bytes are left after the 1 bit.
void SHA1::PadMessage() {
  block_[blockIndex_++] = 0x80;
  if (blockIndex_ > 56) {
    while (blockIndex_ < 64) block_[blockIndex_++] = 0;
    ProcessMessageBlock();
  }
  while (blockIndex_ < 56) block_[blockIndex_++] = 0;
  for (int i = 0; i < 4; ++i) {
    block_[56 + i] = uint8_t(lengthHigh_ >> (24 - 8 * i));
    block_[60 + i] = uint8_t(lengthLow_ >> (24 - 8 * i));
  }
  ProcessMessageBlock();
}
