#include "platform/CFString.h"

#include <gtest/gtest.h>

#include "platform/Log.h"
#include "platform/Uuid.h"

namespace {

TEST(CFString, NullAndEmptyAreDifferent) {
  CFString none;
  CFString empty = CFSTR("");
  EXPECT_TRUE(none.IsNull());
  EXPECT_FALSE(empty.IsNull());
  EXPECT_TRUE(empty.Empty());
  EXPECT_NE(none, empty);
  EXPECT_TRUE(CFString::CreateWithCString(nullptr, kTextEncodingUTF8).IsNull());
  EXPECT_FALSE(none.GetBytes(kTextEncodingUTF8).has_value());
}

TEST(CFString, InvalidUTF8IsRefusedByCreateButReplacedByLiteral) {
  const std::string cases[] = {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x97", "\x80"};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    EXPECT_TRUE(CFString::CreateWithBytes(bytes.data(), bytes.size(), kTextEncodingUTF8).IsNull());
    EXPECT_FALSE(CFString::FromUTF8(bytes).IsNull());
    EXPECT_EQ(CFString::FromUTF8(bytes).Units()[0], u'\uFFFD');
  }
}

TEST(CFString, ExternalRepresentationRoundTripsWithEitherByteOrder) {
  CFString text = CFSTR("Jap\xC3\xA9 \xE6\x97\xA5");
  std::vector<uint8_t> ext = text.CreateExternalRepresentation();
  ASSERT_EQ(ext.size(), 2 + 2 * text.Length());
  EXPECT_EQ(CFString::CreateFromExternalRepresentation(ext.data(), ext.size()), text);

  const uint8_t big[] = {0xFE, 0xFF, 0x00, 'A', 0x65, 0xE5};
  EXPECT_EQ(CFString::CreateFromExternalRepresentation(big, sizeof big).Units(), u"A\u65E5");
  const uint8_t little[] = {0xFF, 0xFE, 'A', 0x00};
  EXPECT_EQ(CFString::CreateFromExternalRepresentation(little, sizeof little).Units(), u"A");
  EXPECT_TRUE(CFString::CreateFromExternalRepresentation(big, 3).IsNull());
  EXPECT_TRUE(CFString::CreateFromExternalRepresentation(nullptr, 0).IsNull());
}

TEST(CFString, GetCStringNeedsRoomForTheTerminator) {
  CFString text = CFSTR("caf\xC3\xA9");
  char buffer[5];
  EXPECT_FALSE(text.GetCString(buffer, 4, kTextEncodingMacRoman));
  EXPECT_STREQ(buffer, "");
  ASSERT_TRUE(text.GetCString(buffer, 5, kTextEncodingMacRoman));
  EXPECT_STREQ(buffer, "caf\x8E");
  char wide[16];
  EXPECT_FALSE(CFSTR("\xE6\x97\xA5").GetCString(wide, sizeof wide, kTextEncodingMacRoman));
}

TEST(CFString, IntValueAsTheClassicCallGaveIt) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"42", 42},
               {"  -17abc", -17},
               {"+5", 5},
               {"abc", 0},
               {"", 0},
               {"99999999999", INT32_MAX},
               {"-99999999999", INT32_MIN},
               {"\t12 34", 12}};
  for (const Case& c : cases) EXPECT_EQ(CFSTR(c.text).IntValue(), c.value) << c.text;
  EXPECT_DOUBLE_EQ(CFSTR("2.5in").DoubleValue(), 2.5);
}

TEST(Uuid, UpperCaseCanonicalForm) {
  std::string a = CreateUUIDString();
  ASSERT_EQ(a.size(), 36u);
  for (size_t i : {8u, 13u, 18u, 23u}) EXPECT_EQ(a[i], '-');
  for (char c : a) EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
  EXPECT_NE(a, CreateUUIDString());
}

TEST(Log, WritesTheFixedTexts) {
  SetLogPause(false);
  LogCapture capture;
  myNSLogC("hello");
  myNSLogC("");
  myNSLogC(nullptr);
  myNSLog8(CFSTR("wide"));
  myNSLog8(CFString());
  EXPECT_EQ(capture.Lines(),
            (std::vector<std::string>{"myNSLog msg 'hello'", "myNSLog msg [empty]",
                                      "myNSLog msg nil", "myNSLog8 'wide'", "myNSLog8 nil"}));
  EXPECT_STREQ(myitoa(-12), "-12");
  SetLogPause(true);
}

}  // namespace
