#include "serverlink/QZVUnisorPrinterPList.h"

#include <gtest/gtest.h>

#include "../foundation/PreferencesTestSupport.h"

namespace {

using Items = std::vector<PlistValue>;

PlistValue S(const char* text) {
  return PlistValue::String(text);
}
PlistValue B(bool value) {
  return PlistValue::Bool(value);
}
const char* kEnd = "----- Data End -----";

// Elements as short text for readable comparisons: strings as they are,
// booleans as <T>/<F>.
std::vector<std::string> Show(const PlistValue::Array& items) {
  std::vector<std::string> out;
  for (const auto& v : items) {
    out.push_back(v.Kind() == PlistKind::Bool ? (v.GetBool() ? "<T>" : "<F>") : v.GetString("<?>"));
  }
  return out;
}

class UnisorTest : public ::testing::Test {
 protected:
  // The stored list the queue answers with.
  void Store(const Items& items) {
    env.queue.message = FakeQueue::Wide(PlistValue::MakeArray(items).ToXml());
  }
  PreferencesEnvironment env;
};

TEST_F(UnisorTest, FindsRecordsIgnoringCaseAndNeverAnAddress) {
  // The second record's address equals the first record's name.
  Store({S("Office"), S("10.0.0.7"), B(true), S("2"), S(kEnd), S("Lab \u00c9"), S("office"),
         B(false), S("2"), S(kEnd)});
  QZVUnisorPrinterPList list;
  bool found = false;
  EXPECT_EQ(list.Exists(CFSTR("OFFICE"), found), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(list.Exists(CFSTR("lab \u00e9"), found), 5);
  EXPECT_TRUE(list.Find(CFSTR("LAB \u00c9")));
  EXPECT_EQ(list.Exists(CFSTR("10.0.0.7"), found), -1);  // followed by a boolean
  EXPECT_FALSE(found);
  EXPECT_FALSE(list.Find(CFSTR("Nowhere")));
  EXPECT_FALSE(list.Find(CFString()));
  EXPECT_EQ(list.CopyAddress(CFSTR("office")).UTF8(), "10.0.0.7");
  EXPECT_TRUE(list.CopyAddress(CFSTR("Nowhere")).IsNull());
  EXPECT_TRUE(list.getIPEnabled(CFSTR("Office")));
  EXPECT_FALSE(list.getIPEnabled(CFSTR("Lab \u00c9")));
  EXPECT_FALSE(list.getIPEnabled(CFSTR("Nowhere")));
  EXPECT_FALSE(list.setIPEnabled(CFSTR("Nowhere"), true));
  EXPECT_TRUE(list.setIPEnabled(CFSTR("lab \u00c9"), true));
  EXPECT_TRUE(list.getIPEnabled(CFSTR("Lab \u00c9")));
}

TEST_F(UnisorTest, AddBringsEveryRecordVersionToTwo) {
  struct Case {
    const char* what;
    Items stored;
    std::vector<std::string> after;
  };
  const std::vector<std::string> upgraded = {"P",    "new", "<T>", "2", kEnd,
                                             "Next", "n",   "<F>", "2", kEnd};
  const Case cases[] = {
      {"unknown printer", {}, {"P", "new", "<T>", "2", kEnd}},
      {"version 2",
       {S("p"), S("old"), B(false), S("2"), S("3:1"), S("line"), S(kEnd)},
       {"p", "new", "<T>", "2", "3:1", "line", kEnd}},
      {"version 0",
       {S("P"), S("old"), B(false), S("0"), S("Next"), S("n"), B(false), S("2"), S(kEnd)},
       upgraded},
      {"version 1",
       {S("P"), S("old"), B(false), S("1"), S("2"), S("a"), S("b"), S("Next"), S("n"), B(false),
        S("2"), S(kEnd)},
       upgraded},
      {"version 1 without lines",
       {S("P"), S("old"), B(false), S("1"), S("0"), S("Next"), S("n"), B(false), S("2"), S(kEnd)},
       upgraded},
      {"version 1 cut short",
       {S("P"), S("old"), B(false), S("1"), S("9"), S("a")},
       {"P", "new", "<T>", "2", kEnd}},
      {"no version", {S("P"), S("old"), B(false)}, {"P", "new", "<T>", "2", kEnd}},
      // Neither a lone name nor a data line equal to the name is a record.
      {"lone name", {S("P")}, {"P", "P", "new", "<T>", "2", kEnd}},
      {"name as a data line",
       {S("Q"), S("q"), B(true), S("2"), S("0:2"), S("P"), S("x"), S(kEnd)},
       {"Q", "q", "<T>", "2", "0:2", "P", "x", kEnd, "P", "new", "<T>", "2", kEnd}},
  };
  for (const Case& c : cases) {
    Store(c.stored);
    QZVUnisorPrinterPList list;
    ASSERT_TRUE(list.Add(CFSTR("P"), CFSTR("new"), true)) << c.what;
    EXPECT_EQ(Show(list.Elements()), c.after) << c.what;
    // The record is found again and takes blocks.
    EXPECT_EQ(list.CopyAddress(CFSTR("P")).UTF8(), "new") << c.what;
    EXPECT_TRUE(list.AddDataBlob(CFSTR("P"), 7, {"b"})) << c.what;
  }
  Store({});
  QZVUnisorPrinterPList list;
  EXPECT_FALSE(list.Add(CFString(), CFSTR("a"), true));
  EXPECT_FALSE(list.Add(CFSTR("a"), CFString(), true));
  EXPECT_FALSE(list.Add(CFString(std::u16string(u"a\0b", 3)), CFSTR("x"), true));
  EXPECT_FALSE(list.Add(CFSTR("a"), CFString(std::u16string(u"x\0", 2)), true));
  EXPECT_TRUE(list.Elements().empty());
}

TEST_F(UnisorTest, DataBlocksAreReplacedRightAfterTheVersion) {
  Store({S("P"), S("a"), B(true), S("2"), S("1:1"), S("one"), S("11:2"), S("x1:y"), S("eleven"),
         S(kEnd)});
  QZVUnisorPrinterPList list;
  // Block 3 twice: one block 3, first in the record.
  ASSERT_TRUE(list.AddDataBlob(CFSTR("p"), 3, {"first"}));
  ASSERT_TRUE(list.AddDataBlob(CFSTR("p"), 3, {"second", "third"}));
  EXPECT_EQ(Show(list.Elements()),
            (std::vector<std::string>{"P", "a", "<T>", "2", "3:2", "second", "third", "1:1", "one",
                                      "11:2", "x1:y", "eleven", kEnd}));
  // Replacing block 1 leaves block 11 alone, and a line that looks like a
  // header is not one.
  ASSERT_TRUE(list.AddDataBlob(CFSTR("P"), 1, {}));
  std::vector<std::string> lines;
  ASSERT_TRUE(list.GetDataBlob(CFSTR("P"), 11, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"x1:y", "eleven"}));
  lines.clear();
  ASSERT_TRUE(list.GetDataBlob(CFSTR("P"), 1, lines));
  EXPECT_TRUE(lines.empty());
  // Lines are appended to what the caller has.
  lines = {"kept"};
  ASSERT_TRUE(list.GetDataBlob(CFSTR("P"), 3, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"kept", "second", "third"}));
}

