// The text converter made from a document's language keywords (linked with
// the document root, hence here).
#include <gtest/gtest.h>

#include <string>

#include "PPDX/PPDX.h"
#include "TextConverter/TextConverter.h"

namespace {

// A document that declares a language and an encoding.
class LanguagePPD : public PPDX {
 public:
  LanguagePPD(const char* version, const char* encoding) {
    if (version) languageVersion_ = version;
    if (encoding) languageEncoding_ = encoding;
  }
};

std::string Bytes(const CFString& s) {
  return s.UTF8();
}

class TextConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetSystemScriptEncoding(), kTextEncodingMacRoman); }
};

TEST_F(TextConverterTest, FromDocument) {
  LanguagePPD latin("English", "ISOLatin1");
  TextConverter fromDoc(&latin);
  EXPECT_TRUE(fromDoc.ValidConverter());
  EXPECT_EQ(fromDoc.GetSourceEncoding(), kTextEncodingISOLatin1);
  EXPECT_EQ(fromDoc.GetOutputEncoding(), kTextEncodingMacRoman);
  EXPECT_STREQ(fromDoc.LanguageVersion(), "English");
  TextConverter toUTF8(&latin, kTextEncodingUTF8);
  EXPECT_EQ(toUTF8.GetOutputEncoding(), kTextEncodingUTF8);
  EXPECT_EQ(TextConverter::GetPPDEncoding(&latin), kTextEncodingISOLatin1);
  EXPECT_EQ(TextConverter::GetPPDEncoding(nullptr), kTextEncodingUnknown);
  EXPECT_FALSE(TextConverter(static_cast<const PPDX*>(nullptr)).ValidConverter());
  LanguagePPD unknown("English", "EBCDIC");
  EXPECT_FALSE(TextConverter(&unknown).ValidConverter());
  LanguagePPD noEncoding("English", nullptr);
  EXPECT_FALSE(TextConverter(&noEncoding).ValidConverter());
}

TEST_F(TextConverterTest, HexLanguageSwitchesToMacRomanForGood) {
  LanguagePPD polish("Polish", "ISOLatin2");
  TextConverter converter(&polish);
  char ascii[16] = "Jakosc <B1>";
  ASSERT_EQ(converter.Convert(ascii, sizeof ascii),
            kTextMalformedInputErr);                                 // ą lacks in Mac Roman
  EXPECT_EQ(converter.GetSourceEncoding(), kTextEncodingISOLatin2);  // no raw high byte
  char raw[16] = "Jako\xB6\xE6";
  ASSERT_EQ(converter.Convert(raw, sizeof raw), kTECNoError);
  EXPECT_STREQ(raw, "Jako\xB6\xE6");  // taken as Mac Roman: unchanged
  EXPECT_EQ(converter.GetSourceEncoding(), kTextEncodingMacRoman);
  char later[8] = "<8E>";
  ASSERT_EQ(converter.Convert(later, sizeof later), kTECNoError);
  EXPECT_STREQ(later, "\x8E");  // still Mac Roman

  // Not a hex language: no switch.
  LanguagePPD english("English", "ISOLatin2");
  TextConverter plain(&english);
  char text[8] = "\xB6";
  EXPECT_NE(plain.Convert(text, sizeof text), kTECNoError);
  EXPECT_EQ(plain.GetSourceEncoding(), kTextEncodingISOLatin2);
}

// A PPD that declares UTF-8 has its text read as UTF-8, although the stored
// source is the compatible single-byte encoding.
TEST_F(TextConverterTest, DeclaredUTF8IsReadAsUTF8) {
  LanguagePPD utf8("English", "UTF-8");
  TextConverter converter(&utf8);
  EXPECT_EQ(converter.GetSourceEncoding(), kTextEncodingMacRoman);
  EXPECT_EQ(Bytes(converter.ConvertToCFString("Qualit\xC3\xA9", 0)), "Qualit\xC3\xA9");
  EXPECT_EQ(Bytes(converter.ConvertToCFString("<C3A9>", 0)), "\xC3\xA9");
}

TEST_F(TextConverterTest, ToUnicodeContextFollowsSourceChanges) {
  LanguagePPD japanese("Japanese", "JIS83-RKSJ");
  TextConverter converter(&japanese);
  EXPECT_EQ(Bytes(converter.ConvertToCFString("\x93\xFA", 0)), "\xE6\x97\xA5");
  char raw[8] = "\x8E";
  converter.Convert(raw, sizeof raw);  // a raw high byte: Mac Roman from now on
  EXPECT_EQ(Bytes(converter.ConvertToCFString("\x8E", 0)), "\xC3\xA9");
}

}  // namespace
