#include "foundation/CString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Bytes(const CString& s) {
  const char* p = s;
  return p ? std::string(p) : std::string("<unset>");
}

TEST(CString, UnsetComparesEqualToAnythingButNotTheReverse) {
  CString unset;
  CString text("abc");
  EXPECT_TRUE(text == unset);
  EXPECT_FALSE(unset == text);
  EXPECT_TRUE(unset == CString(""));
  EXPECT_FALSE(text == CString("abd"));
  EXPECT_TRUE(text == "abc");
  EXPECT_FALSE(text == "ab");
  EXPECT_TRUE(unset == static_cast<const char*>(nullptr));
  EXPECT_FALSE(text == static_cast<const char*>(nullptr));
}

TEST(CString, EmptyStatesAndSizes) {
  CString unset;
  EXPECT_TRUE(unset.Empty());
  EXPECT_EQ(static_cast<const char*>(unset), nullptr);
  EXPECT_EQ(unset.Size(), 0u);

  CString blank("");
  EXPECT_TRUE(blank.Empty());
  EXPECT_NE(static_cast<const char*>(blank), nullptr);

  CString none(static_cast<const char*>(nullptr));
  EXPECT_EQ(static_cast<const char*>(none), nullptr);

  CString text("hello");
  EXPECT_FALSE(text.Empty());
  EXPECT_EQ(text.Size(), 5u);
  text.ClearBuffer();
  EXPECT_EQ(static_cast<const char*>(text), nullptr);
  EXPECT_EQ(text.Size(), 0u);
}

TEST(CString, SetBufferFromItsOwnBufferIsSafe) {
  CString s("abcdef");
  s.SetBuffer(s.Buffer());  // the buffer itself: nothing to do
  EXPECT_EQ(Bytes(s), "abcdef");
  s.SetBuffer(s.Buffer() + 2);  // a part of it: copied before the old buffer goes
  EXPECT_EQ(Bytes(s), "cdef");
  EXPECT_EQ(s.Size(), 4u);
  CString& self = s;
  s = self;
  EXPECT_EQ(Bytes(s), "cdef");
  s = static_cast<const char*>(nullptr);
  EXPECT_EQ(static_cast<const char*>(s), nullptr);
}

TEST(CString, CopiesAreIndependentAndMovesLeaveUnset) {
  CString a("one");
  CString b(a);
  b + "!";
  EXPECT_EQ(Bytes(a), "one");
  EXPECT_EQ(Bytes(b), "one!");
  CString c(std::move(b));
  EXPECT_EQ(Bytes(c), "one!");
  EXPECT_EQ(static_cast<const char*>(b), nullptr);  // NOLINT: moved-from is unset
  a = std::move(c);
  EXPECT_EQ(Bytes(a), "one!");
  EXPECT_EQ(a.Size(), 4u);
}

TEST(CString, PlusAppendsInPlace) {
  CString s("ab");
  CString& result = s + "cd";
  EXPECT_EQ(&result, &s);
  EXPECT_EQ(Bytes(s), "abcd");
  EXPECT_EQ(s.Size(), 4u);
  s + "" + static_cast<const char*>(nullptr);
  EXPECT_EQ(Bytes(s), "abcd");

  CString unset;
  unset + "";
  EXPECT_EQ(static_cast<const char*>(unset), nullptr);  // combined length 0: unchanged
  unset + "x";
  EXPECT_EQ(Bytes(unset), "x");
}

struct ReplaceCase {
  const char* text;
  const char* from;
  const char* to;
  const char* expected;
};

TEST(CString, ReplaceChangesTheFirstOccurrenceOnly) {
  const ReplaceCase cases[] = {
      {"a-b-c", "-", "+", "a+b-c"}, {"abc", "b", "", "ac"},
      {"abc", "x", "y", "abc"},     {"abc", "abc", "wxyz", "wxyz"},
      {"aaa", "a", "bba", "bbaaa"}, {"abc", "c", "cc", "abcc"},
      {"abc", "", "z", "abc"},      {"ab", "abc", "z", "ab"},
      {"xyz", "x", nullptr, "yz"},  // an unset replacement removes
  };
  for (const auto& c : cases) {
    CString s(c.text);
    s.Replace(CString(c.from), CString(c.to));
    EXPECT_EQ(Bytes(s), c.expected) << c.text << " / " << c.from;
    EXPECT_EQ(s.Size(), std::strlen(c.expected)) << c.text;
  }
  CString unset;
  unset.Replace(CString(""), CString("x"));
  unset.Replace(CString("a"), CString("x"));
  EXPECT_EQ(static_cast<const char*>(unset), nullptr);
}

TEST(CString, RemoveStaysInsideTheBuffer) {
  struct Case {
    long at;
    unsigned long n;
    const char* expected;
  } cases[] = {
      {0, 2, "cdef"},   {2, 2, "abef"},   {4, 10, "abcd"},
      {5, 1, "abcde"},  {6, 1, "abcdef"},  // at the NUL: nothing
      {1, 0, "abcdef"},
  };
  for (const auto& c : cases) {
    CString s("abcdef");
    s.Remove(s.Buffer() + c.at, c.n);
    EXPECT_EQ(Bytes(s), c.expected) << c.at << "+" << c.n;
    EXPECT_EQ(s.Size(), std::strlen(c.expected));
  }
  CString other("zz");
  CString s("abc");
  s.Remove(other.Buffer(), 1);
  EXPECT_EQ(Bytes(s), "abc");
}

