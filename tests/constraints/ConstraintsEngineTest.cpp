#include "constraints/ConstraintsEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConstraintModel.h"

namespace {

// *A {a1 a2}, *B {b1 b2 b3 b4}, *C {c1 c2 c3};
// (*A a1) forbids (*B b1), (*C c2), (*B b3); (*C c1) forbids (*A a1).
// Current: *A a2, *B b1, *C c2.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.Declare("*A", {"a1", "a2"});
    m.Declare("*B", {"b1", "b2", "b3", "b4"});
    m.Declare("*C", {"c1", "c2", "c3"});
    m.Forbid("*A", "a1", "*B", "b1");
    m.Forbid("*A", "a1", "*C", "c2");
    m.Forbid("*A", "a1", "*B", "b3");
    m.Forbid("*C", "c1", "*A", "a1");
    m.Set("*A", "a2");
    m.Set("*B", "b1");
    m.Set("*C", "c2");
  }
  ConstraintsEngine& E() { return *m.ui.Engine(); }
  ConstraintModel m;
};

TEST_F(EngineTest, ConflictsAndAlternativesComeInListOrderBackwards) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> delta;
    std::vector<std::pair<const char*, const char*>> conflicts, alternatives;
  };
  const Case cases[] = {
      // The list of (*A a1) is walked last to first; each conflicting key
      // offers its other options, last declared first, except those the
      // tested pair forbids too (b3).
      {{{"*A", "a1"}},
       {{"*C", "c2"}, {"*B", "b1"}},
       {{"*C", "c3"}, {"*C", "c1"}, {"*B", "b4"}, {"*B", "b2"}}},
      // A delta pair replaces the current value: *C c1 lifts the (*C c2)
      // conflict, and is itself forbidden from (*C c1)'s side.
      {{{"*A", "a1"}, {"*C", "c1"}},
       {{"*B", "b1"}, {"*A", "a1"}},
       {{"*B", "b4"}, {"*B", "b2"}, {"*A", "a2"}}},
      {{{"*A", "a2"}}, {}, {}},
      {{{"*B", "b2"}}, {}, {}},
      {{}, {}, {}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    KVCache delta = m.Cache({});
    for (const auto& [k, o] : c.delta) delta.add(m.P(k, o));
    const ConstraintResult r = E().Test(&delta);
    std::vector<KVPair> conflicts, alternatives;
    for (const auto& [k, o] : c.conflicts) conflicts.push_back(m.P(k, o));
    for (const auto& [k, o] : c.alternatives) alternatives.push_back(m.P(k, o));
    EXPECT_EQ(PairsOf(r.first), conflicts);
    EXPECT_EQ(PairsOf(r.second), alternatives);
  }
}

TEST_F(EngineTest, AnyOptionTestsEveryOptionOfTheKey) {
  KVCache delta;
  delta.add(m.Id("*A"), -1);
  const ConstraintResult r = E().Test(&delta);
  EXPECT_EQ(PairsOf(r.first), m.Pairs({{"*C", "c2"}, {"*B", "b1"}}));
  EXPECT_TRUE(m.ui.IsKVConstrained("*A", "unknown"));
  KVCache nothing;
  EXPECT_TRUE(E().Test(&nothing).first.empty());
  EXPECT_TRUE(E().Test(nullptr).first.empty());
}

TEST_F(EngineTest, SolveChangesTheOtherKeys) {
  KVCache assignment = m.Cache({{"*A", "a1"}});
  const ConstraintResult r = E().Solve(&assignment, false);
  EXPECT_TRUE(r.first.empty());
  EXPECT_EQ(assignment.GetItem(m.Id("*A")), m.Id("a1"));
  EXPECT_TRUE(E().Test(&assignment).first.empty());
  // The first alternative of each conflicting key that works is taken.
  EXPECT_EQ(assignment.GetItem(m.Id("*C")), m.Id("c3"));
  EXPECT_EQ(assignment.GetItem(m.Id("*B")), m.Id("b4"));
}

TEST_F(EngineTest, SolveKeepsGivenKeysWhenAsked) {
  KVCache fixed = m.Cache({{"*A", "a1"}, {"*B", "b1"}});
  EXPECT_FALSE(E().Solve(&fixed, true).first.empty());
  EXPECT_EQ(fixed.GetItem(m.Id("*B")), m.Id("b1"));
  KVCache free = m.Cache({{"*A", "a1"}, {"*B", "b1"}});
  EXPECT_TRUE(E().Solve(&free, false).first.empty());
  EXPECT_NE(free.GetItem(m.Id("*B")), m.Id("b1"));
  KVCache onlyA = m.Cache({{"*A", "a1"}});
  EXPECT_TRUE(E().Solve(&onlyA, true).first.empty());
  EXPECT_EQ(E().Solve(nullptr, false).first.size(), 0u);
}

