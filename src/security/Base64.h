// Base64 of RFC 4648 (alphabet A-Z a-z 0-9 + /, "=" padding).
#pragma once

#include <cstddef>

class Base64Encoder {
 public:
  // Characters Encode writes for `length` bytes, without the terminating NUL.
  static size_t EncodedLength(size_t length, bool lineBreaks);
  // Groups of 3 bytes become 4 characters; 1 or 2 remaining bytes are padded
  // with "==" or "="; with lineBreaks an LF separates every 64 characters
  // (none after the last line). Writes the text and a NUL and returns the
  // character count, or -1 (nothing written) when `out` holds fewer than
  // EncodedLength + 1 bytes or an argument is null.
  static long Encode(const unsigned char* in, size_t length, char* out, size_t outCapacity,
                     bool lineBreaks);
};

class Base64Decoder {
 public:
  // Room that Decode needs at most for `length` characters.
  static size_t MaxDecodedLength(size_t length) { return length / 4 * 3 + 3; }
  // Reverses Encode and returns the byte count. Line breaks, spaces and tabs
  // are skipped; the final group may lack its padding. -1 for anything else:
  // a character outside the alphabet, text after the padding, a lone final
  // character, too much padding, or a result larger than outCapacity.
  static long Decode(const char* in, size_t length, unsigned char* out, size_t outCapacity);
};
