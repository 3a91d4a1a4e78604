// tavro-print with a stand-in panel on local queues: every way a print can
// fail ends with one message, its exit code, and nothing sent to the queue;
// a print that works runs the panel's calls in a print dialog's order and
// the job reaches the device with the ticket in it.
#include <gtest/gtest.h>

#include <filesystem>

#include "PrintRunner.h"
#include "platform/LocalQueues.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamplePPD = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";

class PrintHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.Ok());
    root_ = dir_.Path() + "/root";
    fs::create_directories(root_ + "/Library/Caches/QZV");
    ScopedTavroRoot scoped(root_);
    LocalQueueSetup setup;
    setup.deviceURI = "file://" + Device();
    ASSERT_EQ(noErr, LocalQueueCreate("C750", kSamplePPD, setup));
    std::ofstream(Document()) << "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n"
                                 "72 720 moveto (host) show\nshowpage\n%%EOF\n";
  }

  std::string Device() const { return dir_.Path() + "/device.ps"; }
  std::string Document() const { return dir_.Path() + "/doc.ps"; }
  std::string Trace() const { return dir_.Path() + "/trace"; }
  std::string Cache() const { return root_ + "/Library/Caches/QZV"; }

  PrintRun Run(const std::vector<std::string>& args,
               std::vector<std::pair<std::string, std::string>> env = {}) {
    std::vector<std::pair<std::string, std::string>> all = {
        {"TAVRO_ROOT", root_},
        {"TAVRO_PANEL_DIR", TAVRO_FAKE_PANEL_DIR},
        {"TAVRO_FAKE_PANEL_TRACE", Trace()},
        {"TAVRO_PRINTING_SYSTEM", ""},
        {"TAVRO_FAKE_PANEL_CANCEL", ""},
        {"TAVRO_FAKE_PANEL_NO_COMMANDS", ""}};
    all.insert(all.end(), env.begin(), env.end());
    return RunTavroPrint(args, all, dir_.Path());
  }

  // Nothing of a print reached the queue: no ticket file, no device output.
  void ExpectNothingSent(const std::string& what) {
    EXPECT_FALSE(fs::exists(Device())) << what;
    for (const auto& entry : fs::directory_iterator(Cache())) {
      EXPECT_NE(0u, entry.path().filename().string().rfind("Tavro.temp", 0))
          << what << ": " << entry.path();
    }
  }

  TempDir dir_{"tavro-print"};
  std::string root_;
};

