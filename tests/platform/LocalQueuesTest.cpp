#include "platform/LocalQueues.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/PMPrintSession.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "support/TempDir.h"

namespace {

const std::string kPPD = std::string(TAVRO_TEST_DATA) + "/platform/small.ppd";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Each test has its own root with one local queue "Q1" and the local back end.
class LocalQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.Ok());
    LocalQueueResetJobs();
    LocalQueueSetup setup;
    setup.deviceURI = "socket://10.1.2.3:9100";
    ASSERT_EQ(LocalQueueCreate("Q1", kPPD, setup), noErr);
    ASSERT_EQ(PMPrinterCreateFromPrinterID("Q1", &printer_), noErr);
  }
  void TearDown() override { SetLocalQueueCommandHandler({}); }

  std::vector<PMJobInfo> Jobs() {
    std::vector<PMJobInfo> jobs;
    EXPECT_EQ(PMCopyAllJobs(&jobs), noErr);
    return jobs;
  }

  TempDir dir_;
  ScopedTavroRoot root_{dir_.Path()};
  ScopedPrintingBackend backend_{PMBackend::Local};
  PMPrinterRef printer_;
};

TEST_F(LocalQueues, AttributesOfAQueue) {
  EXPECT_EQ(PMPrinterGetID(printer_.get()), "Q1");
  EXPECT_EQ(PMPrinterGetName(printer_.get()), "Q1");  // no description: the name
  std::string text;
  EXPECT_EQ(PMPrinterGetMakeAndModelName(printer_.get(), &text), noErr);
  EXPECT_EQ(text, "Tavro Small PS v2");  // from the PPD when not set
  EXPECT_EQ(PMPrinterCopyDeviceURI(printer_.get(), &text), noErr);
  EXPECT_EQ(text, "socket://10.1.2.3:9100");

  std::string url;
  ASSERT_EQ(PMPrinterCopyDescriptionURL(printer_.get(), kPMPPDDescriptionType, &url), noErr);
  EXPECT_EQ(url.rfind("file://", 0), 0u);
  std::string path = PMFileURLPath(url);
  EXPECT_EQ(std::filesystem::path(path).filename(), "Q1.ppd");
  EXPECT_EQ(ReadAll(path), ReadAll(kPPD));
  std::string direct;
  EXPECT_EQ(PMCopyQueuePPDPath("Q1", &direct), noErr);
  EXPECT_EQ(direct, path);
  EXPECT_EQ(PMPrinterCopyDescriptionURL(printer_.get(), "Other", &url), kPMInvalidParameter);

  std::vector<PMPaper> papers;
  ASSERT_EQ(PMPrinterGetPaperList(printer_.get(), &papers), noErr);
  ASSERT_EQ(papers.size(), 2u);
  EXPECT_EQ(papers[0].ppdName, "Letter");
  EXPECT_EQ(papers[0].name, "US Letter");
  EXPECT_EQ(papers[1].name, "A4 Sheet");
  EXPECT_EQ(papers[0].margins, (PMPaperMargins{36, 18, 36, 18}));

  std::vector<std::string> names;
  ASSERT_EQ(LocalQueueCreate("Q0", kPPD), noErr);
  EXPECT_EQ(PMCopyPrinterNames(&names), noErr);
  EXPECT_EQ(names, (std::vector<std::string>{"Q0", "Q1"}));
}

TEST_F(LocalQueues, StateAndMessage) {
  PMPrinterState state{};
  EXPECT_EQ(PMPrinterGetState(printer_.get(), &state), noErr);
  EXPECT_EQ(state, kPMPrinterIdle);
  ASSERT_EQ(LocalQueueSetState("Q1", kPMPrinterProcessing, "Printing page 3"), noErr);
  PlistValue dict;
  ASSERT_EQ(PMPrinterCopyState(printer_.get(), &dict), noErr);
  EXPECT_EQ(dict.Find("printer-state")->GetInteger(), 4);
  EXPECT_EQ(dict.Find("printer-state-message")->GetString(), "Printing page 3");
  EXPECT_EQ(dict.Find("printer-state-reasons")->Count(), 1u);
  EXPECT_EQ(LocalQueueSetState("Q1", static_cast<PMPrinterState>(7)), kPMInvalidParameter);
}

