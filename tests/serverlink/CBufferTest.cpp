#include "serverlink/CBuffer.h"

#include <gtest/gtest.h>

TEST(CBuffer, ComposesWideTextFromPartsAndGivesUTF8Back) {
  CBuffer b;
  EXPECT_EQ(b.AddString(U"Tray\t"), 5);
  EXPECT_EQ(b.AddCString("caf\xc3\xa9 "), 5);
  EXPECT_EQ(b.AddInt(-42), 3);
  EXPECT_EQ(b.AddCString(" "), 1);
  EXPECT_EQ(b.AddFloat(1.5), 8);
  EXPECT_EQ(b.GetStringData(), U"Tray\tcaf\u00e9 -42 1.500000");
  EXPECT_EQ(b.GetCStrData(), "Tray\tcaf\xc3\xa9 -42 1.500000");
}

TEST(CBuffer, BytesOutsideUTF8StandForThemselves) {
  struct Case {
    const char* in;
    std::u32string wide;
  } cases[] = {
      {"\xe9t\xe9", U"\u00e9t\u00e9"},          // Latin-1 bytes
      {"\xc0\xaf", U"\u00c0\u00af"},            // overlong "/"
      {"\xed\xa0\x80", U"\u00ed\u00a0\u0080"},  // surrogate
      {"\xf0\x9f\x98", U"\u00f0\u009f\u0098"},  // cut short
      {"\xf0\x9f\x98\x80", U"\U0001F600"},
  };
  for (const auto& c : cases) {
    CBuffer b;
    EXPECT_EQ(b.AddCString(c.in), static_cast<int>(c.wide.size()));
    EXPECT_EQ(b.GetStringData(), c.wide);
  }
  EXPECT_EQ(CBuffer().AddCString(nullptr), 0);
}
