#include "foundation/StringFunctions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

std::string Replaced(const char* src, const char* pattern, const char* replacement) {
  HeapText out(_replace(src, pattern, replacement));
  return out ? std::string(out.get()) : std::string("<null>");
}

TEST(StringFunctions, CountedStrings) {
  unsigned char counted[256];
  EXPECT_EQ(ctoPStr("abc", counted), counted);
  EXPECT_EQ(counted[0], 3);
  EXPECT_EQ(std::memcmp(counted + 1, "abc", 3), 0);
  char back[256];
  EXPECT_EQ(ptoCStr(counted, back), back);
  EXPECT_STREQ(back, "abc");

  ctoPStr("", counted);
  EXPECT_EQ(counted[0], 0);
  EXPECT_STREQ(ptoCStr(counted, back), "");

  std::string tooLong(300, 'x');  // the length byte cannot say more than 255
  ctoPStr(tooLong.c_str(), counted);
  EXPECT_EQ(counted[0], 255);
  EXPECT_EQ(std::strlen(ptoCStr(counted, back)), 255u);
}

TEST(StringFunctions, NumberFormatting) {
  char buffer[kFloat2StringSize];
  EXPECT_STREQ(num2String(-2147483647 - 1, buffer), "-2147483648");
  EXPECT_STREQ(num2String(0, buffer), "0");
  struct Case {
    float value;
    const char* expected;
  } cases[] = {
      {1.5f, "   1.5000"},
      {-2.25f, "  -2.2500"},
      {12345.5f, "12345.5000"},
      {0.0f, "   0.0000"},
  };
  for (const auto& c : cases) EXPECT_STREQ(float2String(buffer, c.value), c.expected);
  EXPECT_LT(std::strlen(float2String(buffer, -3.4e38f)), kFloat2StringSize);
}

TEST(StringFunctions, String2Number) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"42", 42},
      {"  -17abc", -17},
      {"+8", 8},
      {"abc", 0},
      {"", 0},
      {"\x8E"
       "5",
       0},
  };
  for (const auto& c : cases) EXPECT_EQ(string2Number(c.text), c.expected) << c.text;
  EXPECT_EQ(string2Number(nullptr), 0);
}

TEST(StringFunctions, DeleteCharRange) {
  struct Case {
    short from, to;
    long expectedLength;
    const char* expected;
  } cases[] = {
      {1, 3, 4, "adef"},   {0, 6, 0, ""},        {5, 6, 5, "abcde"},
      {3, 3, 6, "abcdef"}, {7, 9, 6, "abcdef"},  // from past the end
      {4, 9, 6, "abcdef"},  // to past the end: nothing rather than a read past it
      {4, 2, 6, "abcdef"}, {-1, 2, 6, "abcdef"}, {6, 6, 6, "abcdef"},
  };
  for (const auto& c : cases) {
    char text[] = "abcdef";
    EXPECT_EQ(deleteCharRangeInStr(text, c.from, c.to), c.expectedLength) << c.from << ".." << c.to;
    EXPECT_STREQ(text, c.expected);
  }
  EXPECT_EQ(deleteCharRangeInStr(nullptr, 0, 1), 0);
}

TEST(StringFunctions, FindChar) {
  const char* text = "a=b=c";
  EXPECT_EQ(findChar(text, '='), text + 1);
  EXPECT_EQ(findChar(text, 'c'), text + 4);
  EXPECT_EQ(findChar(text, 'x'), nullptr);
  EXPECT_EQ(findChar(text, '\0'), nullptr);
  EXPECT_EQ(findChar(nullptr, 'a'), nullptr);
  const char* high = "t\xE9t\xE9";
  EXPECT_EQ(findChar(high, '\xE9'), high + 1);
}

TEST(StringFunctions, NewInitializedCString) {
  HeapText five(newInitalizedCString(5, '-'));
  ASSERT_NE(five, nullptr);
  EXPECT_STREQ(five.get(), "-----");
  HeapText none(newInitalizedCString(0, 'x'));
  ASSERT_NE(none, nullptr);
  EXPECT_STREQ(none.get(), "");
  EXPECT_EQ(newInitalizedCString(-1, 'x'), nullptr);
}

