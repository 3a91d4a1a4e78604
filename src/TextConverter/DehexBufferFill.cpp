#include "TextConverter/DehexBufferFill.h"

#include <cstring>

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsHexSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

// Checks the group between open ("<") and close (">"). White space is
// skipped; a ">" that a skip lands on counts as one more significant
// character, so a group with white space before its ">" is odd and refused.
bool WellFormed(const char* open, const char* close) {
  size_t significant = 0;
  for (const char* p = open + 1; p < close; ++p) {
    const char* q = p;
    while (q < close && IsHexSpace(*q)) ++q;
    if (q == close) {
      if (q != p) ++significant;
      break;
    }
    p = q;
    if (!IsHexDigit(*p)) return false;
    ++significant;
  }
  return significant % 2 == 0;
}

}  // namespace

size_t DehexBufferFill(const char* in, char* out) {
  if (in == nullptr || out == nullptr) return 0;
  const char* cur = in;
  char* dst = out;
  for (;;) {
    const char* open = std::strchr(cur, '<');
    // The closing ">" is looked for after the "<": one before it would send
    // the scan backwards.
    const char* close = open ? std::strchr(open + 1, '>') : nullptr;
    if (open == nullptr || close == nullptr || !WellFormed(open, close)) {
      size_t rest = std::strlen(cur) + 1;
      std::memcpy(dst, cur, rest);
      return static_cast<size_t>(dst - out) + rest;
    }
    std::memcpy(dst, cur, static_cast<size_t>(open - cur));
    dst += open - cur;
    int high = -1;
    for (const char* p = open + 1; p < close; ++p) {
      if (IsHexSpace(*p)) continue;
      if (high < 0) {
        high = HexValue(*p);
      } else {
        *dst++ = static_cast<char>((high << 4) | HexValue(*p));
        high = -1;
      }
    }
    cur = close + 1;
  }
}
