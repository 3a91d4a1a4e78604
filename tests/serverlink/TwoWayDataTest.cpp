#include "serverlink/TwoWayData.h"

#include <gtest/gtest.h>

#include "TwoWayTestSupport.h"
#include "platform/Alert.h"
#include "platform/LocalQueues.h"
#include "platform/PrintingSystem.h"

namespace {

class TwoWay : public ::testing::Test {
 protected:
  void SetUp() override {
    pde = root.path() / "plugins";
    std::filesystem::create_directories(pde);
    data.SetQueueName("Office");
    data.fillPDEInstallPath((pde / "TavroFeatures.plugin").string());
    data.fillBidiFilePaths();
  }

  TestRoot root;
  std::filesystem::path pde;
  FakeClock clock;
  ScopedWaitClock scopedClock{clock};
  int alerts = 0;
  size_t answer = 0;  // Continue
  ScopedAlertAnswerer answerer{[this](const AlertRequest& r) {
    ++alerts;
    lastAlert = r;
    return answer;
  }};
  AlertRequest lastAlert;
  TwoWayData data;
};

TEST_F(TwoWay, PathsComeFromThePDEFolderAndTheQueueName) {
  EXPECT_EQ(TwoWayData::QueueNameFromPPDPath("/etc/cups/ppd/Office.ppd"), "Office");
  EXPECT_EQ(TwoWayData::QueueNameFromPPDPath("Office"), "Office");
  EXPECT_EQ(data.PDEFolder(), pde.string() + "/");
  EXPECT_EQ(data.BidiDataPath(), pde.string() + "/Office.bididata");
  EXPECT_EQ(data.OpenMarkerPath(), pde.string() + "/Office.open");
  EXPECT_EQ(data.ConnectionErrorPath(),
            (root.Cache() / "ConnectionErrorInfoFileOffice.txt").string());
  EXPECT_EQ(data.TimeoutOverridePath(), (root.Cache() / "qzv_timeout_override.txt").string());

  TwoWayData other;
  other.SetQueueName("Office");
  for (std::string pdePath : {std::string(), (root.path() / "nowhere/x.plugin").string(),
                              "/" + std::string(300, 'd') + "/x.plugin"}) {
    other.fillPDEInstallPath(pdePath);
    other.fillBidiFilePaths();
    EXPECT_TRUE(other.PDEFolder().empty()) << pdePath;
    EXPECT_TRUE(other.BidiDataPath().empty());
    EXPECT_EQ(other.readBidiData(), 0);
  }
}

TEST_F(TwoWay, ReadsTheDataFileWithEveryLineEndAsLineFeed) {
  TestRoot::Write(data.BidiDataPath(), "TrayInfo0000: abc\rTrayInfo0001: \r\nlast");
  ASSERT_EQ(data.readBidiData(), 1);
  EXPECT_EQ(data.getBidiDataCopy(), "TrayInfo0000: abc\nTrayInfo0001: \nlast\n");
  EXPECT_EQ(clock.Sleeps(), 0);
  // A second read replaces the copy.
  TestRoot::Write(data.BidiDataPath(), "x");
  ASSERT_EQ(data.readBidiData(), 1);
  EXPECT_EQ(data.getBidiDataCopy(), "x\n");
}

TEST_F(TwoWay, OpenMarkerIsWaitedOutForAboutThreeSeconds) {
  TestRoot::Write(data.BidiDataPath(), "data");
  TestRoot::Write(data.OpenMarkerPath(), "");
  const double start = clock.Now();
  ASSERT_EQ(data.readBidiData(), 1);  // the marker never goes away
  EXPECT_NEAR(clock.Now() - start, 3.05, 0.06);

  // A marker that goes after one second ends the wait then.
  const double second = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - second >= 1.0) std::filesystem::remove(data.OpenMarkerPath());
  };
  ASSERT_EQ(data.readBidiData(), 1);
  EXPECT_NEAR(clock.Now() - second, 1.0, 0.06);
}

TEST_F(TwoWay, DataFileThatComesLateIsReadAndOneThatNeverComesIsGivenUp) {
  const double start = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - start >= 2.0 && !std::filesystem::exists(data.BidiDataPath()))
      TestRoot::Write(data.BidiDataPath(), "late");
  };
  ASSERT_EQ(data.readBidiData(), 1);
  EXPECT_EQ(data.getBidiDataCopy(), "late\n");
  EXPECT_NEAR(clock.Now() - start, 2.0, 0.06);

  clock.onSleep = nullptr;
  std::filesystem::remove(data.BidiDataPath());
  const double again = clock.Now();
  EXPECT_EQ(data.readBidiData(), 0);
  EXPECT_NEAR(clock.Now() - again, 25.0, 0.06);  // 501 tries, 50 ms apart
  EXPECT_EQ(data.getBidiDataCopy(), "late\n");   // the copy stays as it was
}