TEST_F(UnisorTest, DataBlocksFromSlots) {
  Store({S("P"), S("a"), B(true), S("2"), S(kEnd)});
  QZVUnisorPrinterPList list;
  std::vector<char> slots(3 * kUnisorLineSlot, 'z');  // the last slot has no NUL
  std::snprintf(slots.data(), kUnisorLineSlot, "caf\xC3\xA9");
  std::snprintf(slots.data() + kUnisorLineSlot, kUnisorLineSlot, "%s", "");
  ASSERT_TRUE(list.AddDataBlob(CFSTR("P"), 3, 5, slots.data()));
  std::vector<std::string> lines;
  ASSERT_TRUE(list.GetDataBlob(CFSTR("P"), 5, lines));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "caf\u00e9");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], std::string(1023, 'z'));
  EXPECT_FALSE(list.AddDataBlob(CFSTR("P"), -1, 5, slots.data()));
  EXPECT_FALSE(list.AddDataBlob(CFSTR("P"), 1, 5, nullptr));
  EXPECT_TRUE(list.AddDataBlob(CFSTR("P"), 0, 6, nullptr));
}

TEST_F(UnisorTest, MissingBlocksAndBrokenRecordsAnswerNoData) {
  struct Case {
    const char* what;
    Items stored;
  };
  const Case cases[] = {
      {"unknown printer", {S("Other"), S("a"), B(true), S("2"), S("4:1"), S("x"), S(kEnd)}},
      {"no such block", {S("P"), S("a"), B(true), S("2"), S("3:1"), S("x"), S(kEnd)}},
      {"end marker inside the block", {S("P"), S("a"), B(true), S("2"), S("4:3"), S("x"), S(kEnd)}},
      {"list ends inside the block", {S("P"), S("a"), B(true), S("2"), S("4:3"), S("x")}},
      {"line that is not text", {S("P"), S("a"), B(true), S("2"), S("4:1"), B(true), S(kEnd)}},
      {"version 1 record", {S("P"), S("a"), B(true), S("1"), S("4:1"), S("x"), S(kEnd)}},
      {"garbage before the block",
       {S("P"), S("a"), B(true), S("2"), S("junk"), S("4:1"), S("x"), S(kEnd)}},
      {"negative count", {S("P"), S("a"), B(true), S("2"), S("4:-1"), S("x"), S(kEnd)}},
  };
  for (const Case& c : cases) {
    Store(c.stored);
    QZVUnisorPrinterPList list;
    std::vector<std::string> lines;
    EXPECT_FALSE(list.GetDataBlob(CFSTR("P"), 4, lines)) << c.what;
    EXPECT_TRUE(lines.empty()) << c.what;
  }
  Store({S("P"), S("a"), B(true), S("1"), S("0")});
  QZVUnisorPrinterPList old;
  EXPECT_FALSE(old.AddDataBlob(CFSTR("P"), 4, {"x"})) << "blocks need a version 2 record";
}

