#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;
using control_test::Report;
using control_test::ReportRecorder;

namespace {

struct MenuItem {
  std::string keyword;
  std::string userName;
  std::string ps;
};

// Items named after their keyword: "A" has the user name "Name A" and the
// fragment "A code\n".
std::vector<MenuItem> Items(std::initializer_list<const char*> keywords) {
  std::vector<MenuItem> items;
  for (const char* k : keywords)
    items.push_back({k, std::string("Name ") + k, std::string(k) + " code\n"});
  return items;
}

std::unique_ptr<PPDXPopupControl> MakeMenu(const char* keyword,
                                           const std::vector<MenuItem>& menuItems,
                                           const char* defaultKeyword, bool multi = false) {
  PointerList items;
  for (const MenuItem& s : menuItems)
    items.PushBack(new _PopupItem(s.keyword.c_str(), CFSTR(s.userName), Fragment(s.ps),
                                  static_cast<long>(s.ps.size())));
  FlagList flags({});
  auto menu = std::make_unique<PPDXPopupControl>(
      keyword, CFSTR("Menu"), flags.list(), true, multi, false, items,
      defaultKeyword ? new CString(defaultKeyword) : nullptr, nullptr);
  EXPECT_TRUE(items.Empty()) << "the menu takes the items over";
  return menu;
}

// The keywords of the selected items, in menu order.
std::string Selected(PPDXPopupControl& menu) {
  std::string out;
  for (_PopupItem* item = menu.FirstItem(); item; item = menu.NextItem())
    if (item->selected) out += item->Keyword() ? item->Keyword() : "?";
  return out;
}

std::string Feature(const char* keyword, const char* option) {
  return std::string("%%BeginFeature: ") + keyword + " " + option + "\n" + option +
         " code\n%%EndFeature\n";
}

// Sets both pop-up job-note flags for one scope.
class PopupFlags {
 public:
  PopupFlags(bool doneInitializing, bool foundOne)
      : done_(gPopupJobNotesDoneInitializing), found_(gPopupJobNotesFoundOne) {
    gPopupJobNotesDoneInitializing = doneInitializing;
    gPopupJobNotesFoundOne = foundOne;
  }
  ~PopupFlags() {
    gPopupJobNotesDoneInitializing = done_;
    gPopupJobNotesFoundOne = found_;
  }

 private:
  bool done_, found_;
};

}  // namespace

TEST(PPDXPopupSelection, PickOneKeepsOneItemAndReportsEachChoice) {
  ReportRecorder recorder;
  auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "B");
  EXPECT_EQ(menu->Type(), kPopupControl);
  EXPECT_EQ(Selected(*menu), "B");
  EXPECT_TRUE(menu->SetKeywordSelect("A", true));
  EXPECT_EQ(Selected(*menu), "A");
  EXPECT_EQ(menu->GetValue(), 1);
  EXPECT_TRUE(menu->IsKeywordSelected("A"));
  EXPECT_FALSE(menu->IsKeywordSelected("B"));
  EXPECT_EQ(PostScriptOf(*menu), Feature("*MediaType", "A"));
  EXPECT_EQ(menu->CopyCurrentControlValueString(), CFSTR("A"));
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*MediaType", "B"}, {"*MediaType", "A"}}));
}

TEST(PPDXPopupSelection, PickManyAddsAndEmitsTheLastChoice) {
  auto menu = MakeMenu("*Finishing", Items({"A", "B", "C"}), "A", true);
  EXPECT_TRUE(menu->CanSelectMultipleItems());
  EXPECT_TRUE(menu->SetKeywordSelect("C", true));
  EXPECT_EQ(Selected(*menu), "AC");
  EXPECT_EQ(menu->GetValue(), 1) << "the first selected item";
  EXPECT_EQ(PostScriptOf(*menu), Feature("*Finishing", "C"));
  EXPECT_TRUE(menu->SetKeywordSelect("A", false));
  EXPECT_EQ(Selected(*menu), "C");
}

TEST(PPDXPopupSelection, UnknownOptionReportsAndAnswersFalse) {
  ReportRecorder recorder;
  auto menu = MakeMenu("*MediaType", Items({"A", "B"}), "B");
  recorder.Clear();
  EXPECT_FALSE(menu->SetKeywordSelect("Z", true));
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*MediaType", "Z"}}));
  EXPECT_EQ(Selected(*menu), "") << "a pick-one walk deselects every item that does not match";
  recorder.Clear();
  EXPECT_FALSE(menu->SetKeywordSelect(nullptr, true));
  EXPECT_TRUE(recorder.reports().empty()) << "a null option is refused before the walk";

  auto empty = MakeMenu("*Empty", {}, nullptr);
  EXPECT_FALSE(empty->SetKeywordSelect("A", true));
  EXPECT_EQ(empty->PostScript(nullptr), 0);
  EXPECT_EQ(empty->GetValue(), 0);
}

