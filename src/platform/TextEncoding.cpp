#include "platform/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace {

TextEncoding gApplicationEncoding = kTextEncodingMacRoman;

bool HostIsLittleEndian() {
  const uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

iconv_t Invalid() {
  return reinterpret_cast<iconv_t>(-1);
}

}  // namespace

const char* IconvNameForEncoding(TextEncoding encoding) {
  switch (encoding) {
    case kTextEncodingMacRoman:
      return "MACINTOSH";
    case kTextEncodingISOLatin1:
      return "ISO-8859-1";
    case kTextEncodingISOLatin2:
      return "ISO-8859-2";
    case kTextEncodingISOLatin5:
      return "ISO-8859-9";
    case kTextEncodingISOLatin9:
      return "ISO-8859-15";
    case kTextEncodingDOSJapanese:
      return "CP932";
    case kTextEncodingWindowsLatin1:
      return "CP1252";
    case kTextEncodingGBK:
      return "GBK";
    case kTextEncodingShiftJIS:
      return "SHIFT_JIS";
    case kTextEncodingUTF8:
      return "UTF-8";
    case kTextEncodingUTF16BE:
      return "UTF-16BE";
    case kTextEncodingUTF16LE:
      return "UTF-16LE";
    case kTextEncodingUnicodeDefault:
      return HostIsLittleEndian() ? "UTF-16LE" : "UTF-16BE";
    case kTextEncodingUTF32:
      return HostIsLittleEndian() ? "UTF-32LE" : "UTF-32BE";
    default:
      return nullptr;
  }
}

TextEncoding GetApplicationTextEncoding() {
  return gApplicationEncoding;
}
void SetApplicationTextEncoding(TextEncoding encoding) {
  gApplicationEncoding = encoding;
}
TextEncoding GetSystemScriptEncoding() {
  return gApplicationEncoding;
}

TextEncoding GetMostCompatibleMacEncoding(TextEncoding encoding) {
  switch (encoding) {
    case kTextEncodingShiftJIS:
    case kTextEncodingDOSJapanese:
      return kTextEncodingMacJapanese;
    case kTextEncodingMacJapanese:
      return kTextEncodingMacJapanese;
    default:
      return kTextEncodingMacRoman;
  }
}

TextConversion::TextConversion(TextEncoding from, TextEncoding to) : from_(from), to_(to) {
  const char* fromName = IconvNameForEncoding(from);
  const char* toName = IconvNameForEncoding(to);
  if (fromName == nullptr || toName == nullptr) return;
  iconv_t cd = iconv_open(toName, fromName);
  if (cd != Invalid()) handle_ = cd;
}

TextConversion::~TextConversion() {
  if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

int32_t TextConversion::Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
  if (handle_ == nullptr) return kTextUnsupportedEncodingErr;
  while (inLeft > 0) {
    char* src = const_cast<char*>(in);
    size_t r = iconv(static_cast<iconv_t>(handle_), &src, &inLeft, &out, &outLeft);
    in = src;
    if (r != static_cast<size_t>(-1)) break;
    switch (errno) {
      case E2BIG:
        return kTECOutputBufferFullStatus;
      case EINVAL:
        return kTECPartialCharErr;
      default:
        return kTextMalformedInputErr;
    }
  }
  return kTECNoError;
}

int32_t TextConversion::Flush(char*& out, size_t& outLeft) {
  if (handle_ == nullptr) return kTextUnsupportedEncodingErr;
  size_t r = iconv(static_cast<iconv_t>(handle_), nullptr, nullptr, &out, &outLeft);
  if (r == static_cast<size_t>(-1))
    return errno == E2BIG ? kTECOutputBufferFullStatus : kTextMalformedInputErr;
  return kTECNoError;
}

void TextConversion::Reset() {
  if (handle_ != nullptr) iconv(static_cast<iconv_t>(handle_), nullptr, nullptr, nullptr, nullptr);
}

namespace {

// Runs a conversion to the end, growing the output as needed. Stops at the
// first malformed or unrepresentable input and reports it.
int32_t RunAll(TextConversion& conv, const char*& in, size_t& inLeft, std::string& out) {
  if (out.size() < 32) out.resize(32);
  size_t used = 0;
  for (;;) {
    char* dst = out.data() + used;
    size_t room = out.size() - used;
    int32_t status = conv.Convert(in, inLeft, dst, room);
    used = out.size() - room;
    if (status == kTECOutputBufferFullStatus) {
      out.resize(out.size() * 2);
      continue;
    }
    if (status != kTECNoError) {
      out.resize(used);
      return status;
    }
    for (;;) {
      dst = out.data() + used;
      room = out.size() - used;
      status = conv.Flush(dst, room);
      used = out.size() - room;
      if (status != kTECOutputBufferFullStatus) break;
      out.resize(out.size() * 2);
    }
    out.resize(used);
    return status;
  }
}

}  // namespace

namespace {

// Opening an iconv handle costs far more than converting a short text, and
// the parser converts every translation: whole-buffer conversions reuse one
// context per pair of encodings (per thread, reset before each use).
TextConversion* CachedConversion(TextEncoding from, TextEncoding to) {
  struct Entry {
    TextEncoding from;
    TextEncoding to;
    std::unique_ptr<TextConversion> conversion;
  };
  thread_local std::vector<Entry> cache;
  for (Entry& entry : cache) {
    if (entry.from == from && entry.to == to) {
      entry.conversion->Reset();
      return entry.conversion.get();
    }
  }
  auto conversion = std::make_unique<TextConversion>(from, to);
  if (!conversion->Valid()) return nullptr;
  constexpr size_t kMaxCached = 16;
  if (cache.size() >= kMaxCached) cache.erase(cache.begin());
  cache.push_back(Entry{from, to, std::move(conversion)});
  return cache.back().conversion.get();
}

}  // namespace

bool ConvertText(std::string_view in, TextEncoding from, TextEncoding to, std::string& out,
                 char lossByte) {
  TextConversion* cached = CachedConversion(from, to);
  if (cached == nullptr) return false;
  TextConversion& conv = *cached;
  const char* src = in.data();
  size_t left = in.size();
  std::string result;
  result.reserve(in.size() * 2 + 32);
  int32_t status = RunAll(conv, src, left, result);
  if (status == kTECNoError) {
    out = std::move(result);
    return true;
  }
  if (lossByte == 0) return false;

  // Lossy path: decode to UTF-32 (a bad source byte becomes U+FFFD), then encode
  // each character alone so that an unrepresentable one becomes lossByte.
  TextConversion decode(from, kTextEncodingUTF32);
  TextConversion encode(kTextEncodingUTF32, to);
  if (!decode.Valid() || !encode.Valid()) return false;
  std::u32string chars;
  src = in.data();
  left = in.size();
  while (left > 0) {
    char32_t c = 0;
    char* dst = reinterpret_cast<char*>(&c);
    size_t room = sizeof c;
    int32_t st = decode.Convert(src, left, dst, room);
    if (room == 0) {
      chars.push_back(c);
      continue;  // one character per step; the output-full status is expected
    }
    if (st != kTECNoError) {
      decode.Reset();
      chars.push_back(U'\uFFFD');
      ++src;
      --left;
    }
  }
  result.clear();
  for (char32_t c : chars) {
    const char* one = reinterpret_cast<const char*>(&c);
    size_t oneLeft = sizeof c;
    std::string piece;
    if (RunAll(encode, one, oneLeft, piece) == kTECNoError) {
      result += piece;
    } else {
      encode.Reset();
      result.push_back(lossByte);
    }
  }
  out = std::move(result);
  return true;
}
