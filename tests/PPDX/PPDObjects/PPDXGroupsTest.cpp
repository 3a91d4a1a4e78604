// Groups, roll-downs and scroll panes: the group list's counters and display
// filter, its finder, and save -> rebuild with the class markers.
#include "PPDX/PPDObjects/PPDXGroups.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/ModelTestSupport.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"

namespace {

using namespace model_test;

class GroupListTest : public DisplayOptionTest {};

// A page's pane with a shown and a hidden roll-down, and two plain groups
// without parent, one of them hidden.
class GroupTreeTest : public GroupListTest {
 protected:
  void SetUp() override {
    GroupListTest::SetUp();
    pane_.SetParent(&page_);
    page_.SetScrollDown(&pane_);
    for (PPDXRollDown* rollDown : {&general_, &hidden_}) {
      rollDown->SetParent(&pane_);
      pane_.RollDowns()->Add(rollDown);
    }
    for (PPDXGroup* group :
         std::initializer_list<PPDXGroup*>{&pane_, &general_, &hidden_, &unused_, &secret_}) {
      groups_.Add(group);
    }
    collate_ = controls_.Add(Boolean("*QZCollate", true), &general_);
    general_.Controls()->Add(collate_);
  }

  std::vector<std::string> Walk() {
    std::vector<std::string> out;
    for (PPDXGroup* g = groups_.First(); g; g = groups_.Next()) out.emplace_back(g->Keyword());
    return out;
  }

  PPDXProperty page_{"PPMain", CFSTR("Main"), true, true, true};
  PPDXScrollPane pane_{"SPMain", CFSTR("Main Pane"), true};
  PPDXRollDown general_{"FPGeneral", CFSTR("General"), true};
  PPDXRollDown hidden_{"FPHidden", CFSTR("Hidden"), false};
  PPDXGroup unused_{"FPUnused", CFSTR("Unused"), true};
  PPDXGroup secret_{"FPSecret", CFSTR("Secret"), false};
  PPDXGroups groups_;
  ControlSet controls_;
  PPDXBooleanControl* collate_ = nullptr;
};

TEST_F(GroupTreeTest, CountersAndWalkUnderEachDisplayOption) {
  EXPECT_EQ(groups_.Total(), 5);
  EXPECT_EQ(groups_.Orphans(), 2);
  EXPECT_EQ(groups_.Invisible(), 2);
  const std::vector<std::string> all = {"SPMain", "FPGeneral", "FPHidden", "FPUnused", "FPSecret"};
  const struct {
    int32_t option;
    long count;
    bool empty;
    std::vector<std::string> walk;
  } cases[] = {
      {0, 5, false, {"SPMain", "FPGeneral"}},
      {1, 5, false, {"SPMain", "FPGeneral", "FPUnused"}},
      {2, 5, false, {"SPMain", "FPGeneral", "FPHidden"}},
      {3, 5, false, all},
      // Outside 0..3 the list counts as empty, whatever the element rule shows.
      {4, 0, true, all},
      {-1, 0, true, all},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("display option " + std::to_string(c.option));
    SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(c.option));
    EXPECT_EQ(groups_.Count(), c.count);
    EXPECT_EQ(groups_.Empty(), c.empty);
    EXPECT_EQ(GroupCount(&groups_), c.count);
    EXPECT_EQ(IsGrouPointerListEmpty(&groups_), c.empty);
    EXPECT_EQ(Walk(), c.walk);
    EXPECT_EQ(groups_.Next(), nullptr);  // stays at the end
  }
}

