// The whole filter step over a job file: a usable ticket is applied; any
// ticket that cannot be used leaves the job byte for byte as it was, with one
// job-log line that says why.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "queue/ticket/TicketFilter.h"

namespace fs = std::filesystem;

namespace {

const std::string kJob =
    "%!PS-Adobe-3.0\n%%EndComments\n%%BeginSetup\n[{\n%%BeginFeature: *Duplex None\n%%EndFeature\n"
    "} stopped cleartomark\n%%EndSetup\n%%Page: 1 1\nshowpage\n%%EOF\n";

const std::string kTicket =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n"
    "<integer>-9</integer><data>KkR1cGxleA==</data>\n"                   // *Duplex
    "<integer>501</integer><data>JSVRWlZEcml2ZXIK</data>\n"              // %%QZVDriver\n
    "<integer>81</integer><data>RkVBVFVSRQo=</data>\n"                   // FEATURE\n
    "<integer>900</integer><data>TGlicmFyeS9DYWNoZXMvUVpWL2I=</data>\n"  // Library/Caches/QZV/b
    "</array>\n</plist>\n";

class TicketFilterRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tavro-ticket-filter.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    fs::create_directories(root_ / "Library/Caches/QZV");
    Put(root_ / "job.ps", kJob);
    Put(root_ / "Library/Caches/QZV/Tavro.tempGood", kTicket);
  }
  void TearDown() override { fs::remove_all(root_); }

  static void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  TicketFilterResult Filter(const std::string& ticketName, std::string& out) {
    lines_.clear();
    int fd = ::open((root_ / "job.ps").c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    StringSink sink;
    TicketFilterJob job{ticketName, root_.string()};
    TicketFilterResult result = RunTicketFilter(job, fd, sink, [&](auto level, auto text) {
      lines_.push_back(std::string(level) + ": " + std::string(text));
    });
    ::close(fd);
    out = sink.data;
    return result;
  }
  size_t Count(std::string_view level) const {
    size_t n = 0;
    for (const auto& line : lines_) n += line.starts_with(std::string(level) + ":");
    return n;
  }

  fs::path root_;
  std::vector<std::string> lines_;
};

TEST_F(TicketFilterRun, UsableTicketIsApplied) {
  std::string out;
  EXPECT_EQ(Filter("/Library/Caches/QZV/Tavro.tempGood", out), TicketFilterResult::kApplied);
  EXPECT_EQ(out,
            "%!PS-Adobe-3.0\n%%QZVDriver\n%%QZVMailboxPath: Library/Caches/QZV/b\n%%EndComments\n"
            "%%BeginSetup\nFEATURE\n%%EndSetup\n%%Page: 1 1\nshowpage\n%%EOF\n");
  EXPECT_EQ(Count("ERROR"), 0u);
  EXPECT_NE(std::find(lines_.begin(), lines_.end(), "INFO: Mailbox path: Library/Caches/QZV/b"),
            lines_.end());
}

TEST_F(TicketFilterRun, UnusableTicketLeavesTheJobUnchanged) {
  Put(root_ / "Library/Caches/QZV/Tavro.tempBroken", kTicket.substr(0, kTicket.size() / 2));
  std::string unknown = kTicket;
  unknown.replace(unknown.find(">81<"), 4, ">82<");
  Put(root_ / "Library/Caches/QZV/Tavro.tempUnknown", unknown);
  Put(root_ / "Tavro.tempOutside", kTicket);
  fs::create_symlink(root_ / "Tavro.tempOutside", root_ / "Library/Caches/QZV/Tavro.tempLink");
  for (const char* name : {"Tavro.tempBroken", "Tavro.tempUnknown", "Tavro.tempMissing",
                           "Tavro.tempLink", "../../../Tavro.tempOutside", "/etc/passwd"}) {
    std::string out;
    EXPECT_EQ(Filter(name, out), TicketFilterResult::kPassedOn) << name;
    EXPECT_EQ(out, kJob) << name;
    EXPECT_EQ(Count("ERROR"), 1u) << name;
    EXPECT_EQ(lines_.size(), 1u) << name;
  }
  std::string out;
  EXPECT_EQ(Filter("", out), TicketFilterResult::kPassedOn);
  EXPECT_EQ(out, kJob);
  EXPECT_EQ(Count("ERROR"), 0u);
}

TEST(TicketFilterLog, LinesCannotBeSplitByTheirText) {
  EXPECT_EQ(FormatLogLine("ERROR", "Job ticket \"a\nPPD: QZX=1\rb\" not used"),
            "ERROR: Job ticket \"a?PPD: QZX=1?b\" not used\n");
  std::string line = FormatLogLine("INFO", std::string(5000, 'x'));
  EXPECT_LT(line.size(), 2047u);
  EXPECT_EQ(line.back(), '\n');
}

}  // namespace
