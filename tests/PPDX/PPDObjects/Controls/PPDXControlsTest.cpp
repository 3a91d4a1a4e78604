// The control collection: counters and walks under each display option, the
// finders, save -> rebuild from the store -> restore, and the null-safe
// wrappers.
#include "PPDX/PPDObjects/Controls/PPDXControls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/ModelTestSupport.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/QZVPPD.h"

namespace {

using namespace model_test;

class ControlCollectionTest : public DisplayOptionTest {};

// Every kind, visible or not, inside the roll-down or an orphan, in this order.
class MixedControlsTest : public ControlCollectionTest {
 protected:
  void SetUp() override {
    ControlCollectionTest::SetUp();
    PPDXRollDown* in = &rollDown_;
    collate_ = set_.Add(Boolean("*QZCollate", true), in);
    set_.Add(Boolean("*QZStaple", false), in);
    pageSize_ = set_.Add(Popup("*PageSize", true), in);
    mediaType_ = set_.Add(Popup("*MediaType", true), nullptr);
    set_.Add(Popup("*QZSecretTray", false), nullptr);
    copies_ = set_.Add(Range("*QZCopies", true, 3), in);
    set_.Add(Range("*QZHiddenRange", false, 7), nullptr);
    gamma_ = set_.Add(FloatRange("*QZGamma", false, 1.5), in);
    account_ = set_.Add(JobNote("*QZAccount", true, "acct-42"), nullptr);
    set_.Add(JobNote("*QZHiddenNote", false, "psst"), in);
    banner_ = set_.Add(SpecialOption("*QZBanner", true, "Banner1"), nullptr);
    set_.Add(SpecialOption("*QZFinisherCode", false, "F7"), in);
    set_.Add(std::make_unique<PlainControl>("*QZPlain", true), in);
    set_.Add(CustomPageSize("*CustomPageSize"), in);
    printSize_ = set_.Add(Popup("*QZPrintSize", true), in);
  }
  PPDXControls& controls() { return set_.controls(); }

  PPDXRollDown rollDown_{"FPGeneral", CFSTR("General"), true};
  ControlSet set_;
  PPDXBooleanControl* collate_ = nullptr;
  PPDXPopupControl* pageSize_ = nullptr;
  PPDXPopupControl* mediaType_ = nullptr;
  PPDXPopupControl* printSize_ = nullptr;
  PPDXRangeControl* copies_ = nullptr;
  PPDXFloatRangeControl* gamma_ = nullptr;
  PPDXJobNote* account_ = nullptr;
  PPDXSpecialOption* banner_ = nullptr;
};

struct OptionCase {
  int32_t option;
  long popups, booleans, ranges, floatRanges, customPageSizes;
  long jobNotes, specialOptions;  // the same under every option
  long controls;
  std::vector<std::string> walk;
};

const std::vector<std::string> kEveryKeyword = {
    "*QZCollate", "*QZStaple",       "*PageSize", "*MediaType",      "*QZSecretTray",
    "*QZCopies",  "*QZHiddenRange",  "*QZGamma",  "*QZAccount",      "*QZHiddenNote",
    "*QZBanner",  "*QZFinisherCode", "*QZPlain",  "*CustomPageSize", "*QZPrintSize"};

TEST_F(MixedControlsTest, CountsAndWalkFollowTheDisplayOption) {
  const OptionCase cases[] = {
      // Visible with a parent; a visible job note shows without one.
      {0,
       2,
       1,
       1,
       0,
       1,
       1,
       2,
       6,
       {"*QZCollate", "*PageSize", "*QZCopies", "*QZAccount", "*QZPlain", "*CustomPageSize",
        "*QZPrintSize"}},
      // Visible, orphans too.
      {1,
       3,
       1,
       1,
       0,
       1,
       1,
       2,
       7,
       {"*QZCollate", "*PageSize", "*MediaType", "*QZCopies", "*QZAccount", "*QZBanner", "*QZPlain",
        "*CustomPageSize", "*QZPrintSize"}},
      // With a parent, hidden too; every job note shows.
      {2,
       2,
       2,
       1,
       1,
       1,
       1,
       2,
       8,
       {"*QZCollate", "*QZStaple", "*PageSize", "*QZCopies", "*QZGamma", "*QZAccount",
        "*QZHiddenNote", "*QZFinisherCode", "*QZPlain", "*CustomPageSize", "*QZPrintSize"}},
      {3, 4, 2, 2, 1, 1, 1, 2, 11, kEveryKeyword},
      // Outside 0..3 nothing counts but what is evaluated under its own
      // option, while the element rule shows everything.
      {4, 0, 0, 0, 0, 0, 1, 2, 1, kEveryKeyword},
      {-1, 0, 0, 0, 0, 0, 1, 2, 1, kEveryKeyword},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE("display option " + std::to_string(c.option));
    SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(c.option));
    EXPECT_EQ(controls().PopupCount(), c.popups);
    EXPECT_EQ(controls().BooleanCount(), c.booleans);
    EXPECT_EQ(controls().RangeCount(), c.ranges);
    EXPECT_EQ(controls().FloatRangeCount(), c.floatRanges);
    EXPECT_EQ(controls().CustomPageSizeCount(), c.customPageSizes);
    EXPECT_EQ(controls().JobNoteCount(), c.jobNotes);
    EXPECT_EQ(controls().SpecialOptionsCount(), c.specialOptions);
    EXPECT_EQ(controls().ControlCount(), c.controls);
    EXPECT_EQ(controls().NoPopups(), c.popups == 0);
    EXPECT_EQ(controls().NoBooleanControls(), c.booleans == 0);
    EXPECT_EQ(controls().NoRangeControls(), c.ranges == 0);
    EXPECT_EQ(controls().NoFloatRangeControls(), c.floatRanges == 0);
    EXPECT_FALSE(controls().NoJobNotes());
    EXPECT_FALSE(controls().NoSpecialOptions());
    EXPECT_FALSE(controls().Empty());  // the visible orphan job note counts under option 1
    EXPECT_EQ(Walk(controls()), c.walk);
    EXPECT_EQ(GetDisplayOption(), c.option);
  }
}