TEST(PPDXPopupSelection, SetValueByPosition) {
  struct Case {
    long index;
    std::string selected;
    long value;
    std::string reported;  // the selection after the call
  };
  const Case cases[] = {
      {1, "A", 1, "A"}, {3, "C", 3, "C"}, {0, "", 0, "B"}, {4, "", 0, "B"}, {-1, "", 0, "B"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "B");
    ReportRecorder recorder;
    menu->SetValue(c.index);
    EXPECT_EQ(Selected(*menu), c.selected);
    EXPECT_EQ(menu->GetValue(), c.value);
    EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*MediaType", c.reported}}));
  }
}

TEST(PPDXPopupDefault, OverrideCountsUnlessPopupNotesFinishedWithoutOne) {
  struct Case {
    long override_;
    bool doneInitializing, foundOne;
    long expected;
  };
  // Computed default: "C" is item 3.
  const Case cases[] = {
      {0, false, false, 3}, {0, true, true, 3}, {2, false, false, 2},
      {2, false, true, 2},  {2, true, true, 2}, {2, true, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.override_ << c.doneInitializing << c.foundOne);
    PopupFlags flags(c.doneInitializing, c.foundOne);
    auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "C");
    menu->SetDefaultValue(c.override_);
    EXPECT_EQ(menu->DefaultValue(), c.expected);
    menu->SetValue(1);
    menu->ResetToDefaultValue();
    EXPECT_EQ(menu->GetValue(), c.expected);
  }
  PopupFlags flags(false, false);
  EXPECT_EQ(MakeMenu("*M", Items({"A"}), nullptr)->DefaultValue(), 0);
  EXPECT_EQ(MakeMenu("*M", Items({"A"}), "Missing")->DefaultValue(), 0);
}

TEST(PPDXPopupText, ColourMenusTakeUserNamesAndNewProfiles) {
  struct Case {
    const char* menu;
    const char* text;
    long count;            // items afterwards
    std::string selected;  // afterwards
  };
  const Case cases[] = {
      {"*QZSimulation", "B", 3, "B"},                // by keyword
      {"*QZSimulation", "name c", 3, "C"},           // by user name, any case
      {"*QZSimulation", "Fogra 39", 4, "Fogra 39"},  // a new profile
      {"*QZOutProfile", "Fogra 39", 4, "Fogra 39"},
      {"*QZRGBOverride", "Fogra 39", 4, "Fogra 39"},
      {"*QZCurveAdjust", "Fogra 39", 4, "Fogra 39"},
      {"*QZControlBar", "Fogra 39", 4, "Fogra 39"},
      {"*MediaType", "B", 3, "B"},
      {"*MediaType", "Name C", 3, "A"},    // user names count only for the five
      {"*MediaType", "Fogra 39", 3, "A"},  // unchanged
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.menu) + " " + c.text);
    auto menu = MakeMenu(c.menu, Items({"A", "B", "C"}), "A");
    menu->SetCurrentControlWithCFString(CFSTR(c.text));
    EXPECT_EQ(menu->ItemCount(), c.count);
    EXPECT_EQ(Selected(*menu), c.selected);
  }
  auto menu = MakeMenu("*QZSimulation", Items({"A"}), "A");
  menu->SetCurrentControlWithCFString(CFSTR("Fogra 39"));
  EXPECT_EQ(menu->GetKeywordCFLocalName("Fogra 39"), CFSTR("Fogra 39"));
  EXPECT_EQ(menu->CopyCurrentControlValueString(), CFSTR("Fogra 39"));
  EXPECT_EQ(PostScriptOf(*menu), "%%BeginFeature: *QZSimulation Fogra 39\n\n%%EndFeature\n");
  menu->SetCurrentControlWithCFString(CFString());
  EXPECT_EQ(menu->ItemCount(), 2) << "a null text changes nothing";
}

