#include "PPDX/PPDStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PPDX/PPDXTestSupport.h"
#include "platform/Log.h"

namespace {

struct LineResult {
  std::string text;
  bool whole;
};

std::vector<LineResult> ReadAllLines(PPDStream& stream) {
  std::vector<LineResult> lines;
  char buffer[kPPDLineBufferSize];
  for (int guard = 0; guard < 1000; ++guard) {
    bool whole = stream.GetLine(buffer);
    if (!whole && stream.LastLineLength() == 0 && !stream.Good()) break;
    lines.push_back({std::string(buffer, stream.LastLineLength()), whole});
  }
  return lines;
}

class PPDStreamTest : public LatchClearedTest {};

TEST_F(PPDStreamTest, StreamWithoutDataIsBadAndStaysBad) {
  PPDStream none(nullptr, 10);
  PPDStream empty("x", 0);
  for (PPDStream* s : {&none, &empty}) {
    EXPECT_TRUE(s->Bad());
    char c = 0;
    EXPECT_FALSE(s->GetChar(c));
    EXPECT_EQ(static_cast<unsigned char>(c), 0xFF);
    EXPECT_EQ(s->PeekChar(), -1);
    char line[kPPDLineBufferSize];
    EXPECT_FALSE(s->GetLine(line));
    EXPECT_STREQ(line, "");
    EXPECT_TRUE(s->Bad());
  }
}

TEST_F(PPDStreamTest, CharactersPeekAndEnd) {
  StringStream s(std::string(" \t\xFFz", 4));
  s.SkipWhiteSpace();
  // A real 0xFF byte peeks as 255, the end as -1: the two are told apart.
  EXPECT_EQ(s.PeekChar(), 0xFF);
  char c;
  EXPECT_TRUE(s.GetChar(c));
  EXPECT_EQ(static_cast<unsigned char>(c), 0xFF);
  EXPECT_TRUE(s.Good());
  EXPECT_TRUE(s.GetChar(c));
  EXPECT_EQ(c, 'z');
  EXPECT_EQ(s.PeekChar(), -1);
  EXPECT_FALSE(s.GetChar(c));
  EXPECT_EQ(static_cast<unsigned char>(c), 0xFF);
  EXPECT_TRUE(s.EndOfFile());
  EXPECT_EQ(s.Status(), 2);
}

TEST_F(PPDStreamTest, LineEndsAndResults) {
  const std::string longLine(300, 'x');
  struct Case {
    std::string input;
    std::vector<LineResult> lines;
  } cases[] = {
      {"abc\ndef\n", {{"abc", true}, {"def", true}}},
      // CR LF gives an empty line after each line.
      {"abc\r\ndef\r\n", {{"abc", true}, {"", true}, {"def", true}, {"", true}}},
      {"abc\rdef\r", {{"abc", true}, {"def", true}}},
      // The last line without a line end comes with false.
      {"abc\ndef", {{"abc", true}, {"def", false}}},
      // 255 bytes, false; the rest is the next line.
      {longLine + "\n", {{std::string(255, 'x'), false}, {std::string(45, 'x'), true}}},
      {std::string(255, 'y') + "\n", {{std::string(255, 'y'), false}, {"", true}}},
      // A 0xFF byte ends the line (false) and is consumed.
      {"ab\xFF"
       "cd\n",
       {{"ab", false}, {"cd", true}}},
      // NUL bytes stay in the line.
      {std::string("a\0b\n", 4), {{std::string("a\0b", 3), true}}},
  };
  for (const Case& c : cases) {
    StringStream s(c.input);
    std::vector<LineResult> got = ReadAllLines(s);
    ASSERT_EQ(got.size(), c.lines.size()) << c.input.substr(0, 20);
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].text, c.lines[i].text) << "line " << i << " of " << c.input.substr(0, 20);
      EXPECT_EQ(got[i].whole, c.lines[i].whole) << "line " << i << " of " << c.input.substr(0, 20);
    }
    EXPECT_TRUE(s.EndOfFile());
  }
}

// The number of the data line each read began on: a cut or 0xFF-ended line
// goes on under its number, CR LF ends one line (its LF reads as an empty
// line of the same number), and the end of the data keeps the last.
TEST_F(PPDStreamTest, LineNumbersFollowTheLinesOfTheData) {
  SetLogPause(false);
  LogCapture log;
  struct Case {
    const char* what;
    std::string input;
    std::vector<long> numbers;
  } cases[] = {
      {"LF", "a\nb\n", {1, 2}},
      {"CR", "a\rb\r", {1, 2}},
      {"CR LF", "a\r\nb\r\n", {1, 1, 2, 2}},
      {"LF then CR is two ends", "a\n\rb\n", {1, 2, 3}},
      {"CR CR", "a\r\rb", {1, 2, 3}},
      {"empty lines", "\n\n\nx", {1, 2, 3, 4}},
      {"cut line", std::string(300, 'x') + "\nnext\n", {1, 1, 2}},
      {"0xFF inside a line",
       "ab\xFF"
       "cd\nef\n",
       {1, 1, 2}},
      {"CR, 0xFF, LF", "a\r\xFF\nb\n", {1, 2, 2, 3}},
  };
  for (const Case& c : cases) {
    StringStream s(c.input);
    EXPECT_EQ(s.LineNumber(), 0) << c.what;
    std::vector<long> numbers;
    char buffer[kPPDLineBufferSize];
    for (int guard = 0; guard < 100; ++guard) {
      const bool whole = s.GetLine(buffer);
      if (!whole && s.LastLineLength() == 0 && !s.Good()) break;
      numbers.push_back(s.LineNumber());
    }
    EXPECT_EQ(numbers, c.numbers) << c.what;
    // The read that meets the end of the data keeps the last line's number.
    EXPECT_EQ(s.LineNumber(), c.numbers.back()) << c.what;
  }
}