TEST_F(ControlCollectionTest, EmptyFollowsTheDisplayOptionButAJobNoteAlwaysCounts) {
  ControlSet hiddenOrphan;
  hiddenOrphan.Add(Popup("*QZSecretTray", false), nullptr);
  ControlSet orphanNote;
  orphanNote.Add(JobNote("*QZAccount", true, "x"), nullptr);
  ControlSet specialOnly;  // special options do not make a collection non-empty
  specialOnly.Add(SpecialOption("*QZBanner", true, "B"), nullptr);
  const struct {
    int32_t option;
    bool hiddenOrphanEmpty;
  } cases[] = {{0, true}, {1, true}, {2, true}, {3, false}, {7, true}};
  PPDXControls none;
  for (const auto& c : cases) {
    SCOPED_TRACE("display option " + std::to_string(c.option));
    SetDisplayOption(static_cast<_DISPLAY_OPTIONS_>(c.option));
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(none.ControlCount(), 0);
    EXPECT_EQ(hiddenOrphan.controls().Empty(), c.hiddenOrphanEmpty);
    EXPECT_FALSE(orphanNote.controls().Empty());
    EXPECT_TRUE(specialOnly.controls().Empty());
    EXPECT_EQ(specialOnly.controls().SpecialOptionsCount(), 1);
  }
}

TEST_F(ControlCollectionTest, RecountFollowsParentsLinkedAfterAdding) {
  // As a rebuilt document has it: the controls are added first and get their
  // roll-down afterwards.
  PPDXRollDown rollDown("FPGeneral", CFSTR("General"), true);
  ControlSet set;
  PPDXControl* pageSize = set.Add(Popup("*PageSize", true), nullptr);
  PPDXControl* hidden = set.Add(Popup("*QZSecretTray", false), nullptr);
  PPDXControl* collate = set.Add(Boolean("*QZCollate", true), nullptr);
  for (PPDXControl* c : {pageSize, hidden, collate}) c->SetParent(&rollDown);
  PPDXControls& controls = set.controls();
  EXPECT_EQ(controls.PopupCount(), 0);  // counted as orphans when added
  EXPECT_EQ(controls.FirstPopupControl(), pageSize);
  controls.Recount();
  EXPECT_EQ(controls.PopupCount(), 1);
  EXPECT_EQ(controls.BooleanCount(), 1);
  EXPECT_EQ(controls.NextPopupControl(), hidden);  // the walks keep their place
  SetDisplayOption(kDisplayIncludeHidden);
  EXPECT_EQ(controls.PopupCount(), 2);
  SetDisplayOption(kDisplayIncludeOrphans);
  EXPECT_EQ(controls.PopupCount(), 1);
}