TEST(StringFunctions, ValidateRangeValues) {
  struct Case {
    const char* text;
    short maxDigits;
    short expected;
  } cases[] = {
      {"12a345", 3, 1},
      {"1234", 3, 0},
      {"", 3, 1},
      {"123", 3, 1},
      {"12\xB3"
       "45",
       2, 1},  // a high byte ends a run
      {"abc", 0, 1},
      {"a1", 0, 0},
      {"99 999 9999", 4, 1},
      {"99 99999", 4, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(validateRangeValues(c.text, c.maxDigits), c.expected) << c.text << " " << c.maxDigits;
  EXPECT_EQ(validateRangeValues(nullptr, 3), 1);
}

TEST(StringFunctions, Wtoi) {
  EXPECT_EQ(wtoi(L"123"), 123);
  EXPECT_EQ(wtoi(L"  -45x"), -45);
  EXPECT_EQ(wtoi(L"x"), 0);
  EXPECT_EQ(wtoi(L""), 0);
  EXPECT_EQ(wtoi(nullptr), 0);
  EXPECT_EQ(wtoi(L"7\u65e5"), 0);  // not representable in the "C" locale: no conversion
}

struct ReplaceCase {
  const char* src;
  const char* pattern;
  const char* replacement;
  const char* expected;
};

TEST(StringFunctions, ReplaceEveryOccurrence) {
  const ReplaceCase cases[] = {
      {"a-b-c", "-", "+", "a+b+c"},
      {"abc", "x", "y", "abc"},
      {"", "a", "b", ""},
      {"abab", "ab", "", ""},
      {"aaaa", "aa", "b", "bb"},
      // Scanning again from the start also replaces what a replacement forms
      // with the text around it.
      {"aabb", "ab", "", ""},
      {"aab", "ab", "b", "b"},
      {"abba", "ba", "ab", "aabb"},
      {"xyz", "", "q", "xyz"},  // an empty pattern matches nothing
      // A replacement holding the pattern would never settle; the scan goes on
      // after each inserted replacement instead.
      {"a&b&c", "&", "&amp;", "a&amp;b&amp;c"},
      {"aa", "a", "aa", "aaaa"},
      {"x", "x", "x", "x"},
      {"aabb", "ab", "abab", "aababb"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Replaced(c.src, c.pattern, c.replacement), c.expected)
        << c.src << " / " << c.pattern << " -> " << c.replacement;
}

// The rescanning result is the one of the plain algorithm: replace the
// leftmost occurrence, start again at the beginning, until none is left.
std::string Reference(std::string text, const std::string& pattern, const std::string& to) {
  for (size_t at; (at = text.find(pattern)) != std::string::npos;)
    text.replace(at, pattern.size(), to);
  return text;
}

TEST(StringFunctions, ReplaceMatchesTheRestartingAlgorithm) {
  const char* texts[] = {"aabbab", "abababba", "bbaaab", "aaaabbbb", "abcabcab", "baab"};
  const char* patterns[] = {"ab", "ba", "aab", "b", "abc"};
  const char* replacements[] = {"", "b", "a", "ba", "bb", "c"};
  for (const char* t : texts)
    for (const char* p : patterns)
      for (const char* r : replacements) {
        if (std::strstr(r, p)) continue;
        EXPECT_EQ(Replaced(t, p, r), Reference(t, p, r)) << t << " / " << p << " -> " << r;
      }
}

TEST(StringFunctions, ReplaceRefusesNullsAndRunawayRewriting) {
  EXPECT_EQ(_replace(nullptr, "a", "b"), nullptr);
  EXPECT_EQ(_replace("a", nullptr, "b"), nullptr);
  EXPECT_EQ(_replace("a", "a", nullptr), nullptr);
  // "ab" -> "bba" doubles the b's for every a in front: 2^40 of them never fit.
  std::string runaway = std::string(40, 'a') + "b";
  EXPECT_EQ(_replace(runaway.c_str(), "ab", "bba"), nullptr);
  std::string modest = std::string(8, 'a') + "b";
  EXPECT_EQ(Replaced(modest.c_str(), "ab", "bba"), std::string(256, 'b') + std::string(8, 'a'));
}

}  // namespace