TEST_F(PrintHostTest, PrintsWithTheTicketInThePanelsOrder) {
  PrintRun run =
      Run({"-P", "C750", "-o", "Duplex=DuplexNoTumble", "-o", "*MediaType=Heavy", Document()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(
      "create\nrestore\nshow\nchoose Duplex=DuplexNoTumble\nchoose MediaType=Heavy\n"
      "hide\nsave\nprint\nclose\nrelease\n",
      ReadWhole(Trace()));
  const std::string job = ReadWhole(Device());
  const size_t note = job.find("%%QZJobNote: fake note");
  ASSERT_NE(std::string::npos, note) << job;
  EXPECT_LT(note, job.find("%%EndComments"));
  EXPECT_NE(std::string::npos, job.find("(host) show"));
  if (job.find("%%BeginFeature: *MediaType Heavy") != std::string::npos) {
    // The standard filter ran: the panel's suppressed keyword has no block.
    EXPECT_EQ(std::string::npos, job.find("%%BeginFeature: *Duplex")) << job;
  }
  EXPECT_TRUE(fs::exists(Cache() + "/Tavro.tempFAKE"));
  EXPECT_NE(std::string::npos,
            run.err.find("submitted to C750 with ticket /Library/Caches/QZV/Tavro.tempFAKE"));
}

TEST_F(PrintHostTest, AWatermarkIsChosenBeforeTheUsersChoices) {
  PrintRun run = Run({"-P", "C750", "--watermark", "2", "-o", "Duplex=DuplexNoTumble", Document()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(
      "create\nrestore\nshow\nwatermark 2\nchoose Duplex=DuplexNoTumble\nhide\nsave\nprint\n"
      "close\nrelease\n",
      ReadWhole(Trace()));
  EXPECT_NE(std::string::npos, run.err.find("tavro-print: watermark 2")) << run.err;
}

TEST_F(PrintHostTest, ShowAndTicketLookWithoutPrinting) {
  PrintRun run = Run({"-P", "C750", "-o", "Duplex=DuplexTumble", "--show", "--ticket", "-"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("Duplex (Duplex): DuplexTumble")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("-9 7 *Duplex")) << run.out;
  EXPECT_EQ(
      "create\nrestore\nshow\nchoose Duplex=DuplexTumble\nhide\nsave\ndescribe\nclose\n"
      "release\n",
      ReadWhole(Trace()));
  ExpectNothingSent("--show");
}

struct FailureCase {
  const char* name;
  std::vector<std::string> args;  // "DOC" stands for the PostScript document
  std::vector<std::pair<std::string, std::string>> env;
  int exitCode;
  const char* message;
  const char* prepare;  // what to do to the queue first
};

TEST_F(PrintHostTest, EveryFailureHasItsMessageAndCodeAndSendsNothing) {
  const std::vector<FailureCase> cases = {
      {"usage", {"DOC"}, {}, 2, "no queue (-P QUEUE)", ""},
      {"unknown flag", {"-P", "C750", "--duplex", "DOC"}, {}, 2, "unknown option --duplex", ""},
      {"bad choice form",
       {"-P", "C750", "-o", "Duplex", "DOC"},
       {},
       2,
       "a choice is KEY=VALUE",
       ""},
      {"unserved queue", {"-P", "Nowhere", "DOC"}, {}, 3, "no queue named Nowhere", ""},
      {"no panel library",
       {"-P", "C750", "DOC"},
       {{"TAVRO_PANEL_DIR", "/nonexistent"}},
       3,
       "no panel library (libtavropanel.so) found",
       ""},
      {"no controller version",
       {"-P", "C750", "DOC"},
       {},
       3,
       "declares no controller version",
       "unversion"},
      {"missing PPD", {"-P", "C750", "DOC"}, {}, 4, "has no readable PPD", "noppd"},
      {"not a PPD", {"-P", "C750", "DOC"}, {}, 4, "is not a PPD", "garbage"},
      {"unknown option",
       {"-P", "C750", "-o", "Bogus=1", "DOC"},
       {},
       5,
       "Bogus=1 refused (no such feature)",
       ""},
      {"unknown value",
       {"-P", "C750", "-o", "Duplex=Sideways", "DOC"},
       {},
       5,
       "Duplex=Sideways refused (no such value)",
       ""},
      {"no such watermark",
       {"-P", "C750", "--watermark", "7", "DOC"},
       {},
       5,
       "watermark 7 refused (the queue has 5 watermarks)",
       ""},
      {"not PostScript", {"-P", "C750", "TEXT"}, {}, 6, "is not a PostScript document", ""},
      {"missing document",
       {"-P", "C750", "/nonexistent.ps"},
       {},
       6,
       "cannot read /nonexistent.ps",
       ""},
      {"scheduler down",
       {"-P", "C750", "DOC"},
       {{"TAVRO_PRINTING_SYSTEM", "cups"}, {"CUPS_SERVER", "/nonexistent/cups.sock"}},
       7,
       "queue C750: the scheduler cannot be reached",
       ""},
      {"panel cancels",
       {"-P", "C750", "DOC"},
       {{"TAVRO_FAKE_PANEL_CANCEL", "1"}},
       8,
       "the panel cancelled the print; nothing was submitted",
       ""},
      {"ticket never sent",
       {"-P", "C750", "DOC"},
       {{"TAVRO_FAKE_PANEL_NO_COMMANDS", "1"}},
       8,
       "the queue has no usable ticket",
       ""},
      {"queue refuses the ticket",
       {"-P", "C750", "DOC"},
       {},
       8,
       "the queue did not take the ticket",
       "ticketexists"},
  };
  const std::string text = dir_.Path() + "/notes.txt";
  std::ofstream(text) << "plain text\n";
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const std::string queuePPD = root_ + "/queues/C750/C750.ppd";
    std::string prepare = c.prepare;
    if (prepare == "unversion") {
      std::string body = ReadWhole(queuePPD);
      body.erase(body.find("*%QZVersion:"), std::string("*%QZVersion: \"1.0\"\n").size());
      std::ofstream(queuePPD, std::ios::trunc) << body;
    } else if (prepare == "noppd") {
      fs::remove(queuePPD);
    } else if (prepare == "garbage") {
      std::ofstream(queuePPD, std::ios::trunc) << "not a PPD\n";
    } else if (prepare == "ticketexists") {
      // The queue writes tickets exclusively: a file of that name makes it refuse.
      std::ofstream(Cache() + "/Tavro.tempFAKE") << "old";
    }
    std::vector<std::string> args;
    for (const std::string& a : c.args) {
      args.push_back(a == "DOC" ? Document() : a == "TEXT" ? text : a);
    }
    PrintRun run = Run(args, c.env);
    EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
    // One line for the error, whatever progress came before it.
    size_t at = run.err.find("tavro-print: error: ");
    ASSERT_NE(std::string::npos, at) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("tavro-print: error: ", at + 1)) << run.err;
    EXPECT_FALSE(fs::exists(Device())) << "the job reached the device";
    if (prepare == "ticketexists") {
      EXPECT_EQ("old", ReadWhole(Cache() + "/Tavro.tempFAKE"));
      fs::remove(Cache() + "/Tavro.tempFAKE");
    }
    ExpectNothingSent(c.name);
    fs::remove(Trace());
  }
}

}  // namespace
