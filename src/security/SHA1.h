// SHA-1 (FIPS 180-1) as a streaming digest object.
#pragma once

#include <cstdint>

class SHA1 {
 public:
  SHA1() { Reset(); }

  // Starts a new message.
  void Reset();
  // The five 32-bit digest words of the message so far. The message is then
  // closed: further input corrupts it. False (digest untouched) for a corrupt
  // message (input after Result, or more than 2^64 - 1 bits).
  bool Result(unsigned* digest);

  void Input(const unsigned char* bytes, unsigned length);
  void Input(const char* bytes, unsigned length);
  void Input(unsigned char byte);
  void Input(char byte);

  // NUL-terminated text (the NUL is not digested) and single bytes.
  SHA1& operator<<(const char* text);
  SHA1& operator<<(const unsigned char* text);
  SHA1& operator<<(char byte);
  SHA1& operator<<(unsigned char byte);

 private:
  void ProcessMessageBlock();
  void PadMessage();

  uint32_t H_[5];
  uint32_t lengthLow_;  // message length in bits, low and high words
  uint32_t lengthHigh_;
  unsigned char block_[64];
  int blockIndex_;
  bool computed_;
  bool corrupted_;
};
