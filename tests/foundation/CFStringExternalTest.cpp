#include "foundation/CFStringExternal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(CFStringExternal, RoundTripsWithAByteOrderMark) {
  const CFString texts[] = {CFSTR(""), CFSTR("Tray 1"), CFSTR("caf\u00e9 \u65e5\u672c"),
                            CFSTR("\U0001F600")};
  for (const CFString& text : texts) {
    long length = -1;
    unsigned char* bytes = CFStringToExternal(text, &length);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(length, static_cast<long>(2 + 2 * text.Length()));
    char16_t mark;
    std::memcpy(&mark, bytes, 2);
    EXPECT_EQ(mark, u'\uFEFF');
    CFString back = ExtenalToCFString(bytes, length);
    EXPECT_EQ(back, text) << text.UTF8();
    std::free(bytes);
  }
}

TEST(CFStringExternal, NullsAndBadInput) {
  long length = 99;
  EXPECT_EQ(CFStringToExternal(CFString(), &length), nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_TRUE(ExtenalToCFString(nullptr, 4).IsNull());
  const unsigned char odd[] = {0xFF, 0xFE, 'a'};
  EXPECT_TRUE(ExtenalToCFString(odd, 3).IsNull());
  EXPECT_TRUE(ExtenalToCFString(odd, -2).IsNull());
  // Big-endian with its mark reads the same on any host.
  const unsigned char big[] = {0xFE, 0xFF, 0x00, 'O', 0x00, 'K'};
  EXPECT_EQ(ExtenalToCFString(big, sizeof big), CFSTR("OK"));
}

}  // namespace
