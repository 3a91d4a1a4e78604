// Each control declaration form and what it builds.
#include "PPDX/QZVPPD.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/PPDXGroup.h"
#include "ParserTestSupport.h"

namespace {

std::string PostScriptOf(PPDXControl* control) {
  const long size = control->PostScript(nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  control->PostScript(reinterpret_cast<unsigned char*>(bytes.data()));
  return bytes;
}

std::string ParentKeyword(PPDXElement* element) {
  return element && element->GetParent() && element->GetParent()->Keyword()
             ? element->GetParent()->Keyword()
             : std::string();
}

class DeclarationTest : public ParserTest {
 protected:
  QZVPPD document_{ParserFixture("declaration-forms.ppd"), kParseNoOptions};
};

TEST_F(DeclarationTest, EveryFormReadsWithoutError) {
  EXPECT_EQ(ErrorsOf(document_), std::vector<ParsedError>{});
  EXPECT_TRUE(document_.IsValidPPD());
}

TEST_F(DeclarationTest, VendorVersionsRunToTheLineEndAndTheMacVersionWins) {
  EXPECT_STREQ(document_.QZFileVersion(), "7.1");
  EXPECT_STREQ(document_.QZMacVersion(), "2.0 Mac");
  EXPECT_STREQ(document_.QZVersionString(), "2.0 Mac");  // a later plain version is ignored
}

TEST_F(DeclarationTest, PickManyBlockWithTheVendorOpenAndCloseKeywords) {
  auto* many = dynamic_cast<PPDXPopupControl*>(Control(document_, "*QZMany"));
  ASSERT_NE(many, nullptr);
  EXPECT_TRUE(many->CanSelectMultipleItems());
  EXPECT_EQ(many->ItemCount(), 2);
  // "*Default: <keyword>: <choice>" names the flagged keyword before the choice.
  EXPECT_STREQ(many->GetDefaultKeyword(), "B");
  EXPECT_EQ(Value(many), "B");
  EXPECT_EQ(many->ControlFlagCount(), 2);
  EXPECT_TRUE(many->IsDynamic());
  EXPECT_TRUE(many->IsSetup());
  EXPECT_EQ(ParentKeyword(many), "FPGeneral");
}

TEST_F(DeclarationTest, BooleanBlockBetweenBeginAndEnd) {
  auto* begin = dynamic_cast<PPDXBooleanControl*>(Control(document_, "*QZBegin"));
  ASSERT_NE(begin, nullptr);
  EXPECT_FALSE(begin->IsTrue());
  EXPECT_FALSE(begin->DefaultState());
  const char* trueText = begin->TrueDisplayText();  // the option line gives no translation
  EXPECT_TRUE(!trueText || !*trueText) << trueText;
  EXPECT_STREQ(begin->FalseDisplayText(), "No");
  EXPECT_TRUE(begin->IsSpooler());  // a quoted flag word
  begin->SetValue(true);
  EXPECT_NE(PostScriptOf(begin).find("\nt\n"), std::string::npos);
}

TEST_F(DeclarationTest, UnitRangeReadsLikeAnIntegerRange) {
  auto* unit = dynamic_cast<PPDXRangeControl*>(Control(document_, "*QZUnit"));
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->MinVal(), 5);
  EXPECT_EQ(unit->MaxVal(), 50);
  EXPECT_EQ(unit->Increment(), 5);
  EXPECT_EQ(unit->DefaultValue(), 20);
  EXPECT_EQ(unit->GetValue(), 20);
  EXPECT_NE(PostScriptOf(unit).find("20 unit\n"), std::string::npos);
  EXPECT_EQ(ParentKeyword(unit), "FPGeneral");
}

TEST_F(DeclarationTest, FloatRangeKeepsItsRealLimits) {
  auto* real = dynamic_cast<PPDXFloatRangeControl*>(Control(document_, "*QZReal"));
  ASSERT_NE(real, nullptr);
  EXPECT_FLOAT_EQ(real->MinVal(), 0.5f);
  EXPECT_FLOAT_EQ(real->MaxVal(), 2.0f);
  EXPECT_FLOAT_EQ(real->Increment(), 0.25f);
  EXPECT_FLOAT_EQ(real->GetValue(), 1.25f);
  EXPECT_EQ(Value(real), "1.250");
}

TEST_F(DeclarationTest, AnOptionBlockWithoutTranslationsStillReads) {
  auto* bare = dynamic_cast<PPDXPopupControl*>(Control(document_, "*QZBare"));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->CFStringUserName().UTF8(), "QZBare");
  EXPECT_EQ(Value(bare), "X");
  EXPECT_GT(bare->GetKeywordPSData("X", nullptr), 0);
}

TEST_F(DeclarationTest, CustomPrintSizeLinesSetTheLimitsTheyGive) {
  auto* size = dynamic_cast<PPDXCustomPageSizeControl*>(Control(document_, "*CustomPrintSize"));
  ASSERT_NE(size, nullptr);
  EXPECT_FLOAT_EQ(size->MinWidth(), 72);
  EXPECT_FLOAT_EQ(size->MaxWidth(), 1224);
  EXPECT_FLOAT_EQ(size->MinHeight(), 90);
  EXPECT_FLOAT_EQ(size->MaxHeight(), 0);  // the line has no maximum
  EXPECT_EQ(size->ControlFlagCount(), 0);
}

