#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include "platform/CFString.h"

namespace {

struct RoundTrip {
  TextEncoding encoding;
  std::string bytes;     // text in that encoding
  std::u16string units;  // the same text as UTF-16
};

class EncodingRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(EncodingRoundTrip, DecodesAndEncodesBack) {
  const RoundTrip& c = GetParam();
  CFString s = CFString::CreateWithBytes(c.bytes.data(), c.bytes.size(), c.encoding);
  ASSERT_FALSE(s.IsNull());
  EXPECT_EQ(s.Units(), c.units);
  auto back = s.GetBytes(c.encoding);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, EncodingRoundTrip,
    ::testing::Values(
        RoundTrip{kTextEncodingMacRoman, "caf\x8E \xA5", u"caf\u00E9 \u2022"},
        RoundTrip{kTextEncodingISOLatin1, "caf\xE9 \xDF", u"caf\u00E9 \u00DF"},
        RoundTrip{kTextEncodingISOLatin2, "\xB1\xE6", u"\u0105\u0107"},
        RoundTrip{kTextEncodingISOLatin5, "\xFD\xFE", u"\u0131\u015F"},
        RoundTrip{kTextEncodingWindowsLatin1, "\x80 \x93q\x94", u"\u20AC \u201Cq\u201D"},
        RoundTrip{kTextEncodingShiftJIS, "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
        RoundTrip{kTextEncodingUTF8, "\xE6\x97\xA5 \xF0\x9F\x98\x80", u"\u65E5 \U0001F600"},
        RoundTrip{kTextEncodingGBK, "\xD6\xD0", u"\u4E2D"},
        RoundTrip{kTextEncodingISOLatin9, "\xA4", u"\u20AC"}));

TEST(TextEncoding, UnknownEncodingsAreRefused) {
  EXPECT_EQ(IconvNameForEncoding(kTextEncodingUnknown), nullptr);
  TextConversion conv(kTextEncodingUnknown, kTextEncodingUTF8);
  EXPECT_FALSE(conv.Valid());
  std::string out = "kept";
  EXPECT_FALSE(ConvertText("abc", kTextEncodingUnknown, kTextEncodingUTF8, out));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(CFString::CreateWithBytes("abc", 3, kTextEncodingUnknown).IsNull());
}

TEST(TextEncoding, UnrepresentableTextFailsOrTakesTheLossByte) {
  std::string out = "kept";
  EXPECT_FALSE(ConvertText("\xE6\x97\xA5x", kTextEncodingUTF8, kTextEncodingMacRoman, out));
  EXPECT_EQ(out, "kept");
  ASSERT_TRUE(ConvertText("a\xE6\x97\xA5z", kTextEncodingUTF8, kTextEncodingMacRoman, out, '?'));
  EXPECT_EQ(out, "a?z");
  // Malformed source bytes: one loss byte per bad byte, good text kept.
  ASSERT_TRUE(ConvertText("a\xFF\xFEz", kTextEncodingUTF8, kTextEncodingISOLatin1, out, '?'));
  EXPECT_EQ(out, "a??z");
}

TEST(TextConversion, ReportsFullOutputAndResumes) {
  TextConversion conv(kTextEncodingISOLatin1, kTextEncodingUTF8);
  ASSERT_TRUE(conv.Valid());
  const std::string text = "\xE9\xE9\xE9";  // each becomes two bytes
  const char* in = text.data();
  size_t inLeft = text.size();
  char buffer[3];
  char* out = buffer;
  size_t outLeft = sizeof buffer;
  EXPECT_EQ(conv.Convert(in, inLeft, out, outLeft), kTECOutputBufferFullStatus);
  EXPECT_EQ(inLeft, 2u);
  EXPECT_EQ(outLeft, 1u);
  char more[8];
  out = more;
  outLeft = sizeof more;
  EXPECT_EQ(conv.Convert(in, inLeft, out, outLeft), kTECNoError);
  EXPECT_EQ(inLeft, 0u);
  EXPECT_EQ(sizeof more - outLeft, 4u);
}

TEST(TextConversion, ReportsPartialAndMalformedInput) {
  TextConversion conv(kTextEncodingShiftJIS, kTextEncodingUTF8);
  const std::string cut = "\x93";  // first byte of a two-byte character
  const char* in = cut.data();
  size_t inLeft = cut.size();
  char buffer[16];
  char* out = buffer;
  size_t outLeft = sizeof buffer;
  EXPECT_EQ(conv.Convert(in, inLeft, out, outLeft), kTECPartialCharErr);

  TextConversion utf8(kTextEncodingUTF8, kTextEncodingISOLatin1);
  const std::string bad = "\xC3\x28";
  in = bad.data();
  inLeft = bad.size();
  out = buffer;
  outLeft = sizeof buffer;
  EXPECT_EQ(utf8.Convert(in, inLeft, out, outLeft), kTextMalformedInputErr);
}

TEST(TextEncoding, ApplicationEncodingIsMacRomanUnlessSet) {
  EXPECT_EQ(GetApplicationTextEncoding(), kTextEncodingMacRoman);
  SetApplicationTextEncoding(kTextEncodingUTF8);
  EXPECT_EQ(GetSystemScriptEncoding(), kTextEncodingUTF8);
  SetApplicationTextEncoding(kTextEncodingMacRoman);
  EXPECT_EQ(GetMostCompatibleMacEncoding(kTextEncodingUTF8), kTextEncodingMacRoman);
}

}  // namespace
