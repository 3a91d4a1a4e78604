#include "foundation/StringsTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string Lookup(const StringsTable& t, const char* key) {
  CFString v = t.Find(CFSTR(key));
  return v.IsNull() ? "<none>" : v.UTF8();
}

TEST(StringsTable, ReadsTheTextFormat) {
  const std::string text =
      "\xEF\xBB\xBF/* header\n comment */\n"
      "\"plain\" = \"Plain text\";\n"
      "// line comment \"ignored\" = \"x\";\n"
      "\"escapes\" = \"a \\\"q\\\" b\\\\c\\nd\\te \\U00e9\\u65E5\";\n"
      "bare.word-1 = other_word;\n"
      "\"self\";\n"
      "\"spaced key\"=\"v\";\"next\" = \"after\" ;\n"
      "\"plain\" = \"Later wins\";\n"
      "\"caf\xC3\xA9\" = \"\xE6\x97\xA5\xE6\x9C\xAC\";";
  std::string error;
  auto t = StringsTable::Parse(Bytes(text), &error);
  ASSERT_TRUE(t) << error;
  EXPECT_EQ(Lookup(*t, "plain"), "Later wins");
  EXPECT_EQ(Lookup(*t, "escapes"), "a \"q\" b\\c\nd\te \u00e9\u65e5");
  EXPECT_EQ(Lookup(*t, "bare.word-1"), "other_word");
  EXPECT_EQ(Lookup(*t, "self"), "self");
  EXPECT_EQ(Lookup(*t, "spaced key"), "v");
  EXPECT_EQ(Lookup(*t, "next"), "after");
  EXPECT_EQ(Lookup(*t, "caf\u00e9"), "\u65e5\u672c");
  EXPECT_EQ(Lookup(*t, "ignored"), "<none>");
  EXPECT_EQ(Lookup(*t, "Plain"), "<none>") << "keys are exact";
  EXPECT_EQ(t->Size(), 7u);
}

TEST(StringsTable, ReadsUTF16WithEitherByteOrder) {
  const std::u16string text = u"\"k\" = \"\u00e9t\u00e9\";";
  for (bool big : {false, true}) {
    std::string bytes = big ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (char16_t u : text) {
      char hi = char(u >> 8), lo = char(u & 0xFF);
      bytes += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    auto t = StringsTable::Parse(Bytes(bytes));
    ASSERT_TRUE(t) << big;
    EXPECT_EQ(Lookup(*t, "k"), "\u00e9t\u00e9");
  }
}

TEST(StringsTable, RefusesABrokenTableWithTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"\"a\" = \"b\"\n\"c\" = \"d\";", "line 2: expected ';'"},
      {"\"a\" \"b\";", "line 1: expected '=' or ';'"},
      {"\"a\" = \"b", "line 1: unterminated string"},
      {"\n\n/* open", "line 3: unterminated comment"},
      {"\"a\" = \"\\U12\";", "line 1: bad \\U escape"},
      {"= \"b\";", "line 1: expected a string"},
      {"\"a\" = ;", "line 1: expected a string"},
      {"\"a\" = \"\xFF\";", "not UTF-8 text"},
      {"\xFF\xFE\x22", "odd length for UTF-16 text"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(StringsTable::Parse(Bytes(c.text), &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(StringsTable, EmptyAndCommentOnlyTablesAreValid) {
  for (const char* text : {"", "  \n", "/* nothing */ // here"}) {
    auto t = StringsTable::Parse(Bytes(text));
    ASSERT_TRUE(t) << text;
    EXPECT_EQ(t->Size(), 0u);
  }
}

}  // namespace
