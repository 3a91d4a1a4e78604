#include "foundation/PtrLinkList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records its own destruction, so that the list's ownership shows.
struct Tracked : LinkElement_Dual {
  Tracked(int id, std::vector<int>* log) : id(id), log(log) {}
  ~Tracked() override { log->push_back(id); }
  int id;
  std::vector<int>* log;
};

int Id(LinkElement_Dual* e) {
  return e ? static_cast<Tracked*>(e)->id : -1;
}

TEST(PtrLinkList, AddLinksAndCounts) {
  std::vector<int> destroyed;
  PtrLinkList list(new Tracked(0, &destroyed));
  EXPECT_FALSE(list.add(nullptr));
  EXPECT_TRUE(list.add(new Tracked(1, &destroyed)));
  EXPECT_TRUE(list.add(new Tracked(2, &destroyed)));
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_TRUE(list.OwnsElements());
  EXPECT_EQ(Id(list.First()), 0);
  EXPECT_EQ(Id(list.Last()), 2);
  EXPECT_EQ(Id(*list.Iterator()), 0);

  std::vector<int> forward, backward;
  for (LinkElementDualIterator it(list.First()); it != LinkElementDualIterator(); ++it)
    forward.push_back(Id(*it));
  for (LinkElementDualIterator it(list.Last()); it != LinkElementDualIterator(); --it)
    backward.push_back(Id(*it));
  EXPECT_EQ(forward, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(backward, (std::vector<int>{2, 1, 0}));
}

TEST(PtrLinkList, IndexCountsFromZeroAndEndsBeforeTheCount) {
  std::vector<int> destroyed;
  PtrLinkList list;
  EXPECT_EQ(list.index(0), nullptr);
  for (int i = 0; i < 3; ++i) list.add(new Tracked(i, &destroyed));
  EXPECT_EQ(Id(list.index(0)), 0);
  EXPECT_EQ(Id(list.index(2)), 2);
  EXPECT_EQ(list.index(3), nullptr);
  EXPECT_EQ(list.index(65535), nullptr);
}

TEST(PtrLinkList, DestroysEveryElementInOrder) {
  std::vector<int> destroyed;
  {
    PtrLinkList list;
    for (int i = 0; i < 4; ++i) list.add(new Tracked(i, &destroyed));
  }
  EXPECT_EQ(destroyed, (std::vector<int>{0, 1, 2, 3}));
}

TEST(PtrLinkList, IteratorStaysAtNullPastEitherEnd) {
  std::vector<int> destroyed;
  PtrLinkList list(new Tracked(5, &destroyed));
  LinkElementDualIterator it(list.First());
  ++it;
  EXPECT_EQ(*it, nullptr);
  ++it;
  --it;
  EXPECT_EQ(*it, nullptr);
  LinkElementDualIterator back(list.First());
  --back;
  EXPECT_EQ(*back, nullptr);
}

}  // namespace
