#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"
#include "PPDX/PPDXTestSupport.h"

namespace {

class TokenizerTest : public LatchClearedTest {
 protected:
  // The first line becomes the line stream; the rest is the current stream
  // that multi-line values continue on.
  void Load(const std::string& text) {
    size_t eol = text.find('\n');
    first_ = text.substr(0, eol);
    rest_ = std::make_unique<StringStream>(eol == std::string::npos ? "" : text.substr(eol + 1));
    line_ = std::make_unique<PPDStream>(first_.data(), static_cast<long>(first_.size()));
    doc_.SetCurrentStream(rest_.get());
  }
  std::string NextLine() {
    char buffer[kPPDLineBufferSize];
    rest_->GetLine(buffer);
    return std::string(buffer, rest_->LastLineLength());
  }

  PPDX doc_;
  std::string first_;
  std::unique_ptr<PPDStream> line_;
  std::unique_ptr<StringStream> rest_;
};

TEST_F(TokenizerTest, NextTokenCases) {
  struct Case {
    std::string input;
    const char* delimiters;
    bool strip;
    std::string token;
    bool result;
    int next;  // the byte left next in the stream, -1 for the end
  } cases[] = {
      {"*QZFoo Option/Text: \"value\"", kMainKeywordDelimiters, true, "*QZFoo", true, 'O'},
      {"Option/Text: \"v\"", kOptionKeywordDelimiters, true, "Option", true, 'T'},
      {"  Text with space : rest", kTranslationStringDelimiters, true, "Text with space", true,
       ' '},
      {"  Text with space : rest", kTranslationStringDelimiters, false, "  Text with space ", true,
       ' '},
      // CR LF: the CR stored before the line feed is dropped.
      {"abc\r\ndef", nullptr, false, "abc", true, 'd'},
      // A CR alone ends the token; one followed by LF does not.
      {"ab\rcd", nullptr, false, "ab", true, 'c'},
      {"ab\ncd", nullptr, false, "ab", true, 'c'},
      {"", kMainKeywordDelimiters, true, "", false, -1},
      {":rest", kMainKeywordDelimiters, true, "", false, 'r'},
      {"   \t ", nullptr, true, "", false, -1},
      // A NUL ends the token as well.
      {std::string("ab\0cd", 5), nullptr, false, "ab", true, 'c'},
      // 255 bytes at most; the 256th byte stays unread.
      {std::string(300, 'k'), nullptr, false, std::string(255, 'k'), true, 'k'},
  };
  for (const Case& c : cases) {
    PPDStream s(c.input.data(), static_cast<long>(c.input.size()));
    char token[256];
    EXPECT_EQ(doc_.NextToken(s, token, c.delimiters, c.strip), c.result) << c.input;
    EXPECT_EQ(std::string(token), c.token) << c.input;
    EXPECT_EQ(s.PeekChar(), c.next) << c.input;
  }
  PPDStream s("x", 1);
  EXPECT_FALSE(doc_.NextToken(s, nullptr, nullptr, true));
}

// The token reader looks at many bytes at once; the stream must still end up
// as reading the token byte by byte leaves it: good after a consumed byte, at
// the end once the data ran out before the token ended, bad without data.
// Also a delimiter set of the caller's own (not one of the parser's sets) and
// a CR that is itself a delimiter.
TEST_F(TokenizerTest, NextTokenLeavesTheStreamAsByteReadsDo) {
  char ownSet[] = "=;";
  struct Case {
    std::string input;
    const char* delimiters;
    std::string token;
    int16_t status;
  } cases[] = {
      {"key=value", ownSet, "key", PPDStream::kGood},
      {"key;", ownSet, "key", PPDStream::kGood},
      {"key", ownSet, "key", PPDStream::kEndOfData},
      {"a b", kMainKeywordDelimiters, "a", PPDStream::kGood},
      {"ab\r", nullptr, "ab", PPDStream::kGood},
      {"ab\r\ncd", "\r", "ab", PPDStream::kGood},
      {"ab\r\ncd", nullptr, "ab", PPDStream::kGood},
      // Exactly at the limit the next byte is not looked at, even at the end.
      {std::string(255, 'k'), nullptr, std::string(255, 'k'), PPDStream::kGood},
      {std::string(254, 'k'), nullptr, std::string(254, 'k'), PPDStream::kEndOfData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 20));
    PPDStream s(c.input.data(), static_cast<long>(c.input.size()));
    char token[256];
    doc_.NextToken(s, token, c.delimiters, false);
    EXPECT_EQ(std::string(token), c.token);
    EXPECT_EQ(s.Status(), c.status);
  }
  // Where the first token ended, the second goes on.
  const std::string two = "one=two";
  PPDStream s(two.data(), static_cast<long>(two.size()));
  char token[256];
  doc_.NextToken(s, token, ownSet, false);
  EXPECT_TRUE(doc_.NextToken(s, token, ownSet, false));
  EXPECT_STREQ(token, "two");
  EXPECT_TRUE(s.EndOfFile());
  PPDStream none(nullptr, 0);
  EXPECT_FALSE(doc_.NextToken(none, token, ownSet, true));
  EXPECT_TRUE(none.Bad());
}

