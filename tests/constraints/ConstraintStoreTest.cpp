#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "constraints/ConstraintForest.h"
#include "constraints/ItemConstraintList.h"
#include "constraints/KeyForest.h"

namespace {

std::vector<KVPair> Pairs(const KVCache& c) {
  return {c.begin(), c.end()};
}
std::vector<KVPair> Pairs(const ItemConstraintList* l) {
  return l ? l->Pairs() : std::vector<KVPair>{};
}

TEST(KeyForestTest, KeepsDeclarationOrderAndListsKeysAscending) {
  KeyForest f;
  f.insert(9, 3);
  f.insert(2, 7);
  f.insert(9, 1);
  f.insert(9, 3);  // declared twice: kept twice
  ASSERT_NE(f.GetItems(9), nullptr);
  EXPECT_EQ(*f.GetItems(9), (std::vector<long>{3, 1, 3}));
  EXPECT_EQ(f.GetItems(4), nullptr);

  KVCache* out = nullptr;
  f.GetKeys(&out);
  ASSERT_NE(out, nullptr);
  std::unique_ptr<KVCache> owned(out);
  EXPECT_EQ(Pairs(*out), (std::vector<KVPair>{{2, 7}, {9, 3}, {9, 1}, {9, 3}}));
  // A given cache is cleared first.
  KVCache reused;
  reused.add(100, 100);
  KVCache* p = &reused;
  f.GetKeys(&p);
  EXPECT_EQ(p, &reused);
  EXPECT_EQ(reused.size(), 4u);
  f.GetKeys(nullptr);  // nowhere to write: nothing happens
}

TEST(ItemConstraintListTest, IndexingCopiesAndRefusesOutOfRange) {
  ItemConstraintList l(4);
  l.insert(1, 2, kForbidConstraint);
  l.insert({3, 4});
  auto second = l[1];
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(*second, KVPair(3, 4));
  EXPECT_EQ(l[-1], nullptr);
  EXPECT_EQ(l[2], nullptr);
  ItemConstraintList sum = l + l;
  EXPECT_EQ(sum.size(), 4u);
  EXPECT_EQ(sum.Option(), 4);
  l += l;
  EXPECT_EQ(l.Pairs(), sum.Pairs());
}

TEST(ConstraintForestTest, ListsOneOptionOrEveryOptionInIdOrder) {
  ConstraintForest f;
  f.insert(1, 8, 2, 20, kForbidConstraint);
  f.insert(1, 3, {2, 21});
  f.insert(1, 8, {3, 30});
  f.insert(1, 3, {2, 21});  // duplicates kept
  EXPECT_EQ(f.GetConstraintList(5, 1), nullptr);
  EXPECT_EQ(f.GetConstraintList(5, -1), nullptr);
  auto none = f.GetConstraintList(1, 4);
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->empty());
  EXPECT_EQ(Pairs(f.GetConstraintList(1, 8).get()), (std::vector<KVPair>{{2, 20}, {3, 30}}));
  EXPECT_EQ(Pairs(f.GetConstraintList(1, -1).get()),
            (std::vector<KVPair>{{2, 21}, {2, 21}, {2, 20}, {3, 30}}));
  const uint64_t before = f.Version();
  f.insert(7, 7, {7, 7});
  EXPECT_GT(f.Version(), before);
  f.clear();
  EXPECT_EQ(f.GetConstraintList(1, -1), nullptr);
}

// One tree, K1 = 1, with option 10 forbidding (2,20) (2,21) (3,30) (2,20)
// and option 11 forbidding (2,21).
class DisableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (KVPair p : {KVPair{2, 20}, {2, 21}, {3, 30}, {2, 20}}) f.insert(1, 10, p);
    f.insert(1, 11, {2, 21});
  }
  std::vector<KVPair> Active(long option) {
    auto l = f.GetConstraintList(1, option);
    return l ? l->Pairs() : std::vector<KVPair>{};
  }
  ConstraintForest f;
  const std::vector<KVPair> full10{{2, 20}, {2, 21}, {3, 30}, {2, 20}};
};