TEST_F(GroupListTest, CountIsZeroExactlyWhenTheListIsEmpty) {
  PPDXGroup hidden("FPHidden", CFSTR("Hidden"), false);
  PPDXGroup orphan("FPOrphan", CFSTR("Orphan"), true);
  PPDXRollDown parent("FPParent", CFSTR("Parent"), true);
  PPDXGroup hiddenChild("FPChild", CFSTR("Child"), false);
  hiddenChild.SetParent(&parent);
  PPDXGroups none;
  PPDXGroups oneHidden;
  oneHidden.Add(&hidden);
  PPDXGroups oneOrphan;
  oneOrphan.Add(&orphan);
  PPDXGroups oneHiddenChild;
  oneHiddenChild.Add(&hiddenChild);
  oneHiddenChild.Add(nullptr);  // ignored
  const struct {
    const char* name;
    PPDXGroups* groups;
    long count;  // under options 0..3
  } lists[] = {{"empty", &none, 0},
               {"one hidden orphan", &oneHidden, 1},
               {"one visible orphan", &oneOrphan, 1},
               {"one hidden child", &oneHiddenChild, 1}};
  for (const auto& list : lists) {
    for (int32_t option : {0, 1, 2, 3, 4, -1, 0x7fffffff}) {
      SCOPED_TRACE(std::string(list.name) + ", display option " + std::to_string(option));
      SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(option));
      const bool known = option >= 0 && option <= 3;
      EXPECT_EQ(list.groups->Count(), known ? list.count : 0);
      EXPECT_EQ(list.groups->Empty(), list.groups->Count() == 0);
    }
  }
}

TEST_F(GroupListTest, RecountFollowsParentsLinkedAfterAdding) {
  PPDXScrollPane pane("SPMain", CFSTR("Main"), true);
  PPDXRollDown general("FPGeneral", CFSTR("General"), true);
  PPDXRollDown hidden("FPHidden", CFSTR("Hidden"), false);
  PPDXGroups groups;
  for (PPDXGroup* g : std::initializer_list<PPDXGroup*>{&pane, &general, &hidden}) groups.Add(g);
  EXPECT_EQ(groups.Orphans(), 3);
  general.SetParent(&pane);
  hidden.SetParent(&pane);
  groups.Recount();
  EXPECT_EQ(groups.Total(), 3);
  EXPECT_EQ(groups.Orphans(), 1);
  EXPECT_EQ(groups.Invisible(), 1);
  PPDXGroups none;
  none.Recount();
  EXPECT_EQ(none.Total(), 0);
  EXPECT_TRUE(none.Empty());
}

TEST_F(GroupTreeTest, FindLooksAtEveryGroupByKeyword) {
  // Option 0 hides FPHidden and the orphans, Find does not.
  EXPECT_EQ(groups_.Find("FPHidden", true), &hidden_);
  EXPECT_EQ(groups_.Find("Secret", false), &secret_);
  EXPECT_EQ(groups_.Find("FP", false), &general_);  // the first in list order
  EXPECT_EQ(groups_.Find("FPGen", true), nullptr);
  EXPECT_EQ(groups_.Find(nullptr, false), nullptr);
  EXPECT_EQ(groups_.Find("", true), nullptr);
  EXPECT_EQ(pane_.RollDowns()->Find("FPHidden", true), &hidden_);
  EXPECT_EQ(pane_.RollDowns()->Find("FPUnused", true), nullptr);
}

