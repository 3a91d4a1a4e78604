#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "JPSessionFixture.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

TEST_F(JPSession, TwoWaySessionAnswersFromTheSimulatorsDataAndTakesAcceptedValuesBack) {
  SetSharedField(shared_->bidiEnabled, "1");
  Script(
      "result 0\n"
      "set QZStaple=TopRight\n"
      "set QZNote=\xEF\xBB\xBFnew note\n"
      "set PresetName=Office Duplex\n"
      "watermark 1=Top Secret\n"
      "call serverData\ncall trayInfo\ncall tonerInfo\ncall serverInfo\ncall serverFeatures\n"
      "call ppdDefaults\ncall colourOptions\ncall helpStrings\ncall deviceLinkProfiles\n"
      "call serverPresetNames\ncall serverPresetData Office Duplex\n"
      "call serverPresetData Nobody\n"
      "call serverValueByKey SPD_MAPPING_ENABLE\ncall serverValueByKey HX1_NO_RECORD\n"
      "call serverValueByKey OTHER\ncall driverVersion 0\ncall driverVersion 1\n"
      "call driverVersion 7\ncall previewPageCount\ncall variableDataMasters\n"
      "call calibration x\ncall calibrationExtended x\ncall free\ncall fontList\n"
      "call deviceLinkProfile x\n");
  ASSERT_EQ(mainJP(), 0);

  EXPECT_THAT(Record(), Contains("title Printing Preferences"));
  EXPECT_THAT(Record(), Contains("in QZStaple=None"));
  EXPECT_THAT(Record(), Contains("in QZNote=\xEF\xBB\xBF"
                                 "old note"));
  EXPECT_THAT(Record(), Contains("watermark-in 2=Draft"));

  EXPECT_THAT(Answer("serverData"), Contains(HasSubstr("<InstalledOptions key=\"QZHCI\"")));
  EXPECT_THAT(Answer("trayInfo"),
              ElementsAre("trayInfo rc=0", "  tray Tray 1|A4|Plain|80|White|75|550|Ready|",
                          "  tray Tray 2|A3|Coated||White|40|550|Ready|Office Gloss",
                          "  tray Bypass|N/A||N/A|N/A|N/A|N/A|N/A|N/A",
                          "  tray High Capacity|SRA3|Heavy|250|Blue|100|3000|Ready|Cover Stock"));
  EXPECT_THAT(Answer("tonerInfo"), Contains("  toner Black|90|NULL|NULL|NULL"));
  EXPECT_THAT(Answer("serverInfo"), Contains("  ServerName=Tavro X7 Print Server"));
  EXPECT_EQ(Answer("serverInfo").size(), 10u);
  EXPECT_THAT(Answer("serverFeatures"), Contains("  SecurePrint=1"));
  EXPECT_THAT(Answer("ppdDefaults"), Contains("  QZStaple=EMPTYSTRING"));
  EXPECT_THAT(Answer("colourOptions"), Contains("  QZSimulation=FOGRA39"));
  EXPECT_THAT(Answer("helpStrings"), Contains("  Duplex=Print on both sides of the sheet."));
  EXPECT_THAT(Answer("deviceLinkProfiles"), Contains("  SWOP to Proof=swop-proof.icc"));
  EXPECT_THAT(
      Answer("serverPresetNames"),
      ElementsAre("serverPresetNames rc=0", "  name=Office Duplex", "  name=Booklet Colour"));
  EXPECT_THAT(Answer("serverPresetData Office Duplex"),
              ElementsAre("serverPresetData Office Duplex rc=0", " job count=3",
                          "  Duplex=DuplexNoTumble", "  QZColorMode=Grayscale",
                          "  QZStaple=TopLeft", " impose count=0", " preset count=2",
                          "  PresetType=Server", "  PresetTimestampModified=2026-11-02T09:14:00"));
  EXPECT_THAT(Answer("serverPresetData Nobody"), ElementsAre("serverPresetData Nobody rc=4096"));
  EXPECT_THAT(Answer("serverValueByKey SPD_MAPPING_ENABLE"),
              ElementsAre("serverValueByKey SPD_MAPPING_ENABLE rc=0", "  text=TRUE"));
  EXPECT_THAT(Answer("serverValueByKey HX1_NO_RECORD"), Contains("  text=0"));
  EXPECT_THAT(Answer("serverValueByKey OTHER"), ElementsAre("serverValueByKey OTHER rc=4096"));
  EXPECT_THAT(Answer("driverVersion 0"), ElementsAre("driverVersion 0 rc=0", "  text=C750 3.2"));
  EXPECT_THAT(Answer("driverVersion 1"), ElementsAre("driverVersion 1 rc=0", "  text=1.4.0"));
  EXPECT_THAT(Answer("driverVersion 7"), ElementsAre("driverVersion 7 rc=0", "  text="));
  EXPECT_THAT(Answer("previewPageCount"), ElementsAre("previewPageCount rc=4096"));
  EXPECT_THAT(Answer("variableDataMasters"), ElementsAre("variableDataMasters rc=4096"));
  EXPECT_THAT(Answer("calibration x"), ElementsAre("calibration x rc=4096"));
  EXPECT_THAT(Answer("calibrationExtended x"), ElementsAre("calibrationExtended x rc=0"));
  EXPECT_THAT(Answer("free"), ElementsAre("free rc=7100"));
  EXPECT_THAT(Answer("fontList"), ElementsAre("fontList empty"));
  EXPECT_THAT(Answer("deviceLinkProfile"), ElementsAre("deviceLinkProfile empty"));

  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(Field(shared_->count, 5), "5");
  EXPECT_EQ(Value(1), "TopRight");
  EXPECT_EQ(Value(3), "EFBBBFnew note");
  EXPECT_EQ(Field(shared_->keys[4], 64), "PresetName");
  EXPECT_EQ(Field(shared_->watermarkCount, 3), "1");
  EXPECT_EQ(Field(shared_->watermarkNames[0], 256), "Top Secret");
  // Everything the panel handed over went back through the component's free.
  EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(JPSession, WithoutTwoWayDataTheSlotsAnswerFixedTexts) {
  setenv("LANGUAGE", "en_GB", 1);
  SetSharedField(shared_->bidiEnabled, "0");
  Script(
      "result 1\n"
      "set QZStaple=TopRight\n"
      "call serverData\ncall previewPageCount\ncall trayInfo\ncall deviceLinkProfile x\n"
      "call free\ncall outsidePPDOptions\ncall fonts x\ncall jobAction 3\ncall colourOptions\n"
      "call driverVersion 1\ncall serverInfo\ncall otherCalibrationInfo\n"
      "call previewThumbnail 1\ncall serverPresetNames\n");
  ASSERT_EQ(mainJP(), 0);

  std::vector<std::string> xml = Answer("serverData");
  ASSERT_EQ(xml.size(), 2u);
  EXPECT_EQ(xml[0], "serverData rc=0");
  EXPECT_EQ(xml[1],
            "  text=<?xml version=\"1.0\" encoding=\"UTF8\"?>\\n<SMDData>\\n <Configuration "
            "locale=\"en\" encoding=\"UTF8\" ppdLocation0=\"/var/lib/tavro/queue/TavroC750.ppd\" "
            "ControlScope=\"Driver\"  /> \\n <Device deviceName=\"\" deviceID=\"0\"> \\n  "
            "<InstallableOptions>\\n   <InstalledOptions key=\"QZFinisher\" value=\"Booklet\"/>"
            "\\n  </InstallableOptions>\\n </Device> \\n</SMDData>");
  EXPECT_THAT(Answer("previewPageCount"), ElementsAre("previewPageCount rc=0"));
  EXPECT_THAT(Answer("trayInfo"), ElementsAre("trayInfo empty"));
  EXPECT_THAT(Answer("deviceLinkProfile x"), ElementsAre("deviceLinkProfile x rc=4096"));
  EXPECT_THAT(Answer("free"), ElementsAre("free rc=4096"));
  for (const char* zero : {"outsidePPDOptions", "fonts x", "jobAction 3", "colourOptions",
                           "otherCalibrationInfo", "previewThumbnail 1"})
    EXPECT_THAT(Answer(zero), ElementsAre(std::string(zero) + " rc=0"));
  EXPECT_THAT(Answer("driverVersion 1"), Contains("  text=1.4.0"));
  EXPECT_THAT(Answer("serverPresetNames"), ElementsAre("serverPresetNames empty"));

  // Declined: the pairs stay as they were.
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(Value(1), "None");
  EXPECT_EQ(Value(3), "EFBBBFold note");
  EXPECT_EQ(Field(shared_->count, 5), "4");
  EXPECT_EQ(LiveBlocks(), 0u);
  unsetenv("LANGUAGE");
}

TEST_F(JPSession, NoComponentOrARefusedSessionIsNoSession) {
  unsetenv("TAVRO_JP_DIR");
  SetJPLibraryDirectory((dir_ / "nowhere").string());
  Script("result 0\nset QZStaple=TopRight\n");
  ASSERT_EQ(mainJP(), 0);
  EXPECT_EQ(Result(), "-1");
  EXPECT_EQ(Value(1), "None");
  EXPECT_TRUE(Record().empty());

  SetJPLibraryDirectory(TAVRO_JP_LIBRARY_DIR);
  Script("begin-fail\nresult 0\nset QZStaple=TopRight\n");
  ASSERT_EQ(mainJP(), 0);
  EXPECT_EQ(Result(), "-1");
  EXPECT_EQ(Value(1), "None");

  SetSharedMemoryList(nullptr);
  EXPECT_EQ(mainJP(), 1);
}

TEST_F(JPSession, AComponentAnsweringNonsenseIsSurvived) {
  struct Case {
    const char* script;
    const char* result;
    const char* count;
    const char* staple;
  } cases[] = {
      {"result 77\nset QZStaple=X\n", "2", "4", "None"},
      {"result -5\nset QZStaple=X\n", "2", "4", "None"},
      {"result 2\nset QZStaple=X\n", "2", "4", "None"},
      {"result 0\nreturn-null-list\nset QZStaple=X\n", "0", "4", "None"},
      {"result 0\nreturn-huge-count\nset QZStaple=X\n", "0", "3000", "X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    SetUp();
    Script(c.script);
    ASSERT_EQ(mainJP(), 0);
    EXPECT_EQ(Result(), c.result);
    EXPECT_EQ(Field(shared_->count, 5), c.count);
    EXPECT_EQ(Value(1), c.staple);
    EXPECT_EQ(LiveBlocks(), 0u);
    TearDown();
  }
}

TEST_F(JPSession, DMTOverridesGoOverAsReadOnlyAndVeiledKeys) {
  std::ifstream in(std::string(TAVRO_SOURCE_DIR) + "/samples/dmt-ui-modification.xml");
  std::stringstream text;
  text << in.rdbuf();
  dmt_ = text.str();
  Script("result 1\n");
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(mainJP(), 0);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(Record(), Contains("in Duplex=None"));
  EXPECT_THAT(Record(), Contains("readonly *QZColorMode=True"));
  EXPECT_THAT(Record(), Contains("veiled *QZServiceMode=False"));
  EXPECT_THAT(log, HasSubstr("PrintSDMKeyValueList szKey0 =*QZColorMode"));
  EXPECT_EQ(LiveBlocks(), 0u);

  // A DMT without the category passes nothing at all.
  dmt_ = "<DMT></DMT>";
  std::filesystem::remove(RecordPath());
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(mainJP(), 0);
  ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(Record(), Not(Contains("in Duplex=None")));
}

TEST_F(JPSession, ASlowComponentIsWaitedForAndOneNeverReadyIsGivenUp) {
  Script("not-ready 2\nresult 1\n");
  ASSERT_EQ(mainJP(), 0);
  EXPECT_EQ(Result(), "1");

  SetJPReadyTimeout(std::chrono::milliseconds(250));
  Script("not-ready 1000\nresult 0\nset QZStaple=X\n");
  ASSERT_EQ(mainJP(), 0);
  EXPECT_EQ(Result(), "-1");
  EXPECT_EQ(Value(1), "None");
}

TEST_F(JPSession, LocalPresetsAreReadFromTheMessageAndSentAsACommand) {
  SetSharedField(shared_->bidiEnabled, "1");
  localPresets_ = "EFBBBF<presets/>";
  Script("result 1\ncall getLocalPresets\ncall setLocalPresets \xEF\xBB\xBF<presets n=\"1\"/>\n");
  ASSERT_EQ(mainJP(), 0);
  EXPECT_THAT(Answer("getLocalPresets"),
              ElementsAre("getLocalPresets rc=0", "  text=\xEF\xBB\xBF<presets/>"));
  EXPECT_THAT(Answer("setLocalPresets"), ElementsAre(HasSubstr("rc=0")));
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_THAT(commands_[0].first, ::testing::StartsWith("Command_WritePresetData"));
  EXPECT_GT(commands_[0].first.size(), std::string("Command_WritePresetData").size());
  EXPECT_EQ(commands_[0].second, "EFBBBF<presets n=\"1\"/>");

  localPresets_.reset();
  commandCompletes_ = false;
  std::filesystem::remove(RecordPath());
  ASSERT_EQ(mainJP(), 0);
  EXPECT_THAT(Answer("getLocalPresets"), ElementsAre("getLocalPresets rc=4096"));
  EXPECT_THAT(Answer("setLocalPresets"), ElementsAre(HasSubstr("rc=4096")));
  EXPECT_EQ(LiveBlocks(), 0u);
}

TEST_F(JPSession, TheDataFileIsFreeOnceItsOpenMarkerIsGone) {
  std::string marker = (dir_ / "TavroC750.open").string();
  EXPECT_EQ(canBiDiDataFileBeAccessed(marker), 1);
  std::ofstream(marker) << "\n";
  std::thread remover([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::filesystem::remove(marker);
  });
  EXPECT_EQ(canBiDiDataFileBeAccessed(marker), 1);
  remover.join();
}

}  // namespace
