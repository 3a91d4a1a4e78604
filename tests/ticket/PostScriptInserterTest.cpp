// Placement of ticket fragments in small jobs. Every case is checked against
// the exact output and fed in pieces of many sizes, so that a line, a CR LF or
// a feature block cut at a piece boundary is handled like a whole one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "queue/ticket/PostScriptInserter.h"

namespace {

TicketPlan SamplePlan() {
  TicketPlan plan;
  plan.header = {"%%QZJobNote: n\n", "%%QZVDriver\n", "%%QZVMailboxPath: Library/Caches/QZV/b"};
  plan.setup = {"PAGESIZE\n", "FEATURE\n", "END\n"};
  plan.suppressed = {"*Duplex"};
  return plan;
}

std::string Filter(const TicketPlan& plan, const std::string& job, size_t piece,
                   PostScriptInserter::Report* report = nullptr) {
  StringSink sink;
  PostScriptInserter inserter(plan, sink);
  for (size_t at = 0; at < job.size(); at += piece) {
    EXPECT_TRUE(inserter.Feed(std::string_view(job).substr(at, piece)));
  }
  EXPECT_TRUE(inserter.Finish());
  if (report) *report = inserter.Result();
  return sink.data;
}

std::string WithLineEnds(std::string text, const std::string& eol) {
  if (eol == "\n") return text;
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  return out;
}

struct Case {
  const char* name;
  std::string job;
  std::string expected;
};

// The header and setup the sample plan puts in, with LF line ends.
const std::string kHeader = "%%QZJobNote: n\n%%QZVDriver\n%%QZVMailboxPath: Library/Caches/QZV/b\n";
const std::string kSetup = "PAGESIZE\nFEATURE\nEND\n";
const std::string kMadeSetup = "%%BeginSetup\n" + kSetup + "%%EndSetup\n";
const std::string kDuplexBlock =
    "[{\n%%BeginFeature: *Duplex DuplexNoTumble\n<</Duplex true>> setpagedevice\n%%EndFeature\n"
    "} stopped cleartomark\n";
const std::string kMediaBlock =
    "[{\n%%BeginFeature: *MediaType Plain\n(plain) pop\n%%EndFeature\n} stopped cleartomark\n";

std::vector<Case> Cases() {
  return {
      {"SetupSectionPresent",
       "%!PS-Adobe-3.0\n%%Title: t\n%%EndComments\n%%BeginProlog\n/p 1 def\n%%EndProlog\n"
       "%%BeginSetup\n" +
           kDuplexBlock + kMediaBlock + "%%EndSetup\n%%Page: 1 1\n" + kDuplexBlock +
           "showpage\n%%EOF\n",
       "%!PS-Adobe-3.0\n%%Title: t\n" + kHeader +
           "%%EndComments\n%%BeginProlog\n/p 1 def\n"
           "%%EndProlog\n%%BeginSetup\n" +
           kSetup + kMediaBlock + "%%EndSetup\n%%Page: 1 1\nshowpage\n%%EOF\n"},
      {"SetupMadeAfterProlog",
       "%!PS-Adobe-3.0\n%%EndComments\n%%BeginProlog\n/p 1 def\n%%EndProlog\n%%Page: 1 "
       "1\nshowpage\n",
       "%!PS-Adobe-3.0\n" + kHeader + "%%EndComments\n%%BeginProlog\n/p 1 def\n%%EndProlog\n" +
           kMadeSetup + "%%Page: 1 1\nshowpage\n"},
      {"SetupAfterPrologPastBlankLine",
       "%!PS-Adobe-3.0\n%%EndComments\n%%BeginProlog\n%%EndProlog\n\n%%BeginSetup\n%%EndSetup\n",
       "%!PS-Adobe-3.0\n" + kHeader +
           "%%EndComments\n%%BeginProlog\n%%EndProlog\n\n%%BeginSetup\n" + kSetup + "%%EndSetup\n"},
      {"SetupMadeAfterHeaderWithoutProlog", "%!PS-Adobe-3.0\n%%EndComments\n/a 1 def\nshowpage\n",
       "%!PS-Adobe-3.0\n" + kHeader + "%%EndComments\n" + kMadeSetup + "/a 1 def\nshowpage\n"},
      {"HeaderWithoutEndComments", "%!PS\n%%Title: t\n%%BeginProlog\n%%EndProlog\nshowpage\n",
       "%!PS\n%%Title: t\n" + kHeader + "%%BeginProlog\n%%EndProlog\n" + kMadeSetup + "showpage\n"},
      {"SinglePercentCommentsStayInTheirSection",
       "%!PS-Adobe-3.0\n%%Title: t\n%RBINumCopies: 1\n%%Pages: (atend)\n%%EndComments\n% note\n"
       "%%BeginProlog\n%%EndProlog\n% note\n%%BeginSetup\n%%EndSetup\n",
       "%!PS-Adobe-3.0\n%%Title: t\n%RBINumCopies: 1\n%%Pages: (atend)\n" + kHeader +
           "%%EndComments\n% note\n%%BeginProlog\n%%EndProlog\n% note\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\n"},
      {"HeaderEndedByCode", "%!PS\n%%Title: t\n/a 1 def\n",
       "%!PS\n%%Title: t\n" + kHeader + kMadeSetup + "/a 1 def\n"},
      {"JobEndsInHeaderWithoutLineEnd", "%!PS-Adobe-3.0",
       "%!PS-Adobe-3.0\n" + kHeader + kMadeSetup},
      {"NoDscPassesUnchanged",
       "/a 1 def\n[{\n%%BeginFeature: *Duplex None\n%%EndFeature\n"
       "} stopped cleartomark\nshowpage\n",
       "/a 1 def\n[{\n%%BeginFeature: *Duplex None\n%%EndFeature\n} stopped "
       "cleartomark\nshowpage\n"},
      {"EmptyJob", "", ""},
      {"BodyBlockAmongCodeLinesRemoved",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\ngsave\r\n0 0 moveto x[{\n" + kDuplexBlock +
           "grestore\n%%BeginFeature: *Duplex y\n%%EndFeature\nshowpage",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\ngsave\r\n0 0 moveto x[{\ngrestore\nshowpage"},
      {"BlockWithoutWrapperRemoved",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%BeginFeature: *Duplex None\ncode\n%%EndFeature\n"
       "%%EndSetup\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup + "%%EndSetup\n"},
      {"KeywordIsMatchedWhole",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%BeginFeature: *DuplexMode "
       "x\n%%EndFeature\n%%EndSetup\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%BeginFeature: *DuplexMode x\n%%EndFeature\n%%EndSetup\n"},
      {"UnclosedBlockKept",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\n[{\n%%BeginFeature: *Duplex None\ncode\n"
       "%%Page: 1 1\nshowpage\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\n[{\n%%BeginFeature: *Duplex None\ncode\n%%Page: 1 1\nshowpage\n"},
      {"BlockWithoutClosingWrapperKept",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\n[{\n%%BeginFeature: *Duplex None\n"
       "%%EndFeature\nshowpage\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\n[{\n%%BeginFeature: *Duplex None\n%%EndFeature\nshowpage\n"},
      {"JobEndsInsideBlock",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\n[{\n%%BeginFeature: *Duplex None\ncode",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\n[{\n%%BeginFeature: *Duplex None\ncode"},
      {"LoneWrapperOpenKept",
       "%!PS\n%%EndComments\n%%BeginSetup\n[{\n%%BeginFeature: *MediaType x\n%%EndFeature\n"
       "} stopped cleartomark\n[{\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "[{\n%%BeginFeature: *MediaType x\n%%EndFeature\n} stopped cleartomark\n[{\n"},
      {"EmbeddedDocumentKeepsItsBlocks",
       "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\n%%BeginDocument: e.eps\n" + kDuplexBlock +
           "%%EndDocument\n" + kDuplexBlock,
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginSetup\n" + kSetup +
           "%%EndSetup\n%%BeginDocument: e.eps\n" + kDuplexBlock + "%%EndDocument\n"},
      {"SetupMarkerInsideLongLineIgnored",
       "%!PS\n%%EndComments\n%%BeginProlog\n%%BeginSetup " + std::string(1500, 'x') +
           "\n%%EndProlog\n%%BeginSetup\n",
       "%!PS\n" + kHeader + "%%EndComments\n%%BeginProlog\n%%BeginSetup " + std::string(1500, 'x') +
           "\n%%EndProlog\n%%BeginSetup\n" + kSetup},
  };
}

// Found by fuzzing: a first line too long to be a comment left the line-end
// style to depend on where the pieces were cut.
TEST(PlacementLineEnds, LongFirstLineDoesNotSetTheStyle) {
  TicketPlan plan;
  plan.setup = {"FEATURE"};
  std::string job = "%!" + std::string(2000, 'x') + "\n%%EndComments\r/a 1 def\r";
  std::string expected = "%!" + std::string(2000, 'x') +
                         "\n%%EndComments\r%%BeginSetup\rFEATURE\r" + "%%EndSetup\r/a 1 def\r";
  for (size_t piece : {size_t{1}, size_t{4}, size_t{1000}, size_t{4096}}) {
    EXPECT_EQ(Filter(plan, job, piece), expected) << "pieces of " << piece;
  }
}

class Placement : public ::testing::TestWithParam<Case> {};

TEST_P(Placement, ExactOutputInPiecesOfAnySize) {
  const Case& c = GetParam();
  for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{64}, size_t{1 << 20}}) {
    EXPECT_EQ(Filter(SamplePlan(), c.job, piece), c.expected) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Jobs, Placement, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// CR LF and CR-only jobs keep their own line ends; the lines the filter adds,
// and the line end it gives a fragment that has none, follow the job's.
TEST(PlacementLineEnds, AddedLinesFollowTheJob) {
  TicketPlan plan;
  plan.header = {"%%QZVDriver\n", "%%QZVMailboxPath: b"};
  plan.setup = {"FEATURE\n", "END"};
  plan.suppressed = {"*Duplex"};
  for (std::string eol : {"\r\n", "\r"}) {
    std::string job = WithLineEnds(
        "%!PS\n%%EndComments\n%%BeginProlog\n%%EndProlog\n[{\n%%BeginFeature: *Duplex x\n"
        "%%EndFeature\n} stopped cleartomark\n%%Page: 1 1\n",
        eol);
    std::string expected = WithLineEnds("%!PS\n", eol) + "%%QZVDriver\n" + "%%QZVMailboxPath: b" +
                           eol + WithLineEnds("%%EndComments\n%%BeginProlog\n%%EndProlog\n", eol) +
                           "%%BeginSetup" + eol + "FEATURE\nEND" + eol + "%%EndSetup" + eol +
                           "%%Page: 1 1" + eol;
    for (size_t piece : {size_t{1}, size_t{4}, size_t{5}, size_t{4096}}) {
      PostScriptInserter::Report report;
      EXPECT_EQ(Filter(plan, job, piece, &report), expected) << "pieces of " << piece;
      EXPECT_EQ(report.removedBlocks, 1u);
      EXPECT_TRUE(report.setupMade);
    }
  }
}

// Long binary lines with stray CRs pass byte for byte; a suppressed block
// that grows past the limit is kept whole rather than held without bound.
TEST(PlacementLimits, LongDataAndOversizedBlocksPassWhole) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += static_cast<char>(i * 7 % 256);
  std::string job = "%!PS\n%%EndComments\n%%BeginSetup\n%%EndSetup\n" + data + "\n[{\n" +
                    "%%BeginFeature: *Duplex x\n";
  std::string body;
  for (size_t i = 0; body.size() <= PostScriptInserter::kMaxRemovedBlock; ++i)
    body += "line " + std::to_string(i) + "\n";
  job += body + "%%EndFeature\n} stopped cleartomark\nshowpage\n";
  TicketPlan plan;
  plan.suppressed = {"*Duplex"};
  for (size_t piece : {size_t{13}, size_t{4096}}) {
    PostScriptInserter::Report report;
    EXPECT_EQ(Filter(plan, job, piece, &report), job);
    EXPECT_EQ(report.keptBlocks, 1u);
    EXPECT_EQ(report.removedBlocks, 0u);
  }
}

}  // namespace
