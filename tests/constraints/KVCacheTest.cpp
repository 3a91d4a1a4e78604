#include "constraints/KVCache.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

KVCache Listed(std::initializer_list<KVPair> pairs) {
  KVCache c;
  for (const KVPair& p : pairs) c.add(p);
  return c;
}

std::vector<KVPair> Pairs(const KVCache& c) {
  return {c.begin(), c.end()};
}

TEST(KVCacheTest, InsertKeepsOnePairPerKeyAndAddAppends) {
  KVCache c;
  c.Insert(5, 7);
  c.Insert(5, 9);
  EXPECT_EQ(Pairs(c), (std::vector<KVPair>{{5, 9}}));
  c.add(5, 7);
  EXPECT_EQ(Pairs(c), (std::vector<KVPair>{{5, 9}, {5, 7}}));
  // Insert replaces the first pair of the key, in place.
  c.Insert(2, 1);
  c.Insert(5, 4);
  EXPECT_EQ(Pairs(c), (std::vector<KVPair>{{5, 4}, {5, 7}, {2, 1}}));
  EXPECT_EQ(c.GetItem(5), 4);
  EXPECT_EQ(c.Lookup({5, 7}), 1);
  EXPECT_EQ(c.Lookup({5, 9}), -1);
}

TEST(KVCacheTest, NegativeKeysAreIgnoredByInsertMergeAndSum) {
  KVCache c;
  c.Insert(-1, 3);
  EXPECT_EQ(c.size(), 0u);
  KVCache other = Listed({{-1, 3}, {4, 4}, {4, 5}, {-2, 0}});
  EXPECT_EQ(Pairs(c + other), (std::vector<KVPair>{{4, 4}, {4, 5}}));
  c.merge(other);
  EXPECT_EQ(Pairs(c), (std::vector<KVPair>{{4, 5}}));
  // Option -1 (any option) is a value like any other.
  c.Insert(4, -1);
  EXPECT_EQ(c.GetItem(4), -1);
  EXPECT_EQ(c.Lookup({4, -1}), 0);
}

TEST(KVCacheTest, EmptyAndOutOfRangeAccess) {
  KVCache c;
  EXPECT_EQ(c.GetItem(0), -1);
  EXPECT_EQ(c.pop_front(), KVPair(0, 0));
  EXPECT_EQ(c.pop_back(), KVPair(0, 0));
  EXPECT_EQ(c.GetKV(0), KVPair(-1, -1));
  c.add(1, 2);
  c.add(3, 4);
  EXPECT_EQ(c.GetKV(1), KVPair(3, 4));
  EXPECT_EQ(c.GetKV(2), KVPair(-1, -1));
  EXPECT_EQ(c.GetKV(-1), KVPair(-1, -1));
  EXPECT_EQ(c.pop_back(), KVPair(3, 4));
  EXPECT_EQ(c.pop_front(), KVPair(1, 2));
  EXPECT_TRUE(c.empty());
}

TEST(KVCacheTest, SumAppendsAndMergeReplaces) {
  const KVCache a = Listed({{1, 1}, {2, 2}});
  const KVCache b = Listed({{2, 9}, {3, 3}});
  KVCache sum = a + b;
  EXPECT_EQ(Pairs(sum), (std::vector<KVPair>{{1, 1}, {2, 2}, {2, 9}, {3, 3}}));
  EXPECT_EQ(Pairs(a), (std::vector<KVPair>{{1, 1}, {2, 2}}));  // operands unchanged
  KVCache merged = a;
  merged.merge(b);
  EXPECT_EQ(Pairs(merged), (std::vector<KVPair>{{1, 1}, {2, 9}, {3, 3}}));
  KVCache self = a;
  self += self;
  EXPECT_EQ(Pairs(self), (std::vector<KVPair>{{1, 1}, {2, 2}, {1, 1}, {2, 2}}));
  // Merging a list with itself: each Insert lands on the key's first pair.
  KVCache dup = Listed({{1, 2}, {1, 3}});
  dup.merge(dup);
  EXPECT_EQ(Pairs(dup), (std::vector<KVPair>{{1, 3}, {1, 3}}));
}

TEST(KVCacheTest, EqualityIsMultisetEquality) {
  struct Case {
    KVCache a, b;
    bool equal;
  };
  const Case cases[] = {
      {Listed({}), Listed({}), true},
      {Listed({{1, 2}, {3, 4}}), Listed({{3, 4}, {1, 2}}), true},
      {Listed({{1, 2}, {1, 2}}), Listed({{1, 2}, {3, 4}}), false},
      {Listed({{1, 2}, {1, 2}, {3, 4}}), Listed({{1, 2}, {3, 4}, {3, 4}}), false},
      {Listed({{1, 2}, {3, 4}, {1, 2}}), Listed({{1, 2}, {1, 2}, {3, 4}}), true},
      {Listed({{1, 2}}), Listed({{1, 2}, {1, 2}}), false},
      {Listed({{1, 2}}), Listed({{2, 1}}), false},
      {Listed({{1, 5}, {1, 6}}), Listed({{1, 6}, {1, 5}}), true},
      {Listed({{-1, 0}, {0, -1}}), Listed({{0, -1}, {-1, 0}}), true},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].a == cases[i].b, cases[i].equal) << "case " << i;
    EXPECT_EQ(cases[i].b == cases[i].a, cases[i].equal) << "case " << i << " reversed";
  }
}

TEST(KVCacheTest, KeyOptionGreaterSortsKeyThenOptionDescending) {
  EXPECT_TRUE(KeyOptionGreater({2, 0}, {1, 9}));
  EXPECT_TRUE(KeyOptionGreater({1, 9}, {1, 8}));
  EXPECT_FALSE(KeyOptionGreater({1, 8}, {1, 8}));
  EXPECT_FALSE(KeyOptionGreater({1, 8}, {1, 9}));
  EXPECT_FALSE(KeyOptionGreater({-1, 9}, {0, 0}));
}

}  // namespace