TEST_F(ParserTest, APickOneDefaultThatNamesNoOptionFallsBackToTheFirst) {
  QZVPPD document(ParserFixture("popup-default-unknown.ppd"), kParseNoOptions);
  EXPECT_EQ(ErrorsOf(document), std::vector<ParsedError>{});
  auto* pick = dynamic_cast<PPDXPopupControl*>(Control(document, "*QZPick"));
  ASSERT_NE(pick, nullptr);
  EXPECT_STREQ(pick->GetDefaultKeyword(), "First");
  EXPECT_EQ(Value(pick), "First");
  EXPECT_EQ(pick->GetKeywordCFLocalName("Second").UTF8(), "Second One");
  // A value that runs on keeps its line break and ends with a line feed.
  const long size = pick->GetKeywordPSData("Second", nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  pick->GetKeywordPSData("Second", reinterpret_cast<unsigned char*>(bytes.data()));
  EXPECT_NE(bytes.find("\nsecond\ncontinued\n%%EndFeature"), std::string::npos) << bytes;
}

TEST_F(ParserTest, APickOneWithoutDefaultLineHasNoDefaultKeyword) {
  QZVPPD document(ParserFixture("popup-no-default.ppd"), kParseNoOptions);
  auto* pick = dynamic_cast<PPDXPopupControl*>(Control(document, "*QZNoDefault"));
  ASSERT_NE(pick, nullptr);
  EXPECT_EQ(pick->GetDefaultKeyword(), nullptr);
  EXPECT_EQ(pick->ItemCount(), 2);
}

TEST_F(ParserTest, ABooleanWithAThirdStateLaterFollowedByFalseIsKept) {
  QZVPPD document(ParserFixture("boolean-third-then-false.ppd"), kParseNoOptions);
  auto* flag = dynamic_cast<PPDXBooleanControl*>(Control(document, "*QZSwitch"));
  ASSERT_NE(flag, nullptr);
  EXPECT_TRUE(flag->IsTrue());
  EXPECT_STREQ(flag->TrueDisplayText(), "On");
  EXPECT_STREQ(flag->FalseDisplayText(), "Off");
}

TEST_F(ParserTest, ControlsWithoutUsableGroupStayOutOfTheModelOrAreOrphans) {
  {
    QZVPPD strict(ParserFixture("popup-no-group.ppd"), kParseNoOptions);
    EXPECT_EQ(Control(strict, "*QZLoose"), nullptr);
  }
  QZVPPD panel(ParserFixture("popup-no-group.ppd"), kParseOrphansAndHidden);
  PPDXControl* loose = Control(panel, "*QZLoose");
  ASSERT_NE(loose, nullptr);
  EXPECT_TRUE(loose->IsOrphan());
  QZVPPD plain(ParserFixture("popup-plain-group.ppd"), kParseNoOptions);
  PPDXControl* inPlain = Control(plain, "*QZPlain");
  ASSERT_NE(inPlain, nullptr);
  EXPECT_TRUE(inPlain->IsOrphan());  // a plain group holds no controls
}

TEST_F(ParserTest, AVendorOptionBlockMakesNoControlAndParsingGoesOnAfterIt) {
  QZVPPD document(ParserFixture("openuiqzv-block.ppd"), kParseNoOptions);
  EXPECT_EQ(Control(document, "*QZVendor"), nullptr);
  EXPECT_NE(Control(document, "*QZGood"), nullptr);
}

TEST_F(ParserTest, PopupsMadeByACallerJoinTheModel) {
  QZVPPD document(ParserFixture("popup-no-default.ppd"), kParseNoOptions);
  PointerList items;
  items.PushBack(new _PopupItem("One", CFSTR("One"), nullptr, 0));
  items.PushBack(new _PopupItem("Two", CFSTR("Two"), nullptr, 0));
  PPDXPopupControl* made =
      document.PPDCreatePopupMenu("FPGeneral", "*QZMade", "Made", items, new CString("Two"));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(Control(document, "*QZMade"), made);
  EXPECT_EQ(ParentKeyword(made), "FPGeneral");
  EXPECT_EQ(Value(made), "Two");

  PointerList again;
  again.PushBack(new _PopupItem("Two", CFSTR("Two"), nullptr, 0));
  again.PushBack(new _PopupItem("Three", CFSTR("Three"), nullptr, 0));
  EXPECT_TRUE(document.PPDReconcilePopupMenu("*QZMade", "Made", again, new CString("Three")));
  EXPECT_EQ(made->ItemCount(), 2);
  EXPECT_EQ(Value(made), "Two");  // the selection survives when its item does
  PointerList none;
  EXPECT_FALSE(document.PPDReconcilePopupMenu("*QZMissing", "Missing", none, nullptr));
}

}  // namespace