TEST_F(GroupTreeTest, KindTestsAndWrappers) {
  EXPECT_TRUE(IsRollDown(&general_));
  EXPECT_FALSE(IsRollDown(&pane_));
  EXPECT_FALSE(IsRollDown(&unused_));
  EXPECT_TRUE(IsScrollPane(&pane_));
  EXPECT_FALSE(IsScrollPane(&general_));
  EXPECT_FALSE(IsScrollPane(&page_));
  EXPECT_EQ(GetRollDownControlList(&general_), general_.Controls());
  EXPECT_EQ(GetRollDownControlList(&unused_), nullptr);
  EXPECT_EQ(GetScrollPaneRollDowns(&pane_), pane_.RollDowns());
  EXPECT_EQ(GetScrollPaneRollDowns(&general_), nullptr);
  EXPECT_EQ(FirstGroup(&groups_), &pane_);
  EXPECT_EQ(NextGroup(&groups_), &general_);
  EXPECT_EQ(NextGroup(&groups_), nullptr);
  EXPECT_EQ(FindGroup(&groups_, "Unused", false), &unused_);

  EXPECT_FALSE(IsRollDown(nullptr));
  EXPECT_FALSE(IsScrollPane(nullptr));
  EXPECT_EQ(GetRollDownControlList(nullptr), nullptr);
  EXPECT_EQ(GetScrollPaneRollDowns(nullptr), nullptr);
  EXPECT_EQ(FirstGroup(nullptr), nullptr);
  EXPECT_EQ(NextGroup(nullptr), nullptr);
  EXPECT_EQ(FindGroup(nullptr, "FPGeneral", true), nullptr);
  EXPECT_FALSE(IsGrouPointerListEmpty(nullptr));
  EXPECT_EQ(GroupCount(nullptr), 0);

  // Every constructor gives a roll-down its list and a pane its roll-downs.
  PPDXRollDown rollDown;
  PPDXScrollPane pane;
  EXPECT_NE(rollDown.Controls(), nullptr);
  EXPECT_NE(pane.RollDowns(), nullptr);
  PPDXGroup plain;
  EXPECT_EQ(plain.Keyword(), nullptr);
  EXPECT_FALSE(plain.IsVisible());
}

