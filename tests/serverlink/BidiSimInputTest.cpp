#include "serverlink/BidiSimInput.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "serverlink/CFileHdlr.h"
#include "serverlink/WideText.h"

namespace {

TEST(BidiSimInput, SectionsBecomeWidePayloadsThatReadBack) {
  CFileHdlr::SetEchoToStderr(false);
  std::vector<BidiSimSection> sections;
  std::string error;
  ASSERT_TRUE(ParseBidiSimInput(
      "# comment\r\n[ServerInfo]\r\nServerName:Tavro\r\n\r\n\\#hash:1\n[TrayInfo]\nT1@A4\nT2@\n"
      "[TonerInfo]\n[Caf\xC3\xA9]\nvalue \xC3\xA9\n",
      sections, error))
      << error;
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[0].payload, L"ServerName:Tavro\n#hash:1\n");
  EXPECT_EQ(sections[1].payload, L"2:T1@A4:T2@");
  EXPECT_EQ(sections[2].payload, L"0");
  EXPECT_EQ(sections[3].name, "Caf\xC3\xA9");

  std::string file = ComposeBidiData(sections);
  for (const BidiSimSection& s : sections) {
    SCOPED_TRACE(s.name);
    SectionPayload back;
    ASSERT_TRUE(CFileHdlr::stringReadData(file, s.name.c_str(), back));
    EXPECT_EQ(ToWide(back.WideText()), s.payload);
  }
  CFileHdlr::SetEchoToStderr(true);
}

TEST(BidiSimInput, RefusesTextOutsideSectionsAndBadHeaders) {
  std::vector<BidiSimSection> sections;
  std::string error;
  EXPECT_FALSE(ParseBidiSimInput("loose line\n[A]\n", sections, error));
  EXPECT_EQ(error, "line 1: text before the first section");
  EXPECT_FALSE(ParseBidiSimInput("[A]\nx\n[]\n", sections, error));
  EXPECT_EQ(error, "line 3: bad section header");
  EXPECT_FALSE(ParseBidiSimInput("[Open\n", sections, error));
  EXPECT_TRUE(ParseBidiSimInput("", sections, error));
  EXPECT_TRUE(sections.empty());
}

TEST(BidiSimInput, TheFixtureHoldsEverySectionThePanelReads) {
  std::ifstream in(std::string(TAVRO_SOURCE_DIR) + "/samples/bidi/TavroC750.bidi.ini");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<BidiSimSection> sections;
  std::string error;
  ASSERT_TRUE(ParseBidiSimInput(text.str(), sections, error)) << error;
  std::vector<std::string> names;
  for (const auto& s : sections) names.push_back(s.name);
  for (const char* name :
       {"BidiData", "PpdDefaults", "Tintvane", "TrayInfo", "TonerInfo", "ServerInfo",
        "ServerFeatureSupport", "PresetsList", "PresetsData", "CDIHelpStrings",
        "DeviceLinkProfilesList", "ServerValFrmDictspdmapen", "ServerValFrmDicthxnorec"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

}  // namespace