TEST(PPDXPopupNames, LocalNamesAndTheIndexFallback) {
  auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "B");
  EXPECT_STREQ(menu->GetKeywordLocalName("C"), "Name C");
  EXPECT_EQ(menu->GetKeywordLocalName("Z"), nullptr);
  EXPECT_EQ(menu->GetKeywordCFLocalName("A"), CFSTR("Name A"));
  EXPECT_TRUE(menu->GetKeywordCFLocalName("Z").IsNull());
  EXPECT_EQ(menu->GetKeywordLocalNameAtIndex(0), CFSTR("Name A"));
  menu->SetValue(3);
  EXPECT_EQ(menu->GetKeywordLocalNameAtIndex(3), CFSTR("B")) << "resets and answers the default";
  EXPECT_EQ(Selected(*menu), "B");
  EXPECT_EQ(menu->GetKeywordPSData("C", nullptr),
            static_cast<long>(Feature("*MediaType", "C").size()));
  EXPECT_EQ(menu->GetKeywordPSData("Z", nullptr), 0);
  EXPECT_EQ(menu->GetDefaultKeyword(), std::string("B"));
}

TEST(PPDXPopupRebuild, KeepsTheSelectionWhenItRemains) {
  auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "A");
  menu->SetKeywordSelect("C", true);
  PointerList items;
  for (const char* k : {"C", "D"}) items.PushBack(new _PopupItem(k, CFSTR(k), nullptr, 0));
  EXPECT_TRUE(menu->Rebuild("Paper", items, new CString("D")));
  EXPECT_TRUE(items.Empty());
  EXPECT_EQ(menu->ItemCount(), 2);
  EXPECT_EQ(Selected(*menu), "C");
  EXPECT_STREQ(menu->UserName(), "Paper");
  EXPECT_STREQ(menu->GetDefaultKeyword(), "D");

  PointerList others;
  others.PushBack(new _PopupItem("E", CFSTR("E"), nullptr, 0));
  EXPECT_TRUE(menu->Rebuild("Paper", others, new CString("E")));
  EXPECT_EQ(Selected(*menu), "E") << "the old choice is gone: the default stands";
}

TEST(PPDXPopupRebuild, WithoutSelectionChangesNothing) {
  auto menu = MakeMenu("*MediaType", Items({"A"}), nullptr);
  PointerList items;
  auto* item = new _PopupItem("Z", CFSTR("Z"), nullptr, 0);
  items.PushBack(item);
  EXPECT_FALSE(menu->Rebuild("Other", items, nullptr));
  EXPECT_EQ(menu->ItemCount(), 1);
  EXPECT_EQ(items.Size(), 1u) << "the items stay the caller's";
  delete item;
}

TEST(PPDXPopupStore, RoundTripOfItemsFlagsAndSelection) {
  auto menu = MakeMenu("*Finishing", Items({"A", "B", "C"}), "A", true);
  menu->SetKeywordSelect("C", true);
  Settings settings;
  ASSERT_EQ(menu->Save(settings, 5002), 0);

  ReportRecorder recorder;
  PPDXPopupControl back(settings, 5002, nullptr);
  EXPECT_EQ(back.ItemCount(), 3);
  EXPECT_TRUE(back.CanSelectMultipleItems());
  EXPECT_FALSE(back.IsInstallableOption());
  EXPECT_EQ(Selected(back), "AC");
  EXPECT_EQ(PostScriptOf(back), Feature("*Finishing", "C"));
  EXPECT_STREQ(back.GetDefaultKeyword(), "A");
  EXPECT_STREQ(back.GetKeywordLocalName("B"), "Name B");
  EXPECT_EQ(recorder.reports(), (std::vector<Report>{{"*Finishing", "C"}}));

  // The documented ids of the items.
  int size = 0;
  EXPECT_EQ(settings.Get(kPopupItemKeywordTag, 500202, nullptr, size, false), 0);
  EXPECT_EQ(size, 1);
  EXPECT_EQ(settings.Get(kPopupItemCountTag, 5002, nullptr, size, false), 0);
  EXPECT_EQ(size, 8);
}

TEST(PPDXPopupStore, OlderUserNameItemIsRead) {
  Settings settings;
  const int64_t count = 1;
  settings.Add(kPopupItemCountTag, 5001, &count, 8);
  settings.Add(kPopupItemKeywordTag, 500100, "A4", 2);
  settings.Add(kPopupItemOldUserNameTag, 500100, "A4 paper", 9);  // with its NUL
  PPDXPopupControl back(settings, 5001, nullptr);
  ASSERT_EQ(back.ItemCount(), 1);
  EXPECT_EQ(back.GetKeywordCFLocalName("A4"), CFSTR("A4 paper"));
  EXPECT_EQ(Selected(back), "") << "nothing selected and no default";
}