TEST_F(UnisorTest, SavedListReadsBackTheSame) {
  QZVUnisorPrinterPList list;
  EXPECT_TRUE(list.Elements().empty());
  ASSERT_TRUE(list.Add(CFSTR("Office"), CFSTR("10.0.0.7"), true));
  ASSERT_TRUE(list.AddDataBlob(CFSTR("Office"), 1, {"0,0,0,255,0,0,0,1,0,450,0,0,48,Font,A, B"}));
  EXPECT_TRUE(list.Changed());
  ASSERT_TRUE(list.Save());
  EXPECT_FALSE(list.Changed());
  QZVUnisorPrinterPList again;
  EXPECT_EQ(again.Elements(), list.Elements());
}

TEST_F(UnisorTest, StoredListThatIsNoArrayReadsAsEmptyAndIsKeptAside) {
  const std::string dict = PlistValue::MakeDict({{"k", S("v")}}).ToXml();
  env.queue.message = FakeQueue::Wide(dict);
  QZVUnisorPrinterPList list;
  EXPECT_TRUE(list.Elements().empty());
  EXPECT_TRUE(env.Logged("not an array"));
  ASSERT_TRUE(list.Add(CFSTR("P"), CFSTR("a"), false));
  ASSERT_TRUE(list.Save());
  auto aside = env.Aside(env.HomePrefs());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadWholeFile(aside[0]), dict);
}

}  // namespace