TEST_F(PPDStreamTest, CutLineIsReported) {
  StringStream s(std::string(260, 'q') + "\n");
  char line[kPPDLineBufferSize];
  EXPECT_FALSE(s.GetLine(line));
  EXPECT_TRUE(s.LastLineCut());
  EXPECT_TRUE(s.Good());
  EXPECT_TRUE(s.GetLine(line));
  EXPECT_FALSE(s.LastLineCut());
  EXPECT_STREQ(line, "qqqqq");
}

// The line reader looks at 16 bytes at a time: every line end at every
// distance from the start of a block, and lines at the 255-byte cut.
TEST_F(PPDStreamTest, LineEndsAroundBlockEdges) {
  SetLogPause(false);
  LogCapture log;  // 0xFF ends are logged; the lines are what is checked
  for (const char end : {'\n', '\r', static_cast<char>(0xFF)}) {
    for (size_t length : {0, 1, 15, 16, 17, 31, 32, 33, 47, 254, 255, 256}) {
      SCOPED_TRACE(::testing::Message() << "end " << static_cast<int>(end) << " at " << length);
      StringStream s(std::string(length, 'x') + end + "next\n");
      char line[kPPDLineBufferSize];
      const bool whole = s.GetLine(line);
      const size_t kept = length < kPPDMaxLineLength ? length : kPPDMaxLineLength;
      EXPECT_EQ(s.LastLineLength(), kept);
      EXPECT_EQ(std::string(line), std::string(kept, 'x'));
      EXPECT_EQ(whole, length < kPPDMaxLineLength && end != static_cast<char>(0xFF));
      EXPECT_EQ(s.LastLineCut(), length >= kPPDMaxLineLength);
      // What follows: the rest of a cut line, then the next line.
      std::vector<std::string> rest;
      for (const LineResult& r : ReadAllLines(s)) rest.push_back(r.text);
      std::vector<std::string> expected;
      if (length > kPPDMaxLineLength) expected.push_back(std::string(length - kept, 'x'));
      if (length == kPPDMaxLineLength)
        expected.push_back("");  // the end itself, left after the cut
      expected.push_back("next");
      EXPECT_EQ(rest, expected);
    }
  }
}

TEST_F(PPDStreamTest, FFByteIsLogged) {
  LogCapture log;
  SetLogPause(false);
  StringStream s("ab\xFF\n");
  char line[kPPDLineBufferSize];
  EXPECT_FALSE(s.GetLine(line));
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0], "myNSLog msg 'PPDStream::GetLine theChar == EOF, i 2 \n'");
}

TEST_F(PPDStreamTest, EndMarkerLatchesEveryStreamUntilCleared) {
  LogCapture log;
  SetLogPause(false);
  StringStream first("*% End of PPD file\n*After: \"x\"\n");
  char line[kPPDLineBufferSize];
  EXPECT_TRUE(first.GetLine(line));
  EXPECT_STREQ(line, "");
  EXPECT_TRUE(gVectorWorksFix);
  EXPECT_FALSE(first.GetLine(line));
  EXPECT_STREQ(line, "");
  // The latch is process-wide: a new stream yields nothing either, and says
  // it has ended so that loops over it stop.
  StringStream second("*Other\n");
  EXPECT_FALSE(second.GetLine(line));
  EXPECT_STREQ(line, "");
  EXPECT_TRUE(second.EndOfFile());
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0], "myNSLog msg '*% End of PPD file'");
  EXPECT_EQ(log.Lines()[1], "myNSLog msg 'FIT208051'");

  ClearEndOfPPDLatch();
  StringStream third("*Other\n");
  EXPECT_TRUE(third.GetLine(line));
  EXPECT_STREQ(line, "*Other");
}

TEST_F(PPDStreamTest, EndMarkerRules) {
  char line[kPPDLineBufferSize];
  // The marker followed by more text on the line still latches.
  {
    StringStream s("*% End of PPD file (c) Tavro\n");
    EXPECT_TRUE(s.GetLine(line));
    EXPECT_STREQ(line, "");
    EXPECT_TRUE(gVectorWorksFix);
    ClearEndOfPPDLatch();
  }
  // A line cut at 255 bytes is not tested for the marker.
  {
    StringStream s("*% End of PPD file" + std::string(280, ' ') + "\n");
    EXPECT_FALSE(s.GetLine(line));
    EXPECT_FALSE(gVectorWorksFix);
  }
  // Text that merely contains it, or a shorter prefix, does not latch.
  for (const char* text : {" *% End of PPD file\n", "*% End of PPD fil\n", "*%End of PPD file\n"}) {
    StringStream s(text);
    EXPECT_TRUE(s.GetLine(line));
    EXPECT_FALSE(gVectorWorksFix) << text;
  }
}

}  // namespace
