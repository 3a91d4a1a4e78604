// Converts the PPD's byte strings: in place from the PPD's *LanguageEncoding
// to the system script's encoding, and into platform Unicode strings.
#pragma once

#include <cstdint>
#include <memory>

#include "TextConverter/HexLanguageExceptions.h"
#include "foundation/CString.h"
#include "platform/CFString.h"
#include "platform/TextEncoding.h"

class PPDX;

class TextConverter {
 public:
  // Source: the document's *LanguageEncoding; target: the system script's
  // encoding (or the one given).
  explicit TextConverter(const PPDX* ppd);
  TextConverter(const PPDX* ppd, TextEncoding target);
  TextConverter(TextEncoding source, TextEncoding target);
  // From the texts of *LanguageEncoding and *LanguageVersion (either may be null).
  TextConverter(const char* languageEncoding, const char* languageVersion, TextEncoding target);
  virtual ~TextConverter();
  TextConverter(const TextConverter&) = delete;
  TextConverter& operator=(const TextConverter&) = delete;

  // The constructors and GetPPDEncoding that take a document are defined with
  // the document (PPDX/TextConverterPPDX.cpp), so this archive does not need it.

  // The encoding value of a *LanguageEncoding name (exact comparison);
  // kTextEncodingUnknown for anything else or null.
  static TextEncoding LanguageStringToEncoding(const char* name);

  bool ValidConverter() const { return valid_; }
  static TextEncoding GetPPDEncoding(const PPDX* ppd);
  static TextEncoding GetCurrentEncoding();
  TextEncoding GetOutputEncoding() const { return target_; }
  TextEncoding GetSourceEncoding() const { return source_; }
  int32_t LastStatus() const { return status_; }
  const char* LanguageVersion() const { return languageVersion_; }

  // Converts the NUL-terminated text in place (the result cut to capacity-1
  // bytes). 0 on success; -50 for a null text or no room; -108 without memory;
  // the converter's status otherwise, the text then left as it was.
  int32_t Convert(char* text, long capacity);

  // A new platform string from PPD text (hex substrings decoded). Uses the
  // text up to its NUL, and at most `length` bytes when length is positive.
  // Never null: undecodable bytes fall back to a byte-for-byte reading.
  CFString ConvertToCFString(const char* text, long length);

  // Into the system encoding; on failure "Translation Error", cut to size-1.
  // Returns 0 on success, -50 for no buffer, -8739 for the fallback text.
  static int32_t CFStringToCstring(const CFString& text, char* out, long size);

  // The process-wide table of hex languages.
  static const HexLanguageExceptions mExceptionsList;

 private:
  void Init(const char* encodingName, const char* languageVersion, TextEncoding target);
  void MakeContext();
  CFString ToUnicode(const char* bytes, size_t length);

  TextEncoding source_ = kTextEncodingUnknown;
  TextEncoding target_ = kTextEncodingUnknown;
  std::unique_ptr<TextConversion> context_;
  int32_t status_ = kTECNoError;
  bool valid_ = false;
  std::unique_ptr<TextConversion> toUnicode_;
  TextEncoding toUnicodeSource_ = kTextEncodingUnknown;
  CString languageVersion_;
  // The PPD declared "UTF-8": its text is read as UTF-8 into platform strings
  // even though the stored source is the compatible single-byte encoding.
  bool declaredUTF8_ = false;
};
