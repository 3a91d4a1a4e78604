#include "security/Base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kLineLength = 64;

constexpr int8_t kPad = -2;
constexpr int8_t kSkip = -3;
constexpr int8_t kBad = -1;

constexpr std::array<int8_t, 256> MakeDecodeTable() {
  std::array<int8_t, 256> t{};
  for (auto& v : t) v = kBad;
  for (int i = 0; i < 64; ++i) t[uint8_t(kAlphabet[i])] = int8_t(i);
  t[uint8_t('=')] = kPad;
  for (char c : {'\r', '\n', ' ', '\t'}) t[uint8_t(c)] = kSkip;
  return t;
}

constexpr std::array<int8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

size_t Base64Encoder::EncodedLength(size_t length, bool lineBreaks) {
  size_t chars = (length + 2) / 3 * 4;
  if (lineBreaks && chars > 0) chars += (chars - 1) / kLineLength;
  return chars;
}

long Base64Encoder::Encode(const unsigned char* in, size_t length, char* out, size_t outCapacity,
                           bool lineBreaks) {
  if (out == nullptr || (in == nullptr && length > 0)) return -1;
  const size_t needed = EncodedLength(length, lineBreaks);
  if (outCapacity < needed + 1) return -1;
  size_t written = 0, onLine = 0;
  auto put = [&](char c) {
    if (lineBreaks && onLine == kLineLength) {
      out[written++] = '\n';
      onLine = 0;
    }
    out[written++] = c;
    ++onLine;
  };
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    uint32_t v = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8) | in[i + 2];
    put(kAlphabet[v >> 18]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put(kAlphabet[v & 63]);
  }
  if (length - i == 1) {
    uint32_t v = uint32_t(in[i]) << 16;
    put(kAlphabet[v >> 18]);
    put(kAlphabet[(v >> 12) & 63]);
    put('=');
    put('=');
  } else if (length - i == 2) {
    uint32_t v = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8);
    put(kAlphabet[v >> 18]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put('=');
  }
  out[written] = '\0';
  return long(written);
}

long Base64Decoder::Decode(const char* in, size_t length, unsigned char* out, size_t outCapacity) {
  if (in == nullptr && length > 0) return -1;
  size_t produced = 0;
  uint32_t acc = 0;
  int inGroup = 0;  // characters of the current group
  int pads = 0;
  auto emit = [&](unsigned char byte) {
    if (out == nullptr || produced >= outCapacity) return false;
    out[produced++] = byte;
    return true;
  };
  for (size_t i = 0; i < length; ++i) {
    const int8_t v = kDecode[uint8_t(in[i])];
    if (v == kSkip) continue;
    if (v == kBad) return -1;
    if (v == kPad) {
      // Padding may only complete a group of 2 or 3 characters.
      if (inGroup + pads < 2 || inGroup + pads >= 4) return -1;
      ++pads;
      continue;
    }
    if (pads > 0) return -1;  // data after the padding
    acc = (acc << 6) | uint32_t(v);
    if (++inGroup == 4) {
      if (!emit(uint8_t(acc >> 16)) || !emit(uint8_t(acc >> 8)) || !emit(uint8_t(acc))) return -1;
      acc = 0;
      inGroup = 0;
    }
  }
  if (pads > 0 && inGroup + pads != 4) return -1;
  switch (inGroup) {
    case 0:
      break;
    case 1:
      return -1;  // six bits make no byte
    case 2:
      if (!emit(uint8_t(acc >> 4))) return -1;
      break;
    case 3:
      if (!emit(uint8_t(acc >> 10)) || !emit(uint8_t(acc >> 2))) return -1;
      break;
  }
  return long(produced);
}
