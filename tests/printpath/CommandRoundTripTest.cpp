// Printer commands end to end: the panel's sender, a private scheduler, the
// queue filter, the queue's PPD and cache folder, and the panel's readers;
// then the same commands on a local queue must leave the same queue state.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/LocalQueues.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/CommandJobWait.h"
#include "serverlink/DestinationPPD.h"
#include "serverlink/LocalQueueLink.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamplePPD = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";

std::u32string Wide(std::string_view ascii) {
  return std::u32string(ascii.begin(), ascii.end());
}

// A preferences list big enough to need many message pieces.
std::string LargePreferences() {
  PlistValue list = PlistValue::MakeArray();
  for (int i = 0; i < 300; ++i) {
    list.Append(PlistValue::String("Tavro-" + std::to_string(i)));
    list.Append(PlistValue::String("10.0." + std::to_string(i / 250) + "." + std::to_string(i)));
    list.Append(PlistValue::Integer(i % 2));
  }
  return list.ToXml();
}

struct Command {
  std::string title;
  std::string body;
};

// The commands of one print, in the order the panel sends them.
std::vector<Command> PrintCommands() {
  return {
      {"Command_LocaleCode", "de"},
      {"Command_PSTempFileName", "/Library/Caches/QZV/Tavro.temp4711"},
      {"Command_WritePSTemp", PlistValue::MakeArray({PlistValue::String("ticket")}).ToXml()},
      {"Command_PSQZDestination", "/Library/Caches/QZV/Mailbox1"},
      {"Command_QZVPrefs6B1F0C2E-1D3A-4F5B-9C7D-8E9FA0B1C2D3", LargePreferences()},
      {"Command_PRINTERLOCALPRESETS", "<presets>one</presets>"},
      {"command_PopupJnData", "<dict><key>root</key><string>note</string></dict>"},
  };
}

// Every file under a folder with its bytes, by relative path.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file()) {
      files[fs::relative(it->path(), root).string()] = PrivateCupsd::ReadFile(it->path().string());
    }
  }
  return files;
}

// The PPD's lines that commands write.
std::vector<std::string> MessageLines(const std::string& ppdPath) {
  std::vector<std::string> lines;
  std::istringstream in(PrivateCupsd::ReadFile(ppdPath));
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("*QZ", 0) == 0 && line.find(':') != std::string::npos) lines.push_back(line);
  }
  return lines;
}

class CommandRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    TAVRO_START_CUPSD(cupsd_);
    std::string filter = cupsd_.InstallFilter("tavro-queue-filter", TAVRO_QUEUE_FILTER);
    ASSERT_FALSE(filter.empty()) << cupsd_.Error();
    ppd_ = cupsd_.Dir() + "/queue.ppd";
    // The sample names the queue filter by its installed name; here it is elsewhere.
    std::string text = PrivateCupsd::ReadFile(kSamplePPD);
    const std::string named = "0 tavro-queue-filter\"";
    if (size_t at = text.find(named); at != std::string::npos) {
      text.replace(at, named.size(), "0 " + filter + "\"");
    } else {
      text += "*cupsFilter: \"application/vnd.cups-command 0 " + filter + "\"\n";
    }
    std::ofstream(ppd_) << text;
    ASSERT_TRUE(cupsd_.AddQueue("Office", ppd_)) << cupsd_.Error();
    SetPrintingTimeoutMs(5000);
    SetDestinationPPDPath("");
    ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer_), noErr);
  }

  // Sends and waits the way the panel does; false when the job did not complete.
  bool SendAndWait(PMPrinter* printer, const Command& c) {
    if (PMPrinterSendCommand(printer, c.body, c.title) != noErr) return false;
    testing::internal::CaptureStderr();
    bool done = isJobComple(c.title);
    testing::internal::GetCapturedStderr();
    return done;
  }

  PrivateCupsd cupsd_;
  ScopedPrintingBackend backend_{PMBackend::Cups};
  std::string ppd_;
  PMPrinterRef printer_;
};

TEST_F(CommandRoundTrip, PreferencesComeBackThroughTheQueuesPPD) {
  Command prefs = PrintCommands()[4];
  ASSERT_TRUE(SendAndWait(printer_.get(), prefs)) << cupsd_.ErrorLog();
  std::string queuePPD;
  ASSERT_EQ(PMCopyQueuePPDPath("Office", &queuePPD), noErr);
  EXPECT_EQ(DestinationPPDPath(), queuePPD);
  // Far more than one piece: the message spans many PPD lines.
  EXPECT_GT(MessageLines(queuePPD).size(), 20u);
  EXPECT_EQ(CPPDMsgHdlr(DestinationPPDPath().c_str(), "DriverPreference").GetStringData(),
            Wide(prefs.body));

  // A newer list replaces the old one whole, shorter as it is.
  Command again{"Command_QZVPrefs0000AAAA-0000-4000-8000-000000000002",
                PlistValue::MakeArray({PlistValue::String("only")}).ToXml()};
  ASSERT_TRUE(SendAndWait(printer_.get(), again));
  EXPECT_EQ(CPPDMsgHdlr(DestinationPPDPath().c_str(), "DriverPreference").GetStringData(),
            Wide(again.body));
}

TEST_F(CommandRoundTrip, RefusedCommandIsNotReportedCompleted) {
  EXPECT_FALSE(SendAndWait(printer_.get(), {"Command_NoSuchThing", "x"}));
  EXPECT_EQ(DestinationPPDPath(), "");
}

TEST_F(CommandRoundTrip, LocalQueueEndsInTheSameState) {
  for (const Command& c : PrintCommands()) {
    ASSERT_TRUE(SendAndWait(printer_.get(), c)) << c.title << "\n" << cupsd_.ErrorLog();
  }
  std::string cupsPPD;
  ASSERT_EQ(PMCopyQueuePPDPath("Office", &cupsPPD), noErr);
  auto cupsLines = MessageLines(cupsPPD);
  auto cupsFiles = Tree(cupsd_.Root());

  TempDir local;
  ScopedTavroRoot root(local.Path());
  fs::create_directories(local.Path() + "/Library/Caches/QZV");
  fs::create_directories(local.Path() + "/Library/Preferences");
  ScopedPrintingBackend localBackend(PMBackend::Local);
  InstallLocalQueueCommands();
  LocalQueueResetJobs();
  ASSERT_EQ(LocalQueueCreate("Office", ppd_), noErr);
  PMPrinterRef printer;
  ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
  for (const Command& c : PrintCommands()) ASSERT_TRUE(SendAndWait(printer.get(), c)) << c.title;
  SetLocalQueueCommandHandler({});

  std::string localPPD;
  ASSERT_EQ(PMCopyQueuePPDPath("Office", &localPPD), noErr);
  EXPECT_FALSE(cupsLines.empty());  // the commands did write messages
  EXPECT_EQ(PrivateCupsd::ReadFile(localPPD), PrivateCupsd::ReadFile(cupsPPD));
  auto localFiles = Tree(local.Path());
  localFiles.erase("queues/Office/Office.ppd");
  localFiles.erase("queues/Office/queue.plist");
  EXPECT_EQ(localFiles, cupsFiles);
  EXPECT_EQ(cupsFiles.count("Library/Caches/QZV/Tavro.temp4711"), 1u);
}

}  // namespace