TEST_F(MixedControlsTest, CountsUnderTheirOwnOptionPutTheProcessWideOptionBack) {
  for (int32_t option : {0, 2, 9}) {
    SCOPED_TRACE("display option " + std::to_string(option));
    QZVPPD::Options(static_cast<_DISPLAY_OPTIONS_>(option));
    controls().JobNoteCount();
    EXPECT_EQ(QZVPPD::Options(), option);
    controls().SpecialOptionsCount();
    EXPECT_EQ(QZVPPD::Options(), option);
    controls().ControlCount();
    controls().Empty();
    controls().NoJobNotes();
    controls().NoSpecialOptions();
    GetJobnoteCount(&controls());
    EXPECT_EQ(QZVPPD::Options(), option);
  }
}

TEST_F(MixedControlsTest, FindMatchesDisplayableControlsExactlyOrBySubstring) {
  CNTL_TYPE type = kNoControl;
  // The first displayable match in PPD order.
  EXPECT_EQ(controls().Find("Size", type, false), pageSize_);
  EXPECT_EQ(type, kPopupControl);
  EXPECT_EQ(controls().Find("*QZPrintSize", type, true), printSize_);
  EXPECT_EQ(controls().Find("Account", type, false), account_);
  EXPECT_EQ(type, kJobNoteControl);
  EXPECT_EQ(controls().Find("PrintSize", type, true), nullptr);
  EXPECT_EQ(type, kNoControl);
  // *MediaType is an orphan: found only where orphans show.
  EXPECT_EQ(controls().Find("Media", type, false), nullptr);
  EXPECT_EQ(controls().Find(nullptr, type, false), nullptr);
  EXPECT_EQ(controls().Find("", type, true), nullptr);
  {
    ScopedDisplayOption orphans(kDisplayIncludeOrphans);
    EXPECT_EQ(controls().Find("Media", type, false), mediaType_);
    EXPECT_EQ(controls().Find("*QZGamma", type, true), nullptr);  // hidden
  }

  // The per-kind finders look at every control of their kind.
  EXPECT_EQ(controls().FindPopup("Media", false), mediaType_);
  EXPECT_EQ(controls().FindPopup("*QZCollate", true), nullptr);  // another kind
  EXPECT_EQ(controls().FindPopup(nullptr, false), nullptr);
  ASSERT_NE(controls().FindBoolean("*QZStaple", true), nullptr);
  EXPECT_STREQ(controls().FindBoolean("Staple", false)->Keyword(), "*QZStaple");
  EXPECT_EQ(controls().FindBoolean("*QZStap", true), nullptr);
  EXPECT_EQ(controls().FindRangeControl("Copies", false), copies_);
  EXPECT_STREQ(controls().FindRangeControl("Hidden", false)->Keyword(), "*QZHiddenRange");
  EXPECT_EQ(controls().FindFloatRangeControl("*QZGamma", true), gamma_);
  EXPECT_STREQ(controls().FindJobNote("Hidden", false)->Keyword(), "*QZHiddenNote");
  EXPECT_EQ(controls().FindSpecialOption("*QZBanner", true), banner_);
  EXPECT_EQ(controls().FindSpecialOption("*QZPlain", true), nullptr);
}

