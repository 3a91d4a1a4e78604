#include "constraints/UIConstraints.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ConstraintModel.h"

namespace {

TEST(UIConstraintsTest, ConstraintsAreDirectional) {
  struct Case {
    bool declaredFromDuplex;  // else declared from the media type
    const char* media;
    const char* key;
    const char* option;
    bool constrained;
  };
  const Case cases[] = {
      {true, "Transparency", "*Duplex", "DuplexNoTumble", true},
      {true, "Plain", "*Duplex", "DuplexNoTumble", false},
      {true, "Transparency", "*Duplex", "None", false},
      {false, "Transparency", "*Duplex", "DuplexNoTumble", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.declaredFromDuplex << " " << c.media << " " << c.option);
    ConstraintModel m;
    m.Declare("*Duplex", {"None", "DuplexNoTumble", "DuplexTumble"});
    m.Declare("*MediaType", {"Plain", "Transparency"});
    if (c.declaredFromDuplex)
      m.Forbid("*Duplex", "DuplexNoTumble", "*MediaType", "Transparency");
    else
      m.Forbid("*MediaType", "Transparency", "*Duplex", "DuplexNoTumble");
    m.Set("*Duplex", "None");
    m.Set("*MediaType", c.media);
    EXPECT_EQ(m.ui.IsKVConstrained(c.key, c.option), c.constrained);
    EXPECT_EQ(m.ui.IsKVConstrained(m.Id(c.key), m.Id(c.option)), c.constrained);
    EXPECT_EQ(m.ui.ValidateDelta(m.Cache({{c.key, c.option}})), !c.constrained);
  }
}

TEST(UIConstraintsTest, TextCheckInternsNothing) {
  ConstraintModel m;
  m.Declare("*Duplex", {"None", "DuplexNoTumble"});
  m.Declare("*MediaType", {"Plain", "Transparency"});
  m.Forbid("*Duplex", "DuplexNoTumble", "*MediaType", "Transparency");
  m.Set("*MediaType", "Transparency");
  const long before = m.ui.GetConstraintStrings()->size();
  // A key never interned: never constrained.
  EXPECT_FALSE(m.ui.IsKVConstrained("*InputSlot", "DuplexNoTumble"));
  // An option never interned, of a known key: every option of the key counts.
  EXPECT_TRUE(m.ui.IsKVConstrained("*Duplex", "NoSuchOption"));
  EXPECT_FALSE(m.ui.IsKVConstrained("*MediaType", "NoSuchOption"));
  EXPECT_FALSE(m.ui.IsKVConstrained(nullptr, "None"));
  EXPECT_EQ(m.ui.GetConstraintStrings()->size(), before);
  EXPECT_EQ(m.Id("NoSuchOption"), -1);
  // Ids outside the table are just unknown.
  EXPECT_FALSE(m.ui.IsKVConstrained(-1, m.Id("DuplexNoTumble")));
  EXPECT_FALSE(m.ui.IsKVConstrained(1L << 40, 3));
  EXPECT_FALSE(m.ui.IsKVConstrained(m.Id("*Duplex"), 1L << 40));
}

TEST(UIConstraintsTest, UpdateKeepsOneValuePerKey) {
  ConstraintModel m;
  m.Set("*Duplex", "None");
  m.Set("*MediaType", "Plain");
  m.Set("*Duplex", "DuplexTumble");
  EXPECT_EQ(PairsOf(m.ui.Current()),
            m.Pairs({{"*Duplex", "DuplexTumble"}, {"*MediaType", "Plain"}}));
  m.ui.UpdateKVCache(nullptr, "x");
  m.ui.UpdateKVCache("*Duplex", nullptr);
  m.ui.UpdateKVCache(-1, 4);
  EXPECT_EQ(m.ui.Current().size(), 2u);
  // An option that no control declared is still a value (reported as is).
  m.Set("*Duplex", "Unheard");
  EXPECT_EQ(m.ui.Current().GetItem(m.Id("*Duplex")), m.Id("Unheard"));
}

TEST(UIConstraintsTest, DeclarationsAndNullArguments) {
  ConstraintModel m;
  m.Declare("*Duplex", {"None", "DuplexTumble", "None"});
  ASSERT_NE(m.ui.Declared().GetItems(m.Id("*Duplex")), nullptr);
  EXPECT_EQ(*m.ui.Declared().GetItems(m.Id("*Duplex")),
            (std::vector<long>{m.Id("None"), m.Id("DuplexTumble"), m.Id("None")}));
  m.ui.KVSInsert(nullptr, "x");
  m.ui.KVSInsert("*K", nullptr);
  m.ui.KVSInsert(-1, 0);
  m.ui.Add(nullptr, "a", "*B", "b", false);
  m.ui.Add("*A", "a", "*B", nullptr, false);
  EXPECT_EQ(m.ui.Declared().size(), 1u);
  EXPECT_TRUE(m.ui.GetConstraintForest()->Trees().empty());
  EXPECT_EQ(m.ui.DeferredCount(), 0u);
}

// Expansion of constraints with an empty option.
TEST(UIConstraintsTest, ResolveExpandsDeferredConstraints) {
  struct Case {
    const char *o1, *o2;
    bool required;
    std::vector<std::pair<const char*, const char*>> k1Options, k2Options;
    // Expected (O1, O2) pairs, in the order of the K1 options, then K2 options.
    std::vector<std::pair<const char*, const char*>> expanded;
  };
  const Case cases[] = {
      {"",
       "Transparency",
       false,
       {{"*K1", "None"}, {"*K1", "A"}, {"*K1", "B"}},
       {},
       {{"A", "Transparency"}, {"B", "Transparency"}}},
      {"A", "", false, {}, {{"*K2", "False"}, {"*K2", "True"}}, {{"A", "True"}}},
      {"",
       "",
       false,
       {{"*K1", "None"}, {"*K1", "a"}, {"*K1", "b"}},
       {{"*K2", "x"}, {"*K2", "False"}, {"*K2", "y"}},
       {{"a", "x"}, {"a", "y"}, {"b", "x"}, {"b", "y"}}},
      {"", "Plain", true, {{"*K1", "A"}}, {}, {{"A", "Plain"}}},
      {"", "Plain", false, {}, {}, {}},  // K1 declares nothing
      {"", "", false, {{"*K1", "A"}}, {}, {}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    ConstraintModel m;
    // Constraints may come before the options they expand to.
    m.ui.Add("*K1", c.o1, "*K2", c.o2, c.required);
    EXPECT_EQ(m.ui.DeferredCount(), 1u);
    for (const auto& [k, o] : c.k1Options) m.ui.KVSInsert(k, o);
    for (const auto& [k, o] : c.k2Options) m.ui.KVSInsert(k, o);
    m.ui.Resolve();
    EXPECT_EQ(m.ui.DeferredCount(), 0u);
    ConstraintForest* target = c.required ? m.ui.GetRequiresForest() : m.ui.GetConstraintForest();
    ConstraintForest* other = c.required ? m.ui.GetConstraintForest() : m.ui.GetRequiresForest();
    EXPECT_TRUE(other->Trees().empty());
    // (O1, O2) of every stored pair, options in id order (here: declaration order).
    std::vector<KVPair> got;
    if (const KeyConstraintTree* tree = target->GetTree(m.Id("*K1"))) {
      for (const auto& [o1, list] : tree->Active()) {
        for (const KVPair& p : list->Pairs()) {
          EXPECT_EQ(p.first, m.Id("*K2"));
          got.push_back({o1, p.second});
        }
      }
    }
    std::vector<KVPair> expected;
    for (const auto& [o1, o2] : c.expanded) expected.push_back({m.Id(o1), m.Id(o2)});
    EXPECT_EQ(got, expected);
  }
}

TEST(UIConstraintsTest, ResolveWithoutEmptyOptionsChangesNothing) {
  ConstraintModel m;
  m.Declare("*Duplex", {"None", "DuplexTumble"});
  m.Forbid("*Duplex", "DuplexTumble", "*MediaType", "Transparency");
  const long before = m.ui.GetConstraintStrings()->size();
  m.ui.Resolve();
  EXPECT_EQ(m.ui.GetConstraintStrings()->size(), before);  // "None"/"False" not interned
  EXPECT_EQ(m.Id("False"), -1);
  EXPECT_EQ(m.ui.GetConstraintForest()->GetConstraintList(m.Id("*Duplex"), -1)->size(), 1u);
}

TEST(UIConstraintsTest, ExpandedConstraintsAreChecked) {
  ConstraintModel m;
  m.Forbid("*Collate", "True", "*OutputBin", "");
  m.Declare("*Collate", {"True", "False"});
  m.Declare("*OutputBin", {"None", "Upper", "Lower"});
  m.ui.Resolve();
  m.Set("*OutputBin", "None");
  EXPECT_FALSE(m.ui.IsKVConstrained("*Collate", "True"));
  m.Set("*OutputBin", "Lower");
  EXPECT_TRUE(m.ui.IsKVConstrained("*Collate", "True"));
  EXPECT_FALSE(m.ui.IsKVConstrained("*Collate", "False"));
}

// The fast check must give the engine's answer in every case: random models,
// random current values, every id including unknown ones and "any option".
TEST(UIConstraintsTest, FastCheckAgreesWithTheEngine) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    UIConstraints ui;
    const int keys = 2 + static_cast<int>(rng() % 6);
    const int options = 1 + static_cast<int>(rng() % 4);
    auto key = [](int k) { return "*K" + std::to_string(k); };
    auto opt = [](int o) { return "o" + std::to_string(o); };
    for (int k = 0; k < keys; ++k)
      for (int o = 0; o < options; ++o) ui.KVSInsert(key(k).c_str(), opt(o).c_str());
    const int count = static_cast<int>(rng() % 20);
    for (int i = 0; i < count; ++i) {
      const int k1 = rng() % keys, k2 = rng() % keys;  // same key allowed
      ui.Add(key(k1).c_str(), opt(rng() % options).c_str(), key(k2).c_str(),
             rng() % 5 == 0 ? "" : opt(rng() % options).c_str(), false);
    }
    ui.Resolve();
    for (int step = 0; step < 6; ++step) {
      ui.UpdateKVCache(key(rng() % keys).c_str(), opt(rng() % (options + 1)).c_str());
      const long n = ui.GetConstraintStrings()->size();
      for (long k = -1; k <= n; ++k) {
        for (long o = -2; o <= n; ++o) {
          KVCache delta;
          delta.Insert(k, o);
          ASSERT_EQ(ui.IsKVConstrained(k, o), !ui.ValidateDelta(delta))
              << "round " << round << " key " << k << " option " << o;
        }
      }
    }
    // The check follows later changes of the forest too.
    ui.GetConstraintForest()->insert(ui.FindId("*K0"), ui.FindId("o0"),
                                     {ui.FindId("*K1"), ui.Current().GetItem(ui.FindId("*K1"))});
    KVCache delta;
    delta.Insert(ui.FindId("*K0"), ui.FindId("o0"));
    EXPECT_EQ(ui.IsKVConstrained(ui.FindId("*K0"), ui.FindId("o0")), !ui.ValidateDelta(delta));
  }
}

}  // namespace

