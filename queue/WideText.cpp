#include "queue/WideText.h"

#include <cstdint>
#include <cstring>

std::optional<std::string> Utf8ToWideBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    uint32_t c;
    size_t extra;
    uint32_t min;
    if (b < 0x80) {
      c = b, extra = 0, min = 0;
    } else if ((b & 0xe0) == 0xc0) {
      c = b & 0x1f, extra = 1, min = 0x80;
    } else if ((b & 0xf0) == 0xe0) {
      c = b & 0x0f, extra = 2, min = 0x800;
    } else if ((b & 0xf8) == 0xf0) {
      c = b & 0x07, extra = 3, min = 0x10000;
    } else {
      return std::nullopt;
    }
    if (text.size() - i <= extra) return std::nullopt;
    for (size_t k = 1; k <= extra; ++k) {
      auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xc0) != 0x80) return std::nullopt;
      c = (c << 6) | (t & 0x3f);
    }
    if (c < min || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return std::nullopt;
    char unit[4];
    std::memcpy(unit, &c, 4);
    out.append(unit, 4);
    i += extra + 1;
  }
  return out;
}