TEST_F(LocalQueues, CommandRunsThroughTheHandlerAndCompletes) {
  std::vector<LocalQueueCommand> seen;
  SetLocalQueueCommandHandler([&](const LocalQueueCommand& c) {
    seen.push_back(c);
    std::ofstream(c.ppdPath, std::ios::app) << "*QZDone: \"yes\"\n";
    return LocalQueueCommandResult{true, "ok"};
  });
  int id = 0;
  ASSERT_EQ(PMPrinterSendCommand(printer_.get(), "body text\n", "Command_QZVPrefsABC", &id), noErr);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].root, dir_.Path());
  EXPECT_EQ(seen[0].queueName, "Q1");
  EXPECT_EQ(seen[0].title, "Command_QZVPrefsABC");
  EXPECT_EQ(seen[0].body, "body text\n");
  EXPECT_FALSE(seen[0].user.empty());
  std::string path;
  ASSERT_EQ(PMCopyQueuePPDPath("Q1", &path), noErr);
  EXPECT_EQ(seen[0].ppdPath, path);
  EXPECT_NE(ReadAll(path).find("*QZDone: \"yes\""), std::string::npos);

  auto jobs = Jobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].id, id);
  EXPECT_EQ(jobs[0].title, "Command_QZVPrefsABC");
  EXPECT_EQ(jobs[0].state, kPMJobCompleted);
  EXPECT_EQ(jobs[0].destination, "Q1");
}

// A command that cannot be carried out never shows completed, whether the
// handler refuses it or nobody handles commands at all.
TEST_F(LocalQueues, RefusedOrUnhandledCommandsStop) {
  EXPECT_EQ(PMPrinterSendCommand(printer_.get(), "x", "NoHandler"), noErr);
  SetLocalQueueCommandHandler([](const LocalQueueCommand&) {
    return LocalQueueCommandResult{false, "unknown command"};
  });
  EXPECT_EQ(PMPrinterSendCommand(printer_.get(), "x", "Refused"), noErr);
  auto jobs = Jobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].state, kPMJobStopped);
  EXPECT_EQ(jobs[1].state, kPMJobStopped);
}

TEST_F(LocalQueues, StoppedQueueHoldsJobsUntilIdle) {
  std::vector<std::string> order;
  SetLocalQueueCommandHandler([&](const LocalQueueCommand& c) {
    order.push_back(c.title);
    return LocalQueueCommandResult{true, ""};
  });
  ASSERT_EQ(LocalQueueSetState("Q1", kPMPrinterStopped, "paused"), noErr);
  EXPECT_EQ(PMPrinterSendCommand(printer_.get(), "1", "first"), noErr);
  EXPECT_EQ(PMPrinterSendCommand(printer_.get(), "2", "second"), noErr);
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(Jobs()[1].state, kPMJobPending);
  ASSERT_EQ(LocalQueueSetState("Q1", kPMPrinterIdle), noErr);
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
  for (const auto& job : Jobs()) EXPECT_EQ(job.state, kPMJobCompleted);
}