// Where every control shows, an exact search is a look-up; it must still give
// the first control of a keyword and leave the walk where a walk would.
TEST_F(MixedControlsTest, ExactFindAmongEveryControlActsAsTheWalk) {
  PPDXPopupControl* second = set_.Add(Popup("*PageSize", true), nullptr);
  ScopedDisplayOption everything(kDisplayEverything);
  CNTL_TYPE type = kNoControl;
  EXPECT_EQ(controls().Find("*PageSize", type, true), pageSize_);
  EXPECT_NE(pageSize_, second);
  EXPECT_EQ(type, kPopupControl);
  EXPECT_EQ(controls().Next(type), mediaType_);                // the control after *PageSize
  EXPECT_EQ(controls().Find("*QZGamma", type, true), gamma_);  // hidden
  EXPECT_EQ(type, kFloatRangeControl);
  EXPECT_EQ(controls().Find("*QZSecretTray", type, true)->Keyword(),
            std::string("*QZSecretTray"));  // hidden orphan
  EXPECT_EQ(controls().Find("*QZPrintSize", type, true), printSize_);
  EXPECT_EQ(controls().Next(type), second);
  EXPECT_EQ(controls().Find("*QZNothing", type, true), nullptr);
  EXPECT_EQ(type, kNoControl);
  EXPECT_EQ(controls().Next(type), nullptr);  // a miss walked to the end
}

TEST_F(MixedControlsTest, KindWalksReturnEveryControlOfTheirKindInOrder) {
  std::vector<std::string> popups;
  for (PPDXPopupControl* p = controls().FirstPopupControl(); p; p = controls().NextPopupControl())
    popups.emplace_back(p->Keyword());
  EXPECT_EQ(popups,
            (std::vector<std::string>{"*PageSize", "*MediaType", "*QZSecretTray", "*QZPrintSize"}));
  EXPECT_EQ(controls().NextPopupControl(), nullptr);  // stays at the end
  EXPECT_EQ(controls().FirstPopupControl(), pageSize_);

  const auto keywords = [](auto* first, auto next) {
    std::vector<std::string> out;
    for (auto* c = first; c; c = next()) out.emplace_back(c->Keyword());
    return out;
  };
  PPDXControls& c = controls();
  EXPECT_EQ(keywords(c.FirstBooleanControl(), [&] { return c.NextBooleanControl(); }),
            (std::vector<std::string>{"*QZCollate", "*QZStaple"}));
  EXPECT_EQ(keywords(c.FirstRangeControl(), [&] { return c.NextRangeControl(); }),
            (std::vector<std::string>{"*QZCopies", "*QZHiddenRange"}));
  EXPECT_EQ(keywords(c.FirstFloatRangeControl(), [&] { return c.NextFloatRangeControl(); }),
            (std::vector<std::string>{"*QZGamma"}));
  EXPECT_EQ(keywords(c.FirstJobNote(), [&] { return c.NextJobNote(); }),
            (std::vector<std::string>{"*QZAccount", "*QZHiddenNote"}));
  EXPECT_EQ(keywords(c.FirstSpecialOption(), [&] { return c.NextSpecialOption(); }),
            (std::vector<std::string>{"*QZBanner", "*QZFinisherCode"}));
  EXPECT_EQ(keywords(c.FirstCustomPageSize(), [&] { return c.NextCustomPageSize(); }),
            (std::vector<std::string>{"*CustomPageSize"}));

  PPDXControls empty;
  CNTL_TYPE type = kPopupControl;
  EXPECT_EQ(empty.First(type), nullptr);
  EXPECT_EQ(type, kNoControl);
  EXPECT_EQ(empty.Next(type), nullptr);
  EXPECT_EQ(empty.FirstJobNote(), nullptr);
  EXPECT_EQ(empty.NextJobNote(), nullptr);
  empty.Add(nullptr);
  EXPECT_EQ(empty.First(type), nullptr);
}

struct Snapshot {
  CNTL_TYPE type;
  std::string keyword, value, parent;
  bool visible;
  int16_t order;
  bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
  return out << s.keyword << " type " << s.type << " value '" << s.value << "' parent '" << s.parent
             << "'" << (s.visible ? "" : " hidden") << " order " << s.order;
}

// Under the current display option; the parent as saved (a rebuilt control
// carries only its parent's name).
std::vector<Snapshot> SnapshotOf(PPDXControls& controls) {
  std::vector<Snapshot> out;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = controls.First(type); c; c = controls.Next(type)) {
    const char* parent = c->GetParent() ? c->GetParent()->Keyword() : c->ParentName();
    out.push_back({c->Type(), c->Keyword() ? c->Keyword() : "",
                   c->CopyCurrentControlValueString().UTF8(), parent ? parent : "", c->IsVisible(),
                   c->Order()});
  }
  return out;
}

