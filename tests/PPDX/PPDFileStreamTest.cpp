#include "PPDX/PPDFileStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"
#include "PPDX/PPDXTestSupport.h"

namespace {

struct Line {
  std::string text;
  bool whole;
  long number;  // the data line it began on
  bool operator==(const Line& o) const {
    return text == o.text && whole == o.whole && number == o.number;
  }
};

std::vector<Line> ReadAll(PPDStream& stream) {
  std::vector<Line> lines;
  char buffer[kPPDLineBufferSize];
  for (;;) {
    bool whole = stream.GetLine(buffer);
    if (!whole && stream.LastLineLength() == 0 && !stream.Good()) break;
    lines.push_back({std::string(buffer, stream.LastLineLength()), whole, stream.LineNumber()});
  }
  return lines;
}

// Filler lines of 100 bytes, then a line of `tail` bytes, so that whatever
// follows starts at `offset`.
std::string FillTo(size_t offset) {
  std::string out;
  while (out.size() + 100 <= offset) out += std::string(99, 'f') + "\n";
  size_t rest = offset - out.size();
  if (rest > 0) out += std::string(rest - 1, 'g') + "\n";
  return out;
}

class PPDFileStreamTest : public LatchClearedTest {};

TEST_F(PPDFileStreamTest, FilesThatGiveNoData) {
  PPDFileStream noFile(nullptr, true);
  EXPECT_TRUE(noFile.Bad());
  PPDFile missing(PPDXFixture("no-such-file.ppd"));
  PPDFileStream missingStream(&missing, true);
  EXPECT_TRUE(missingStream.Bad());
  ScratchFile empty("");
  PPDFile emptyFile(empty.path());
  PPDFileStream emptyStream(&emptyFile, true);
  EXPECT_TRUE(emptyStream.Bad());
  char line[kPPDLineBufferSize];
  EXPECT_FALSE(emptyStream.GetLine(line));
  // A folder opens on POSIX but has no bytes to read.
  PPDFile folder(std::filesystem::path(TAVRO_TEST_DATA));
  PPDFileStream folderStream(&folder, true);
  EXPECT_TRUE(folderStream.Bad());
  // Unchunked: no buffer, no data.
  ScratchFile small("*A\n");
  PPDFile smallFile(small.path());
  PPDFileStream unchunked(&smallFile, false);
  EXPECT_TRUE(unchunked.Bad());
  EXPECT_FALSE(unchunked.GetLine(line));
}

TEST_F(PPDFileStreamTest, SmallFileReadsLikeMemory) {
  const std::string text = "*PPD-Adobe: \"4.3\"\r\n*A: x\n\n*B\xFFy\nlast";
  ScratchFile file(text);
  PPDFile ppd(file.path());
  PPDFileStream stream(&ppd, true);
  ASSERT_TRUE(stream.Good());
  StringStream memory(text);
  EXPECT_EQ(ReadAll(stream), ReadAll(memory));
  EXPECT_TRUE(stream.EndOfFile());
  EXPECT_FALSE(stream.Bad());
}

// Whatever the position of the chunk boundary inside a line, the file stream
// yields exactly the lines (and line numbers) that reading the whole file at
// once gives.
TEST_F(PPDFileStreamTest, ChunkBoundaryCutsNoLine) {
  const std::string keyword = "*QZStraddle Option/Text: \"0123456789ABCDEFGHIJ\"";
  struct Case {
    const char* what;
    size_t lineStart;
    std::string line;
  } cases[] = {
      {"cut inside a line", kPPDChunkSize - 10, keyword + "\n"},
      {"cut after the first byte", kPPDChunkSize - 1, keyword + "\n"},
      {"cut right before the line feed", kPPDChunkSize - keyword.size(), keyword + "\n"},
      {"cut between CR and LF", kPPDChunkSize - keyword.size() - 1, keyword + "\r\n"},
      {"cut right after the line", kPPDChunkSize - keyword.size() - 1, keyword + "\n"},
      {"cut in a line longer than 255 bytes", kPPDChunkSize - 200,
       "*Long: \"" + std::string(290, 'L') + "\"\n"},
      {"cut in the end marker", kPPDChunkSize - 5, "*% End of PPD file\n"},
  };
  for (const Case& c : cases) {
    ClearEndOfPPDLatch();
    const std::string text = FillTo(c.lineStart) + c.line + "*After: \"1\"\n*Last: \"2\"\n";
    ASSERT_GT(text.size(), kPPDChunkSize);
    ScratchFile file(text);
    PPDFile ppd(file.path());
    PPDFileStream stream(&ppd, true);
    std::vector<Line> chunked = ReadAll(stream);
    ClearEndOfPPDLatch();
    StringStream memory(text);
    std::vector<Line> whole = ReadAll(memory);
    EXPECT_EQ(chunked, whole) << c.what;
    EXPECT_FALSE(stream.Bad()) << c.what;
  }
}

TEST_F(PPDFileStreamTest, StraddlingLineComesOutWhole) {
  const std::string text = FillTo(kPPDChunkSize - 7) + "*ModelName: \"Tavro C750\"\n*Next\n";
  ScratchFile file(text);
  PPDFile ppd(file.path());
  PPDFileStream stream(&ppd, true);
  std::vector<Line> lines = ReadAll(stream);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].text, "*ModelName: \"Tavro C750\"");
  EXPECT_TRUE(lines[lines.size() - 2].whole);
  EXPECT_EQ(lines.back().text, "*Next");
}

TEST_F(PPDFileStreamTest, FileOfExactlyOneChunkEndsCleanly) {
  const std::string text = FillTo(kPPDChunkSize);
  ASSERT_EQ(text.size(), kPPDChunkSize);
  ScratchFile file(text);
  PPDFile ppd(file.path());
  PPDFileStream stream(&ppd, true);
  EXPECT_EQ(ReadAll(stream).size(), text.size() / 100);
  EXPECT_TRUE(stream.EndOfFile());
  EXPECT_FALSE(stream.Bad());
}

// A quoted value running over three lines, with the chunk boundary inside its
// first, second or third line, reads as it would from memory.
TEST_F(PPDFileStreamTest, MultiLineValueAcrossChunkBoundary) {
  for (size_t back : {3u, 20u, 31u}) {
    const std::string value = "first line\nsecond line here\nthird\"";
    const std::string text =
        FillTo(kPPDChunkSize - back - 12) + "*ModelName: \"" + value + "\n*Next: \"x\"\n";
    ScratchFile file(text);
    PPDFile ppd(file.path());
    PPDFileStream stream(&ppd, true);
    char line[kPPDLineBufferSize];
    std::string last;
    // Find the keyword line as the parser would.
    for (;;) {
      ASSERT_TRUE(stream.Good());
      stream.GetLine(line);
      if (std::string(line).rfind("*ModelName", 0) == 0) break;
    }
    PPDX doc;
    doc.SetCurrentStream(&stream);
    PPDStream lineStream(line, static_cast<long>(stream.LastLineLength()));
    char keyword[256];
    ASSERT_TRUE(doc.NextToken(lineStream, keyword, kMainKeywordDelimiters, true));
    char buffer[kLineSizeLimit];
    unsigned long count = doc.GetQuotedString(lineStream, buffer, kLineSizeLimit);
    const std::string expected("first line\0second line here\0third", 33);
    EXPECT_EQ(count, expected.size() + 1) << back;
    EXPECT_EQ(std::string(buffer, expected.size()), expected) << back;
    EXPECT_TRUE(stream.GetLine(line));
    EXPECT_STREQ(line, "*Next: \"x\"") << back;
  }
}

}  // namespace
