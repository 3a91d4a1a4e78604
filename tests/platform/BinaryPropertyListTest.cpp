#include "platform/BinaryPropertyList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Builds a binary list from object bodies (1-byte offsets and references).
std::string Build(const std::vector<std::string>& objects, uint8_t top = 0) {
  std::string out = "bplist00";
  std::vector<uint8_t> offsets;
  for (const auto& o : objects) {
    offsets.push_back(static_cast<uint8_t>(out.size()));
    out += o;
  }
  size_t table = out.size();
  for (uint8_t o : offsets) out += static_cast<char>(o);
  std::string trailer(32, '\0');
  trailer[6] = 1;  // offset size
  trailer[7] = 1;  // reference size
  trailer[15] = static_cast<char>(objects.size());
  trailer[23] = static_cast<char>(top);
  trailer[31] = static_cast<char>(table);
  return out + trailer;
}

std::string S(const char* bytes, size_t n) {
  return std::string(bytes, n);
}

TEST(BinaryPropertyList, ReadsEveryKind) {
  std::string bin = Build({
      S("\xd4\x01\x02\x03\x04\x05\x06\x07\x08", 9),  // dict of 4
      S("\x51k", 2),
      S("\x51l", 2),
      S("\x51m", 2),
      S("\x51n", 2),
      S("\x13\xff\xff\xff\xff\xff\xff\xff\xfe", 9),  // -2
      S("\x62\x00\xe9\x00\x41", 5),                  // UTF-16 "éA"
      S("\xa2\x09\x0a", 3),                          // [false, data]
      S("\x33\x41\xd0\x00\x00\x00\x00\x00\x00", 9),  // date 2^30 s
      S("\x08", 1),
      S("\x42\x00\xff", 3),
  });
  std::string error;
  auto v = ReadBinaryPropertyList(bin, &error);
  ASSERT_TRUE(v) << error;
  EXPECT_EQ(v->Find("k")->GetInteger(), -2);
  EXPECT_EQ(v->Find("l")->GetString(),
            "\xc3\xa9"
            "A");
  ASSERT_EQ(v->Find("m")->Count(), 2u);
  EXPECT_FALSE(v->Find("m")->At(0)->GetBool(true));
  EXPECT_EQ(*v->Find("m")->At(1)->AsData(), (PlistValue::Bytes{0x00, 0xff}));
  EXPECT_EQ(v->Find("n")->GetDate()->seconds, 1073741824.0);
}

TEST(BinaryPropertyList, RefusesHostileLists) {
  std::vector<std::pair<const char*, std::string>> cases = {
      {"array holding itself", Build({S("\xa1\x00", 2)})},
      {"indirect cycle", Build({S("\xa1\x01", 2), S("\xa1\x00", 2)})},
      {"reference past the table", Build({S("\xa1\x07", 2)})},
      {"top past the table", Build({S("\x09", 1)}, 3)},
      {"key that is not text", Build({S("\xd1\x01\x02", 3), S("\x10\x01", 2), S("\x09", 1)})},
      {"string past the end", Build({S("\x5f\x10\x7f", 3)})},
      {"ASCII string with high bytes", Build({S("\x52\xc3\xa9", 3)})},
      {"unpaired surrogate", Build({S("\x61\xd8\x00", 3)})},
      {"set", Build({S("\xc1\x01", 2), S("\x09", 1)})},
      {"null", Build({S("\x00", 1)})},
      {"date out of range", Build({S("\x33\x43\x00\x00\x00\x00\x00\x00\x00", 9)})},
      {"short", std::string("bplist00")},
      {"trailer only", std::string("bplist00") + std::string(32, '\0')},
  };
  // Shared references: each array holds the previous one twice, 2^40 leaves.
  std::vector<std::string> bomb = {S("\x09", 1)};
  for (int i = 1; i <= 40; ++i) {
    bomb.push_back(S("\xa2", 1) + static_cast<char>(i - 1) + static_cast<char>(i - 1));
  }
  cases.emplace_back("reference bomb", Build(bomb, 40));
  for (const auto& [name, bytes] : cases) {
    std::string error;
    EXPECT_FALSE(ReadBinaryPropertyList(bytes, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  // A shared value that does not explode is fine.
  EXPECT_TRUE(ReadBinaryPropertyList(Build({S("\xa2\x01\x01", 3), S("\x09", 1)}), nullptr));
}

}  // namespace
