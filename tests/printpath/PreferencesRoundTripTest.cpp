// The per-printer preferences list end to end: saved with the prefs command to
// the current printer, read back from the queue's PPD message by a new list,
// on a private scheduler with the queue filter and on a local queue.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/CurrentPrintSession.h"
#include "platform/LocalQueues.h"
#include "platform/PrintingSystem.h"
#include "serverlink/LocalQueueLink.h"
#include "serverlink/QZVUnisorPrinterPList.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";
const std::vector<std::string> kWatermarks = {
    "0,0,0,192,192,192,0,0,0,450,0,0,72,Helvetica-Bold,DRAFT, not final",
    "0,0,0,255,0,0,0,1,0,450,0,0,48,Helvetica,caf\u00e9 \u65e5\u672c"};

// Saves a list for the session's printer, reads it back with a new list,
// changes it and reads it back again.
void RoundTrip(const PMPrinterRef& printer) {
  ScopedCurrentPrintSession session(std::make_shared<PMPrintSession>(printer));
  testing::internal::CaptureStderr();  // the job wait reports on stderr
  {
    QZVUnisorPrinterPList fresh;
    EXPECT_FALSE(fresh.IsLoaded()) << "a new queue holds no list";
    EXPECT_TRUE(fresh.Elements().empty());
    ASSERT_TRUE(fresh.Add(CFSTR("Office"), CFSTR("10.0.0.7"), true));
    ASSERT_TRUE(fresh.AddDataBlob(CFSTR("Office"), 1, kWatermarks));
    ASSERT_TRUE(fresh.Save());
  }
  QZVUnisorPrinterPList stored;
  EXPECT_TRUE(stored.IsLoaded());
  EXPECT_EQ(stored.CopyAddress(CFSTR("office")).UTF8(), "10.0.0.7");
  EXPECT_TRUE(stored.getIPEnabled(CFSTR("Office")));
  std::vector<std::string> lines;
  ASSERT_TRUE(stored.GetDataBlob(CFSTR("Office"), 1, lines));
  EXPECT_EQ(lines, kWatermarks);

  ASSERT_TRUE(stored.setIPEnabled(CFSTR("Office"), false));
  ASSERT_TRUE(stored.Add(CFSTR("Lab"), CFSTR("lab.example"), true));
  ASSERT_TRUE(stored.Save());
  QZVUnisorPrinterPList again;
  EXPECT_EQ(again.Elements(), stored.Elements());
  EXPECT_FALSE(again.getIPEnabled(CFSTR("Office")));
  EXPECT_TRUE(again.Find(CFSTR("LAB")));
  testing::internal::GetCapturedStderr();
}

TEST(PreferencesRoundTrip, ThroughThePrivateScheduler) {
  PrivateCupsd cupsd;
  TAVRO_START_CUPSD(cupsd);
  std::string filter = cupsd.InstallFilter("tavro-queue-filter", TAVRO_QUEUE_FILTER);
  ASSERT_FALSE(filter.empty()) << cupsd.Error();
  // The sample names the queue filter by its installed name; here it is elsewhere.
  std::string text = PrivateCupsd::ReadFile(kSample);
  const std::string named = "0 tavro-queue-filter\"";
  if (size_t at = text.find(named); at != std::string::npos) {
    text.replace(at, named.size(), "0 " + filter + "\"");
  } else {
    text += "*cupsFilter: \"application/vnd.cups-command 0 " + filter + "\"\n";
  }
  const std::string ppd = cupsd.Dir() + "/queue.ppd";
  std::ofstream(ppd) << text;
  ASSERT_TRUE(cupsd.AddQueue("Office", ppd)) << cupsd.Error();
  // The panel's own root: no cache file from elsewhere decides the save.
  TempDir panelRoot;
  ScopedTavroRoot root(panelRoot.Path());
  ScopedPrintingBackend backend(PMBackend::Cups);
  SetPrintingTimeoutMs(5000);
  PMPrinterRef printer;
  ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
  RoundTrip(printer);
  if (HasFailure()) ADD_FAILURE() << cupsd.ErrorLog();
}

TEST(PreferencesRoundTrip, ThroughALocalQueue) {
  TempDir dir;
  ScopedTavroRoot root(dir.Path());
  std::filesystem::create_directories(dir.Path() + "/Library/Caches/QZV");
  ScopedPrintingBackend backend(PMBackend::Local);
  InstallLocalQueueCommands();
  ASSERT_EQ(LocalQueueCreate("Office", kSample), noErr);
  PMPrinterRef printer;
  ASSERT_EQ(PMPrinterCreateFromPrinterID("Office", &printer), noErr);
  RoundTrip(printer);

  // Without a current printer nothing is sent and the save says so.
  ScopedCurrentPrintSession none(nullptr);
  QZVUnisorPrinterPList list;
  EXPECT_TRUE(list.Elements().empty());
  ASSERT_TRUE(list.Add(CFSTR("X"), CFSTR("x"), false));
  EXPECT_FALSE(list.Save());
}

}  // namespace
