#include "serverlink/CFileHdlr.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>

namespace {

class SectionCodec : public ::testing::Test {
 protected:
  void SetUp() override { CFileHdlr::SetEchoToStderr(false); }
  void TearDown() override { CFileHdlr::SetEchoToStderr(true); }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (safeGetline(in, line)) lines.push_back(line);
    return lines;
  }
};

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

TEST_F(SectionCodec, RoundTripsPayloadsOfManySizes) {
  for (size_t size : {0u, 1u, 157u, 158u, 159u, 5000u, 200000u}) {
    SCOPED_TRACE(size);
    std::string payload = RandomBytes(size, static_cast<unsigned>(size));
    std::string text;
    ASSERT_TRUE(CFileHdlr::fileWriteData("TrayInfo", payload.data(), payload.size(), text));
    SectionPayload back;
    ASSERT_TRUE(CFileHdlr::stringReadData(text, "TrayInfo", back));
    ASSERT_EQ(back.Length(), size);
    EXPECT_EQ(std::string(back.bytes.begin(), back.bytes.end() - 1), payload);
    EXPECT_EQ(back.bytes.back(), 0);
  }
}

TEST_F(SectionCodec, LinesArePiecesOfAtMost158BytesThenTheEndLine) {
  std::string payload = RandomBytes(3000, 7);  // incompressible: about 19 pieces
  std::string text;
  ASSERT_TRUE(CFileHdlr::fileWriteData("BidiData", payload.data(), payload.size(), text));
  std::vector<std::string> lines = Lines(text);
  ASSERT_GT(lines.size(), 17u);
  for (size_t k = 0; k + 1 < lines.size(); ++k) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "BidiData%04zx: ", k);
    ASSERT_EQ(lines[k].rfind(prefix, 0), 0u) << lines[k];
    EXPECT_LE(lines[k].size() - std::strlen(prefix), 212u);
  }
  EXPECT_EQ(lines[9].substr(0, 12), "BidiData0009");
  EXPECT_EQ(lines[10].substr(0, 12), "BidiData000a");  // lower-case hexadecimal
  char end[32];
  std::snprintf(end, sizeof end, "BidiData%04zx: ", lines.size() - 1);
  EXPECT_EQ(lines.back(), end);
}

TEST_F(SectionCodec, ExactlyOnePieceGivesEndLine0001) {
  // Find a payload whose deflated form is exactly 158 bytes.
  std::string payload;
  for (size_t n = 100; n < 400 && payload.empty(); ++n) {
    std::string candidate = RandomBytes(n, 11);
    std::vector<uint8_t> z(compressBound(static_cast<uLong>(n)));
    uLongf zlen = static_cast<uLongf>(z.size());
    compress2(z.data(), &zlen, reinterpret_cast<const Bytef*>(candidate.data()),
              static_cast<uLong>(n), 9);
    if (zlen == 158) payload = candidate;
  }
  ASSERT_FALSE(payload.empty());
  std::string text;
  ASSERT_TRUE(CFileHdlr::fileWriteData("ServerInfo", payload.data(), payload.size(), text));
  std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "ServerInfo0001: ");
}

TEST_F(SectionCodec, ReaderFindsItsSectionAmongOthersAndToleratesLineEnds) {
  std::string a = "first section", b = std::string(4000, 'x') + "second";
  std::string text = "# header\r\n";
  ASSERT_TRUE(CFileHdlr::fileWriteData("TonerInfo", a.data(), a.size(), text));
  ASSERT_TRUE(CFileHdlr::fileWriteData("PresetsList", b.data(), b.size(), text));
  // Carriage-return-only line ends read like line feeds.
  std::string cr = text;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (const std::string& t : {text, cr}) {
    SectionPayload got;
    ASSERT_TRUE(CFileHdlr::stringReadData(t, "PresetsList", got));
    EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.end() - 1), b);
    ASSERT_TRUE(CFileHdlr::stringReadData(t, "TonerInfo", got));
    EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.end() - 1), a);
    EXPECT_FALSE(CFileHdlr::stringReadData(t, "TrayInfo", got));
    EXPECT_EQ(got.Length(), 0u);
  }
}

TEST_F(SectionCodec, BrokenSectionsGiveWhatWasDecodedOrNothing) {
  std::string payload = RandomBytes(2000, 3);
  std::string text;
  ASSERT_TRUE(CFileHdlr::fileWriteData("PpdDefaults", payload.data(), payload.size(), text));
  SectionPayload got;
  // A missing middle piece ends the section early, with the bytes before it.
  std::string missing = text;
  size_t at = missing.find("PpdDefaults0003");
  missing.replace(at, 15, "PpdDefaultsXXXX");
  ASSERT_TRUE(CFileHdlr::stringReadData(missing, "PpdDefaults", got));
  EXPECT_LT(got.Length(), payload.size());
  EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.begin() + got.Length()),
            payload.substr(0, got.Length()));
  // Garbage in place of the compressed stream: no data or a short result, no crash.
  EXPECT_FALSE(CFileHdlr::stringReadData("PpdDefaults0000: \n", "PpdDefaults", got));
  EXPECT_TRUE(CFileHdlr::stringReadData("PpdDefaults0000: AAAAAAAA\n", "PpdDefaults", got));
  EXPECT_EQ(got.Length(), 0u);
  EXPECT_FALSE(CFileHdlr::stringReadData("", "PpdDefaults", got));
}

TEST_F(SectionCodec, WriterRefusesTooLargeOrMissingData) {
  std::string text;
  EXPECT_FALSE(CFileHdlr::fileWriteData("X", nullptr, 10, text));
  std::string big(CFileHdlr::kMaxPayload + 1, 'a');
  EXPECT_FALSE(CFileHdlr::fileWriteData("X", big.data(), big.size(), text));
  EXPECT_TRUE(text.empty());
}

TEST_F(SectionCodec, WideTextPayloads) {
  std::u32string wide = U"Tray 1\tLetter";
  std::string text;
  ASSERT_TRUE(CFileHdlr::fileWriteData("TrayInfo", wide.data(), wide.size() * 4, text));
  SectionPayload got;
  ASSERT_TRUE(CFileHdlr::stringReadData(text, "TrayInfo", got));
  EXPECT_EQ(got.WideText(), wide);
}

TEST(CFileHdlr, PendingTextIsCommittedOrDiscarded) {
  auto path = std::filesystem::temp_directory_path() / "tavro_cfilehdlr_test.txt";
  {
    CFileHdlr file(path.c_str());
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Discard(), -1);
    EXPECT_EQ(file.AddString("a="), 2);
    file.AddInt(42);
    EXPECT_EQ(file.Commit(), 4);
    EXPECT_EQ(file.Commit(), -1);
    file.AddString("dropped");
    EXPECT_EQ(file.Discard(), 7);
  }
  CFileHdlr reader(path.c_str(), "r");
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.Commit(), -1);
  std::filesystem::remove(path);
  SectionPayload got;
  EXPECT_FALSE(CFileHdlr("/nonexistent/x", "r").fileReadData("A", got));
}

TEST(SafeGetline, AllThreeLineEndsAndALastLineWithoutEnd) {
  std::istringstream in("a\nb\rc\r\nd");
  std::string line;
  std::vector<std::string> got;
  while (safeGetline(in, line)) got.push_back(line);
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d"}));
}

}  // namespace