// Without a document handler a file: device gets the document as it is; a
// held job runs from the queue's own copy, so the caller's file may go.
TEST_F(LocalQueues, DocumentsPrintRawOrThroughTheHandler) {
  std::string doc = dir_.Path() + "/doc.ps";
  std::ofstream(doc) << "%!PS\nshowpage\n";
  ASSERT_EQ(LocalQueueCreate("Raw", kPPD, {"file://" + dir_.Path() + "/raw.out", "", ""}), noErr);
  PMPrinterRef raw;
  ASSERT_EQ(PMPrinterCreateFromPrinterID("Raw", &raw), noErr);
  ASSERT_EQ(LocalQueueSetState("Raw", kPMPrinterStopped), noErr);
  int id = 0;
  ASSERT_EQ(PMPrinterPrintFile(raw.get(), {doc, "Report", "application/postscript", {}}, &id),
            noErr);
  std::filesystem::remove(doc);
  EXPECT_EQ(Jobs().back().state, kPMJobPending);
  ASSERT_EQ(LocalQueueSetState("Raw", kPMPrinterIdle), noErr);
  EXPECT_EQ(Jobs().back().state, kPMJobCompleted);
  EXPECT_EQ(ReadAll(dir_.Path() + "/raw.out"), "%!PS\nshowpage\n");
  EXPECT_TRUE(std::filesystem::is_empty(LocalQueueDirectory("Raw") + "/spool"));

  // Q1's device is a socket: nothing can take the document without a handler.
  std::ofstream(doc) << "%!PS\n";
  ASSERT_EQ(PMPrinterPrintFile(printer_.get(), {doc, "Lost", "application/postscript", {}}), noErr);
  EXPECT_EQ(Jobs().back().state, kPMJobStopped);

  std::vector<LocalQueueDocument> seen;
  SetLocalQueueDocumentHandler([&](const LocalQueueDocument& d) {
    seen.push_back(d);
    EXPECT_EQ(ReadAll(d.documentPath), "%!PS\n");
    return LocalQueueCommandResult{true, ""};
  });
  PMDocumentJob job{doc, "Sent", "application/postscript", {{"QZV.PSData.x", "/Library/a"}}};
  ASSERT_EQ(PMPrinterPrintFile(printer_.get(), job, &id), noErr);
  SetLocalQueueDocumentHandler({});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].options, job.options);
  EXPECT_EQ(seen[0].deviceURI, "socket://10.1.2.3:9100");
  EXPECT_EQ(seen[0].title, "Sent");
  EXPECT_EQ(Jobs().back().state, kPMJobCompleted);
  EXPECT_EQ(PMPrinterPrintFile(printer_.get(), {dir_.Path() + "/none.ps", "x", "", {}}),
            kPMInvalidParameter);
}

TEST_F(LocalQueues, MissingQueuesAndBadNames) {
  PMPrinterRef other;
  EXPECT_EQ(PMPrinterCreateFromPrinterID("Nope", &other), kPMInvalidPrinter);
  EXPECT_EQ(other, nullptr);
  for (const char* bad : {"", ".hidden", "../up", "a/b", "sp ace"}) {
    EXPECT_EQ(LocalQueueCreate(bad, kPPD), kPMInvalidParameter) << bad;
  }
  EXPECT_EQ(LocalQueueCreate("Q2", "/no/such/file.ppd"), kPMInvalidParameter);
  EXPECT_FALSE(std::filesystem::exists(LocalQueueDirectory("Q2")));

  // A printer whose queue was removed answers errors, not stale values.
  ASSERT_EQ(LocalQueueDelete("Q1"), noErr);
  std::string text;
  PMPrinterState state{};
  EXPECT_EQ(PMPrinterGetMakeAndModelName(printer_.get(), &text), kPMInvalidPrinter);
  EXPECT_EQ(PMPrinterGetState(printer_.get(), &state), kPMInvalidPrinter);
  EXPECT_EQ(PMPrinterSendCommand(printer_.get(), "x", "t"), kPMInvalidPrinter);
  EXPECT_TRUE(Jobs().empty());

  EXPECT_EQ(PMPrinterGetState(nullptr, &state), kPMInvalidParameter);
  EXPECT_EQ(PMPrinterSendCommand(nullptr, "x", "t"), kPMInvalidParameter);
  EXPECT_EQ(PMPrinterGetName(nullptr), "");
}

TEST_F(LocalQueues, SessionKeepsItsCurrentPrinter) {
  PMPrintSession session;
  PMPrinterRef got;
  EXPECT_EQ(PMSessionGetCurrentPrinter(&session, &got), kPMInvalidPrinter);
  EXPECT_EQ(PMSessionSetCurrentPMPrinter(&session, printer_), noErr);
  EXPECT_EQ(PMSessionGetCurrentPrinter(&session, &got), noErr);
  EXPECT_EQ(got, printer_);
  EXPECT_EQ(PMSessionGetCurrentPrinter(nullptr, &got), kPMInvalidParameter);
}

TEST(FileURL, PathsSurviveEscaping) {
  const std::pair<const char*, const char*> cases[] = {
      {"file:///etc/cups/ppd/Q.ppd", "/etc/cups/ppd/Q.ppd"},
      {"file://localhost/a%20b/c%25.ppd", "/a b/c%.ppd"},
      {"file:///bad%zz%4", "/bad%zz%4"},
      {"/plain/path", "/plain/path"},
  };
  for (const auto& [url, path] : cases) EXPECT_EQ(PMFileURLPath(url), path) << url;
}

}  // namespace
