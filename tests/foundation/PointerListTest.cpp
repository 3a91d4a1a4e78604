#include "foundation/PointerList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int v[8] = {0, 1, 2, 3, 4, 5, 6, 7};

std::vector<int> Values(const PointerList& list) {
  std::vector<int> out;
  for (ConstPointerListItr it = list.Begin(); it != list.End(); ++it)
    out.push_back(*static_cast<const int*>(*it));
  return out;
}

// Walks backwards too, so that a broken previous link shows.
std::vector<int> ValuesBackwards(const PointerList& list) {
  std::vector<int> out;
  ConstPointerListItr it = list.End();
  for (--it; it != ConstPointerListItr(nullptr) && *it; --it)
    out.insert(out.begin(), *static_cast<const int*>(*it));
  return out;
}

PointerList Make(std::initializer_list<int> items) {
  PointerList list;
  for (int i : items) list.PushBack(&v[i]);
  return list;
}

TEST(PointerList, EmptyList) {
  PointerList list;
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(list.Begin(), list.End());
  EXPECT_EQ(list.Front(), nullptr);
  EXPECT_EQ(list.Back(), nullptr);
  EXPECT_EQ(*list.End(), nullptr);
  list.PopFront();
  list.PopBack();
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(list.Erase(PointerListItr()), list.Begin());
}

TEST(PointerList, PushAndInsertKeepOrderBothWays) {
  PointerList list;
  list.PushBack(&v[2]);
  list.PushFront(&v[1]);
  list.PushBack(&v[4]);
  PointerListItr four = list.Begin();
  ++four;
  ++four;
  PointerListItr three = list.InsertBefore(four, &v[3]);
  EXPECT_EQ(*three, &v[3]);
  list.InsertBefore(list.Begin(), &v[0]);
  list.InsertBefore(list.End(), &v[5]);
  list.InsertBefore(PointerListItr(), &v[6]);  // null position: at the end
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ValuesBackwards(list), Values(list));
  EXPECT_EQ(list.Size(), 7u);
  EXPECT_EQ(list.Front(), &v[0]);
  EXPECT_EQ(list.Back(), &v[6]);
}

TEST(PointerList, SpliceMovesTheNodesAndLeavesTheOtherListUsable) {
  struct Case {
    std::initializer_list<int> to, from;
    std::vector<int> result;
  } cases[] = {
      {{0, 1}, {2, 3, 4}, {0, 1, 2, 3, 4}},
      {{}, {2, 3}, {2, 3}},
      {{0}, {}, {0}},
      {{}, {}, {}},
  };
  for (const Case& c : cases) {
    PointerList to = Make(c.to), from = Make(c.from);
    to.Splice(from);
    EXPECT_EQ(Values(to), c.result);
    EXPECT_EQ(ValuesBackwards(to), c.result);
    EXPECT_EQ(to.Size(), c.result.size());
    EXPECT_TRUE(from.Empty());
    EXPECT_EQ(from.Begin(), from.End());
    from.PushBack(&v[7]);  // the emptied list still works
    EXPECT_EQ(Values(from), (std::vector<int>{7}));
    to.Splice(to);  // onto itself: nothing changes
    EXPECT_EQ(Values(to), c.result);
  }
}

TEST(PointerList, EraseSinglePositions) {
  PointerList list = Make({0, 1, 2, 3});
  PointerListItr it = list.Begin();
  ++it;
  PointerListItr after = list.Erase(it);
  EXPECT_EQ(*after, &v[2]);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(ValuesBackwards(list), (std::vector<int>{0, 2, 3}));

  // The sentinels are not erasable: the list stays intact.
  EXPECT_EQ(list.Erase(list.End()), list.End());
  PointerListItr head = list.Begin();
  --head;
  EXPECT_EQ(list.Erase(head), list.End());
  EXPECT_EQ(list.Erase(PointerListItr()), list.Begin());
  EXPECT_EQ(list.Size(), 3u);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 2, 3}));

  PointerListItr last = list.Begin();
  ++last;
  ++last;
  EXPECT_EQ(list.Erase(last), list.End());
  list.PopFront();
  EXPECT_EQ(Values(list), (std::vector<int>{2}));
  list.PopBack();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Begin(), list.End());
}

TEST(PointerList, EraseRanges) {
  struct Case {
    int first;  // index from Begin(); -1 for a null position
    int last;   // index from Begin(); 5 is End()
    std::vector<int> expected;
  } cases[] = {
      {1, 3, {0, 3, 4}},        {0, 5, {}}, {2, 2, {0, 1, 2, 3, 4}}, {4, 5, {0, 1, 2, 3}},
      {-1, 2, {0, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    PointerList list = Make({0, 1, 2, 3, 4});
    auto at = [&](int k) {
      PointerListItr it = list.Begin();
      for (int i = 0; i < k; ++i) ++it;
      return it;
    };
    PointerListItr first = c.first < 0 ? PointerListItr() : at(c.first);
    PointerListItr last = at(c.last);
    EXPECT_EQ(list.Erase(first, last), last);
    EXPECT_EQ(Values(list), c.expected) << c.first << ".." << c.last;
    EXPECT_EQ(ValuesBackwards(list), c.expected);
    EXPECT_EQ(list.Size(), c.expected.size());
  }
  // A last position that is not reached stops at the end.
  PointerList list = Make({0, 1, 2});
  PointerListItr second = list.Begin();
  ++second;
  list.Erase(second, list.Begin());
  EXPECT_EQ(Values(list), (std::vector<int>{0}));
}

TEST(PointerList, CopiesShareTheDataNotTheNodes) {
  PointerList a = Make({1, 2, 3});
  PointerList b(a);
  b.PopFront();
  EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Values(b), (std::vector<int>{2, 3}));
  EXPECT_EQ(b.Front(), &v[2]);  // the same object, not a copy
  b = a;
  EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3}));
  PointerList& self = b;
  b = self;
  EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3}));
  b.MakeEmpty();
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(a.Size(), 3u);
}

TEST(PointerList, IteratorsAtNullStayThere) {
  PointerListItr null;
  EXPECT_EQ(*null, nullptr);
  ++null;
  --null;
  EXPECT_EQ(null, PointerListItr());
  const PointerList list = Make({7});
  ConstPointerListItr it = list.Begin();
  EXPECT_EQ(*it, &v[7]);
  EXPECT_EQ(*++it, nullptr);  // the tail sentinel holds no data
  EXPECT_EQ(it, list.End());
}

}  // namespace