TEST(CString, InsertBuildsTheCombinedText) {
  struct Case {
    long at;
    const char* text;
    const char* expected;
  } cases[] = {
      {0, "xy", "xyabc"}, {1, "xy", "axybc"}, {3, "xy", "abcxy"},
      {1, "", "abc"},     {4, "xy", "abc"},  // past the end: nothing
  };
  for (const auto& c : cases) {
    CString s("abc");
    s.Insert(s.Buffer() + c.at, c.text);
    EXPECT_EQ(Bytes(s), c.expected) << c.at << " " << c.text;
    EXPECT_EQ(s.Size(), std::strlen(c.expected));
  }
  CString other("zz");
  CString s("abc");
  s.Insert(other.Buffer() + 1, "x");  // not a position of this string
  EXPECT_EQ(Bytes(s), "abc");
  CString unset;
  unset.Insert(unset.Buffer(), "x");
  EXPECT_EQ(static_cast<const char*>(unset), nullptr);
}

TEST(CString, ContainsFoldsCase) {
  struct Case {
    const char* text;
    const char* needle;
    bool expected;
  } cases[] = {
      {"*PageSize", "pagesize", true}, {"*PageSize", "PAGE", true}, {"abc", "", true},
      {"abc", "abcd", false},          {"abc", "bd", false},        {"ab\xC9", "\xC9", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CString(c.text).Contains(c.needle), c.expected) << c.text << " " << c.needle;
  EXPECT_FALSE(CString().Contains("a"));
  EXPECT_FALSE(CString("a").Contains(nullptr));
}

// Saves and restores the process-wide encoding switches and the system encoding.
class CStringPlatformText : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLevel_ = gQZUTF8Version;
    savedJapanese_ = gPopupJobNotesLangIsJapanese;
    savedDocServer_ = gIsDocServerKey;
    savedEncoding_ = GetApplicationTextEncoding();
    SetApplicationTextEncoding(kTextEncodingMacRoman);
  }
  void TearDown() override {
    gQZUTF8Version = savedLevel_;
    gPopupJobNotesLangIsJapanese = savedJapanese_;
    gIsDocServerKey = savedDocServer_;
    SetApplicationTextEncoding(savedEncoding_);
  }

 private:
  int32_t savedLevel_;
  bool savedJapanese_;
  bool savedDocServer_;
  TextEncoding savedEncoding_;
};

TEST_F(CStringPlatformText, ConstructionUsesTheSystemEncoding) {
  gQZUTF8Version = 9;  // the switches do not apply to construction
  CString s(CFSTR("caf\u00e9"));
  EXPECT_EQ(Bytes(s), "caf\x8E");
  EXPECT_EQ(s.Size(), 4u);
  CString none{CFString()};
  EXPECT_EQ(static_cast<const char*>(none), nullptr);
  CString lossy(CFSTR("\u65e5\u672c"));  // not in Mac Roman
  EXPECT_EQ(static_cast<const char*>(lossy), nullptr);
}

TEST_F(CStringPlatformText, AssignmentChoosesTheEncodingFromTheSwitches) {
  struct Case {
    int32_t level;
    bool japanese;
    bool docServer;
    const char* expected;
  } cases[] = {
      {0, false, false, "caf\x8E"},     {4, false, false, "caf\x8E"},
      {5, false, false, "caf\xC3\xA9"}, {7, false, false, "caf\xC3\xA9"},
      {5, true, false, "caf\x8E"},      {5, false, true, "caf\x8E"},
      {5, true, true, "caf\x8E"},
  };
  for (const auto& c : cases) {
    gQZUTF8Version = c.level;
    gPopupJobNotesLangIsJapanese = c.japanese;
    gIsDocServerKey = c.docServer;
    CString s("old");
    s = CFSTR("caf\u00e9");
    EXPECT_EQ(Bytes(s), c.expected) << c.level << c.japanese << c.docServer;
    EXPECT_EQ(s.Size(), std::strlen(c.expected));
  }
}

TEST_F(CStringPlatformText, AssignmentFailuresGiveTheEmptyText) {
  gQZUTF8Version = 0;
  CString s("old");
  s = CFString();
  EXPECT_NE(static_cast<const char*>(s), nullptr);
  EXPECT_TRUE(s.Empty());

  s = "old";
  s = CFSTR("\u65e5\u672c");  // not in Mac Roman
  EXPECT_NE(static_cast<const char*>(s), nullptr);
  EXPECT_TRUE(s.Empty());

  gQZUTF8Version = 5;
  s = CFSTR("\u65e5\u672c");
  EXPECT_EQ(Bytes(s), "\xE6\x97\xA5\xE6\x9C\xAC");
}

TEST_F(CStringPlatformText, ComparesWithTheUtf8FormOfAPlatformString) {
  EXPECT_TRUE(CString("caf\xC3\xA9") == CFSTR("caf\u00e9"));
  EXPECT_FALSE(CString("caf\x8E") == CFSTR("caf\u00e9"));
  EXPECT_TRUE(CString("\xF0\x9F\x98\x80") == CFSTR("\U0001F600"));  // surrogate pair
  EXPECT_TRUE(CString("") == CFSTR(""));
  EXPECT_TRUE(CString() == CFSTR(""));
  EXPECT_FALSE(CString("x") == CFString());
}

}  // namespace