// A byte-at-a-time reading of the token rules, to hold the block scanner to:
// the token, and how many bytes it leaves consumed.
std::pair<std::string, size_t> ReferenceToken(const std::string& in, const char* delimiters) {
  std::string token;
  size_t at = 0;
  while (token.size() < kMaxTokenLength && at < in.size()) {
    const char c = in[at++];
    if (c == '\n') {
      if (!token.empty() && token.back() == '\r') token.pop_back();
      return {token, at};
    }
    const bool crStays = c == '\r' && at < in.size() && in[at] == '\n' &&
                         !(delimiters && std::strchr(delimiters, '\r'));
    if (!crStays && (c == '\r' || c == '\0' || (delimiters && std::strchr(delimiters, c))))
      return {token, at};
    token += c;
  }
  return {token, at};
}

// Stop bytes on either side of the 16-byte blocks the scanner reads, for each
// of the parser's sets, a set of the caller's own and one too large to scan by
// blocks.
TEST_F(TokenizerTest, NextTokenMatchesAByteAtATimeReadingAroundBlockEdges) {
  char ownSet[] = "=;";
  char largeSet[] = "abcdefgh=";
  const char* sets[] = {kMainKeywordDelimiters,
                        kOptionKeywordDelimiters,
                        kTranslationStringDelimiters,
                        kFlagKeywordDelimiters,
                        kRangeStringDelimiters,
                        kEndofLineDelimiters,
                        kWhiteSpaceDelimiters,
                        ownSet,
                        largeSet,
                        nullptr};
  const std::string stops[] = {
      " ", "\t", ":", "/", "|", "\"", ";", "(", "=", "\r", "\n", "\r\n", std::string(1, '\0'), "a"};
  for (const char* set : sets) {
    for (const std::string& stop : stops) {
      for (size_t position : {0, 1, 15, 16, 17, 31, 32, 33, 254, 255, 256}) {
        std::string in(position, 'K');
        in += stop;
        in += "tail";
        const auto [token, consumed] = ReferenceToken(in, set);
        SCOPED_TRACE(::testing::Message() << "set " << (set ? set : "(none)") << " stop "
                                          << static_cast<int>(stop[0]) << " at " << position);
        PPDStream s(in.data(), static_cast<long>(in.size()));
        char out[256];
        doc_.NextToken(s, out, set, false);
        EXPECT_EQ(std::string(out), token);
        size_t left = 0;
        s.Unread(left);
        EXPECT_EQ(in.size() - left, consumed);
      }
    }
  }
}

// The one-pass reading of a constraint line's words must leave the words and
// the stream exactly as the word-by-word reading does.
TEST_F(TokenizerTest, NextWordsReadsAsWordByWord) {
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\0', '*'};
  std::vector<std::string> inputs = {"", "   ", "*PageSize A3 *InputSlot Tray1", " *A  B\t*C D E F",
                                     std::string(300, 'w') + " x"};
  for (int i = 0; i < 500; ++i) {
    std::string in(random() % 40, ' ');
    for (char& c : in) c = alphabet[random() % sizeof alphabet];
    inputs.push_back(in);
  }
  for (const std::string& in : inputs) {
    SCOPED_TRACE(::testing::PrintToString(in));
    PPDStream one(in.data(), static_cast<long>(in.size()));
    PPDStream each(in.data(), static_cast<long>(in.size()));
    char words[4][kPPDLineBufferSize];
    const int found = doc_.NextWords(one, words);
    int expected = 0;
    for (const char* word : words) {
      char token[kPPDLineBufferSize];
      each.SkipWhiteSpace();
      if (doc_.NextToken(each, token, kWhiteSpaceDelimiters, true)) ++expected;
      EXPECT_STREQ(word, token);
    }
    EXPECT_EQ(found, expected);
    size_t leftOne = 0, leftEach = 0;
    one.Unread(leftOne);
    each.Unread(leftEach);
    EXPECT_EQ(leftOne, leftEach);
    EXPECT_EQ(one.Status(), each.Status());
  }
}

