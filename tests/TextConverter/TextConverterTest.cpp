#include "TextConverter/TextConverter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TextConverter/HexLanguageExceptions.h"
#include "TextConverter/ppdStringConvert.h"

namespace {

std::string Bytes(const CFString& s) {
  return s.UTF8();
}

class TextConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetSystemScriptEncoding(), kTextEncodingMacRoman); }
};

TEST_F(TextConverterTest, EncodingNames) {
  struct Case {
    const char* name;
    TextEncoding value;
  } cases[] = {
      {"ISOLatin1", 513},
      {"ISOLatin2", 514},
      {"ISOLatin5", 521},
      {"JIS83-RKSJ", 2561},
      {"MacStandard", 0},
      {"WindowsANSI", 1280},
      {"UTF-8", 0},  // the compatible single-byte
                     // encoding the platform names
      {"isolatin1", 65535},
      {"ISOLatin1 ", 65535},
      {"", 65535},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextConverter::LanguageStringToEncoding(c.name), c.value) << c.name;
  }
  EXPECT_EQ(TextConverter::LanguageStringToEncoding(nullptr), 65535u);
  EXPECT_EQ(TextConverter::GetCurrentEncoding(), kTextEncodingMacRoman);
}

TEST_F(TextConverterTest, ConstructionAndValidity) {
  TextConverter latin(kTextEncodingISOLatin1, kTextEncodingMacRoman);
  EXPECT_TRUE(latin.ValidConverter());
  EXPECT_EQ(latin.GetSourceEncoding(), kTextEncodingISOLatin1);
  EXPECT_EQ(latin.GetOutputEncoding(), kTextEncodingMacRoman);
  TextConverter noSource(kTextEncodingUnknown, kTextEncodingMacRoman);
  EXPECT_FALSE(noSource.ValidConverter());
  TextConverter noTarget(kTextEncodingISOLatin1, kTextEncodingUnknown);
  EXPECT_FALSE(noTarget.ValidConverter());
  // From the language texts, as the job notes make theirs.
  TextConverter named("JIS83-RKSJ", "Japanese", kTextEncodingMacRoman);
  EXPECT_TRUE(named.ValidConverter());
  EXPECT_EQ(named.GetSourceEncoding(), kTextEncodingShiftJIS);
  EXPECT_STREQ(named.LanguageVersion(), "Japanese");
  EXPECT_FALSE(TextConverter(nullptr, nullptr, kTextEncodingMacRoman).ValidConverter());
  // An invalid converter leaves the text alone and answers the last status.
  char text[] = "caf\xE9";
  EXPECT_EQ(noSource.Convert(text, sizeof text), kTECNoError);
  EXPECT_STREQ(text, "caf\xE9");
}

TEST_F(TextConverterTest, ConvertInPlace) {
  TextConverter latin(kTextEncodingISOLatin1, kTextEncodingMacRoman);
  char text[32] = "Qualit\xE9 <4a61>";
  ASSERT_EQ(latin.Convert(text, sizeof text), kTECNoError);
  EXPECT_STREQ(text, "Qualit\x8E Ja");
  // The result is cut to capacity-1 bytes.
  char small[] = "abcdef";
  ASSERT_EQ(latin.Convert(small, 4), kTECNoError);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(latin.Convert(nullptr, 10), kParamErr);
  EXPECT_EQ(latin.LastStatus(), kParamErr);
  char empty[4] = "";
  EXPECT_EQ(latin.Convert(empty, sizeof empty), kPPDStringEmpty);
  // A text filling its whole capacity without a NUL is read no further.
  char full[3] = {'x', 'y', 'z'};
  ASSERT_EQ(latin.Convert(full, sizeof full), kTECNoError);
  EXPECT_STREQ(full, "xy");
  // A failed conversion leaves the text as it was.
  TextConverter fromUTF8(kTextEncodingUTF8, kTextEncodingMacRoman);
  char bad[] = "ok \xC3(";
  EXPECT_EQ(fromUTF8.Convert(bad, sizeof bad), kTextMalformedInputErr);
  EXPECT_STREQ(bad, "ok \xC3(");
}

