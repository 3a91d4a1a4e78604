#include "serverlink/WideText.h"

#include <cstring>

static_assert(sizeof(wchar_t) == 4, "wide texts are 32-bit");

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, uint32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Length of the UTF-8 sequence a lead byte announces (0 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t n = SequenceLength(lead);
    if (n == 0 || i + n > text.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (n == 1) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    uint32_t c = lead & (0xFF >> (n + 1));
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (b & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(c));
    i += n;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) AppendUtf8(out, static_cast<uint32_t>(c));
  return out;
}

size_t WriteUtf8Field(char* field, size_t width, std::string_view utf8) {
  if (field == nullptr || width == 0) return 0;
  size_t n = utf8.size() < width ? utf8.size() : width - 1;
  // Step back over continuation bytes so that no character is split.
  if (n < utf8.size()) {
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(field, utf8.data(), n);
  std::memset(field + n, 0, width - n);
  return n;
}

std::string_view FieldText(const char* field, size_t width) {
  if (field == nullptr) return {};
  const void* nul = std::memchr(field, 0, width);
  return std::string_view(field, nul ? static_cast<const char*>(nul) - field : width);
}

std::wstring ToWide(std::u32string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

size_t BoundedWcslen(const wchar_t* text, size_t limit) {
  if (text == nullptr) return 0;
  size_t n = 0;
  while (n < limit && text[n] != L'\0') ++n;
  return n;
}
