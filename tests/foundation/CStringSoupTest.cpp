#include "foundation/CStringSoup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CStringSoup, InternsByExactBytes) {
  CStringSoup soup;
  EXPECT_EQ(soup.size(), 0);
  EXPECT_EQ(soup.Insert("*PageSize"), 0);
  EXPECT_EQ(soup.Insert("*InputSlot"), 1);
  EXPECT_EQ(soup.Insert("*PageSize"), 0);
  EXPECT_EQ(soup.Insert("*pagesize"), 2);  // case matters
  EXPECT_EQ(soup.Insert(""), 3);
  EXPECT_EQ(soup.size(), 4);
  EXPECT_EQ(soup.Find("*InputSlot"), 1);
  EXPECT_EQ(soup.Find("*Missing"), -1);
  EXPECT_EQ(soup.Find(static_cast<const char*>(nullptr)), -1);
  EXPECT_EQ(soup.Insert(nullptr), -1);
  EXPECT_STREQ(soup.Find(1L), "*InputSlot");
  EXPECT_STREQ(soup.Find(0), "*PageSize");
  EXPECT_EQ(soup.Find(4L), nullptr);
  EXPECT_EQ(soup.Find(-1L), nullptr);
}

TEST(CStringSoup, BuffersHoldAtLeast64Bytes) {
  CStringSoup soup;
  std::string longText(200, 'k');
  long small = soup.Insert("ab");
  long large = soup.Insert(longText.c_str());
  EXPECT_EQ(soup.BufferSize(small), 64u);
  EXPECT_EQ(soup.BufferSize(large), 201u);
  EXPECT_EQ(soup.Find(large), std::string(longText));
  // The copy is the table's own: changing the source does not reach it.
  char source[] = "mutable";
  long id = soup.Insert(source);
  source[0] = 'M';
  EXPECT_STREQ(soup.Find(id), "mutable");
}

TEST(CStringSoup, ClearEmptiesAndIndicesStartAgain) {
  CStringSoup soup;
  for (int i = 0; i < 600; ++i) soup.Insert(std::to_string(i).c_str());  // past the reserve
  EXPECT_EQ(soup.size(), 600);
  EXPECT_STREQ(soup.Find(599L), "599");
  soup.Clear();
  EXPECT_EQ(soup.size(), 0);
  EXPECT_EQ(soup.Find("1"), -1);
  EXPECT_EQ(soup.Insert("1"), 0);
}

// Insert consults Find and size() through the object.
class CountingSoup : public CStringSoup {
 public:
  long Find(const char* text) const override {
    ++finds;
    return CStringSoup::Find(text);
  }
  using CStringSoup::Find;
  mutable int finds = 0;
};

TEST(CStringSoup, InsertLooksUpThroughTheObject) {
  CountingSoup soup;
  soup.Insert("a");
  soup.Insert("a");
  EXPECT_EQ(soup.finds, 2);
}

}  // namespace