TEST_F(EngineTest, LockedKeysAreReportedWithTheirCurrentOption) {
  struct Case {
    std::vector<std::pair<long, const char*>> locked;  // option text or null for any
    bool solved;
  };
  const Case cases[] = {
      {{{0, nullptr}}, false},  // *B locked whole
      {{{0, "b4"}}, false},     // one alternative of *B locked
      {{{1, nullptr}}, false},  // *C locked whole
      {{{2, nullptr}}, true},   // *A locked: the solver never wants to change it
      {{}, true},
  };
  const char* keys[] = {"*B", "*C", "*A"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    KVCache locked;
    for (const auto& [k, o] : cases[i].locked) locked.add(m.Id(keys[k]), o ? m.Id(o) : -1);
    ConstraintsEngine engine(&m.ui.Current(), m.ui.GetConstraintForest(), &m.ui.Declared(),
                             &locked);
    KVCache assignment = m.Cache({{"*A", "a1"}});
    const ConstraintResult r = engine.Solve(&assignment, false);
    EXPECT_EQ(r.first.empty(), cases[i].solved);
    if (!cases[i].solved) {
      const char* key = keys[cases[i].locked[0].first];
      EXPECT_EQ(PairsOf(r.first),
                (std::vector<KVPair>{{m.Id(key), m.ui.Current().GetItem(m.Id(key))}}));
      EXPECT_TRUE(r.second.empty());
    }
  }
}

TEST_F(EngineTest, TestLockedStatusFiltersInOrder) {
  KVCache locked;
  locked.add(m.Id("*B"), -1);
  locked.add(m.P("*C", "c3"));
  ConstraintsEngine engine(&m.ui.Current(), m.ui.GetConstraintForest(), &m.ui.Declared(), &locked);
  KVCache alternatives =
      m.Cache({{"*C", "c3"}, {"*C", "c1"}, {"*B", "b4"}, {"*B", "b2"}, {"*A", "a2"}});
  const KVCache report = engine.TestLockedStatus(alternatives);
  EXPECT_EQ(PairsOf(alternatives), m.Pairs({{"*C", "c1"}, {"*A", "a2"}}));
  EXPECT_EQ(PairsOf(report), m.Pairs({{"*C", "c2"}, {"*B", "b1"}}));
  KVCache untouched = m.Cache({{"*B", "b4"}});
  EXPECT_TRUE(E().TestLockedStatus(untouched).empty());  // no locked list
  EXPECT_EQ(untouched.size(), 1u);
}

TEST_F(EngineTest, Listings) {
  m.Forbid("*A", "a2", "*B", "b1");
  m.Forbid("*A", "a2", "*B", "b4");
  // Current: *A a2 *B b1 *C c2.
  EXPECT_EQ(PairsOf(E().ListCurrentConstraints(m.Id("*A"))), m.Pairs({{"*A", "a1"}, {"*A", "a2"}}));
  EXPECT_EQ(PairsOf(E().ListCurrentConstraints(m.Id("*C"))), m.Pairs({}));
  EXPECT_TRUE(E().ListCurrentConstraints(-1).empty());

  const KVCache screen = m.Cache({{"*B", "b1"}, {"*C", "c2"}});
  EXPECT_EQ(PairsOf(E().ListScreenedConstraints(screen, false, m.Id("*A"))),
            m.Pairs({{"*A", "a1"}, {"*A", "a2"}}));
  EXPECT_EQ(PairsOf(E().ListScreenedConstraints(screen, true, m.Id("*A"))),
            m.Pairs({{"*A", "a1"}}));
  EXPECT_TRUE(E().ListScreenedConstraints(m.Cache({{"*B", "b2"}}), false, m.Id("*A")).empty());

  // Options of *A that leave *B nothing but b2 (or b4 ...).
  m.Forbid("*A", "a2", "*B", "b3");
  EXPECT_EQ(PairsOf(E().ListBlockingConstraints(m.Id("*B"), m.Id("b2"), m.Id("*A"))),
            m.Pairs({{"*A", "a2"}}));
  EXPECT_TRUE(E().ListBlockingConstraints(m.Id("*B"), m.Id("b4"), m.Id("*A")).empty());
  EXPECT_TRUE(E().ListBlockingConstraints(m.Id("*B"), -1, m.Id("*A")).empty());
  EXPECT_TRUE(E().ListBlockingConstraints(-1, m.Id("b2"), m.Id("*A")).empty());
  // A key with a single option is blocked by nothing.
  m.Declare("*D", {"d1"});
  EXPECT_TRUE(E().ListBlockingConstraints(m.Id("*D"), m.Id("d1"), m.Id("*A")).empty());
}