TEST_F(TokenizerTest, WhiteSpaceHelpers) {
  char a[] = " \t lead";
  PPDX::StripLeadingWhiteSpace(a);
  EXPECT_STREQ(a, "lead");
  char b[] = "trail \t ";
  PPDX::StripTrailingWhiteSpace(b);
  EXPECT_STREQ(b, "trail");
  char c[] = "   ";
  PPDX::StripTrailingWhiteSpace(c);  // never removes the first byte
  EXPECT_STREQ(c, " ");
  char after[256];
  PPDX::ParseMainKeyword("Letter/US Letter", after);
  EXPECT_STREQ(after, "US Letter");
  PPDX::ParseMainKeyword("a/b/c", after);
  EXPECT_STREQ(after, "b/c");
  PPDX::ParseMainKeyword("NoSlash", after);
  EXPECT_STREQ(after, "");
  std::string huge = "/" + std::string(1000, 'z');
  PPDX::ParseMainKeyword(huge.c_str(), after);
  EXPECT_EQ(std::string(after), std::string(255, 'z'));
}

TEST_F(TokenizerTest, QuotedValueOnOneLine) {
  char buffer[kLineSizeLimit];
  Load(" \"Tavro C750\" trailing");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 11u);
  EXPECT_STREQ(buffer, "Tavro C750");
  Load("\"\"\n*Next");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(NextLine(), "*Next");  // nothing more was read
}

TEST_F(TokenizerTest, QuotedValueOverThreeLines) {
  char buffer[kLineSizeLimit];
  Load("*ModelName: \"one\ntwo\n\nthree\" tail\n*Next");
  char keyword[256];
  doc_.NextToken(*line_, keyword, kMainKeywordDelimiters, true);
  unsigned long count = doc_.GetQuotedString(*line_, buffer, kLineSizeLimit);
  const std::string expected("one\0two\0three", 13);
  EXPECT_EQ(count, expected.size() + 1);
  EXPECT_EQ(std::string(buffer, count - 1), expected);
  EXPECT_STREQ(buffer, "one");  // C-string readers see the first line
  EXPECT_EQ(NextLine(), "*Next");
}

TEST_F(TokenizerTest, QuotedValueEndsAtKeywordLineOrFileEnd) {
  char buffer[kLineSizeLimit];
  // Left open and followed by a keyword line: ends there, that line consumed.
  Load("\"open value\nmore\n*Next: \"x\"\n*After");
  unsigned long count = doc_.GetQuotedString(*line_, buffer, kLineSizeLimit);
  EXPECT_EQ(count, std::string("open value\0more", 15).size() + 1);
  EXPECT_EQ(NextLine(), "*After");
  // The file ends first: 0.
  Load("\"never closed\nstill open");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 0u);
  // No current stream: as if the file ended.
  Load("\"open");
  doc_.SetCurrentStream(nullptr);
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 0u);
}

TEST_F(TokenizerTest, QuotedValueWithoutOpeningQuoteReadsNextLines) {
  char buffer[kLineSizeLimit];
  Load("no quote here\nnext line\" rest\n*After");
  unsigned long count = doc_.GetQuotedString(*line_, buffer, kLineSizeLimit);
  EXPECT_EQ(count, 10u);
  EXPECT_STREQ(buffer, "next line");
  EXPECT_EQ(NextLine(), "*After");
}

