#include "serverlink/JPPanelHost.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <sstream>

#include "TwoWayTestSupport.h"
#include "queue/QueueCommands.h"
#include "serverlink/BidiSimInput.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/JPCallbacks.h"
#include "serverlink/PPDXData.h"
#include "serverlink/TwoWayData.h"

namespace {

class PanelHost : public ::testing::Test {
 protected:
  void SetUp() override { CFileHdlr::SetEchoToStderr(false); }
  void TearDown() override {
    SetJPSessionHost(JPSessionHost());
    SetDestinationPPDPath("");
    CFileHdlr::SetEchoToStderr(true);
  }
  TestRoot root;
  std::string error_;
};

TEST_F(PanelHost, CallbacksReadTheSectionsOfThePanelsTwoWayData) {
  auto pde = root.path() / "plugins";
  std::filesystem::create_directories(pde);
  TwoWayData data;
  data.SetQueueName("Office");
  data.fillPDEInstallPath((pde / "TavroFeatures.plugin").string());
  data.fillBidiFilePaths();
  std::vector<BidiSimSection> sections;
  std::string error;
  ASSERT_TRUE(
      ParseBidiSimInput("[TrayInfo]\nTray 1@A4\n[ServerInfo]\nServerName:X7\n", sections, error));
  TestRoot::Write(data.BidiDataPath(), ComposeBidiData(sections));
  ASSERT_EQ(data.readBidiData(), 1);

  SetJPSessionHost(MakePanelJPSessionHost(&data, nullptr, nullptr));
  EXPECT_EQ(ReadBidiSection("TrayInfo"), std::wstring(L"1:Tray 1@A4"));
  EXPECT_EQ(ReadBidiSection("ServerInfo"), std::wstring(L"ServerName:X7\n"));
  EXPECT_EQ(ReadBidiSection("TonerInfo"), std::nullopt);

  SetJPSessionHost(MakePanelJPSessionHost(nullptr, nullptr, nullptr));
  EXPECT_EQ(ReadBidiSection("TrayInfo"), std::nullopt);
}

TEST_F(PanelHost, LocalPresetsComeFromTheDestinationPPDsMessage) {
  std::string ppd = (root.path() / "Office.ppd").string();
  TestRoot::Write(ppd, "*PPD-Adobe: \"4.3\"\n*ModelName: \"Test\"\n");
  JPSessionHost host = MakePanelJPSessionHost(nullptr, nullptr, nullptr);
  EXPECT_EQ(host.localPresetsMessage(), std::nullopt);  // no destination PPD yet
  SetDestinationPPDPath(ppd);
  EXPECT_EQ(host.localPresetsMessage(), std::nullopt);  // no message in it

  std::string lines;
  const std::string text = "EFBBBF<presets/>";
  ASSERT_TRUE(ppdxFormatData("QZlocalPreset", text.data(), text.size(), lines));
  std::vector<std::pair<std::string, std::string>> updates;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) {
    cups_option_t* options = nullptr;
    int n = cupsParseOptions(line.c_str() + 4, 0, &options);
    for (int i = 0; i < n; ++i) updates.emplace_back(options[i].name, options[i].value);
    cupsFreeOptions(n, options);
  }
  ASSERT_TRUE(ApplyPPDUpdates(ppd, updates, &error_));
  EXPECT_EQ(host.localPresetsMessage(), text);

  // Without a current printer no command can go out.
  EXPECT_FALSE(host.sendCommandAndWait("Command_WritePresetData1", text));
}

}  // namespace