// Unsolvable sets must still end within the bounds.
class AdversarialTest : public ::testing::Test {
 protected:
  static std::string Key(int k) { return "*K" + std::to_string(k); }
  static std::string Opt(int o) { return "v" + std::to_string(o); }
  // keys x values, every two keys must differ (both directions declared).
  void AllDifferent(int keys, int values) {
    for (int k = 0; k < keys; ++k)
      for (int v = 0; v < values; ++v) m.ui.KVSInsert(Key(k).c_str(), Opt(v).c_str());
    for (int a = 0; a < keys; ++a)
      for (int b = 0; b < keys; ++b)
        if (a != b)
          for (int v = 0; v < values; ++v)
            m.ui.Add(Key(a).c_str(), Opt(v).c_str(), Key(b).c_str(), Opt(v).c_str(), false);
    for (int k = 0; k < keys; ++k) m.ui.UpdateKVCache(Key(k).c_str(), Opt(0).c_str());
  }
  void ExpectBounded(const ConstraintsEngine& e) {
    const auto& s = e.LastSolveStats();
    EXPECT_LE(s.depth, ConstraintsEngine::kMaxDepth + 1);
    EXPECT_LE(s.maxQueued, ConstraintsEngine::kMaxQueued);
  }
  ConstraintModel m;
};

TEST_F(AdversarialTest, PigeonholeEndsUnsolvedWithinBounds) {
  AllDifferent(7, 6);
  KVCache assignment;
  assignment.add(m.Id(Key(0).c_str()), m.Id(Opt(0).c_str()));
  ConstraintsEngine& e = *m.ui.Engine();
  EXPECT_FALSE(e.Solve(&assignment, false).first.empty());
  ExpectBounded(e);
  EXPECT_TRUE(e.LastSolveStats().queueFull);
  EXPECT_EQ(e.LastSolveStats().depth, ConstraintsEngine::kMaxDepth + 1);
}

TEST_F(AdversarialTest, SolvableAllDifferentIsSolved) {
  AllDifferent(3, 4);
  KVCache assignment;
  assignment.add(m.Id(Key(0).c_str()), m.Id(Opt(0).c_str()));
  ConstraintsEngine& e = *m.ui.Engine();
  EXPECT_TRUE(e.Solve(&assignment, false).first.empty());
  EXPECT_TRUE(e.Test(&assignment).first.empty());
  ExpectBounded(e);
}

TEST_F(AdversarialTest, EveryOptionForbiddenAndCycles) {
  m.Declare("*X", {"x1", "x2"});
  m.Declare("*Y", {"y1", "y2"});
  m.Declare("*Z", {"z1", "z2"});
  // (*X x1) forbids every option of *Y: no alternative exists.
  m.Forbid("*X", "x1", "*Y", "y1");
  m.Forbid("*X", "x1", "*Y", "y2");
  // A cycle: each way out leads back.
  m.Forbid("*X", "x2", "*Z", "z1");
  m.Forbid("*Z", "z2", "*X", "x2");
  m.Forbid("*Y", "y1", "*Z", "z2");
  m.Set("*X", "x1");
  m.Set("*Y", "y1");
  m.Set("*Z", "z1");
  ConstraintsEngine& e = *m.ui.Engine();
  KVCache a = m.Cache({{"*X", "x1"}});
  const ConstraintResult r = e.Solve(&a, false);
  EXPECT_EQ(PairsOf(r.first), m.Pairs({{"*Y", "y1"}}));
  EXPECT_TRUE(r.second.empty());
  ExpectBounded(e);
  KVCache b = m.Cache({{"*X", "x2"}});
  e.Solve(&b, false);
  ExpectBounded(e);
  KVCache c = m.Cache({{"*X", "x2"}, {"*Z", "z2"}, {"*Y", "y1"}});
  EXPECT_FALSE(e.Solve(&c, true).first.empty());
  ExpectBounded(e);
}

}  // namespace

namespace {

// The engine takes any current list, also one holding a key twice: a delta
// pair replaces only the key's first pair, the later ones still count.
TEST(EngineCurrentTest, KeysHeldTwiceInCurrent) {
  KVCache current;
  current.add(1, 2);
  current.add(1, 3);
  ConstraintForest forest;
  forest.insert(1, 5, {1, 3});
  forest.insert(1, 5, {1, 2});
  forest.insert(0, 0, {1, 2});
  forest.insert(0, 0, {1, 3});
  forest.insert(0, 0, {1, 4});
  KeyForest declared;
  ConstraintsEngine e(&current, &forest, &declared);
  struct Case {
    KVPair delta;
    std::vector<KVPair> conflicts;
  };
  const Case cases[] = {
      {{1, 5}, {{1, 3}}},          // (1,2) was replaced by (1,5)
      {{0, 0}, {{1, 3}, {1, 2}}},  // both pairs of key 1 count
      {{1, 4}, {}},
  };
  for (const Case& c : cases) {
    KVCache delta;
    delta.Insert(c.delta.first, c.delta.second);
    EXPECT_EQ(PairsOf(e.Test(&delta).first), c.conflicts) << c.delta.first << "," << c.delta.second;
  }
  ConstraintsEngine empty(nullptr, nullptr, nullptr);
  KVCache delta;
  delta.add(1, 5);
  EXPECT_TRUE(empty.Test(&delta).first.empty());
  EXPECT_TRUE(empty.Solve(&delta, false).first.empty());
  EXPECT_TRUE(empty.ListCurrentConstraints(1).empty());
}

}  // namespace
