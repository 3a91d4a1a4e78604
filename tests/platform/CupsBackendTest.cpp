// The CUPS back end against a private scheduler, with a stand-in command
// filter that answers every command with a PPD line and a file in the cache
// folder.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "support/PrivateCupsd.h"

namespace {

const std::string kPPD = std::string(TAVRO_TEST_DATA) + "/platform/small.ppd";

// Echoes the job back: the title into the PPD, the body into a cache file.
const char* kStandInFilter = R"(#!/bin/sh
file="${6:--}"
cat "$file" > "$TAVRO_ROOT/Library/Caches/QZV/last-$3.txt" || exit 1
echo "PPD: QZLastCommand=$3" >&2
case "$3" in Fail*) exit 2 ;; esac
exit 0
)";

// The last filter of documents: its options beside the job, the job to the device.
const char* kStandInDocumentFilter = R"(#!/bin/sh
echo "$5" > "$TAVRO_ROOT/Library/Caches/QZV/options-$1.txt" || exit 1
cat "${6:--}"
)";

class CupsBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    TAVRO_START_CUPSD(cupsd_);
    std::string filter = cupsd_.InstallFilterScript("standin-filter", kStandInFilter);
    std::string last = cupsd_.InstallFilterScript("standin-last", kStandInDocumentFilter);
    ASSERT_FALSE(filter.empty() || last.empty()) << cupsd_.Error();
    ppd_ = cupsd_.Dir() + "/queue.ppd";
    std::ofstream(ppd_) << PrivateCupsd::ReadFile(kPPD)
                        << "*cupsFilter: \"application/vnd.cups-command 0 " << filter << "\"\n"
                        << "*cupsFilter: \"application/vnd.cups-postscript 0 " << last << "\"\n";
    ASSERT_TRUE(cupsd_.AddQueue("Q1", ppd_)) << cupsd_.Error();
    SetPrintingTimeoutMs(5000);
    ASSERT_EQ(PMPrinterCreateFromPrinterID("Q1", &printer_), noErr);
  }

  // Polls the job list until the job has ended (or the limit passes).
  std::optional<PMJobInfo> WaitForJob(int id) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      std::vector<PMJobInfo> jobs;
      if (PMCopyAllJobs(&jobs) != noErr) return std::nullopt;
      for (const auto& job : jobs) {
        if (job.id == id && job.state >= kPMJobStopped) return job;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

  PrivateCupsd cupsd_;
  ScopedPrintingBackend backend_{PMBackend::Cups};
  std::string ppd_;
  PMPrinterRef printer_;
};

TEST_F(CupsBackend, PrinterAttributesAndState) {
  EXPECT_EQ(PMPrinterGetID(printer_.get()), "Q1");
  std::string text;
  ASSERT_EQ(PMPrinterGetMakeAndModelName(printer_.get(), &text), noErr);
  EXPECT_EQ(text, "Tavro Small PS v2");
  ASSERT_EQ(PMPrinterCopyDeviceURI(printer_.get(), &text), noErr);
  EXPECT_EQ(text, "file://" + cupsd_.DeviceFile("Q1"));

  PMPrinterState state{};
  ASSERT_EQ(PMPrinterGetState(printer_.get(), &state), noErr);
  EXPECT_EQ(state, kPMPrinterIdle);
  ASSERT_EQ(
      cupsd_.Run({"/usr/sbin/cupsdisable", "-h", cupsd_.Socket(), "-r", "Out of toner", "Q1"}), 0);
  PlistValue dict;
  ASSERT_EQ(PMPrinterCopyState(printer_.get(), &dict), noErr);
  EXPECT_EQ(dict.Find("printer-state")->GetInteger(), kPMPrinterStopped);
  EXPECT_EQ(dict.Find("printer-state-message")->GetString(), "Out of toner");

  std::string url;
  ASSERT_EQ(PMPrinterCopyDescriptionURL(printer_.get(), kPMPPDDescriptionType, &url), noErr);
  std::string path = PMFileURLPath(url);
  EXPECT_EQ(std::filesystem::path(path).filename(), "Q1.ppd");
  EXPECT_NE(PrivateCupsd::ReadFile(path).find("*NickName: \"Tavro Small PS v2\""),
            std::string::npos);

  std::vector<std::string> names;
  ASSERT_EQ(PMCopyPrinterNames(&names), noErr);
  EXPECT_EQ(names, std::vector<std::string>{"Q1"});
  PMPrinterRef none;
  EXPECT_EQ(PMPrinterCreateFromPrinterID("Nope", &none), kPMInvalidPrinter);
}