TEST_F(DisableTest, SwitchesOffMatchingPairs) {
  struct Case {
    long option1, key2, option2;
    std::vector<KVPair> reported, left10, left11;
  };
  const Case cases[] = {
      {10, 2, 20, {{2, 20}, {2, 20}}, {{2, 21}, {3, 30}}, {{2, 21}}},
      {10, 2, -1, {{2, 20}, {2, 21}, {2, 20}}, {{3, 30}}, {{2, 21}}},
      {10, 2, -2, {{2, 20}, {2, 21}, {2, 20}}, {{3, 30}}, {{2, 21}}},
      {10, -1, 0, full10, {}, {{2, 21}}},
      {-1, 2, 21, {{2, 21}, {2, 21}}, {{2, 20}, {3, 30}, {2, 20}}, {}},
      {12, 2, 20, {}, full10, {{2, 21}}},  // no such option
      {10, 4, 40, {}, full10, {{2, 21}}},  // nothing matches
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.option1 << " " << c.key2 << " " << c.option2);
    ConstraintForest g;
    for (KVPair p : full10) g.insert(1, 10, p);
    g.insert(1, 11, {2, 21});
    EXPECT_EQ(Pairs(g.DisableConstraints(1, c.option1, c.key2, c.option2)), c.reported);
    auto l10 = g.GetConstraintList(1, 10);
    auto l11 = g.GetConstraintList(1, 11);
    EXPECT_EQ(l10->Pairs(), c.left10);
    EXPECT_EQ(l11->Pairs(), c.left11);
    // Switching everything back on restores the original lists and order.
    g.EnableConstraints(1, -1, -1, -1);
    EXPECT_EQ(g.GetConstraintList(1, 10)->Pairs(), full10);
    EXPECT_EQ(g.GetConstraintList(1, 11)->Pairs(), (std::vector<KVPair>{{2, 21}}));
  }
  EXPECT_TRUE(f.DisableConstraints(9, 10, -1, -1).empty());  // no tree for key 9
}

TEST_F(DisableTest, RepeatedSwitchOffsCanAllBeUndone) {
  f.DisableConstraints(1, 10, 2, 20);
  f.DisableConstraints(1, 10, 3, -1);
  EXPECT_EQ(Active(10), (std::vector<KVPair>{{2, 21}}));
  // Re-enabling the first switch-off brings its pairs back in their places.
  EXPECT_EQ(Pairs(f.EnableConstraints(1, 10, 2, 20)), (std::vector<KVPair>{{2, 20}, {2, 20}}));
  EXPECT_EQ(Active(10), (std::vector<KVPair>{{2, 20}, {2, 21}, {2, 20}}));
  EXPECT_EQ(Pairs(f.EnableConstraints(1, 10, -1, -1)), (std::vector<KVPair>{{3, 30}}));
  EXPECT_EQ(Active(10), full10);
}

TEST_F(DisableTest, PartialEnableAddsNothingTwice) {
  f.DisableConstraints(1, 10, 2, 20);
  // (2,21) was never switched off: enabling all of key 2 must not duplicate it.
  EXPECT_EQ(Pairs(f.EnableConstraints(1, 10, 2, -1)), (std::vector<KVPair>{{2, 20}, {2, 20}}));
  EXPECT_EQ(Active(10), full10);
  EXPECT_TRUE(f.EnableConstraints(1, 10, 2, -1).empty());
  EXPECT_EQ(Active(10), full10);
}

TEST_F(DisableTest, PartialEnableOfAWhollyRemovedList) {
  f.DisableConstraints(1, 10, -1, -1);
  EXPECT_EQ(Active(10), (std::vector<KVPair>{}));
  EXPECT_EQ(Pairs(f.EnableConstraints(1, 10, 3, 30)), (std::vector<KVPair>{{3, 30}}));
  EXPECT_EQ(Active(10), (std::vector<KVPair>{{3, 30}}));
  EXPECT_EQ(Pairs(f.EnableConstraints(1, 10, -1, -1)),
            (std::vector<KVPair>{{2, 20}, {2, 21}, {2, 20}}));
  EXPECT_EQ(Active(10), full10);
}

TEST_F(DisableTest, PairsAddedWhileSwitchedOffSurviveReEnabling) {
  f.DisableConstraints(1, 10, -1, -1);
  f.insert(1, 10, {5, 50});
  EXPECT_EQ(Active(10), (std::vector<KVPair>{{5, 50}}));
  f.EnableConstraints(1, 10, -1, -1);
  std::vector<KVPair> expected = full10;
  expected.push_back({5, 50});
  EXPECT_EQ(Active(10), expected);
}

}  // namespace