TEST(PPDXPopupStore, LongMenusDoNotRunIntoTheNextControl) {
  // Two menus saved side by side: with ids id x 100 + n alone, item 100 of
  // the first would overwrite item 0 of the second.
  std::vector<MenuItem> first, second;
  for (int i = 0; i < 250; ++i)
    first.push_back(
        {"F" + std::to_string(i), "First " + std::to_string(i), "f" + std::to_string(i)});
  for (int i = 0; i < 120; ++i)
    second.push_back({"S" + std::to_string(i), "Second " + std::to_string(i), ""});
  auto one = MakeMenu("*One", first, "F0");
  auto two = MakeMenu("*Two", second, "S0");
  one->SetKeywordSelect("F201", true);
  two->SetKeywordSelect("S110", true);
  Settings settings;
  ASSERT_EQ(one->Save(settings, 5001), 0);
  ASSERT_EQ(two->Save(settings, 5002), 0);

  PPDXPopupControl oneBack(settings, 5001, nullptr);
  PPDXPopupControl twoBack(settings, 5002, nullptr);
  ASSERT_EQ(oneBack.ItemCount(), 250);
  ASSERT_EQ(twoBack.ItemCount(), 120);
  int i = 0;
  for (_PopupItem* item = oneBack.FirstItem(); item; item = oneBack.NextItem(), ++i) {
    ASSERT_STREQ(item->Keyword(), ("F" + std::to_string(i)).c_str());
    ASSERT_EQ(item->userName, CFSTR("First " + std::to_string(i)));
    ASSERT_EQ(std::string(reinterpret_cast<char*>(item->psData), item->PSLength()),
              "f" + std::to_string(i));
  }
  i = 0;
  for (_PopupItem* item = twoBack.FirstItem(); item; item = twoBack.NextItem(), ++i)
    ASSERT_STREQ(item->Keyword(), ("S" + std::to_string(i)).c_str());
  EXPECT_EQ(Selected(oneBack), "F201");
  EXPECT_EQ(Selected(twoBack), "S110");

  // Restore brings back selections of the long tail as well.
  oneBack.SetValue(1);
  EXPECT_EQ(oneBack.Restore(settings, 5001), 0);
  EXPECT_EQ(Selected(oneBack), "F201");
  EXPECT_EQ(oneBack.GetValue(), 202);
}

TEST(PPDXPopupStore, RestoreStopsAtTheFirstFailedRead) {
  auto menu = MakeMenu("*MediaType", Items({"A", "B", "C"}), "C");
  Settings settings;
  ASSERT_EQ(menu->Save(settings, 5001), 0);
  menu->SetValue(1);
  // Item 1 (B) loses its selected flag: A's is read, then the walk stops.
  ASSERT_EQ(settings.Remove(kPopupItemSelectedTag, 500101), 0);
  ReportRecorder recorder;
  EXPECT_EQ(menu->Restore(settings, 5001), kSettingsItemNotFound);
  EXPECT_EQ(Selected(*menu), "") << "A's stored flag (clear) was applied";
  EXPECT_TRUE(recorder.reports().empty()) << "no reselection after a failure";

  Settings whole;
  ASSERT_EQ(menu->Save(whole, 5001), 0);
  EXPECT_EQ(menu->Restore(whole, 5001), 0);
}

TEST(PPDXPopupStore, LongMenuRestoreWithoutItsTailFails) {
  std::vector<MenuItem> menuItems;
  for (int i = 0; i < 101; ++i) menuItems.push_back({"K" + std::to_string(i), "", ""});
  auto menu = MakeMenu("*Long", menuItems, "K100");
  Settings settings;
  ASSERT_EQ(menu->Save(settings, 5001), 0);
  ASSERT_EQ(settings.Remove(kPopupExtraItemsTag, 5001), 0);
  EXPECT_EQ(menu->Restore(settings, 5001), kSettingsItemNotFound);
  PPDXPopupControl back(settings, 5001, nullptr);
  EXPECT_EQ(back.ItemCount(), 100) << "what is there is read";
}

