// The whole print path on a private scheduler: tavro-print loads the panel,
// the panel's ticket commands go through the real queue filter, and the
// document job goes through pstops and the ticket filter to a file device.
// The device's output must hold every fragment of the ticket at its site,
// none of the standard blocks the ticket suppresses, no protected value in
// clear, and render in Ghostscript. Runs with the stand-in panel always and
// with the real panel library when it is built.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "PrintRunner.h"
#include "platform/PrintingSystem.h"
#include "queue/ticket/TicketFile.h"
#include "queue/ticket/TicketPlan.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamplePPD = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";
const char* kPstops = "/usr/lib/cups/filter/pstops";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The fragment as it reads in the job: without its line end.
std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

size_t CountLines(const std::string& text, const std::string& line) {
  size_t count = 0;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) count += Trimmed(l) == line;
  return count;
}

// Lines of the text that start with `opening`.
size_t CountOpenings(const std::string& text, const std::string& opening) {
  size_t count = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) count += line.rfind(opening, 0) == 0;
  return count;
}

struct Printed {
  std::string job;  // what reached the device
  TicketPlan plan;  // the ticket the queue wrote
  std::string log;  // tavro-print's lines
};

class PrintEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kPstops, X_OK) != 0) GTEST_SKIP() << "pstops is missing (cups-core-drivers)";
    TAVRO_START_CUPSD(cupsd_);
    std::string queueFilter = cupsd_.InstallFilter("tavro-queue-filter", TAVRO_QUEUE_FILTER);
    std::string ticketFilter = cupsd_.InstallFilter("tavro-ticket-filter", TAVRO_TICKET_FILTER);
    ASSERT_FALSE(queueFilter.empty() || ticketFilter.empty()) << cupsd_.Error();
    // The sample PPD as shipped, with the filters at their test location.
    std::string ppd = ReadWhole(kSamplePPD);
    ppd = Replace(ppd, "0 tavro-queue-filter\"", "0 " + queueFilter + "\"");
    ppd = Replace(ppd, "0 tavro-ticket-filter\"", "0 " + ticketFilter + "\"");
    ASSERT_NE(std::string::npos, ppd.find(ticketFilter));
    const std::string ppdPath = cupsd_.Dir() + "/queue.ppd";
    std::ofstream(ppdPath) << ppd;
    ASSERT_TRUE(cupsd_.AddQueue("C750", ppdPath)) << cupsd_.Error();
    std::ofstream(Document()) << "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%BeginProlog\n"
                                 "/Times-Roman findfont 24 scalefont setfont\n%%EndProlog\n"
                                 "%%Page: 1 1\n72 720 moveto (End to end) show\nshowpage\n%%EOF\n";
  }

  std::string Document() const { return cupsd_.Dir() + "/doc.ps"; }

  // Prints with tavro-print and waits until the document job has ended.
  void Print(const std::string& panelDir, const std::vector<std::string>& choices,
             Printed* printed) {
    std::vector<std::string> args = {"-P", "C750"};
    for (const std::string& c : choices) {
      args.push_back("-o");
      args.push_back(c);
    }
    args.push_back(Document());
    PrintRun run = RunTavroPrint(args,
                                 {{"TAVRO_PRINTING_SYSTEM", "cups"},
                                  {"TAVRO_ROOT", cupsd_.Root()},
                                  {"TAVRO_PANEL_DIR", panelDir}},
                                 cupsd_.Dir());
    printed->log = run.err;
    ASSERT_EQ(0, run.exitCode) << run.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.err, m,
                                  std::regex("job ([0-9]+) submitted to C750 with ticket (\\S+)")))
        << run.err;
    const int jobId = std::stoi(m[1]);
    ScopedPrintingBackend cups(PMBackend::Cups);
    PMJobState state = kPMJobPending;
    for (int i = 0; i < 600 && state < kPMJobStopped; ++i) {
      std::vector<PMJobInfo> jobs;
      ASSERT_EQ(noErr, PMCopyAllJobs(&jobs));
      for (const PMJobInfo& job : jobs) {
        if (job.id == jobId) state = job.state;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(kPMJobCompleted, state) << cupsd_.ErrorLog().substr(0, 20000);
    printed->job = ReadWhole(cupsd_.DeviceFile("C750"));
    std::string xml, error;
    ASSERT_TRUE(ReadTicketFile(m[2].str(), cupsd_.Root(), xml, error)) << error;
    ASSERT_TRUE(ReadTicketPlan(xml, printed->plan, error)) << error;
  }

  // Every fragment where the ticket filter puts it, the suppressed blocks gone.
  static void ExpectTicketInPlace(const Printed& p) {
    const std::string& job = p.job;
    const size_t endComments = job.find("%%EndComments");
    ASSERT_NE(std::string::npos, endComments) << job;
    size_t last = 0;
    for (const std::string& fragment : p.plan.header) {
      const size_t at = job.find(Trimmed(fragment), last);
      EXPECT_LT(at, endComments) << "header fragment out of place: " << fragment;
      if (at != std::string::npos) last = at;
    }
    const size_t setup = job.find("%%BeginSetup");
    const size_t endSetup = job.find("%%EndSetup");
    ASSERT_NE(std::string::npos, setup);
    last = setup;
    for (const std::string& fragment : p.plan.setup) {
      const size_t at = job.find(Trimmed(fragment), last);
      EXPECT_LT(at, endSetup) << "setup fragment out of place or order: " << fragment;
      if (at != std::string::npos) last = at;
    }
    // The panel writes its own block of a keyword it suppresses: the job
    // holds exactly the blocks the ticket brought, no standard one.
    for (const std::string& keyword : p.plan.suppressed) {
      const std::string opening = "%%BeginFeature: " + keyword + " ";
      size_t fromTicket = 0;
      for (const auto* part : {&p.plan.header, &p.plan.setup}) {
        for (const std::string& fragment : *part) fromTicket += CountOpenings(fragment, opening);
      }
      EXPECT_EQ(fromTicket, CountOpenings(job, opening))
          << "the standard block of " << keyword << " is still there";
    }
    EXPECT_NE(std::string::npos, job.find("(End to end) show"));
    EXPECT_EQ(CountLines(job, "[{"), CountLines(job, "} stopped cleartomark"))
        << "unbalanced wrappers";
  }

  static void ExpectGhostscriptRenders(const std::string& job, const std::string& dir) {
    if (access("/usr/bin/gs", X_OK) != 0) {
      std::cerr << "gs missing: rendering not checked\n";
      return;
    }
    const std::string file = dir + "/device-copy.ps";
    std::ofstream(file) << job;
    const std::string command =
        "gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=nullpage " + file + " </dev/null >/dev/null 2>&1";
    EXPECT_EQ(0, std::system(command.c_str())) << "Ghostscript could not render the job";
  }

  PrivateCupsd cupsd_;
};

