#include "serverlink/CBuffer.h"

#include <cstdio>
#include <cstring>

int CBuffer::AddString(std::u32string_view text) {
  text_.append(text);
  return static_cast<int>(text.size());
}

int CBuffer::AddCString(const char* text) {
  if (text == nullptr) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  size_t n = std::strlen(text);
  size_t before = text_.size();
  for (size_t i = 0; i < n;) {
    unsigned char b = s[i];
    size_t extra = 0;
    char32_t c = b, min = 0;
    if (b >= 0xc2 && b < 0xe0) {
      extra = 1, c = b & 0x1f, min = 0x80;
    } else if (b >= 0xe0 && b < 0xf0) {
      extra = 2, c = b & 0x0f, min = 0x800;
    } else if (b >= 0xf0 && b < 0xf5) {
      extra = 3, c = b & 0x07, min = 0x10000;
    }
    bool ok = extra > 0 && i + extra < n;
    for (size_t k = 1; ok && k <= extra; ++k) {
      ok = (s[i + k] & 0xc0) == 0x80;
      c = (c << 6) | (s[i + k] & 0x3f);
    }
    if (ok && c >= min && c <= 0x10ffff && !(c >= 0xd800 && c <= 0xdfff)) {
      text_.push_back(c);
      i += extra + 1;
    } else {
      text_.push_back(b);
      ++i;
    }
  }
  return static_cast<int>(text_.size() - before);
}

int CBuffer::AddInt(int value) {
  return AddCString(std::to_string(value).c_str());
}

int CBuffer::AddFloat(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return AddCString(text);
}

std::string CBuffer::GetCStrData() const {
  std::string out;
  out.reserve(text_.size());
  for (char32_t c : text_) {
    if (c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) c = 0xfffd;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xc0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xe0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
      out.push_back(static_cast<char>(0xf0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return out;
}