TEST(PPDXPopupFreeFunctions, IterationAndNullSafety) {
  auto menu = MakeMenu("*MediaType", Items({"A", "B"}), "B");
  PopupItemInfo info;
  ASSERT_TRUE(FirstItem(menu.get(), &info));
  EXPECT_STREQ(info.keyword, "A");
  EXPECT_EQ(info.userName, CFSTR("Name A"));
  ASSERT_TRUE(NextItem(menu.get(), &info));
  EXPECT_STREQ(info.keyword, "B");
  EXPECT_FALSE(NextItem(menu.get(), &info));
  EXPECT_EQ(info.keyword, nullptr);
  EXPECT_TRUE(info.userName.IsNull());
  EXPECT_FALSE(FirstItem(nullptr, &info));
  EXPECT_FALSE(FirstItem(menu.get(), nullptr));

  EXPECT_EQ(PopupItemCount(menu.get()), 2);
  EXPECT_EQ(GetPopupValue(menu.get()), 2);
  SetPopupValue(menu.get(), 1);
  EXPECT_TRUE(IsKeywordSelected(menu.get(), "A"));
  EXPECT_TRUE(SetKeywordSelect(menu.get(), "B", true));
  EXPECT_EQ(GetPopupDefaultValue(menu.get()), 2);
  EXPECT_STREQ(GetDefaultKeyword(menu.get()), "B");
  EXPECT_STREQ(GetKeywordLocalName(menu.get(), "A"), "Name A");
  EXPECT_EQ(PopupPostScript(menu.get(), nullptr), menu->PostScript(nullptr));
  EXPECT_EQ(GetKeywordPSData(menu.get(), "A", nullptr), menu->GetKeywordPSData("A", nullptr));
  EXPECT_FALSE(CanSelectMultipleItems(menu.get()));

  PPDXPopupControl* none = nullptr;
  EXPECT_FALSE(CanSelectMultipleItems(none));
  EXPECT_EQ(GetDefaultKeyword(none), nullptr);
  EXPECT_EQ(GetKeywordLocalName(none, "A"), nullptr);
  EXPECT_EQ(GetKeywordPSData(none, "A", nullptr), 0);
  EXPECT_FALSE(IsKeywordSelected(none, "A"));
  EXPECT_FALSE(SetKeywordSelect(none, "A", true));
  EXPECT_EQ(PopupItemCount(none), 0);
  EXPECT_FALSE(NextItem(none, &info));
  EXPECT_EQ(PopupPostScript(none, nullptr), 0);
  EXPECT_EQ(GetPopupValue(none), 0);
  SetPopupValue(none, 1);
  EXPECT_EQ(GetPopupDefaultValue(none), 0);
}

TEST(PPDXPopupStore, StoredLastChoiceWithoutKeywordFallsBackToTheLastSelected) {
  // A damaged store: the saved last choice (item 1) has lost its keyword.
  Settings settings;
  const int64_t count = 3, choice = 1;
  const int32_t on = 1;
  settings.Add(kPopupItemCountTag, 5001, &count, 8);
  settings.Add(kPopupSelectionTag, 5001, &choice, 8);
  settings.Add(kPopupItemKeywordTag, 500100, "A", 1);
  settings.Add(kPopupItemKeywordTag, 500102, "C", 1);
  for (int id : {500100, 500101, 500102}) settings.Add(kPopupItemSelectedTag, id, &on, 4);
  settings.Add(kPopupMultiSelectTag, 5001, &on, 4);
  PPDXPopupControl back(settings, 5001, nullptr);
  EXPECT_EQ(back.CopyCurrentControlValueString(), CFSTR("C"));

  Settings again;
  ASSERT_EQ(back.Save(again, 5001), 0);
  PPDXPopupControl twice(again, 5001, nullptr);
  EXPECT_EQ(twice.CopyCurrentControlValueString(), CFSTR("C"));
  EXPECT_EQ(PostScriptOf(twice), PostScriptOf(back));
}

TEST(PPDXPopupStore, PickManyKeepsWhichItemWasChosenLast) {
  auto menu = MakeMenu("*Finishing", Items({"A", "B", "C"}), nullptr, true);
  menu->SetKeywordSelect("C", true);
  menu->SetKeywordSelect("A", true);
  Settings settings;
  ASSERT_EQ(menu->Save(settings, 5001), 0);
  PPDXPopupControl back(settings, 5001, nullptr);
  EXPECT_EQ(Selected(back), "AC");
  EXPECT_EQ(PostScriptOf(back), Feature("*Finishing", "A")) << "not C, the last in menu order";
  back.SetKeywordSelect("C", true);
  EXPECT_EQ(back.Restore(settings, 5001), 0);
  EXPECT_EQ(PostScriptOf(back), Feature("*Finishing", "A"));
}
