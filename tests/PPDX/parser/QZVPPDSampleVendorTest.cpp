// The vendor blocks of the sample PPD: what the model holds is checked
// against what the sample declares.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PopupJnDataSource.h"
#include "ParserTestSupport.h"
#include "serverlink/CFileHdlr.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SampleVendorTest : public ParserTest {
 protected:
  QZVPPD document_{SamplePPD(), kParseOrphansAndHidden};

  PPDXJobNote* Note(const char* keyword) {
    return dynamic_cast<PPDXJobNote*>(Control(document_, keyword));
  }
};

TEST_F(SampleVendorTest, ControlsOfEveryKind) {
  ScopedDisplayOption everything(kDisplayEverything);
  PPDXControls* controls = document_.GetControls();
  EXPECT_EQ(controls->PopupCount(), 10);
  EXPECT_EQ(controls->BooleanCount(), 6);
  EXPECT_EQ(controls->RangeCount(), 2);
  EXPECT_EQ(controls->FloatRangeCount(), 1);
  EXPECT_EQ(controls->CustomPageSizeCount(), 1);
  EXPECT_EQ(controls->JobNoteCount(), 8);
  EXPECT_EQ(controls->SpecialOptionsCount(), 4);
}

TEST_F(SampleVendorTest, JobNotesCarryEveryFlagWord) {
  JobNoteFlag all = 0;
  ScopedDisplayOption everything(kDisplayEverything);
  for (PPDXJobNote* note = document_.GetControls()->FirstJobNote(); note;
       note = document_.GetControls()->NextJobNote()) {
    all |= note->Flags();
  }
  EXPECT_EQ(all, (JobNoteFlag{1} << kJobNoteFlagCount) - 1);

  PPDXJobNote* account = Note("*Notes1");
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(account->MinLength(), 4);
  EXPECT_EQ(account->MaxLength(), 16);
  EXPECT_STREQ(account->GetDefaultNotes(), "0000");
  EXPECT_TRUE(account->IsRequired() && account->Remember());
  ASSERT_NE(Note("*Resume"), nullptr);
  EXPECT_TRUE(Note("*Resume")->IsPassword() && Note("*Resume")->Resume());
  // Stand-alone notes one after the other: each looked at the next line and
  // left it to the main loop.
  for (const char* keyword : {"*Instruct", "*QZUserAuthName", "*QZUserAuthPwd"}) {
    EXPECT_NE(Note(keyword), nullptr) << keyword;
  }
  EXPECT_STREQ(Note("*QZUserAuthName")->GetDefaultNotes(), "guest");
  EXPECT_TRUE(Note("*QZProject")->IsPopupJN());
  EXPECT_TRUE(Note("*QZCostCenter")->IsPopupJN());
  EXPECT_FALSE(Note("*Notes1")->IsPopupJN());
}

TEST_F(SampleVendorTest, SpecialOptionsAndTheDMTData) {
  auto* utf8 = dynamic_cast<PPDXSpecialOption*>(Control(document_, "*QZUTF8_Version"));
  ASSERT_NE(utf8, nullptr);
  EXPECT_STREQ(utf8->GetValue()->Buffer(), "5");
  auto* server = dynamic_cast<PPDXSpecialOption*>(Control(document_, "*QZServerName"));
  ASSERT_NE(server, nullptr);
  EXPECT_STREQ(server->GetValue()->Buffer(), "Tavro C750 Controller");

  std::string xml =
      ReadFile(std::filesystem::path(TAVRO_SOURCE_DIR) / "samples" / "dmt-ui-modification.xml");
  while (!xml.empty() && xml.back() == '\n') xml.pop_back();
  EXPECT_EQ(document_.CustomXmlData(), xml);
  EXPECT_NE(xml.find("<Category name=\"UI-Modification\">"), std::string::npos);
  // The section in the sample is what the data-file writer makes of the XML.
  const std::u32string wide(xml.begin(), xml.end());
  std::string section;
  CFileHdlr::SetEchoToStderr(false);
  ASSERT_TRUE(CFileHdlr::fileWriteData("*DMT_Injection", wide.data(),
                                       wide.size() * sizeof(char32_t), section));
  CFileHdlr::SetEchoToStderr(true);
  EXPECT_EQ(document_.DMTInjectionText(), section);
}

TEST_F(ParserTest, SampleWithSavedAccountingPreferences) {
  FixedPopupJnDataSource source("100*QZProject\nApollo\n*QZCostCenter\n-12.5\n");
  SetPopupJnDataSource(&source);
  QZVPPD document(SamplePPD(), kParseOrphansAndHidden);
  SetPopupJnDataSource(nullptr);
  EXPECT_EQ(Value(Control(document, "*QZDisplayJobTracking")), "True");
  EXPECT_EQ(Value(Control(document, "*QZAccountSetting")), "FirstJob");
  EXPECT_EQ(Value(Control(document, "*QZAccountShowLast")), "False");
  auto* project = dynamic_cast<PPDXJobNote*>(Control(document, "*QZProject"));
  auto* cost = dynamic_cast<PPDXJobNote*>(Control(document, "*QZCostCenter"));
  ASSERT_TRUE(project && cost);
  EXPECT_STREQ(project->GetNotes(), "Apollo");
  EXPECT_STREQ(cost->GetDefaultNotes(), "-12.5");
}

}  // namespace
