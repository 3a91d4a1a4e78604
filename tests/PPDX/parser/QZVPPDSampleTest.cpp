// The sample vendor PPD as a whole: its model, values by keyword, the
// constraint test with the print-size rule, and the saved-settings round trip.
#include "PPDX/QZVPPD.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "ParserTestSupport.h"
#include "constraints/UIConstraints.h"

namespace {

class SampleTest : public ParserTest {
 protected:
  // As the panel makes it: both parse options, no list of served names.
  QZVPPD document_{SamplePPD(), kParseOrphansAndHidden};

  PPDXPopupControl* Popup(const char* keyword) {
    return dynamic_cast<PPDXPopupControl*>(Control(document_, keyword));
  }
  PPDXGroup* Group(const char* name) {
    ScopedDisplayOption everything(kDisplayEverything);
    return document_.GetGroups()->Find(name, true);
  }
  static std::string Parent(const PPDXElement* element) {
    return element && element->GetParent() && element->GetParent()->Keyword()
               ? element->GetParent()->Keyword()
               : std::string("-");
  }
};

TEST_F(SampleTest, OnlyTheDroppedShortcutsAreErrors) {
  const std::vector<ParsedError> expected = {{PPDErr_BadShortcut, "*QZ_PROP_WATERMARK", false},
                                             {PPDErr_BadShortcut, "*QZSortMode", false}};
  EXPECT_EQ(ErrorsOf(document_), expected);
  EXPECT_TRUE(document_.IsValidPPD());
  EXPECT_STREQ(document_.QZFileVersion(), "1.0.3");
  EXPECT_STREQ(document_.QZVersionString(), "1.0");  // written in quotes
  EXPECT_EQ(document_.QZMacVersion(), nullptr);
  EXPECT_STREQ(document_.PCFileName(), "TAVC750.PPD");
  EXPECT_EQ(gPopupAccountingWindowTitle.UTF8(), "Accounting ");
}

TEST_F(SampleTest, EveryFlaggedDeclarationIsAControlInItsRollDown) {
  // keyword -> roll-down (InstallableOptions is the section's own roll-down).
  const std::map<std::string, std::string> expected = {
      {"*PageSize", "FPPaperSource"},
      {"*QZPrintSize", "FPPaperSource"},
      {"*CustomPrintSize", "FPPaperSource"},
      {"*MediaType", "FPPaperSource"},
      {"*QZCopiesPerSet", "FPPaperSource"},
      {"*QZMargin", "FPLayout"},
      {"*QZScale", "FPLayout"},
      {"*QZCollate", "FPLayout"},
      {"*QZColorMode", "FPImage"},
      {"*QZEdgeEnhance", "FPImage"},
      {"*Duplex", "FPFinishing"},
      {"*QZStaple", "FPFinishing"},
      {"*QZPunch", "FPFinishing"},
      {"*QZServiceMode", "FPService"},
      {"*QZFinisher", "QZPPInstallableOptions"},
      {"*QZTrays", "InstallableOptions"},
      {"*QZHardDisk", "InstallableOptions"},
      {"*Notes1", "FPQZNotes"},
      {"*Notes2", "FPQZNotes"},
      {"*Resume", "FPQZNotes"},
      {"*Instruct", "FPQZNotes"},
      {"*QZUserAuthName", "FPQZNotes"},
      {"*QZUserAuthPwd", "FPQZNotes"},
      {"*QZDisplayJobTracking", "FPAccounting"},
      {"*QZAccountSetting", "FPAccounting"},
      {"*QZAccountShowLast", "FPAccounting"},
      {"*QZProject", "FPAccounting"},
      {"*QZCostCenter", "FPAccounting"},
      {"*QZUTF8_Version", "-"},
  };
  for (const auto& [keyword, group] : expected) {
    EXPECT_EQ(Parent(Control(document_, keyword.c_str())), group) << keyword;
  }
  EXPECT_EQ(Control(document_, "*PageRegion"), nullptr);  // not announced by a flag line
}

TEST_F(SampleTest, HierarchyRunsFromPropertyPagesToRollDowns) {
  EXPECT_EQ(document_.GetProperties()->Count(), 4);  // the hidden service page included
  const std::map<std::string, std::string> parents = {
      {"SPMain", "PPMain"},
      {"SPFinishing", "PPFinishing"},
      {"SPLayout", "PPLayout"},
      {"SPService", "PPService"},
      {"FPPaperSource", "SPMain"},
      {"FPImage", "SPMain"},
      {"FPQZNotes", "SPMain"},
      {"FPAccounting", "SPMain"},
      {"QZPPInstallableOptions", "SPMain"},
      {"FPFinishing", "SPFinishing"},
      {"FPLayout", "SPLayout"},
      {"FPService", "SPService"},
      {"InstallableOptions", "-"},
      {"FPExtras", "-"},
  };
  for (const auto& [group, parent] : parents) {
    EXPECT_EQ(Parent(Group(group.c_str())), parent) << group;
  }
  EXPECT_NE(dynamic_cast<PPDXRollDown*>(Group("InstallableOptions")), nullptr);
  EXPECT_EQ(Group("InstallableOptions")->CFStringUserName().UTF8(), "Installable Options");
  EXPECT_FALSE(Group("FPService")->IsVisible());
  PPDXProperty* layout = document_.GetProperties()->Find("PPLayout", true);
  PPDXProperty* finishing = document_.GetProperties()->Find("PPFinishing", true);
  ASSERT_TRUE(layout && finishing);
  EXPECT_FALSE(layout->ShowInPrintProp());  // "App"
  EXPECT_TRUE(layout->ShowInApp());
  EXPECT_TRUE(finishing->ShowInPrintProp());  // "Prop"
  EXPECT_FALSE(finishing->ShowInApp());
}

TEST_F(SampleTest, DeclarationsKeepTheirValues) {
  EXPECT_EQ(Value(Control(document_, "*QZPrintSize")), "SameAsPageSize");
  EXPECT_EQ(Value(Control(document_, "*QZCollate")), "True");
  EXPECT_EQ(Value(Control(document_, "*QZEdgeEnhance")), "True");
  EXPECT_EQ(Value(Control(document_, "*QZServiceMode")), "False");
  EXPECT_TRUE(Popup("*QZPunch")->CanSelectMultipleItems());
  auto* copies = dynamic_cast<PPDXRangeControl*>(Control(document_, "*QZCopiesPerSet"));
  ASSERT_NE(copies, nullptr);
  EXPECT_EQ(copies->MaxVal(), 50);
  EXPECT_EQ(dynamic_cast<PPDXRangeControl*>(Control(document_, "*QZMargin"))->GetValue(), 12);
  EXPECT_FLOAT_EQ(dynamic_cast<PPDXFloatRangeControl*>(Control(document_, "*QZScale"))->MaxVal(),
                  4.0f);
  auto* custom = dynamic_cast<PPDXCustomPageSizeControl*>(Control(document_, "*CustomPrintSize"));
  ASSERT_NE(custom, nullptr);
  EXPECT_FLOAT_EQ(custom->MinWidth(), 72);
  EXPECT_FLOAT_EQ(custom->MaxWidth(), 1224);
  EXPECT_FLOAT_EQ(custom->MaxHeight(), 1728);
  EXPECT_TRUE(Popup("*QZFinisher")->IsInstallableOption());
  EXPECT_FALSE(Popup("*QZTrays")->IsInstallableOption());
  EXPECT_TRUE(
      dynamic_cast<PPDXControl*>(Control(document_, "*QZServiceMode"))->IsNoTavroDriverUI());
}

TEST_F(SampleTest, ShortcutsResolveToTheirControlsInOrder) {
  PPDXShortcuts* shortcuts = document_.GetShortcuts();
  ASSERT_NE(shortcuts, nullptr);
  // The reserved and the missing keyword are dropped.
  EXPECT_EQ(shortcuts->Count(), 7);
  EXPECT_EQ(shortcuts->First(), Control(document_, "*PageSize"));
  EXPECT_NE(shortcuts->Find("*Notes1", true), nullptr);
  EXPECT_EQ(shortcuts->PageSize(), Control(document_, "*PageSize"));
  EXPECT_NE(shortcuts->Find("*QZCollate", true), nullptr);
}

TEST_F(SampleTest, ValuesByKeyword) {
  EXPECT_EQ(document_.CopyValueForKey(CFSTR("*Duplex")).UTF8(), "None");
  document_.SetValueForKey(CFSTR("*Duplex"), CFSTR("DuplexTumble"));
  EXPECT_EQ(Value(Control(document_, "*Duplex")), "DuplexTumble");
  EXPECT_TRUE(document_.CopyValueForKey(CFSTR("*QZNoSuchKey")).IsNull());
  EXPECT_EQ(document_.GetPPDXControlForKey(CFSTR("Duplex")), nullptr);  // the "*" belongs

  auto values = document_.CopyAllValues();
  std::map<std::string, std::string> byKey;
  for (const auto& [key, value] : values) byKey[key.UTF8()] = value.UTF8();
  EXPECT_EQ(byKey.size(), values.size());
  EXPECT_EQ(byKey["*Duplex"], "DuplexTumble");
  EXPECT_EQ(byKey["*QZScale"], "1.000");
  EXPECT_EQ(byKey["*QZCollate"], "True");
  for (auto& [key, value] : values) {
    if (key == CFSTR("*QZFinisher")) value = CFSTR("Stapler");
    if (key == CFSTR("*QZStaple")) value = CFSTR("TopLeft");
    if (key == CFSTR("*QZCopiesPerSet")) value = CFSTR("5");
  }
  document_.SetAllValues(values);
  EXPECT_EQ(Value(Control(document_, "*QZStaple")), "TopLeft");
  EXPECT_EQ(Value(Control(document_, "*QZCopiesPerSet")), "5");
  EXPECT_EQ(Value(Control(document_, "*QZFinisher")), "None");  // installable options stay
}

TEST_F(SampleTest, ConstraintsAreAskedDirectly) {
  EXPECT_FALSE(document_.IsKVConstrained("*Duplex", "DuplexNoTumble"));
  Popup("*MediaType")->SetKeywordSelect("Transparency", true);
  EXPECT_TRUE(document_.IsKVConstrained("*Duplex", "DuplexNoTumble"));
  EXPECT_TRUE(document_.IsKVConstrained("*Duplex", "DuplexTumble"));
  EXPECT_FALSE(document_.IsKVConstrained("*Duplex", "None"));
}

TEST_F(SampleTest, ConstraintsWithoutOptionsCoverEveryUsableOption) {
  Popup("*QZFinisher")->SetKeywordSelect("None", true);
  EXPECT_TRUE(document_.IsKVConstrained("*QZPunch", "Top"));
  EXPECT_FALSE(document_.IsKVConstrained("*QZPunch", "None"));
  Popup("*QZFinisher")->SetKeywordSelect("Stapler", true);
  EXPECT_FALSE(document_.IsKVConstrained("*QZPunch", "Top"));
  document_.SetValueForKey(CFSTR("*QZCollate"), CFSTR("True"));
  EXPECT_TRUE(document_.IsKVConstrained("*QZServiceMode", "True"));
  EXPECT_FALSE(document_.IsKVConstrained("*QZServiceMode", "False"));
  EXPECT_GT(document_.GetUIConstraints()->GetRequiresForest()->Trees().size(), 0u);
}

struct PrintSizeCase {
  const char* pageSize;
  bool customPageSetup;
  const char* printSize;
  bool constrained;  // choosing *QZPunch Left
};

class PrintSizeRuleTest : public SampleTest, public ::testing::WithParamInterface<PrintSizeCase> {};

TEST_P(PrintSizeRuleTest, SameAsPageSizeIsTestedAsThePageSize) {
  const PrintSizeCase& c = GetParam();
  Popup("*QZFinisher")->SetKeywordSelect("Stapler", true);  // punching needs the finisher
  Popup("*PageSize")->SetKeywordSelect(c.pageSize, true);
  Popup("*QZPrintSize")->SetKeywordSelect(c.printSize, true);
  gPageSetupCustomPageSize = c.customPageSetup;
  EXPECT_EQ(document_.IsKVConstrained("*QZPunch", "Left"), c.constrained);
  EXPECT_EQ(Value(Control(document_, "*QZPrintSize")), c.printSize);  // put back
}

INSTANTIATE_TEST_SUITE_P(Sizes, PrintSizeRuleTest,
                         ::testing::Values(PrintSizeCase{"A3", false, "SameAsPageSize", true},
                                           PrintSizeCase{"Letter", false, "SameAsPageSize", false},
                                           PrintSizeCase{"A3", true, "SameAsPageSize", false},
                                           PrintSizeCase{"Letter", false, "A3", true},
                                           PrintSizeCase{"A3", false, "A4", false}));

TEST_F(SampleTest, SaveRebuildAndRestoreGiveTheSameModelAndValues) {
  Popup("*Duplex")->SetKeywordSelect("DuplexNoTumble", true);
  document_.SetValueForKey(CFSTR("*QZCopiesPerSet"), CFSTR("12"));
  document_.SetValueForKey(CFSTR("*QZCollate"), CFSTR("False"));
  Settings settings;
  ASSERT_TRUE(document_.Save(settings));

  QZVPPD rebuilt(settings, SamplePPD());
  EXPECT_TRUE(rebuilt.Valid());
  EXPECT_STREQ(rebuilt.QZFileVersion(), "1.0.3");
  EXPECT_STREQ(rebuilt.QZVersionString(), "1.0");
  EXPECT_TRUE(rebuilt.Restore(settings));
  EXPECT_TRUE(rebuilt == document_);
  for (const char* keyword : {"*Duplex", "*QZCopiesPerSet", "*QZCollate", "*PageSize"}) {
    EXPECT_EQ(Value(Control(rebuilt, keyword)), Value(Control(document_, keyword))) << keyword;
  }
  EXPECT_EQ(Parent(Control(rebuilt, "*Duplex")), "FPFinishing");
  EXPECT_EQ(Parent(Control(rebuilt, "*CustomPrintSize")), "FPPaperSource");
  EXPECT_EQ(rebuilt.GetShortcuts()->Count(), 7);

  // Values saved later come back into the rebuilt model.
  document_.SetValueForKey(CFSTR("*Duplex"), CFSTR("None"));
  Settings later;
  ASSERT_TRUE(document_.Save(later));
  EXPECT_TRUE(rebuilt.Restore(later));
  EXPECT_EQ(Value(Control(rebuilt, "*Duplex")), "None");
}

}  // namespace