TEST_F(TextConverterTest, HexLanguageTable) {
  const HexLanguageExceptions& table = TextConverter::mExceptionsList;
  EXPECT_EQ(table.Size(), 17u);  // 18 entries, "Russian" twice
  for (const char* name : {"Japanese", "ChineseTrad", "ChineseSimp", "Chinese", "Korean", "Czech",
                           "Russian", "Bulg", "Estonian", "Greek", "Hungarian", "Latvian",
                           "Lithuanian", "Polish", "Romanian", "Slovak", "Slovenian"}) {
    EXPECT_TRUE(table.IsException(name)) << name;
  }
  for (const char* name : {"polish", "English", "Bulgarian", "", " Polish"}) {
    EXPECT_FALSE(table.IsException(name)) << name;
  }
  EXPECT_FALSE(table.IsException(nullptr));
}

TEST_F(TextConverterTest, ConvertToCFStringBySource) {
  struct Case {
    const char* what;
    TextEncoding source;
    std::string text;
    std::string utf8;
  } cases[] = {
      {"Mac Roman", kTextEncodingMacRoman, "caf\x8E", "caf\xC3\xA9"},
      {"Latin-1", kTextEncodingISOLatin1, "caf\xE9", "caf\xC3\xA9"},
      {"Windows Latin-1", kTextEncodingWindowsLatin1, "\x80", "\xE2\x82\xAC"},
      {"Windows byte it lacks: taken as it is", kTextEncodingWindowsLatin1, "a\x81", "a\xC2\x81"},
      {"Shift-JIS", kTextEncodingShiftJIS, "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"Shift-JIS in hex", kTextEncodingShiftJIS, "<93FA 967B>", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"Shift-JIS broken: taken as it is", kTextEncodingShiftJIS, "a\x81", "a\xC2\x81"},
      {"Latin-2", kTextEncodingISOLatin2, "\xB1", "\xC4\x85"},
      {"Latin-5", kTextEncodingISOLatin5, "\xFD", "\xC4\xB1"},
      {"unknown: UTF-8", kTextEncodingUnknown, "caf\xC3\xA9", "caf\xC3\xA9"},
      {"bad UTF-8 still gives a string", kTextEncodingUnknown, "a\xFF", "a\xEF\xBF\xBD"},
      {"hex group with NUL ends the text", kTextEncodingMacRoman, "ab<00>cd", "ab"},
  };
  for (const Case& c : cases) {
    TextConverter converter(c.source, kTextEncodingMacRoman);
    CFString s = converter.ConvertToCFString(c.text.c_str(), static_cast<long>(c.text.size()));
    ASSERT_FALSE(s.IsNull()) << c.what;
    EXPECT_EQ(Bytes(s), c.utf8) << c.what;
  }
  TextConverter mac(kTextEncodingMacRoman, kTextEncodingMacRoman);
  CFString empty = mac.ConvertToCFString(nullptr, 0);
  EXPECT_FALSE(empty.IsNull());
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(Bytes(mac.ConvertToCFString("abcdef", 3)), "abc");
  EXPECT_EQ(Bytes(mac.ConvertToCFString("abcdef", 0)), "abcdef");
  EXPECT_EQ(Bytes(mac.ConvertToCFString("abcdef", -1)), "abcdef");
}

TEST_F(TextConverterTest, CFStringToCstring) {
  char out[32];
  EXPECT_EQ(TextConverter::CFStringToCstring(CFSTR("caf\xC3\xA9"), out, sizeof out), kTECNoError);
  EXPECT_STREQ(out, "caf\x8E");
  EXPECT_NE(TextConverter::CFStringToCstring(CFSTR("\xE6\x97\xA5"), out, sizeof out), kTECNoError);
  EXPECT_STREQ(out, "Translation Error");
  EXPECT_NE(TextConverter::CFStringToCstring(CFSTR("\xE6\x97\xA5"), out, 6), kTECNoError);
  EXPECT_STREQ(out, "Trans");
  EXPECT_NE(TextConverter::CFStringToCstring(CFString(), out, sizeof out), kTECNoError);
  EXPECT_STREQ(out, "Translation Error");
  // Too long for the buffer counts as a failure too.
  EXPECT_NE(TextConverter::CFStringToCstring(CFSTR("abcdefgh"), out, 4), kTECNoError);
  EXPECT_STREQ(out, "Tra");
  char one[1] = {'x'};
  TextConverter::CFStringToCstring(CFSTR("abc"), one, 1);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(TextConverter::CFStringToCstring(CFSTR("abc"), nullptr, 8), kParamErr);
  EXPECT_EQ(TextConverter::CFStringToCstring(CFSTR("abc"), out, 0), kParamErr);
}

}  // namespace
