#include "PPDX/PPDObjects/Controls/SettingsStrings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "foundation/CFStringExternal.h"

namespace {

constexpr unsigned int kKyWd = 0x4B795764;  // 'KyWd'
constexpr unsigned int kLcCF = 0x4C634346;  // 'LcCF'

TEST(GetSettingsString, TextItems) {
  Settings s;
  s.Add(kKyWd, 5001, "*PageSize", 9);  // stored without a NUL
  s.Add(kKyWd, 5002, "*In\0put", 7);
  s.Add(kKyWd, 5003, nullptr, 0);

  auto text = GetSettingsString(s, kKyWd, 5001);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Size(), 9u);
  EXPECT_STREQ(*text, "*PageSize");
  auto cut = GetSettingsString(s, kKyWd, 5002);
  ASSERT_NE(cut, nullptr);
  EXPECT_STREQ(*cut, "*In");
  EXPECT_EQ(GetSettingsString(s, kKyWd, 5003), nullptr);  // empty item
  EXPECT_EQ(GetSettingsString(s, kKyWd, 5004), nullptr);  // missing
  OpaqueCollection* none = nullptr;
  Settings invalid(none);
  EXPECT_EQ(GetSettingsString(invalid, kKyWd, 5001), nullptr);
}

TEST(GetSettingsCFString, ExternalRepresentationItems) {
  Settings s;
  const CFString original = CFString::FromUTF8(
      "Gr\xC3\xB6\xC3\x9F"
      "e \xE7\xB4\x99");
  long length = 0;
  unsigned char* external = CFStringToExternal(original, &length);
  ASSERT_NE(external, nullptr);
  s.Add(kLcCF, 5001, external, static_cast<int>(length));
  std::free(external);

  EXPECT_EQ(GetSettingsCFString(s, kLcCF, 5001), original);
  EXPECT_TRUE(GetSettingsCFString(s, kLcCF, 5002).IsNull());
  s.Add(kLcCF, 5003, nullptr, 0);
  EXPECT_TRUE(GetSettingsCFString(s, kLcCF, 5003).IsNull());
  // It survives the flattened form byte for byte.
  MemoryDataStream stream;
  ASSERT_EQ(s.Save(&stream), kSettingsNoErr);
  MemoryDataStream in(stream.Bytes());
  Settings back;
  ASSERT_EQ(back.Read(&in, 0), kSettingsNoErr);
  EXPECT_EQ(GetSettingsCFString(back, kLcCF, 5001), original);
}

}  // namespace
