// Quick-access shortcuts: which kinds the walk returns, the named finders, and
// save -> rebuild resolved through the document's controls.
#include "PPDX/PPDObjects/PPDXShortcuts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"
#include "PPDX/PPDObjects/ModelTestSupport.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"

namespace {

using namespace model_test;

constexpr unsigned int kShortcutTag = ElementTag("StCt");

class ShortcutsTest : public DisplayOptionTest {
 protected:
  void SetUp() override {
    DisplayOptionTest::SetUp();
    PPDXRollDown* in = &rollDown_;
    copies_ = set_.Add(Range("*QZCopies", true, 1), in);
    collate_ = set_.Add(Boolean("*QZCollate", true), in);
    pageSize_ = set_.Add(Popup("*PageSize", true), in);
    account_ = set_.Add(JobNote("*QZAccount", true, "a"), in);
    gamma_ = set_.Add(FloatRange("*QZGamma", true, 1.0), in);
    banner_ = set_.Add(SpecialOption("*QZBanner", true, "B"), in);
    inputSlot_ = set_.Add(Popup("*InputSlot", true), in);
    duplex_ = set_.Add(Popup("*Duplex", true), in);
    qzDuplex_ = set_.Add(Popup("*QZDuplex", true), in);
    orientation_ = set_.Add(Popup("*QZ_PAPER_ORIENTATION", true), in);
    // In PPD order, with a range, a real range and a special option among
    // them and an entry whose control is gone.
    PointerList list;
    for (PPDXControl* c : std::initializer_list<PPDXControl*>{copies_, collate_, pageSize_, nullptr,
                                                              account_, gamma_, banner_, inputSlot_,
                                                              duplex_, qzDuplex_, orientation_}) {
      list.PushBack(c);
    }
    shortcuts_ = std::make_unique<PPDXShortcuts>(list);
    EXPECT_TRUE(list.Empty());  // taken over
  }

  static std::vector<PPDXControl*> Walk(PPDXShortcuts& shortcuts) {
    std::vector<PPDXControl*> out;
    for (PPDXControl* c = shortcuts.First(); c; c = shortcuts.Next()) out.push_back(c);
    return out;
  }
  std::vector<PPDXControl*> Walked() const {
    return {collate_, pageSize_, account_, inputSlot_, duplex_, qzDuplex_, orientation_};
  }

  PPDXRollDown rollDown_{"FPGeneral", CFSTR("General"), true};
  ControlSet set_;
  PPDXControl *copies_, *collate_, *pageSize_, *account_, *gamma_, *banner_, *inputSlot_, *duplex_,
      *qzDuplex_, *orientation_;
  std::unique_ptr<PPDXShortcuts> shortcuts_;
};

TEST_F(ShortcutsTest, OnlyPopupsJobNotesAndBooleansAreWalked) {
  EXPECT_EQ(Walk(*shortcuts_), Walked());
  EXPECT_EQ(shortcuts_->Next(), nullptr);  // stays at the end
  EXPECT_EQ(shortcuts_->Count(), 11);      // every entry is kept
  EXPECT_FALSE(shortcuts_->Empty());

  PointerList rangeAndBoolean;
  rangeAndBoolean.PushBack(copies_);
  rangeAndBoolean.PushBack(collate_);
  PPDXShortcuts two(rangeAndBoolean);
  EXPECT_EQ(two.First(), collate_);
  EXPECT_EQ(two.Next(), nullptr);

  PointerList onlyOthers;
  onlyOthers.PushBack(gamma_);
  onlyOthers.PushBack(nullptr);
  onlyOthers.PushBack(banner_);
  PPDXShortcuts none(onlyOthers);
  EXPECT_EQ(none.First(), nullptr);
  EXPECT_FALSE(none.Empty());
  PointerList nothing;
  PPDXShortcuts empty(nothing);
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Count(), 0);
  EXPECT_EQ(empty.First(), nullptr);
}

TEST_F(ShortcutsTest, NamedFindersMatchTheirKeywordExactly) {
  EXPECT_EQ(shortcuts_->PageSize(), pageSize_);
  EXPECT_EQ(shortcuts_->InputSlot(), inputSlot_);
  EXPECT_EQ(shortcuts_->Duplex(), qzDuplex_);  // not *Duplex
  EXPECT_EQ(shortcuts_->Orientation(), orientation_);
  EXPECT_EQ(shortcuts_->Tintvane(), nullptr);
  EXPECT_EQ(shortcuts_->MediaSource(), nullptr);
  EXPECT_EQ(shortcuts_->Find("Duplex", false), duplex_);  // the first in list order
  EXPECT_EQ(shortcuts_->Find("*QZAccount", true), account_);
  EXPECT_EQ(shortcuts_->Find("*QZCopies", true), nullptr);  // a range is no shortcut
  EXPECT_EQ(shortcuts_->Find("*QZBanner", true), nullptr);
  EXPECT_EQ(shortcuts_->Find(nullptr, false), nullptr);

  PPDXShortcuts* s = shortcuts_.get();
  EXPECT_FALSE(IsShortcutsListEmpty(s));
  EXPECT_EQ(GetShortcutCount(s), 11);
  EXPECT_EQ(GetPageSizeShortcut(s), pageSize_);
  EXPECT_EQ(GetInputSlotShortcut(s), inputSlot_);
  EXPECT_EQ(GetDuplexShortcut(s), qzDuplex_);
  EXPECT_EQ(GetOrientationShortcut(s), orientation_);
  EXPECT_EQ(GetTintvaneShortcut(s), nullptr);
  EXPECT_EQ(GetMediaSourceShortcut(s), nullptr);
  EXPECT_EQ(FindShortcut(s, "Collate", false), collate_);
  EXPECT_EQ(FirstShortcut(s), collate_);
  EXPECT_EQ(NextShortcut(s), pageSize_);

  PPDXShortcuts* none = nullptr;
  EXPECT_FALSE(IsShortcutsListEmpty(none));
  EXPECT_EQ(GetShortcutCount(none), 0);
  EXPECT_EQ(GetPageSizeShortcut(none), nullptr);
  EXPECT_EQ(GetInputSlotShortcut(none), nullptr);
  EXPECT_EQ(GetDuplexShortcut(none), nullptr);
  EXPECT_EQ(GetOrientationShortcut(none), nullptr);
  EXPECT_EQ(GetTintvaneShortcut(none), nullptr);
  EXPECT_EQ(GetMediaSourceShortcut(none), nullptr);
  EXPECT_EQ(FindShortcut(none, "Collate", false), nullptr);
  EXPECT_EQ(FirstShortcut(none), nullptr);
  EXPECT_EQ(NextShortcut(none), nullptr);
}

