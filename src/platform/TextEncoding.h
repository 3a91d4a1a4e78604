// Text encodings by their classic numeric values, and conversion between them
// through iconv. The numbers stay the identifiers everywhere in the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using TextEncoding = uint32_t;

constexpr TextEncoding kTextEncodingMacRoman = 0;
constexpr TextEncoding kTextEncodingMacJapanese = 1;
constexpr TextEncoding kTextEncodingUnicodeDefault = 0x100;  // UTF-16, host order
constexpr TextEncoding kTextEncodingISOLatin1 = 0x201;       // 513
constexpr TextEncoding kTextEncodingISOLatin2 = 0x202;       // 514
constexpr TextEncoding kTextEncodingISOLatin5 = 0x209;       // 521, ISO 8859-9
constexpr TextEncoding kTextEncodingISOLatin9 = 0x20F;       // ISO 8859-15
constexpr TextEncoding kTextEncodingDOSJapanese = 0x420;     // CP932
constexpr TextEncoding kTextEncodingWindowsLatin1 = 0x500;   // 1280, CP1252
constexpr TextEncoding kTextEncodingGBK = 0x631;
constexpr TextEncoding kTextEncodingShiftJIS = 0xA01;  // 2561
constexpr TextEncoding kTextEncodingUTF8 = 0x08000100;
constexpr TextEncoding kTextEncodingUTF16BE = 0x10000100;
constexpr TextEncoding kTextEncodingUTF16LE = 0x14000100;
constexpr TextEncoding kTextEncodingUTF32 = 0x0C000100;
constexpr TextEncoding kTextEncodingUnknown = 0xFFFF;  // 65535: no such encoding

// Status codes of the conversion service (the classic values).
constexpr int32_t kTECNoError = 0;
constexpr int32_t kTECOutputBufferFullStatus = -8785;
constexpr int32_t kTECBufferBelowMinimumSizeErr = -8750;
constexpr int32_t kTECPartialCharErr = -8753;
constexpr int32_t kTextMalformedInputErr = -8739;
constexpr int32_t kTextUnsupportedEncodingErr = -8738;
constexpr int32_t kParamErr = -50;
constexpr int32_t kMemFullErr = -108;

// iconv's name for an encoding, or nullptr when the encoding is not supported.
const char* IconvNameForEncoding(TextEncoding encoding);

// The system / application text encoding (Mac Roman unless configured).
TextEncoding GetApplicationTextEncoding();
void SetApplicationTextEncoding(TextEncoding encoding);
// The current system script's encoding; the same setting on this platform.
TextEncoding GetSystemScriptEncoding();
// The platform's most compatible single-byte encoding for a given one (UTF-8
// maps to Mac Roman, as the classic system answered).
TextEncoding GetMostCompatibleMacEncoding(TextEncoding encoding);

// A conversion context from one encoding to another (owns an iconv handle).
class TextConversion {
 public:
  TextConversion(TextEncoding from, TextEncoding to);
  ~TextConversion();
  TextConversion(const TextConversion&) = delete;
  TextConversion& operator=(const TextConversion&) = delete;

  bool Valid() const { return handle_ != nullptr; }
  TextEncoding From() const { return from_; }
  TextEncoding To() const { return to_; }

  // Converts as much of [in, in+inLeft) as fits into [out, out+outLeft),
  // advancing both. Returns kTECNoError when all input is used,
  // kTECOutputBufferFullStatus when the output filled first,
  // kTECPartialCharErr when the input ends inside a character, and
  // kTextMalformedInputErr on bytes that are invalid or cannot be represented.
  int32_t Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft);
  // Writes any pending shift state; kTECOutputBufferFullStatus if it does not fit.
  int32_t Flush(char*& out, size_t& outLeft);
  // Forgets any shift state.
  void Reset();

 private:
  void* handle_ = nullptr;
  TextEncoding from_;
  TextEncoding to_;
};

// Whole-buffer conversion. With lossByte 0 any unconvertible input fails the
// call (returns false, out unchanged); otherwise each unconvertible character
// becomes lossByte.
bool ConvertText(std::string_view in, TextEncoding from, TextEncoding to, std::string& out,
                 char lossByte = 0);