int64_t SavedCount(Settings& settings) {
  int64_t count = -1;
  int size = 8;
  EXPECT_EQ(settings.Get(kSavedControlCountTag, kSavedControlCountId, &count, size, false), 0);
  EXPECT_EQ(size, 8);
  return count;
}

TEST_F(MixedControlsTest, SaveAndRebuildGiveTheSameControlsInTheSameOrder) {
  pageSize_->SetKeywordSelect("Opt3", true);
  collate_->SetValue(false);
  copies_->SetValue(12);
  gamma_->SetValue(2.2f);
  account_->SetNotes("acct-7");
  pageSize_->SetOrder(4);
  ScopedDisplayOption everything(kDisplayEverything);
  std::vector<Snapshot> expected = SnapshotOf(controls());
  // Neither the plain control nor the custom page size is rebuilt.
  std::erase_if(expected, [](const Snapshot& s) {
    return s.keyword == "*QZPlain" || s.keyword == "*CustomPageSize";
  });
  ASSERT_EQ(expected.size(), 13u);

  Settings settings;
  ASSERT_EQ(controls().Save(settings), 0);
  EXPECT_EQ(SavedCount(settings), 15);
  PPDXControls rebuilt(settings, nullptr);
  auto owned = TakeRebuilt(rebuilt);
  EXPECT_EQ(SnapshotOf(rebuilt), expected);
  // The kind lists and counters are rebuilt as well.
  EXPECT_EQ(rebuilt.PopupCount(), 4);
  EXPECT_EQ(rebuilt.BooleanCount(), 2);
  EXPECT_EQ(rebuilt.RangeCount(), 2);
  EXPECT_EQ(rebuilt.FloatRangeCount(), 1);
  EXPECT_EQ(rebuilt.SpecialOptionsCount(), 2);
  EXPECT_EQ(rebuilt.CustomPageSizeCount(), 0);
  EXPECT_STREQ(rebuilt.FindSpecialOption("*QZBanner", true)->GetValue()->Buffer(), "Banner1");
  ASSERT_NE(rebuilt.FindJobNote("*QZAccount", true), nullptr);
  EXPECT_STREQ(rebuilt.FindJobNote("*QZAccount", true)->GetNotes(), "acct-7");

  // Saving the rebuilt collection writes the same controls again.
  Settings again;
  ASSERT_EQ(rebuilt.Save(again), 0);
  PPDXControls twice(again, nullptr);
  auto ownedTwice = TakeRebuilt(twice);
  EXPECT_EQ(SnapshotOf(twice), expected);
}

TEST_F(MixedControlsTest, OnlyDisplayableControlsAreSavedAndRebuilt) {
  Settings settings;
  ASSERT_EQ(controls().Save(settings), 0);  // under option 0
  EXPECT_EQ(SavedCount(settings), 15);      // the all list, though fewer are saved
  ScopedDisplayOption everything(kDisplayEverything);
  PPDXControls rebuilt(settings, nullptr);
  auto owned = TakeRebuilt(rebuilt);
  std::vector<std::string> keywords;
  for (const auto& c : owned) keywords.emplace_back(c->Keyword());
  // The plain control and the custom page size took ids without a marker.
  EXPECT_EQ(keywords, (std::vector<std::string>{"*QZCollate", "*PageSize", "*QZCopies",
                                                "*QZAccount", "*QZPrintSize"}));
}

TEST_F(MixedControlsTest, RestorePutsBackTheSavedValuesInOrder) {
  pageSize_->SetKeywordSelect("Opt2", true);
  copies_->SetValue(40);
  account_->SetNotes("saved");
  ScopedDisplayOption everything(kDisplayEverything);
  const std::vector<Snapshot> saved = SnapshotOf(controls());
  Settings settings;
  ASSERT_EQ(controls().Save(settings), 0);

  pageSize_->SetKeywordSelect("Opt3", true);
  collate_->SetValue(false);
  copies_->SetValue(2);
  gamma_->SetValue(0.7f);
  account_->SetNotes("changed");
  ASSERT_NE(SnapshotOf(controls()), saved);
  EXPECT_EQ(controls().Restore(settings), 0);
  EXPECT_EQ(SnapshotOf(controls()), saved);
}

