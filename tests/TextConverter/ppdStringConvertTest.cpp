#include "TextConverter/ppdStringConvert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ppdStringConvertTest, EmptyAndWithoutContext) {
  TextConversion latin(kTextEncodingISOLatin1, kTextEncodingMacRoman);
  std::string out = "old";
  size_t length = 99;
  EXPECT_EQ(ppdStringConvert(&latin, "", out, length), kPPDStringEmpty);
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ppdStringConvert(&latin, nullptr, out, length), kPPDStringEmpty);
  // Without a context the text is copied, hex groups and all.
  length = 10;
  EXPECT_EQ(ppdStringConvert(nullptr, "a<4a>\xE9", out, length), kTECNoError);
  EXPECT_EQ(out, "a<4a>\xE9");
  EXPECT_EQ(length, 6u);
}

TEST(ppdStringConvertTest, DecodesThenConvertsWithTheTerminator) {
  TextConversion latin(kTextEncodingISOLatin1, kTextEncodingMacRoman);
  std::string out;
  size_t length = 32;
  ASSERT_EQ(ppdStringConvert(&latin, "Qualit<E9>", out, length), kTECNoError);
  // The decoded count includes the NUL, which converts along.
  EXPECT_EQ(out, std::string("Qualit\x8E\0", 8));
  EXPECT_EQ(length, 8u);
}

TEST(ppdStringConvertTest, ShiftJISTargetDropsOneByteOfAnOddCount) {
  TextConversion toSJIS(kTextEncodingMacRoman, kTextEncodingShiftJIS);
  std::string out;
  size_t length = 32;
  ASSERT_EQ(ppdStringConvert(&toSJIS, "ab", out, length), kTECNoError);  // 3 with NUL: odd
  EXPECT_EQ(out, "ab");
  ASSERT_EQ(ppdStringConvert(&toSJIS, "abc", out, length = 32), kTECNoError);  // 4: even
  EXPECT_EQ(out, std::string("abc\0", 4));
}

TEST(ppdStringConvertTest, OutputGrowsFromASmallStart) {
  TextConversion toUTF8(kTextEncodingISOLatin1, kTextEncodingUTF8);
  const std::string text(1000, '\xE9');  // each becomes two bytes
  for (size_t start : {0u, 1u, 32u, 3000u}) {
    std::string out;
    size_t length = start;
    ASSERT_EQ(ppdStringConvert(&toUTF8, text.c_str(), out, length), kTECNoError) << start;
    EXPECT_EQ(length, 2001u) << start;
    EXPECT_EQ(out.substr(0, 4), "\xC3\xA9\xC3\xA9") << start;
  }
}

TEST(ppdStringConvertTest, MalformedInputFails) {
  TextConversion fromUTF8(kTextEncodingUTF8, kTextEncodingMacRoman);
  std::string out;
  size_t length = 32;
  EXPECT_EQ(ppdStringConvert(&fromUTF8, "ok \xC3(", out, length), kTextMalformedInputErr);
  // A character the target lacks fails the same way.
  EXPECT_EQ(ppdStringConvert(&fromUTF8, "\xE6\xBC\xA2", out, length = 32), kTextMalformedInputErr);
}

}  // namespace
