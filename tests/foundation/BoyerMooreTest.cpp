#include "foundation/BoyerMoore.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>

namespace {

long Naive(const std::string& data, long from, const std::string& pattern, bool insensitive) {
  if (pattern.empty() || from < 0 || from > static_cast<long>(data.size())) return -1;
  auto same = [&](unsigned char a, unsigned char b) {
    return insensitive ? std::tolower(a) == std::tolower(b) : a == b;
  };
  for (size_t s = from; s + pattern.size() <= data.size(); ++s) {
    size_t k = 0;
    while (k < pattern.size() && same(data[s + k], pattern[k])) ++k;
    if (k == pattern.size()) return static_cast<long>(s - from);
  }
  return -1;
}

struct SearchCase {
  std::string pattern;
  std::string data;
  bool caseSensitive;
  long expected;
};

TEST(BoyerMoore, SearchTable) {
  const SearchCase cases[] = {
      {"*PCFileName", "\r\n*PCFileName: \"X.PPD\"", true, 2},
      {"whole", "whole", true, 0},
      {"q", "abcdqf", true, 4},
      {"z", "abcdef", true, -1},
      {"Xbcd", "abcd", true, -1},   // differs in the first byte only
      {"abcde", "abcd", true, -1},  // longer than the data
      {"", "abcd", true, -1},
      {"ab", "aaab", true, 2},
      {"PCFILENAME", "*PCFileName", false, 1},
      {"PCFILENAME", "*PCFileName", true, -1},
      {"aBc", "zAbc", false, 1},  // a case variant under a mismatch must not be skipped
      {std::string("nul\0x", 5), std::string("a nul\0x", 7), true, 2},
  };
  for (const auto& c : cases) {
    BoyerMoore bm(c.pattern.data(), static_cast<short>(c.pattern.size()), c.data.data(),
                  static_cast<long>(c.data.size()));
    bm.SetCaseSensitve(c.caseSensitive);
    EXPECT_EQ(bm.Search(), c.expected) << c.pattern << " in " << c.data;
  }
}

TEST(BoyerMoore, OffsetsAndCountedPatterns) {
  std::string data = "key=1; key=2; key=3";
  BoyerMoore bm;
  bm.SetSearchData(data.data(), static_cast<long>(data.size()));
  EXPECT_EQ(bm.Search(0, "key", 3), 0);
  EXPECT_EQ(bm.Search(1, nullptr, 0), 6);  // keeps the pattern; result relative to the offset
  const unsigned char counted[] = {5, 'k', 'e', 'y', '=', '3'};
  EXPECT_EQ(bm.Search(0, counted), 14);
  EXPECT_EQ(bm.GetSearchStringLength(), 5);
  char out[256];
  bm.GetSearchString(out);
  EXPECT_STREQ(out, "key=3");
  EXPECT_EQ(bm.Search(static_cast<long>(data.size()), nullptr, 0), -1);
  EXPECT_EQ(bm.Search(-1, nullptr, 0), -1);
  EXPECT_EQ(bm.Search(static_cast<long>(data.size()) + 1, nullptr, 0), -1);
  bm.SetSearchData(data.data(), 3);  // the start offset goes back to 0
  EXPECT_EQ(bm.Search(0, "key", 3), 0);
  EXPECT_EQ(bm.Search(0, "key=", 4), -1);  // only the first 3 bytes are data
}

TEST(BoyerMoore, PatternLengthLimits) {
  std::string longest(255, 'p');
  std::string data = "xx" + longest + "yy";
  BoyerMoore bm;
  bm.SetSearchData(data.data(), static_cast<long>(data.size()));
  EXPECT_TRUE(bm.SetSearchString(longest.c_str(), 255));
  EXPECT_EQ(bm.Search(), 2);

  std::string tooLong(256, 'p');
  EXPECT_FALSE(bm.SetSearchString(tooLong.c_str(), 256));
  EXPECT_EQ(bm.GetSearchStringLength(), 0);  // refused: no pattern left to match
  EXPECT_EQ(bm.Search(), -1);
  EXPECT_EQ(bm.Search(0, tooLong.c_str(), 300), -1);
  EXPECT_FALSE(bm.SetSearchString("abc", -1));
  EXPECT_FALSE(bm.SetSearchString(nullptr, 3));
  EXPECT_FALSE(bm.SetSearchString(static_cast<const unsigned char*>(nullptr)));
  char out[256];
  bm.GetSearchString(out);
  EXPECT_STREQ(out, "");
}

TEST(BoyerMoore, NullDataMeansNothingToSearch) {
  BoyerMoore bm("a", 1, nullptr, 100);
  EXPECT_EQ(bm.Search(), -1);
  BoyerMoore empty;
  EXPECT_TRUE(empty.GetCaseSensitive());
  EXPECT_EQ(empty.Search(), -1);
  empty.SetCaseSensitve(false);
  EXPECT_FALSE(empty.GetCaseSensitive());
}

// Small alphabets make overlaps and repeated bytes common.
TEST(BoyerMoore, AgreesWithANaiveSearch) {
  std::mt19937 rng(1234);
  const char alphabet[] = "aAbB\xC1\xE1*";
  for (int round = 0; round < 4000; ++round) {
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    std::string pattern(rng() % 6, ' '), data(rng() % 40, ' ');
    for (char& c : pattern) c = alphabet[pick(rng)];
    for (char& c : data) c = alphabet[pick(rng)];
    bool sensitive = rng() % 2;
    long from = static_cast<long>(rng() % (data.size() + 2));
    BoyerMoore bm;
    bm.SetCaseSensitve(sensitive);
    bm.SetSearchData(data.data(), static_cast<long>(data.size()));
    long got = bm.Search(from, pattern.data(), static_cast<short>(pattern.size()));
    ASSERT_EQ(got, Naive(data, from, pattern, !sensitive))
        << "pattern '" << pattern << "' data '" << data << "' from " << from;
  }
}

}  // namespace