TEST_F(TwoWay, WaitingForAFileEndsOnTheFileTheConnectionErrorOrTheTimeOut) {
  const std::string target = (root.Cache() / "Updated.txt").string();
  const double start = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - start >= 1.49) TestRoot::Write(target, "x");
  };
  EXPECT_EQ(data.WaitForFileToBeCreated("Office", target), 1);
  EXPECT_NEAR(clock.Now() - start, 1.5, 0.01);
  EXPECT_EQ(alerts, 0);

  // The queue's connection error file ends the wait at once, with 0.
  clock.onSleep = nullptr;
  TestRoot::Write(data.ConnectionErrorPath(), "no link");
  const double errorAt = clock.Now();
  EXPECT_EQ(data.WaitForFileToBeCreated("Office", target), 0);
  EXPECT_EQ(clock.Now(), errorAt);
  std::filesystem::remove(data.ConnectionErrorPath());

  // Nothing comes: about 35 seconds, then the user is asked.
  answer = 1;  // Cancel
  const double timeoutAt = clock.Now();
  EXPECT_EQ(data.WaitForFileToBeCreated("Office", target + ".never"), 0);
  EXPECT_NEAR(clock.Now() - timeoutAt, 35.1, 0.01);
  EXPECT_EQ(alerts, 1);
  EXPECT_EQ(data.printerInBusyState_ContinueBiDiOFF(), 0);
}

TEST_F(TwoWay, TimeOutOverrideWaitsWithoutEndAndNeverAsks) {
  TestRoot::Write(data.TimeoutOverridePath(), "");
  const std::string target = (root.Cache() / "Slow.txt").string();
  const double start = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - start >= 120) TestRoot::Write(target, "x");
  };
  EXPECT_EQ(data.WaitForFileToBeCreated("Office", target), 1);
  EXPECT_GE(clock.Now() - start, 120);
  EXPECT_EQ(alerts, 0);
}

TEST_F(TwoWay, AlertOffersContinueOrCancelAndKeepsTheChoice) {
  data.showBiDiError();
  EXPECT_EQ(lastAlert.title,
            "Two-Way Communication with the Tavro controller cannot be established");
  EXPECT_EQ(lastAlert.text,
            "Select Continue to access Tavro options without Two-Way Communication. Select Cancel "
            "to exit and try your connection again later.");
  EXPECT_EQ(lastAlert.buttons, (std::vector<std::string>{"Continue", "Cancel"}));
  EXPECT_EQ(lastAlert.defaultButton, 0u);
  EXPECT_EQ(data.printerInBusyState_ContinueBiDiOFF(), 1);
  answer = 1;
  data.showBiDiError();
  EXPECT_EQ(data.printerInBusyState_ContinueBiDiOFF(), 0);
}

class BusyPrinter : public TwoWay {
 protected:
  void SetUp() override {
    TwoWay::SetUp();
    ASSERT_EQ(LocalQueueCreate("Office", std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd"),
              noErr);
    PMPrinterRef printer;
    ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
    data.SetPrinter(printer);
  }
  ScopedPrintingBackend backend{PMBackend::Local};
};

TEST_F(BusyPrinter, AnswersFromThePrinterState) {
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 0);  // idle
  ASSERT_EQ(LocalQueueSetState("Office", kPMPrinterStopped), noErr);
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 1);
  EXPECT_EQ(alerts, 0);  // stopped: no question
  ASSERT_EQ(LocalQueueSetState("Office", kPMPrinterProcessing, "Warming up"), noErr);
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 1);
  EXPECT_EQ(alerts, 1);  // busy with a message: asked at once
  EXPECT_EQ(clock.Sleeps(), 0);
}

TEST_F(BusyPrinter, BusyWithoutMessageIsPolledFor18Seconds) {
  ASSERT_EQ(LocalQueueSetState("Office", kPMPrinterProcessing), noErr);
  const double start = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - start >= 2.0) LocalQueueSetState("Office", kPMPrinterIdle);
  };
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 0);
  EXPECT_NEAR(clock.Now() - start, 2.0, 0.01);
  EXPECT_EQ(alerts, 0);

  clock.onSleep = nullptr;
  ASSERT_EQ(LocalQueueSetState("Office", kPMPrinterProcessing), noErr);
  const double again = clock.Now();
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 1);
  EXPECT_NEAR(clock.Now() - again, 18.0, 0.01);
  EXPECT_EQ(alerts, 1);

  data.SetPrinter(nullptr);
  EXPECT_EQ(data.isPrinterBusyWithPrinting(), 0);
}

}  // namespace