TEST_F(TokenizerTest, QuotedValueCutAtLimitConsumesTheRest) {
  char buffer[8];
  const unsigned long size = sizeof buffer;
  Load("\"abcdefghij\"");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, size), 7u);
  EXPECT_STREQ(buffer, "abcdefg");
  // A cut multi-line value: its further lines are not left to be parsed.
  Load("\"abcdefghij\nmore text\nend\"\n*After");
  doc_.GetQuotedString(*line_, buffer, size);
  EXPECT_EQ(NextLine(), "*After");
  // Sizes that leave no room.
  char tiny[1] = {'x'};
  Load("\"abc\"");
  EXPECT_EQ(doc_.GetQuotedString(*line_, tiny, 1), 0u);
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_EQ(doc_.GetQuotedString(*line_, nullptr, 10), 0u);
}

TEST_F(TokenizerTest, QuotedValueStopsAtFFOnItsFirstLine) {
  char buffer[kLineSizeLimit];
  Load(
      "\"ab\xFF"
      "cd\"\nrest\"\n*After");
  unsigned long count = doc_.GetQuotedString(*line_, buffer, kLineSizeLimit);
  EXPECT_EQ(std::string(buffer, count - 1), std::string("ab\0rest", 7));
}

TEST_F(TokenizerTest, PostScriptValues) {
  char buffer[kQuotesStringSizeLimit];
  const unsigned long size = kQuotesStringSizeLimit;
  struct Case {
    const char* what;
    std::string input;
    std::string value;
    std::string nextLine;
  } cases[] = {
      {"one line", "\"<</Duplex true>> setpagedevice\"\n*After", "<</Duplex true>> setpagedevice\n",
       "*After"},
      {"opening quote at line end", "\"\n  /a 1 def\n  /b 2 def\n\"\n*After",
       "\n  /a 1 def\n  /b 2 def\n", "*After"},
      {"empty lines skipped", "\"a\n\nb\"\n*After", "a\nb\n", "*After"},
      {"a *% line goes on", "\"a\n*%comment\nb\"\n*After", "a\ncomment\nb\n", "*After"},
      {"a * line ends it", "\"a\n*Next: x\n*After", "a\n", "*After"},
      {"file ends first", "\"a\nb", "a\nb\n", ""},
      {"empty value", "\"\"\n*After", "", "*After"},
  };
  for (const Case& c : cases) {
    Load(c.input);
    unsigned long count = doc_.GetPostscriptString(*line_, buffer, size);
    EXPECT_EQ(std::string(buffer, count), c.value) << c.what;
    EXPECT_EQ(NextLine(), c.nextLine) << c.what;
  }
  // Without an opening quote nothing more is read.
  Load("no quote\n\"x\"");
  EXPECT_EQ(doc_.GetPostscriptString(*line_, buffer, size), 0u);
  EXPECT_EQ(NextLine(), "\"x\"");
}

TEST_F(TokenizerTest, PostScriptValueCutEndsWithLineFeed) {
  char buffer[6];
  Load("\"abcdefgh\nijk\"\n*After");
  unsigned long count = doc_.GetPostscriptString(*line_, buffer, sizeof buffer);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(std::string(buffer, count), "abcd\n");
  EXPECT_EQ(NextLine(), "*After");
}

// A value line longer than 255 bytes reaches the tokenizer as two pieces;
// they join without a line break between them.
TEST_F(TokenizerTest, LongContinuationLineJoinsWithoutBreak) {
  char buffer[kQuotesStringSizeLimit];
  const std::string code(400, 'p');
  Load("\"\n" + code + "\n\"\n*After");
  unsigned long count = doc_.GetPostscriptString(*line_, buffer, kQuotesStringSizeLimit);
  EXPECT_EQ(std::string(buffer, count), "\n" + code + "\n");
  EXPECT_EQ(NextLine(), "*After");
}

TEST_F(TokenizerTest, LatchedStreamEndsValues) {
  char buffer[kLineSizeLimit];
  // The end marker ends the file: an open value there is never closed.
  Load("\"open\n*% End of PPD file\nmore\"");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 0u);
  EXPECT_TRUE(gVectorWorksFix);
  Load("\"open\nmore\"");
  EXPECT_EQ(doc_.GetQuotedString(*line_, buffer, kLineSizeLimit), 0u);
  Load("\"open\nmore\"");
  EXPECT_EQ(doc_.GetPostscriptString(*line_, buffer, kLineSizeLimit), 5u);
}

}  // namespace
