#include "panel/PostScriptText.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

std::string ReplaceBOMMarker(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (;;) {
    const size_t at = text.find(kBOMMarker);
    if (at == std::string_view::npos) break;
    out.append(text.substr(0, at));
    out.append(kUTF8BOM);
    text.remove_prefix(at + kBOMMarker.size());
  }
  out.append(text);
  return out;
}

char* replaceWithBackslashIfNeeded(const char* what, char* text) {
  if (!text || !what || !*what) return text;
  const char* found = std::strstr(text, what);
  if (!found) return text;
  const char* escape = std::strcmp(what, "(") == 0 ? "\\050" : "\\051";
  const size_t before = static_cast<size_t>(found - text);
  const size_t skipped = std::strlen(what);
  const size_t after = std::strlen(found + skipped);
  char* replaced = static_cast<char*>(std::malloc(before + 4 + after + 1));
  if (!replaced) return text;
  std::memcpy(replaced, text, before);
  std::memcpy(replaced + before, escape, 4);
  std::memcpy(replaced + before + 4, found + skipped, after + 1);
  std::free(text);
  return replaced;
}

std::string WideToUTF8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) {
    uint32_t c = static_cast<uint32_t>(w);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool FormatWideFeatureLine(const wchar_t* format, std::wstring_view key, std::wstring_view value,
                           std::string& out) {
  out.clear();
  // The arguments must end where their views end, even with a NUL inside.
  const std::wstring k(key.substr(0, key.find(L'\0')));
  const std::wstring v(value.substr(0, value.find(L'\0')));
  wchar_t line[kWideFeatureLineSize];
  const int n = std::swprintf(line, kWideFeatureLineSize, format, k.c_str(), v.c_str());
  if (n < 0 || static_cast<size_t>(n) >= kWideFeatureLineSize) return false;
  out = WideToUTF8(std::wstring_view(line, static_cast<size_t>(n)));
  return true;
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  char small[512];
  const int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string out;
  if (n < 0) {
    va_end(again);
    return out;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    out.assign(small, static_cast<size_t>(n));
  } else {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

std::string_view UTF8Prefix(std::string_view text, size_t room) {
  if (text.size() <= room) return text;
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}