namespace {

// The store keeps its own index of the string table: it must grow with many
// texts and follow a table that was cleared and refilled in another order,
// even to the same size.
TEST(UIConstraintsTest, TextIdsFollowTheStringTable) {
  UIConstraints ui;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) names.push_back("*Key" + std::to_string(i));
  for (const std::string& name : names) ui.KVSInsert(name.c_str(), "On");
  CStringSoup& table = *ui.GetConstraintStrings();
  ASSERT_EQ(table.size(), 3001);  // each key once, "On" once
  for (const std::string& name : names) {
    const long id = ui.FindId(name.c_str());
    ASSERT_GE(id, 0) << name;
    EXPECT_STREQ(table.Find(id), name.c_str());
  }
  EXPECT_EQ(ui.FindId("*Key3000"), -1);
  EXPECT_EQ(ui.FindId(""), -1);

  // Cleared and refilled behind the store's back, same size, other order.
  const long size = table.size();
  table.Clear();
  table.Insert("On");
  for (auto it = names.rbegin(); it != names.rend(); ++it) table.Insert(it->c_str());
  ASSERT_EQ(table.size(), size);
  EXPECT_EQ(ui.FindId("On"), 0);
  EXPECT_EQ(ui.FindId("*Key2999"), 1);
  EXPECT_EQ(ui.FindId(names.front().c_str()), size - 1);
  // Interning after the refill adds a text once.
  ui.KVSInsert("*Fresh", "On");
  EXPECT_EQ(table.size(), size + 1);
  EXPECT_EQ(ui.FindId("*Fresh"), size);
}

}  // namespace