TEST_F(PrintEndToEndTest, StandInPanelTicketReachesTheDevice) {
  Printed p;
  ASSERT_NO_FATAL_FAILURE(
      Print(TAVRO_FAKE_PANEL_DIR, {"Duplex=DuplexNoTumble", "MediaType=Heavy"}, &p));
  ASSERT_EQ(1u, p.plan.suppressed.count("*Duplex"));
  ExpectTicketInPlace(p);
  EXPECT_NE(std::string::npos, p.job.find("%%BeginFeature: *MediaType Heavy")) << p.job;
  ExpectGhostscriptRenders(p.job, cupsd_.Dir());
}

// On the scheduler too, a print that cannot go ahead sends nothing: no
// command job, no document job.
TEST_F(PrintEndToEndTest, RefusedPrintsLeaveNoJobOnTheScheduler) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"unserved queue", {"-P", "Elsewhere", Document()}, 3, "no queue named Elsewhere"},
      {"unknown value", {"-P", "C750", "-o", "Duplex=Sideways", Document()}, 5, "no such value"},
      {"unknown feature", {"-P", "C750", "-o", "Bogus=1", Document()}, 5, "no such feature"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrintRun run = RunTavroPrint(c.args,
                                 {{"TAVRO_PRINTING_SYSTEM", "cups"},
                                  {"TAVRO_ROOT", cupsd_.Root()},
                                  {"TAVRO_PANEL_DIR", TAVRO_FAKE_PANEL_DIR}},
                                 cupsd_.Dir());
    EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
  }
  // A scheduler that stops answering ends the wait with its own code.
  cupsd_.Freeze(true);
  PrintRun run = RunTavroPrint({"-P", "C750", Document()},
                               {{"TAVRO_PRINTING_SYSTEM", "cups"},
                                {"TAVRO_ROOT", cupsd_.Root()},
                                {"TAVRO_PANEL_DIR", TAVRO_FAKE_PANEL_DIR}},
                               cupsd_.Dir());
  cupsd_.Freeze(false);
  EXPECT_EQ(7, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("did not answer in time")) << run.err;
  ScopedPrintingBackend cups(PMBackend::Cups);
  std::vector<PMJobInfo> jobs;
  ASSERT_EQ(noErr, PMCopyAllJobs(&jobs));
  EXPECT_TRUE(jobs.empty()) << jobs.size() << " jobs, the first " << jobs.front().title;

  // A ticket the queue refuses (its file name is taken) stops the print
  // before the document goes out.
  const std::string taken = cupsd_.Root() + "/Library/Caches/QZV/Tavro.tempFAKE";
  std::ofstream(taken) << "taken";
  run = RunTavroPrint({"-P", "C750", Document()},
                      {{"TAVRO_PRINTING_SYSTEM", "cups"},
                       {"TAVRO_ROOT", cupsd_.Root()},
                       {"TAVRO_PANEL_DIR", TAVRO_FAKE_PANEL_DIR}},
                      cupsd_.Dir());
  EXPECT_EQ(8, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("the queue did not take the ticket")) << run.err;
  jobs.clear();
  ASSERT_EQ(noErr, PMCopyAllJobs(&jobs));
  for (const PMJobInfo& job : jobs) EXPECT_EQ(0u, job.title.rfind("Command_", 0)) << job.title;
  EXPECT_EQ("taken", ReadWhole(taken));
}

