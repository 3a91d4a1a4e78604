#include "TextConverter/TextConverter.h"

#include <cstring>
#include <new>
#include <string>

#include "TextConverter/DehexBufferFill.h"
#include "TextConverter/ppdStringConvert.h"
#include "platform/Log.h"

const HexLanguageExceptions TextConverter::mExceptionsList;

namespace {

constexpr char kTranslationError[] = "Translation Error";

}  // namespace

TextEncoding TextConverter::LanguageStringToEncoding(const char* name) {
  if (name == nullptr) return kTextEncodingUnknown;
  static const struct {
    const char* name;
    TextEncoding encoding;
  } kTable[] = {
      {"ISOLatin1", kTextEncodingISOLatin1},  {"ISOLatin2", kTextEncodingISOLatin2},
      {"ISOLatin5", kTextEncodingISOLatin5},  {"JIS83-RKSJ", kTextEncodingShiftJIS},
      {"MacStandard", kTextEncodingMacRoman}, {"WindowsANSI", kTextEncodingWindowsLatin1},
  };
  for (const auto& entry : kTable) {
    if (std::strcmp(name, entry.name) == 0) return entry.encoding;
  }
  if (std::strcmp(name, "UTF-8") == 0) return GetMostCompatibleMacEncoding(kTextEncodingUTF8);
  return kTextEncodingUnknown;
}

TextConverter::TextConverter(const char* languageEncoding, const char* languageVersion,
                             TextEncoding target) {
  Init(languageEncoding, languageVersion, target);
}

TextConverter::TextConverter(TextEncoding source, TextEncoding target)
    : source_(source), target_(target) {
  MakeContext();
}

TextConverter::~TextConverter() = default;

void TextConverter::Init(const char* encodingName, const char* languageVersion,
                         TextEncoding target) {
  source_ = LanguageStringToEncoding(encodingName);
  declaredUTF8_ = encodingName != nullptr && std::strcmp(encodingName, "UTF-8") == 0;
  target_ = target;
  languageVersion_ = languageVersion;
  MakeContext();
}

void TextConverter::MakeContext() {
  context_.reset();
  valid_ = false;
  if (source_ == kTextEncodingUnknown || target_ == kTextEncodingUnknown) return;
  context_.reset(new (std::nothrow) TextConversion(source_, target_));
  valid_ = context_ && context_->Valid();
  if (!valid_) context_.reset();
}

TextEncoding TextConverter::GetCurrentEncoding() {
  return GetSystemScriptEncoding();
}

int32_t TextConverter::Convert(char* text, long capacity) {
  if (!valid_) return status_;
  if (text == nullptr || capacity < 1) return status_ = kParamErr;
  const size_t length = strnlen(text, static_cast<size_t>(capacity));
  if (mExceptionsList.IsException(languageVersion_) && source_ != kTextEncodingMacRoman) {
    for (size_t i = 0; i < length; ++i) {
      if (static_cast<unsigned char>(text[i]) >= 128) {
        source_ = kTextEncodingMacRoman;
        MakeContext();
        if (!valid_) return status_ = kTextUnsupportedEncodingErr;
        break;
      }
    }
  }
  // The text may fill its whole capacity without a NUL; work on a terminated copy.
  std::string input(text, length);
  std::string out;
  size_t outLength = length * 3;
  try {
    out.reserve(outLength);
  } catch (const std::bad_alloc&) {
    return status_ = kMemFullErr;
  }
  status_ = ppdStringConvert(context_.get(), input.c_str(), out, outLength);
  if (status_ != kTECNoError) return status_;
  size_t keep =
      outLength < static_cast<size_t>(capacity - 1) ? outLength : static_cast<size_t>(capacity - 1);
  std::memcpy(text, out.data(), keep);
  text[keep] = '\0';
  return status_;
}

CFString TextConverter::ToUnicode(const char* bytes, size_t length) {
  if (!toUnicode_ || toUnicodeSource_ != source_) {
    toUnicode_.reset(new (std::nothrow) TextConversion(source_, kTextEncodingUnicodeDefault));
    toUnicodeSource_ = source_;
    if (toUnicode_ && !toUnicode_->Valid()) toUnicode_.reset();
  }
  if (!toUnicode_) {
    myNSLogC("mToUnicodeConverter != NULL");
    return CFString();
  }
  std::string utf16;
  int32_t status = convertText(*toUnicode_, bytes, length, utf16, length * 4 + 1);
  if (status != kTECNoError || utf16.size() % 2 != 0) return CFString();
  return CFString::CreateWithBytes(utf16.data(), utf16.size(), kTextEncodingUnicodeDefault);
}

CFString TextConverter::ConvertToCFString(const char* text, long length) {
  if (text == nullptr) return CFString(std::u16string());
  const size_t size = length > 0 ? strnlen(text, static_cast<size_t>(length)) : std::strlen(text);
  // Plain ASCII without hex groups reads the same in every source encoding
  // but Shift-JIS (whose 0x5C and 0x7E are not ASCII's): most PPD texts.
  if (source_ != kTextEncodingShiftJIS || declaredUTF8_) {
    bool plain = true;
    for (size_t i = 0; i < size && plain; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      plain = c < 0x80 && c != '<';
    }
    if (plain) return CFString(std::u16string(text, text + size));
  }
  std::string input(text, size);
  std::unique_ptr<char[]> decoded(new (std::nothrow) char[size + 1]);
  if (!decoded) return CFSTR("Out Of Memory");
  DehexBufferFill(input.c_str(), decoded.get());
  const size_t bytes = std::strlen(decoded.get());
  CFString result;
  if (declaredUTF8_) return CFString::FromUTF8(std::string_view(decoded.get(), bytes));
  switch (source_) {
    case kTextEncodingMacRoman:
    case kTextEncodingISOLatin1:
    case kTextEncodingWindowsLatin1:
      result = CFString::CreateWithBytes(decoded.get(), bytes, source_);
      break;
    case kTextEncodingShiftJIS:
    case kTextEncodingISOLatin2:
    case kTextEncodingISOLatin5:
      result = ToUnicode(decoded.get(), bytes);
      break;
    default:
      return CFString::FromUTF8(std::string_view(decoded.get(), bytes));
  }
  // Bytes that the encoding does not define are taken as they are, one
  // character each, rather than giving no string at all.
  if (result.IsNull()) {
    result = CFString::CreateWithBytes(decoded.get(), bytes, kTextEncodingISOLatin1);
  }
  return result;
}

int32_t TextConverter::CFStringToCstring(const CFString& text, char* out, long size) {
  if (out == nullptr || size < 1) return kParamErr;
  if (text.GetCString(out, static_cast<size_t>(size), GetSystemScriptEncoding())) {
    return kTECNoError;
  }
  size_t keep = static_cast<size_t>(size - 1);
  if (keep > sizeof kTranslationError - 1) keep = sizeof kTranslationError - 1;
  std::memcpy(out, kTranslationError, keep);
  out[keep] = '\0';
  return kTextMalformedInputErr;
}
