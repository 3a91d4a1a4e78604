// A model rebuilt from saved settings: the same tree of pages, panes,
// roll-downs and controls, and collection counters that agree with what the
// lists hold once the hierarchy is linked again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "PPDX/PPDObjects/PPDXGroups.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"
#include "PPDX/PPDXTestSupport.h"
#include "PPDX/QZVPPD.h"
#include "ParserTestSupport.h"

namespace {

std::string Name(const PPDXElement* element) {
  const char* keyword = element->Keyword();
  return std::string(keyword ? keyword : "?") + (element->IsVisible() ? "" : "(hidden)");
}

// A roll-down's controls, each as path/control (the path alone when it holds none).
void AddRollDown(std::vector<std::string>& lines, PPDXGroup* rollDown, const std::string& path) {
  PPDXControls* controls = GetRollDownControlList(rollDown);
  CNTL_TYPE type = kNoControl;
  if (!controls || !controls->First(type)) lines.push_back(path);
  for (PPDXControl* c = controls ? controls->First(type) : nullptr; c; c = controls->Next(type)) {
    EXPECT_EQ(c->GetParent(), rollDown);
    lines.push_back(path + "/" + Name(c));
  }
}

// One line per path page/pane/roll-down/control, then the groups (with their
// controls) and the controls that hang nowhere.
std::vector<std::string> Tree(QZVPPD& document) {
  ScopedDisplayOption everything(kDisplayEverything);
  std::vector<std::string> lines;
  PPDXProperties* pages = document.GetProperties();
  for (PPDXProperty* page = pages->First(); page; page = pages->Next()) {
    PPDXScrollPane* pane = page->GetScrollDown();
    if (!pane) {
      lines.push_back(Name(page));
      continue;
    }
    EXPECT_EQ(pane->GetParent(), page);
    const std::string panePath = Name(page) + "/" + Name(pane);
    PPDXGroups* rollDowns = pane->RollDowns();
    if (rollDowns->Empty()) lines.push_back(panePath);
    for (PPDXGroup* g = rollDowns->First(); g; g = rollDowns->Next()) {
      EXPECT_EQ(g->GetParent(), pane);
      AddRollDown(lines, g, panePath + "/" + Name(g));
    }
  }
  PPDXGroups* groups = document.GetGroups();
  for (PPDXGroup* g = groups->First(); g; g = groups->Next()) {
    if (g->IsOrphan()) AddRollDown(lines, g, "no parent: " + Name(g));
  }
  CNTL_TYPE type = kNoControl;
  PPDXControls* controls = document.GetControls();
  for (PPDXControl* c = controls->First(type); c; c = controls->Next(type)) {
    if (c->IsOrphan()) lines.push_back("no parent: control " + Name(c));
  }
  return lines;
}

void ExpectGroupCountersMatch(PPDXGroups& groups, const std::string& where) {
  SCOPED_TRACE(where);
  ScopedDisplayOption everything(kDisplayEverything);
  int64_t total = 0, orphans = 0, invisible = 0;
  for (PPDXGroup* g = groups.First(); g; g = groups.Next()) {
    ++total;
    if (g->IsOrphan()) ++orphans;
    if (!g->IsVisible()) ++invisible;
    if (PPDXGroups* rollDowns = GetScrollPaneRollDowns(g)) {
      ExpectGroupCountersMatch(*rollDowns, where + " > " + Name(g));
    }
  }
  EXPECT_EQ(groups.Total(), total);
  EXPECT_EQ(groups.Orphans(), orphans);
  EXPECT_EQ(groups.Invisible(), invisible);
}

// Under each display option 0..3 every kind counts the controls of its kind
// that the element rule shows.
void ExpectControlCountersMatch(PPDXControls& controls, const std::string& where) {
  for (int32_t option = 0; option <= 3; ++option) {
    SCOPED_TRACE(where + ", display option " + std::to_string(option));
    const auto shown = [option](auto* first, auto next) {
      long n = 0;
      for (auto* c = first; c; c = next()) {
        if (c->PPDXElement::OkayToDisplay(static_cast<_DISPLAY_OPTIONS_>(option))) ++n;
      }
      return n;
    };
    PPDXControls& c = controls;
    const long popups = shown(c.FirstPopupControl(), [&] { return c.NextPopupControl(); });
    const long booleans = shown(c.FirstBooleanControl(), [&] { return c.NextBooleanControl(); });
    const long ranges = shown(c.FirstRangeControl(), [&] { return c.NextRangeControl(); });
    const long floats =
        shown(c.FirstFloatRangeControl(), [&] { return c.NextFloatRangeControl(); });
    const long customs = shown(c.FirstCustomPageSize(), [&] { return c.NextCustomPageSize(); });
    ScopedDisplayOption current(static_cast<_DISPLAY_OPTIONS_>(option));
    EXPECT_EQ(c.PopupCount(), popups);
    EXPECT_EQ(c.BooleanCount(), booleans);
    EXPECT_EQ(c.RangeCount(), ranges);
    EXPECT_EQ(c.FloatRangeCount(), floats);
    EXPECT_EQ(c.CustomPageSizeCount(), customs);
  }
}

void ExpectCountersMatch(QZVPPD& document, const std::string& where) {
  ExpectGroupCountersMatch(*document.GetGroups(), where);
  ExpectControlCountersMatch(*document.GetControls(), where);
  ScopedDisplayOption everything(kDisplayEverything);
  PPDXGroups* groups = document.GetGroups();
  for (PPDXGroup* g = groups->First(); g; g = groups->Next()) {
    if (PPDXControls* controls = GetRollDownControlList(g)) {
      ExpectControlCountersMatch(*controls, where + " > " + Name(g));
    }
  }
}

struct CounterCase {
  _PARSE_OPTIONS_ options;
  int64_t total, orphans, invisible;  // of the document's groups
  long booleansShown;                 // under display option 0: visible, with a roll-down
};

class RebuildCountersTest : public ParserTest, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(RebuildCountersTest, CountersAgreeWithTheListsAfterParsingAndAfterRebuilding) {
  const CounterCase& c = GetParam();
  QZVPPD parsed(ParserFixture("hierarchy.ppd"), c.options);
  ExpectCountersMatch(parsed, "parsed");
  Settings settings;
  ASSERT_TRUE(parsed.Save(settings));
  QZVPPD rebuilt(settings, ParserFixture("hierarchy.ppd"));
  ExpectCountersMatch(rebuilt, "rebuilt");
  EXPECT_EQ(Tree(rebuilt), Tree(parsed));