// The real panel library: the build's, or the one in $TAVRO_TEST_PANEL_DIR.
std::string RealPanelDir() {
  if (const char* dir = std::getenv("TAVRO_TEST_PANEL_DIR"); dir && *dir) return dir;
#ifdef TAVRO_PANEL_LIBRARY_DIR
  return TAVRO_PANEL_LIBRARY_DIR;
#else
  return {};
#endif
}

TEST_F(PrintEndToEndTest, PanelFeaturesReachTheDevice) {
  const std::string panelDir = RealPanelDir();
  if (panelDir.empty()) GTEST_SKIP() << "the panel library is not built";
  Printed p;
  ASSERT_NO_FATAL_FAILURE(
      Print(panelDir,
            {"Duplex=DuplexNoTumble", "Notes2=Deliver to room 4", "QZUserAuthPwd=Secret4711"}, &p));
  EXPECT_FALSE(p.plan.header.empty() && p.plan.setup.empty()) << p.log;
  ExpectTicketInPlace(p);
  EXPECT_NE(std::string::npos, p.job.find("Deliver to room 4")) << p.job;
  // In clear means as text or as the hex string PostScript reads as text.
  size_t clear = p.job.find("Secret4711");
  if (clear == std::string::npos) clear = p.job.find("53656372657434373131");
  EXPECT_EQ(std::string::npos, clear)
      << "a protected value in clear: " << p.job.substr(clear < 200 ? 0 : clear - 200, 260);
  ExpectGhostscriptRenders(p.job, cupsd_.Dir());
}

}  // namespace
