#include "foundation/StringFunctions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CFString.h"
#include "platform/TextEncoding.h"

unsigned char* ctoPStr(const char* src, unsigned char* dst) {
  if (!dst) return dst;
  size_t length = src ? std::strlen(src) : 0;
  if (length > 255) length = 255;
  dst[0] = static_cast<unsigned char>(length);
  if (length) std::memcpy(dst + 1, src, length);
  return dst;
}

char* ptoCStr(const unsigned char* src, char* dst) {
  if (!dst) return dst;
  size_t length = src ? src[0] : 0;
  if (length) std::memmove(dst, src + 1, length);
  dst[length] = '\0';
  return dst;
}

char* num2String(int n, char* dst) {
  if (dst) std::snprintf(dst, 12, "%d", n);
  return dst;
}

char* float2String(char* dst, float f) {
  if (dst) std::snprintf(dst, kFloat2StringSize, "%9.4f", static_cast<double>(f));
  return dst;
}

int32_t string2Number(const char* text) {
  if (!text) return 0;
  CFString value = CFString::CreateWithBytes(text, std::strlen(text), kTextEncodingMacRoman);
  return value.IsNull() ? 0 : value.IntValue();
}

long deleteCharRangeInStr(char* str, short from, short to) {
  if (!str) return 0;
  size_t length = std::strlen(str);
  if (from == to || from < 0 || to < from || static_cast<size_t>(to) > length)
    return static_cast<long>(length);
  // The move includes the terminating NUL.
  std::memmove(str + from, str + to, length - to + 1);
  return static_cast<long>(length - (to - from));
}

char* findChar(const char* str, char c) {
  if (!str || c == '\0') return nullptr;
  return const_cast<char*>(std::strchr(str, c));
}

char* newInitalizedCString(long n, char c) {
  if (n < 0) return nullptr;
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
  if (!buffer) return nullptr;
  std::memset(buffer, static_cast<unsigned char>(c), static_cast<size_t>(n));
  buffer[n] = '\0';
  return buffer;
}

short validateRangeValues(const char* str, short maxDigits) {
  if (!str) return 1;
  long run = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(str); *p; ++p) {
    if (*p >= '0' && *p <= '9') {
      if (++run > maxDigits) return 0;
    } else {
      run = 0;
    }
  }
  return 1;
}

int wtoi(const wchar_t* wide) {
  if (!wide) return 0;
  std::mbstate_t state{};
  const wchar_t* probe = wide;
  size_t needed = std::wcsrtombs(nullptr, &probe, 0, &state);
  if (needed == static_cast<size_t>(-1)) return 0;
  std::vector<char> bytes(needed + 1, '\0');
  state = std::mbstate_t{};
  probe = wide;
  std::wcsrtombs(bytes.data(), &probe, needed, &state);
  return std::atoi(bytes.data());
}

namespace {

// Limits that turn a rewriting that never settles into a failure result.
constexpr size_t kReplaceMaxResult = size_t{1} << 28;
constexpr size_t kReplaceBaseSteps = size_t{1} << 20;

char* HeapCopy(std::string_view text) {
  char* out = static_cast<char*>(std::malloc(text.size() + 1));
  if (!out) return nullptr;
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return out;
}

// Left to right, never looking again at inserted text.
bool ReplaceOnce(std::string_view src, std::string_view pattern, std::string_view replacement,
                 std::string& out) {
  size_t from = 0;
  for (size_t hit; (hit = src.find(pattern, from)) != std::string_view::npos;
       from = hit + pattern.size()) {
    out.append(src, from, hit - from);
    out.append(replacement);
    if (out.size() > kReplaceMaxResult) return false;
  }
  out.append(src, from);
  return true;
}

// The same result as replacing the leftmost occurrence and scanning again from
// the start, without the rescans: the output never holds a whole occurrence,
// so the leftmost one is the first to be completed as bytes are moved over.
// A replacement goes back in front of the remaining input.
bool ReplaceRescanning(std::string_view src, std::string_view pattern, std::string_view replacement,
                       std::string& out) {
  std::vector<std::string_view> input{src};
  const size_t m = pattern.size();
  const char last = pattern.back();
  const size_t maxSteps = kReplaceBaseSteps + 64 * (src.size() + 1);
  size_t steps = 0;
  while (!input.empty()) {
    std::string_view& top = input.back();
    if (top.empty()) {
      input.pop_back();
      continue;
    }
    char c = top.front();
    top.remove_prefix(1);
    out.push_back(c);
    if (c != last || out.size() < m ||
        std::memcmp(out.data() + out.size() - m, pattern.data(), m) != 0)
      continue;
    out.resize(out.size() - m);
    if (!replacement.empty()) input.push_back(replacement);
    if (++steps > maxSteps || out.size() + replacement.size() > kReplaceMaxResult) return false;
  }
  return true;
}

}  // namespace

char* _replace(const char* src, const char* pattern, const char* replacement) {
  if (!src || !pattern || !replacement) return nullptr;
  std::string_view text(src), from(pattern), to(replacement);
  if (from.empty()) return HeapCopy(text);
  std::string out;
  try {
    out.reserve(text.size() + 1);
    bool settled = to.find(from) != std::string_view::npos ? ReplaceOnce(text, from, to, out)
                                                           : ReplaceRescanning(text, from, to, out);
    if (!settled) return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return HeapCopy(out);
}