TEST_F(MixedControlsTest, SaveStopsAtTheFirstStoreError) {
  Settings settings;
  // The second displayable control (*PageSize, id 5002) cannot write its keyword.
  ASSERT_EQ(settings.Add(kElementKeywordTag, 5002, "x", 1), 0);
  ASSERT_EQ(settings.Lock(kElementKeywordTag, 5002), 0);
  EXPECT_EQ(controls().Save(settings), kSettingsItemLocked);
  int size = 0;
  EXPECT_EQ(settings.Get(kBooleanMarkerTag, 5001, nullptr, size, false), 0);
  EXPECT_EQ(settings.Get(kElementKeywordTag, 5003, nullptr, size, false), kSettingsItemNotFound);
}

TEST_F(ControlCollectionTest, RebuildOnlyFromAnEightByteCountAndWithinTheStore) {
  SetDisplayOption(kDisplayEverything);
  ControlSet two;
  two.Add(Boolean("*QZCollate", true), nullptr);
  two.Add(SpecialOption("*QZBanner", true, "B"), nullptr);
  Settings good;
  ASSERT_EQ(two.controls().Save(good), 0);

  Settings fourBytes(good);
  const int32_t small = 2;
  ASSERT_EQ(fourBytes.Add(kSavedControlCountTag, kSavedControlCountId, &small, 4), 0);
  Settings noCount(good);
  ASSERT_EQ(noCount.Remove(kSavedControlCountTag, kSavedControlCountId), 0);
  Settings huge(good);
  const int64_t many = INT64_C(1) << 40;
  ASSERT_EQ(huge.Add(kSavedControlCountTag, kSavedControlCountId, &many, 8), 0);
  Settings negative(good);
  const int64_t minus = -3;
  ASSERT_EQ(negative.Add(kSavedControlCountTag, kSavedControlCountId, &minus, 8), 0);

  const struct {
    const char* name;
    Settings* store;
    size_t controls;
  } cases[] = {{"good", &good, 2},
               {"four-byte count", &fourBytes, 0},
               {"no count", &noCount, 0},
               {"huge count", &huge, 2},
               {"negative count", &negative, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PPDXControls rebuilt(*c.store, nullptr);
    EXPECT_EQ(TakeRebuilt(rebuilt).size(), c.controls);
  }
}

TEST_F(ControlCollectionTest, TheFirstMarkerPresentDecidesTheKind) {
  SetDisplayOption(kDisplayEverything);
  ControlSet one;
  one.Add(SpecialOption("*QZBanner", true, "B"), nullptr);
  Settings settings;
  ASSERT_EQ(one.controls().Save(settings), 0);
  // A boolean marker is probed before the special option's own.
  const uint8_t marker = 1;
  ASSERT_EQ(settings.Add(kBooleanMarkerTag, kSavedControlFirstId, &marker, 1), 0);
  PPDXControls rebuilt(settings, nullptr);
  auto owned = TakeRebuilt(rebuilt);
  ASSERT_EQ(owned.size(), 1u);
  EXPECT_EQ(owned[0]->Type(), kBooleanControl);
  EXPECT_STREQ(owned[0]->Keyword(), "*QZBanner");
}

TEST_F(MixedControlsTest, WrappersForwardAndAnswerNothingForNull) {
  PPDXControls* c = &controls();
  PPDXControls* none = nullptr;
  CNTL_TYPE type = kPopupControl;
  CNTL_TYPE memberType = kNoControl;

  EXPECT_EQ(GetControlCount(c), c->ControlCount());
  EXPECT_EQ(GetPopupCount(c), c->PopupCount());
  EXPECT_EQ(GetBooleanCount(c), c->BooleanCount());
  EXPECT_EQ(GetRangeCount(c), c->RangeCount());
  EXPECT_EQ(GetFloatRangeCount(c), c->FloatRangeCount());
  EXPECT_EQ(GetJobnoteCount(c), c->JobNoteCount());
  EXPECT_EQ(Find(c, "Size", type, false), c->Find("Size", memberType, false));
  EXPECT_EQ(type, memberType);
  EXPECT_EQ(GetFirst(c, type), collate_);
  EXPECT_EQ(GetNext(c, type), pageSize_);
  EXPECT_EQ(type, kPopupControl);
  EXPECT_EQ(GetFirstPopupControl(c), pageSize_);
  EXPECT_EQ(GetNextPopupControl(c), mediaType_);
  EXPECT_EQ(GetFindPopup(c, "Print", false), printSize_);
  EXPECT_EQ(GetFirstBooleanControl(c), collate_);
  EXPECT_STREQ(GetNextBooleanControl(c)->Keyword(), "*QZStaple");
  EXPECT_EQ(GetFindBoolean(c, "*QZCollate", true), collate_);
  EXPECT_EQ(GetFirstRangeControl(c), copies_);
  EXPECT_STREQ(GetNextRangeControl(c)->Keyword(), "*QZHiddenRange");
  EXPECT_EQ(GetFindRangeControl(c, "Copies", false), copies_);
  EXPECT_EQ(GetFirstFloatRangeControl(c), gamma_);
  EXPECT_EQ(GetNextFloatRangeControl(c), nullptr);
  EXPECT_EQ(GetFindFloatRangeControl(c, "Gamma", false), gamma_);
  EXPECT_EQ(GetFirstJobNote(c), account_);
  EXPECT_STREQ(GetNextJobNote(c)->Keyword(), "*QZHiddenNote");
  EXPECT_EQ(GetFindJobNote(c, "*QZAccount", true), account_);
  EXPECT_EQ(GetEmpty(c), c->Empty());
  EXPECT_EQ(GetNoPopups(c), c->NoPopups());
  EXPECT_EQ(GetNoBooleanControls(c), c->NoBooleanControls());
  EXPECT_EQ(GetNoRangeControls(c), c->NoRangeControls());
  EXPECT_EQ(GetNoFloatRangeControls(c), c->NoFloatRangeControls());
  EXPECT_EQ(GetNoJobNotes(c), c->NoJobNotes());
  EXPECT_TRUE(GetNoFloatRangeControls(c));  // under option 0 the only one is hidden

  EXPECT_EQ(GetControlCount(none), 0);
  EXPECT_EQ(GetPopupCount(none), 0);
  EXPECT_EQ(GetBooleanCount(none), 0);
  EXPECT_EQ(GetRangeCount(none), 0);
  EXPECT_EQ(GetFloatRangeCount(none), 0);
  EXPECT_EQ(GetJobnoteCount(none), 0);
  type = kPopupControl;
  EXPECT_EQ(Find(none, "Size", type, false), nullptr);
  EXPECT_EQ(type, kNoControl);
  type = kPopupControl;
  EXPECT_EQ(GetFirst(none, type), nullptr);
  EXPECT_EQ(type, kNoControl);
  type = kPopupControl;
  EXPECT_EQ(GetNext(none, type), nullptr);
  EXPECT_EQ(type, kNoControl);
  EXPECT_EQ(GetFirstPopupControl(none), nullptr);
  EXPECT_EQ(GetNextPopupControl(none), nullptr);
  EXPECT_EQ(GetFindPopup(none, "Size", false), nullptr);
  EXPECT_EQ(GetFirstBooleanControl(none), nullptr);
  EXPECT_EQ(GetNextBooleanControl(none), nullptr);
  EXPECT_EQ(GetFindBoolean(none, "Collate", false), nullptr);
  EXPECT_EQ(GetFirstRangeControl(none), nullptr);
  EXPECT_EQ(GetNextRangeControl(none), nullptr);
  EXPECT_EQ(GetFindRangeControl(none, "Copies", false), nullptr);
  EXPECT_EQ(GetFirstFloatRangeControl(none), nullptr);
  EXPECT_EQ(GetNextFloatRangeControl(none), nullptr);
  EXPECT_EQ(GetFindFloatRangeControl(none, "Gamma", false), nullptr);
  EXPECT_EQ(GetFirstJobNote(none), nullptr);
  EXPECT_EQ(GetNextJobNote(none), nullptr);
  EXPECT_EQ(GetFindJobNote(none, "Account", false), nullptr);
  EXPECT_FALSE(GetEmpty(none));
  EXPECT_FALSE(GetNoPopups(none));
  EXPECT_FALSE(GetNoBooleanControls(none));
  EXPECT_FALSE(GetNoRangeControls(none));
  EXPECT_FALSE(GetNoFloatRangeControls(none));
  EXPECT_FALSE(GetNoJobNotes(none));
}

}  // namespace