struct GroupSnapshot {
  std::string kind, keyword, userName, parent;
  bool visible;
  bool operator==(const GroupSnapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const GroupSnapshot& g) {
  return out << g.kind << " " << g.keyword << " '" << g.userName << "' parent '" << g.parent << "'"
             << (g.visible ? "" : " hidden");
}

std::string KindOf(PPDXGroup* group) {
  if (IsScrollPane(group)) return "scroll pane";
  if (IsRollDown(group)) return "roll-down";
  return typeid(*group) == typeid(PPDXGroup) ? "group" : "?";
}

std::vector<GroupSnapshot> SnapshotOf(PPDXGroups& groups) {
  std::vector<GroupSnapshot> out;
  for (PPDXGroup* g = groups.First(); g; g = groups.Next()) {
    const char* parent = g->GetParent() ? g->GetParent()->Keyword() : g->ParentName();
    out.push_back({KindOf(g), g->Keyword() ? g->Keyword() : "", g->CFStringUserName().UTF8(),
                   parent ? parent : "", g->IsVisible()});
  }
  return out;
}

std::vector<std::unique_ptr<PPDXGroup>> TakeRebuilt(PPDXGroups& groups) {
  ScopedDisplayOption everything(kDisplayEverything);
  std::vector<std::unique_ptr<PPDXGroup>> owned;
  for (PPDXGroup* g = groups.First(); g; g = groups.Next()) owned.emplace_back(g);
  return owned;
}

TEST_F(GroupTreeTest, SaveAndRebuildKeepClassNameVisibilityAndParentName) {
  ScopedDisplayOption everything(kDisplayEverything);
  Settings settings;
  ASSERT_EQ(groups_.Save(settings), 0);
  int64_t count = 0;
  int size = 8;
  ASSERT_EQ(settings.Get(kSavedGroupCountTag, kSavedGroupCountId, &count, size, false), 0);
  EXPECT_EQ(count, 5);
  // One one-byte marker per group, naming its class.
  const unsigned int markers[] = {kScrollPaneMarkerTag, kRollDownMarkerTag, kRollDownMarkerTag,
                                  kGroupMarkerTag, kGroupMarkerTag};
  for (int n = 0; n < 5; ++n) {
    SCOPED_TRACE("group " + std::to_string(n + 1));
    for (unsigned int tag : {kGroupMarkerTag, kRollDownMarkerTag, kScrollPaneMarkerTag}) {
      int markerSize = 0;
      const int16_t status = settings.Get(tag, kSavedGroupFirstId + n, nullptr, markerSize, false);
      EXPECT_EQ(status, tag == markers[n] ? kSettingsNoErr : kSettingsItemNotFound);
      if (status == kSettingsNoErr) {
        EXPECT_EQ(markerSize, 1);
      }
    }
  }

  PPDXGroups rebuilt(settings);
  auto owned = TakeRebuilt(rebuilt);
  EXPECT_EQ(SnapshotOf(rebuilt), SnapshotOf(groups_));
  EXPECT_EQ(rebuilt.Total(), 5);
  EXPECT_EQ(rebuilt.Invisible(), 2);
  // The contents come back empty: the document links them again.
  auto* pane = dynamic_cast<PPDXScrollPane*>(rebuilt.Find("SPMain", true));
  auto* general = dynamic_cast<PPDXRollDown*>(rebuilt.Find("FPGeneral", true));
  ASSERT_TRUE(pane && general);
  EXPECT_TRUE(pane->RollDowns()->Empty());
  CNTL_TYPE type = kNoControl;
  EXPECT_EQ(general->Controls()->First(type), nullptr);
  EXPECT_STREQ(pane->ParentName(), "PPMain");

  Settings again;
  ASSERT_EQ(rebuilt.Save(again), 0);
  PPDXGroups twice(again);
  auto ownedTwice = TakeRebuilt(twice);
  EXPECT_EQ(SnapshotOf(twice), SnapshotOf(groups_));
}

TEST_F(GroupTreeTest, OnlyDisplayableGroupsAreSaved) {
  Settings settings;
  ASSERT_EQ(groups_.Save(settings), 0);  // under option 0
  ScopedDisplayOption everything(kDisplayEverything);
  PPDXGroups rebuilt(settings);
  auto owned = TakeRebuilt(rebuilt);
  ASSERT_EQ(owned.size(), 2u);
  EXPECT_STREQ(owned[0]->Keyword(), "SPMain");
  EXPECT_STREQ(owned[1]->Keyword(), "FPGeneral");
}

TEST_F(GroupListTest, RebuildProbesTheMarkersInOrderAndNeedsAnEightByteCount) {
  SetDisplayOption(kDisplayEverything);
  PPDXGroup plain("FPOne", CFSTR("One"), true);
  PPDXScrollPane pane("SPTwo", CFSTR("Two"), true);
  PPDXRollDown rollDown("FPThree", CFSTR("Three"), true);
  PPDXGroups groups;
  for (PPDXGroup* g : std::initializer_list<PPDXGroup*>{&plain, &pane, &rollDown}) groups.Add(g);
  Settings good;
  ASSERT_EQ(groups.Save(good), 0);

  // A scroll pane that also carries a roll-down marker is rebuilt as a
  // roll-down: 'gGrp', 'RlDn', 'ScPn' are asked in that order.
  Settings twoMarkers(good);
  const uint8_t marker = 1;
  ASSERT_EQ(twoMarkers.Add(kRollDownMarkerTag, kSavedGroupFirstId + 1, &marker, 1), 0);
  Settings noMarker(good);
  ASSERT_EQ(noMarker.Remove(kGroupMarkerTag, kSavedGroupFirstId), 0);
  Settings fourBytes(good);
  const int32_t small = 3;
  ASSERT_EQ(fourBytes.Add(kSavedGroupCountTag, kSavedGroupCountId, &small, 4), 0);
  Settings huge(good);
  const int64_t many = INT64_C(1) << 40;
  ASSERT_EQ(huge.Add(kSavedGroupCountTag, kSavedGroupCountId, &many, 8), 0);

  const struct {
    const char* name;
    Settings* store;
    std::vector<std::string> kinds;
  } cases[] = {
      {"as saved", &good, {"group", "scroll pane", "roll-down"}},
      {"two markers", &twoMarkers, {"group", "roll-down", "roll-down"}},
      {"first marker missing", &noMarker, {"scroll pane", "roll-down"}},
      {"four-byte count", &fourBytes, {}},
      {"huge count", &huge, {"group", "scroll pane", "roll-down"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PPDXGroups rebuilt(*c.store);
    auto owned = TakeRebuilt(rebuilt);
    std::vector<std::string> kinds;
    for (const auto& g : owned) kinds.push_back(KindOf(g.get()));
    EXPECT_EQ(kinds, c.kinds);
  }
}

}  // namespace
