#include "serverlink/CommandJobWait.h"

#include <arpa/inet.h>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "TwoWayTestSupport.h"
#include "foundation/CurrentPrintSession.h"
#include "platform/LocalQueues.h"
#include "platform/PrintingSystem.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/LocalQueueLink.h"
#include "serverlink/QueuePreferencesChannel.h"

namespace {

class CommandJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLocalQueueCommands();
    LocalQueueResetJobs();
    ASSERT_EQ(LocalQueueCreate("Office", std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd"),
              noErr);
    ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
    SetDestinationPPDPath("");
  }
  void TearDown() override { SetLocalQueueCommandHandler({}); }

  bool Wait(const std::string& title, std::string* log) {
    testing::internal::CaptureStderr();
    bool done = isJobComple(title);
    *log = testing::internal::GetCapturedStderr();
    return done;
  }

  TestRoot root;
  FakeClock clock;
  ScopedWaitClock scopedClock{clock};
  ScopedPrintingBackend backend{PMBackend::Local};
  PMPrinterRef printer;
};

TEST_F(CommandJobs, CompletedJobMakesTheQueuesPPDTheDestinationAndLogsEachStep) {
  const std::string title = "Command_QZVPrefs5D1D6D3E-0000-4000-8000-000000000001";
  int jobId = 0;
  ASSERT_EQ(PMPrinterSendCommand(printer.get(), "<plist>\xc3\xa9</plist>", title, &jobId), noErr);
  std::string log;
  const double start = clock.Now();
  ASSERT_TRUE(Wait(title, &log));
  EXPECT_NEAR(clock.Now() - start, 0.7, 1e-9);  // only the settling sleep

  std::string ppd;
  ASSERT_EQ(PMCopyQueuePPDPath("Office", &ppd), noErr);
  EXPECT_EQ(DestinationPPDPath(), ppd);
  EXPECT_EQ(CPPDMsgHdlr(DestinationPPDPath().c_str(), "DriverPreference").GetStringData(),
            U"<plist>\u00e9</plist>");

  const std::string id = std::to_string(jobId);
  for (const std::string& line : {
           std::string("isJobComple: (cupsGetJobs) elapsed=0.000000\n"),
           "isJobComple: try=0 id=" + id + ", c=" + title + ", j=" + title + ", s=9\n",
           std::string("isJobComple: try=0, dest=Office\n"),
           std::string("isJobComple: (JobStatusCheck) elapsed=0.000000\n"),
           std::string("isJobComple: numdests=1\n"),
           "isJobComple: new PPD=" + ppd + "\n",
           std::string("isJobComple: (isJobComple) elapsed=0.700000\n"),
       }) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "in:\n" << log;
  }
}

TEST_F(CommandJobs, RefusedOrMissingJobsEndWithFalse) {
  // A refused command's job stops: no need to wait out the 36 seconds.
  ASSERT_EQ(PMPrinterSendCommand(printer.get(), "", "Command_Refused1"), noErr);
  std::string log;
  double start = clock.Now();
  EXPECT_FALSE(Wait("Command_Refused1", &log));
  EXPECT_EQ(clock.Now() - start, 0);
  EXPECT_EQ(log.find("new PPD"), std::string::npos);
  EXPECT_TRUE(DestinationPPDPath().empty());

  // A title that never shows up: 360 listings, 100 ms apart.
  start = clock.Now();
  EXPECT_FALSE(Wait("Command_QZVPrefsNeverSent", &log));
  EXPECT_NEAR(clock.Now() - start, 36.0, 0.11);
}

TEST_F(CommandJobs, JobOfAStoppedQueueCompletesWhenTheQueueGoesOn) {
  ASSERT_EQ(LocalQueueSetState("Office", kPMPrinterStopped), noErr);
  ASSERT_EQ(PMPrinterSendCommand(printer.get(), "en", "Command_LocaleCode"), noErr);
  const double start = clock.Now();
  clock.onSleep = [&](double now) {
    if (now - start >= 2.0) LocalQueueSetState("Office", kPMPrinterIdle);
  };
  std::string log;
  EXPECT_TRUE(Wait("Command_LocaleCode", &log));
  EXPECT_NEAR(clock.Now() - start, 2.0 + 0.7, 0.11);
  EXPECT_EQ(TestRoot::Read(root.Cache() / "QueueLocale_Office.txt"), "en\n");
}

TEST_F(CommandJobs, SchedulerThatDoesNotAnswerEndsTheWait) {
  // A socket that listens but never answers.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  std::string server = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
  cupsSetServer(server.c_str());
  ScopedPrintingBackend cups(PMBackend::Cups);
  const int savedTimeout = PrintingTimeoutMs();
  SetPrintingTimeoutMs(300);

  std::string log;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Wait("Command_QZVPrefsX", &log));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_NE(log.find("the job list failed"), std::string::npos) << log;

  SetPrintingTimeoutMs(savedTimeout);
  cupsSetServer(nullptr);
  close(listener);
}

}  // namespace

namespace {

TEST_F(CommandJobs, PreferencesGoToTheQueueAndComeBackAsItsMessage) {
  PreferencesChannel channel = QueuePreferencesChannel();
  {
    ScopedCurrentPrintSession none(nullptr);
    EXPECT_EQ(channel.send("Command_QZVPrefs1", "<plist/>"), PreferencesSendResult::kNoPrinter);
    EXPECT_FALSE(channel.readMessage().has_value());
  }
  ScopedCurrentPrintSession session(std::make_shared<PMPrintSession>(printer));
  EXPECT_EQ(channel.readMessage(), std::u32string());  // the queue holds none yet
  EXPECT_EQ(channel.send("Command_QZVPrefs5D1D6D3E", "<plist>\xc3\xa9</plist>"),
            PreferencesSendResult::kCompleted);
  EXPECT_EQ(channel.readMessage(), U"<plist>\u00e9</plist>");
  // A list the queue refuses (not UTF-8) leaves the stored one.
  EXPECT_EQ(channel.send("Command_QZVPrefs5D1D6D3F", "\xff"), PreferencesSendResult::kNotCompleted);
  EXPECT_EQ(channel.readMessage(), U"<plist>\u00e9</plist>");
}

}  // namespace
