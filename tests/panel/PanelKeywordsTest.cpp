#include "panel/PanelKeywords.h"

#include <gtest/gtest.h>

#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "panel/PanelTestSupport.h"

TEST(PanelKeywords, Classification) {
  struct Case {
    const char* keyword;
    bool bidi, expert, special, excluded;
  } cases[] = {
      {"Bidi", false, false, false, false},
      {"*Bidi", true, false, false, false},
      {"*QZTrayBidi", true, false, false, false},
      {"*QZBidiTray", false, false, false, false},
      {"*QZOutProfile", false, true, true, false},
      {"*QZOutProfileBidi", true, false, true, false},
      {"*QZPaperSim", false, true, false, false},
      {"QZPaperSim", false, false, false, false},
      {"*QZControlBar", false, false, false, true},
      {"*PageSize", false, false, false, true},
      {"QZSlipSheetPaperCatalog", false, false, false, true},
      {"*QZSlipSheetPaperCatalog", false, false, false, false},
      {"*QZColorant1_RangeValue", false, false, false, true},
      {"*Duplex", false, false, false, false},
      {nullptr, false, false, false, false},
  };
  for (const Case& c : cases) {
    const std::string name = c.keyword ? c.keyword : "(null)";
    EXPECT_EQ(isBidiKeyword(c.keyword), c.bidi) << name;
    EXPECT_EQ(isExpertTintvaneControl(c.keyword), c.expert) << name;
    EXPECT_EQ(isSpecialTintvaneControl(c.keyword), c.special) << name;
    EXPECT_EQ(isQuickAccessExcluded(c.keyword), c.excluded) << name;
  }
}

TEST(PanelKeywords, BasicPanelControls) {
  TestPPD ppd(
      "*%QZVPropPage PPMain/Main: True\n*%QZVGroupName SPMain/Main: True\n"
      "*%QZVGroupName FPGeneral/General: True\n*%QZVParent SPMain/PPMain: True|Scrollpane\n"
      "*%QZVParent FPGeneral/SPMain: True|Rolldown\n"
      "*%QZVFlags *QZStaple: \"\"\n*%QZVGroup *QZStaple FPGeneral:\n"
      "*OpenUI *QZStaple/Staple: PickOne\n*DefaultQZStaple: Off\n*QZStaple Off/Off: \"\"\n"
      "*CloseUI: *QZStaple\n"
      "*%QZVFlags *QZHidden: \"NoTavroDriverUI\"\n*%QZVGroup *QZHidden FPGeneral:\n"
      "*OpenUI *QZHidden/Hidden: PickOne\n*DefaultQZHidden: Off\n*QZHidden Off/Off: \"\"\n"
      "*CloseUI: *QZHidden\n"
      "*%QZVFlags *QZTrayBidi: \"\"\n*%QZVGroup *QZTrayBidi FPGeneral:\n"
      "*OpenUI *QZTrayBidi/Trays: PickOne\n*DefaultQZTrayBidi: Off\n*QZTrayBidi Off/Off: \"\"\n"
      "*CloseUI: *QZTrayBidi\n"
      "*%QZVFlags *QZControlBar: \"\"\n*%QZVGroup *QZControlBar FPGeneral:\n"
      "*OpenUI *QZControlBar/Bar: PickOne\n*DefaultQZControlBar: Off\n"
      "*QZControlBar Off/Off: \"\"\n*CloseUI: *QZControlBar\n");
  CNTL_TYPE type;
  PPDXControls* controls = ppd->GetControls();
  struct Case {
    const char* keyword;
    bool valid;
  } cases[] = {
      {"*QZStaple", true}, {"*QZHidden", false}, {"*QZTrayBidi", false}, {"*QZControlBar", false}};
  for (const Case& c : cases) {
    PPDXControl* control = controls->Find(c.keyword, type, true);
    ASSERT_NE(control, nullptr) << c.keyword;
    EXPECT_EQ(IsValidBasicPanelControl(control), c.valid) << c.keyword;
  }
  EXPECT_FALSE(IsValidBasicPanelControl(nullptr));

  // Installable options never show in the pane.
  ClearEndOfPPDLatch();
  QZVPPD sample(SamplePPD(), kParseOrphansAndHidden);
  ClearEndOfPPDLatch();
  PPDXControl* finisher = sample.GetControls()->Find("*QZFinisher", type, true);
  ASSERT_NE(finisher, nullptr);
  EXPECT_FALSE(IsValidBasicPanelControl(finisher));
  EXPECT_TRUE(IsValidBasicPanelControl(sample.GetControls()->Find("*Duplex", type, true)));
}

TEST(PanelKeywords, TemplateHidesAndLocks) {
  const std::string xml =
      "<DMT>\n<Category name=\"Other\">\n<Show>\n<QZVPPD key=\"QZOther\" value=\"False\"/>\n"
      "</Show>\n</Category>\n"
      "<Category name=\"UI-Modification\">\n"
      "<Lock>\n<QZVPPD key=\"QZColorMode\" value=\"True\"/>\n"
      "<QZVPPD key=\"QZOpen\" value=\"False\"/>\n</Lock>\n"
      "<Show>\n<QZVPPD key=\"QZServiceMode\" value=\"False\"/>\n"
      "<QZVPPD key=\"QZShown\" value=\"True\"/>\n<QZVPPD key=\"QZStaple\"/>\n"
      "<QZVPPD key=\"QZLater\" value=\"x\"/> value=\"False\"\n</Show>\n"
      "<QZVPPD key=\"QZOutside\" value=\"False\"/>\n"
      "</Category>\n</DMT>\n";
  struct Case {
    const char* keyword;
    bool hides, locks;
  } cases[] = {
      {"*QZServiceMode", true, false},
      {"QZServiceMode", true, false},  // the leading "*" is optional
      {"*QZShown", false, false},
      {"*QZStaple", false, false},
      {"*QZLater", false, false},  // the value must come before the entry's end
      {"*QZColorMode", false, true},
      {"*QZOpen", false, false},
      {"*QZOther", false, false},    // another category
      {"*QZOutside", false, false},  // outside both sections
      {"*QZService", false, false},  // quoted whole keyword only
      {nullptr, false, false},
  };
  for (const Case& c : cases) {
    const std::string name = c.keyword ? c.keyword : "(null)";
    EXPECT_EQ(dmtHides(xml, c.keyword), c.hides) << name;
    EXPECT_EQ(dmtLocks(xml, c.keyword), c.locks) << name;
  }
  // A section that closes after the category ends counts as missing.
  const std::string broken =
      "<Category name=\"UI-Modification\">\n<Show>\n<QZVPPD key=\"QZA\" value=\"False\"/>\n"
      "</Category>\n</Show>\n";
  EXPECT_FALSE(dmtHides(broken, "*QZA"));
  EXPECT_FALSE(dmtHides("", "*QZA"));
}