  ScopedDisplayOption zero(kDisplayVisibleWithParent);
  for (QZVPPD* document : {&parsed, &rebuilt}) {
    SCOPED_TRACE(document == &parsed ? "parsed" : "rebuilt");
    PPDXGroups* groups = document->GetGroups();
    EXPECT_EQ(groups->Total(), c.total);
    EXPECT_EQ(groups->Orphans(), c.orphans);
    EXPECT_EQ(groups->Invisible(), c.invisible);
    EXPECT_EQ(document->GetControls()->BooleanCount(), c.booleansShown);
  }
}

// Declared groups that no control uses are kept as plain groups without a
// parent only with the orphans option; hidden ones only with the hidden one.
INSTANTIATE_TEST_SUITE_P(ParseOptions, RebuildCountersTest,
                         ::testing::Values(CounterCase{kParseNoOptions, 2, 0, 0, 1},
                                           CounterCase{kParseOrphans, 3, 1, 0, 1},
                                           CounterCase{kParseHidden, 3, 0, 1, 2},
                                           CounterCase{kParseOrphansAndHidden, 4, 1, 1, 2}));

TEST_F(ParserTest, TheRebuiltHierarchyHasTheParsedShape) {
  QZVPPD parsed(ParserFixture("hierarchy.ppd"), kParseOrphansAndHidden);
  Settings settings;
  ASSERT_TRUE(parsed.Save(settings));
  QZVPPD rebuilt(settings, ParserFixture("hierarchy.ppd"));
  const std::vector<std::string> expected = {
      "PPMain/SPMain/FPGeneral/*QZShown",
      "PPMain/SPMain/FPHidden(hidden)/*QZSecret",
      "PPHidden(hidden)",
      "no parent: FPUnused",
  };
  EXPECT_EQ(Tree(parsed), expected);
  EXPECT_EQ(Tree(rebuilt), expected);
  // A control shows by its own visibility, whatever its roll-down's.
  ScopedDisplayOption zero(kDisplayVisibleWithParent);
  std::vector<std::string> walk;
  CNTL_TYPE type = kNoControl;
  PPDXControls* controls = rebuilt.GetControls();
  for (PPDXControl* c = controls->First(type); c; c = controls->Next(type)) {
    walk.emplace_back(c->Keyword());
  }
  EXPECT_EQ(walk, (std::vector<std::string>{"*QZShown", "*QZSecret"}));
  EXPECT_EQ(controls->ControlCount(), 2);
  EXPECT_EQ(rebuilt.GetGroups()->Orphans(), 1);
}

TEST_F(ParserTest, TheSampleRebuiltFromSettingsCountsAsParsed) {
  QZVPPD parsed(SamplePPD(), kParseOrphansAndHidden);
  ExpectCountersMatch(parsed, "parsed");
  Settings settings;
  ASSERT_TRUE(parsed.Save(settings));
  QZVPPD rebuilt(settings, SamplePPD());
  ExpectCountersMatch(rebuilt, "rebuilt");
  // The custom print size is rebuilt after the saved controls, so its
  // roll-down lists it last.
  std::vector<std::string> rebuiltTree = Tree(rebuilt);
  std::vector<std::string> parsedTree = Tree(parsed);
  std::sort(rebuiltTree.begin(), rebuiltTree.end());
  std::sort(parsedTree.begin(), parsedTree.end());
  EXPECT_EQ(rebuiltTree, parsedTree);
  for (int32_t option = 0; option <= 3; ++option) {
    SCOPED_TRACE("display option " + std::to_string(option));
    ScopedDisplayOption current(static_cast<_DISPLAY_OPTIONS_>(option));
    EXPECT_EQ(rebuilt.GetControls()->ControlCount(), parsed.GetControls()->ControlCount());
    EXPECT_EQ(rebuilt.GetGroups()->Orphans(), parsed.GetGroups()->Orphans());
  }
}

// Values saved from one model come back into another model of the same PPD:
// the first saved control's too, and a keyword declared twice gets each of its
// saved values back rather than its last one twice.
TEST_F(ParserTest, RestoreIntoAFreshModelBringsBackEverySavedValue) {
  ScratchFile ppd(
      "*PPD-Adobe: \"4.3\"\n"
      "*LanguageVersion: English\n"
      "*LanguageEncoding: ISOLatin1\n"
      "*%QZVPropPage PPMain/Main: True\n"
      "*%QZVGroupName SPMain/Main Pane: True\n"
      "*%QZVGroupName FPGeneral/General: True\n"
      "*%QZVParent SPMain/PPMain: True|Scrollpane\n"
      "*%QZVParent FPGeneral/SPMain: True|Rolldown\n"
      "*%QZVFlags *QZFirst: Setup\n"
      "*%QZVGroup *QZFirst: FPGeneral\n"
      "*OpenUI *QZFirst/First: PickOne\n"
      "*DefaultQZFirst: A\n"
      "*QZFirst A/A: \"a\"\n"
      "*QZFirst B/B: \"b\"\n"
      "*CloseUI: *QZFirst\n"
      "*%QZVSpecialOption *QZTwice: one\n"
      "*%QZVSpecialOption *QZTwice: two\n");
  auto twice = [](QZVPPD& document) {
    ScopedDisplayOption everything(kDisplayEverything);
    std::vector<std::string> values;
    CNTL_TYPE type = kNoControl;
    PPDXControls* controls = document.GetControls();
    for (PPDXControl* c = controls->First(type); c; c = controls->Next(type)) {
      if (std::string(c->Keyword()) == "*QZTwice") values.push_back(Value(c));
    }
    return values;
  };
  QZVPPD saved(ppd.path(), kParseOrphansAndHidden);
  ASSERT_EQ(Value(Control(saved, "*QZFirst")), "A");
  saved.SetValueForKey(CFSTR("*QZFirst"), CFSTR("B"));
  Settings settings;
  ASSERT_TRUE(saved.Save(settings));

  QZVPPD fresh(ppd.path(), kParseOrphansAndHidden);
  EXPECT_TRUE(fresh.Restore(settings));
  EXPECT_EQ(Value(Control(fresh, "*QZFirst")), "B");
  EXPECT_EQ(twice(fresh), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(fresh == saved);

  QZVPPD rebuilt(settings, ppd.path());
  EXPECT_TRUE(rebuilt.Restore(settings));
  EXPECT_EQ(twice(rebuilt), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(rebuilt == saved);
}

}  // namespace