TEST_F(ShortcutsTest, SaveWritesTheKeywordOfEachEntry) {
  Settings settings;
  ASSERT_EQ(shortcuts_->Save(settings), 0);
  int64_t count = 0;
  int size = 8;
  ASSERT_EQ(settings.Get(kShortcutTag, 6000, &count, size, false), 0);
  EXPECT_EQ(count, 11);
  const char* expected[] = {
      "*QZCopies", "*QZCollate", "*PageSize", "",          "*QZAccount",           "*QZGamma",
      "*QZBanner", "*InputSlot", "*Duplex",   "*QZDuplex", "*QZ_PAPER_ORIENTATION"};
  for (int n = 0; n < 11; ++n) {
    SCOPED_TRACE(expected[n]);
    size = 0;
    ASSERT_EQ(settings.Get(kShortcutTag, 6001 + n, nullptr, size, false), 0);
    EXPECT_EQ(size, static_cast<int>(std::strlen(expected[n])));  // no terminator
    std::unique_ptr<CString> text = GetSettingsString(settings, kShortcutTag, 6001 + n);
    EXPECT_EQ(text ? std::string(text->Buffer()) : std::string(), expected[n]);
  }
}

TEST_F(ShortcutsTest, RebuildResolvesEachKeywordThroughTheControls) {
  Settings settings;
  ASSERT_EQ(shortcuts_->Save(settings), 0);
  PPDXShortcuts rebuilt(settings, &set_.controls());
  EXPECT_EQ(Walk(rebuilt), Walked());
  EXPECT_EQ(rebuilt.Count(), 11);
  EXPECT_EQ(rebuilt.Duplex(), qzDuplex_);

  // Against controls that no longer have *InputSlot, that entry resolves to
  // none and is passed over.
  PPDXRollDown in("FPGeneral", CFSTR("General"), true);
  ControlSet fewer;
  PPDXControl* collate = fewer.Add(Boolean("*QZCollate", true), &in);
  PPDXControl* pageSize = fewer.Add(Popup("*PageSize", true), &in);
  PPDXControl* qzDuplex = fewer.Add(Popup("*QZDuplex", true), &in);
  PPDXShortcuts resolved(settings, &fewer.controls());
  EXPECT_EQ(Walk(resolved), (std::vector<PPDXControl*>{collate, pageSize, qzDuplex}));
  EXPECT_EQ(resolved.InputSlot(), nullptr);
  EXPECT_EQ(resolved.Duplex(), qzDuplex);
  EXPECT_EQ(resolved.Count(), 11);

  PPDXShortcuts noControls(settings, nullptr);
  EXPECT_EQ(noControls.First(), nullptr);
  Settings empty;
  PPDXShortcuts nothingSaved(empty, &set_.controls());
  EXPECT_TRUE(nothingSaved.Empty());
}

TEST_F(ShortcutsTest, ControlsAndShortcutsRebuiltFromOneStoreMatch) {
  // As the document saves and rebuilds its model: everything displayed.
  SetDisplayOption(kDisplayEverything);
  Settings settings;
  ASSERT_EQ(set_.controls().Save(settings), 0);
  ASSERT_EQ(shortcuts_->Save(settings), 0);
  PPDXControls controls(settings, nullptr);
  auto owned = TakeRebuilt(controls);
  PPDXShortcuts rebuilt(settings, &controls);
  std::vector<std::string> keywords;
  for (PPDXControl* c = rebuilt.First(); c; c = rebuilt.Next()) {
    keywords.emplace_back(c->Keyword());
    bool inRebuilt = false;
    for (const auto& made : owned) inRebuilt = inRebuilt || made.get() == c;
    EXPECT_TRUE(inRebuilt) << c->Keyword();
  }
  std::vector<std::string> expected;
  for (PPDXControl* c : Walked()) expected.emplace_back(c->Keyword());
  EXPECT_EQ(keywords, expected);
}

}  // namespace