TEST_F(CupsBackend, CommandJobCompletesAndUpdatesThePPD) {
  int id = 0;
  const std::string body = "line one\nline two with \"quotes\" and \xc3\xa9\n";
  ASSERT_EQ(PMPrinterSendCommand(printer_.get(), body, "Command_Test1", &id), noErr);
  ASSERT_GT(id, 0);
  auto job = WaitForJob(id);
  ASSERT_TRUE(job) << cupsd_.ErrorLog();
  EXPECT_EQ(job->state, kPMJobCompleted) << cupsd_.ErrorLog();
  EXPECT_EQ(job->title, "Command_Test1");
  EXPECT_EQ(job->destination, "Q1");

  // The filter ran with the root from the scheduler's configuration.
  EXPECT_EQ(PrivateCupsd::ReadFile(cupsd_.Root() + "/Library/Caches/QZV/last-Command_Test1.txt"),
            body);
  std::string path;
  ASSERT_EQ(PMCopyQueuePPDPath("Q1", &path), noErr);
  EXPECT_NE(PrivateCupsd::ReadFile(path).find("*QZLastCommand: Command_Test1"), std::string::npos);
}

TEST_F(CupsBackend, FailingFilterNeverShowsCompleted) {
  int id = 0;
  ASSERT_EQ(PMPrinterSendCommand(printer_.get(), "x", "FailNow", &id), noErr);
  auto job = WaitForJob(id);
  ASSERT_TRUE(job);
  EXPECT_NE(job->state, kPMJobCompleted);
}

// Print-settings keys travel as job options: dotted names reach the filters.
TEST_F(CupsBackend, DocumentJobCarriesItsOptionsToTheFilters) {
  if (access("/usr/lib/cups/filter/pstops", X_OK) != 0) GTEST_SKIP() << "no pstops";
  std::string doc = cupsd_.Dir() + "/doc.ps";
  std::ofstream(doc) << "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\nshowpage\n%%EOF\n";
  PMDocumentJob job{doc,
                    "Report",
                    "application/postscript",
                    {{"QZV.PSData.org.tavro.features", "/Library/Caches/QZV/Tavro.temp12"},
                     {"com.apple.print.JobInfo.PMJobName", "Report"}}};
  int id = 0;
  ASSERT_EQ(PMPrinterPrintFile(printer_.get(), job, &id), noErr);
  auto done = WaitForJob(id);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->state, kPMJobCompleted) << cupsd_.ErrorLog();
  EXPECT_EQ(done->title, "Report");
  std::string options = PrivateCupsd::ReadFile(cupsd_.Root() + "/Library/Caches/QZV/options-" +
                                               std::to_string(id) + ".txt");
  EXPECT_NE(options.find("QZV.PSData.org.tavro.features=/Library/Caches/QZV/Tavro.temp12"),
            std::string::npos)
      << options;
  EXPECT_NE(options.find("com.apple.print.JobInfo.PMJobName=Report"), std::string::npos);
  EXPECT_NE(PrivateCupsd::ReadFile(cupsd_.DeviceFile("Q1")).find("showpage"), std::string::npos);

  job.path = cupsd_.Dir() + "/missing.ps";
  EXPECT_EQ(PMPrinterPrintFile(printer_.get(), job), kPMInvalidParameter);
}

// A scheduler that stops answering ends every call with a failure within the
// time-out; a scheduler that is gone fails at once.
TEST_F(CupsBackend, SilentOrMissingSchedulerFailsInsteadOfHanging) {
  SetPrintingTimeoutMs(700);
  cupsd_.Freeze(true);
  std::vector<PMJobInfo> jobs;
  EXPECT_NE(PMCopyAllJobs(&jobs), noErr);
  EXPECT_NE(PMPrinterSendCommand(printer_.get(), "x", "Frozen"), noErr);
  PMPrinterState state{};
  EXPECT_NE(PMPrinterGetState(printer_.get(), &state), noErr);
  cupsd_.Freeze(false);
  SetPrintingTimeoutMs(5000);
  EXPECT_EQ(PMCopyAllJobs(&jobs), noErr);

  std::string socket = cupsd_.Socket();
  cupsd_.Stop();
  setenv("CUPS_SERVER", socket.c_str(), 1);
  cupsSetServer(nullptr);
  EXPECT_NE(PMCopyAllJobs(&jobs), noErr);
  EXPECT_NE(PMPrinterSendCommand(printer_.get(), "x", "Gone"), noErr);
  unsetenv("CUPS_SERVER");
  cupsSetServer(nullptr);
}

}  // namespace
