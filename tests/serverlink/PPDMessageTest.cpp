#include <cups/cups.h>
#include <gtest/gtest.h>

#include <random>

#include "TwoWayTestSupport.h"
#include "queue/QueueCommands.h"
#include "serverlink/CPPDMsgHdlr.h"
#include "serverlink/PPDXData.h"

namespace {

const char kPPDHead[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*ModelName: \"Test\"\n*NickName: \"Test\"\n";

std::string Random(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Stores "PPD:" lines into the PPD the way the scheduler does: each line's
// pairs parsed as job options, then written as "*Name: Value" lines.
void Store(const std::string& ppd, const std::string& lines) {
  std::istringstream in(lines);
  std::string line;
  std::vector<std::pair<std::string, std::string>> updates;
  while (std::getline(in, line)) {
    ASSERT_EQ(line.rfind("PPD:", 0), 0u) << line;
    ASSERT_LE(line.size(), 2047u);
    cups_option_t* options = nullptr;
    int n = cupsParseOptions(line.c_str() + 4, 0, &options);
    for (int i = 0; i < n; ++i) updates.emplace_back(options[i].name, options[i].value);
    cupsFreeOptions(n, options);
  }
  std::string error;
  ASSERT_TRUE(ApplyPPDUpdates(ppd, updates, &error)) << error;
}

class PPDMessages : public ::testing::Test {
 protected:
  void SetUp() override { TestRoot::Write(ppd, kPPDHead); }
  TestRoot root;
  std::string ppd = (root.path() / "q.ppd").string();
};

TEST_F(PPDMessages, WrittenLinesStoredByTheSchedulerReadBack) {
  for (size_t size : {0u, 1u, 158u, 3000u, 40000u}) {
    SCOPED_TRACE(size);
    std::string payload = Random(size, static_cast<unsigned>(size));
    std::string lines;
    ASSERT_TRUE(ppdxFormatData("QZTrayInfo", payload.data(), payload.size(), lines));
    for (std::istringstream in(lines); std::getline(in, lines);) EXPECT_LE(lines.size(), 1000u);
    lines.clear();
    ppdxFormatData("QZTrayInfo", payload.data(), payload.size(), lines);
    Store(ppd, lines);
    size_t length = 99;
    SectionPayload got = ppdxReadData(ppd.c_str(), "QZTrayInfo", &length);
    ASSERT_EQ(length, size);
    EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.begin() + static_cast<long>(size)), payload);
  }
  // After 0009 comes 000a, and a shorter message later ends at its own end
  // attribute although the longer one's pieces are still in the PPD.
  std::string text = TestRoot::Read(ppd);
  EXPECT_NE(text.find("*QZTrayInfo000a: "), std::string::npos);
  std::string lines;
  ppdxFormatData("QZTrayInfo", "short", 5, lines);
  Store(ppd, lines);
  size_t length = 0;
  SectionPayload got = ppdxReadData(ppd.c_str(), "QZTrayInfo", &length);
  EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.begin() + static_cast<long>(length)), "short");
}

TEST_F(PPDMessages, EndPairIsAnEmptyQuotedValueWithTheNextNumber) {
  std::string lines;
  ASSERT_TRUE(ppdxFormatData("QZx", "abc", 3, lines));
  EXPECT_EQ(lines.rfind("PPD: QZx0000=", 0), 0u);
  EXPECT_NE(lines.find(" QZx0001=\"\"\n"), std::string::npos);
  EXPECT_FALSE(ppdxFormatData("QZx", nullptr, 4, lines));
}

TEST_F(PPDMessages, BrokenPPDsAndPiecesGiveNoDataWithALogLine) {
  std::string good;
  std::string payload = Random(2000, 4);
  ppdxFormatData("QZPresetsList", payload.data(), payload.size(), good);
  Store(ppd, good);
  struct Case {
    std::string name, ppdText, log;
  } cases[] = {
      {"missing file", "", "cannot open"},
      {"not a PPD", "hello\n", "cannot open"},
      {"line too long",
       std::string(kPPDHead) + "*QZPresetsList0000: " + std::string(300, 'A') + "\n",
       "cannot open"},
      {"no piece 0000", kPPDHead, "no message"},
      {"garbage piece", std::string(kPPDHead) + "*QZPresetsList0000: ****\n", "no message"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = (root.path() / "broken.ppd").string();
    std::filesystem::remove(path);
    if (!c.ppdText.empty()) TestRoot::Write(path, c.ppdText);
    testing::internal::CaptureStderr();
    size_t length = 7;
    SectionPayload got = ppdxReadData(path.c_str(), "QZPresetsList", &length);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(got.bytes.empty());
    EXPECT_NE(log.find(c.log), std::string::npos) << log;
  }
  // A missing middle piece keeps what came before it.
  std::string text = TestRoot::Read(ppd);
  size_t at = text.find("*QZPresetsList0005: ");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 20, "*QZPresetsListGone: ");
  TestRoot::Write(ppd, text);
  size_t length = 0;
  SectionPayload got = ppdxReadData(ppd.c_str(), "QZPresetsList", &length);
  EXPECT_GT(length, 0u);
  EXPECT_LT(length, payload.size());
  EXPECT_TRUE(std::string(got.bytes.begin(), got.bytes.begin() + static_cast<long>(length)) ==
              payload.substr(0, length));
}

TEST_F(PPDMessages, HandlerReadsWideAndNarrowTextUnderQZName) {
  CPPDMsgHdlr prefs(ppd.c_str(), "DriverPreference");
  EXPECT_EQ(prefs.MessageName(), "QZDriverPreference");
  EXPECT_TRUE(prefs.GetStringData().empty());  // no message yet
  std::u32string wide = U"<plist>\u00e9\U0001F600</plist>";
  testing::internal::CaptureStderr();
  EXPECT_EQ(prefs.Commit(wide), 18);
  EXPECT_EQ(prefs.Commit(std::u32string_view()), -1);
  CPPDMsgHdlr popup(ppd.c_str(), "PopupJnData");
  EXPECT_EQ(popup.Commit("<dict/>"), 13);
  EXPECT_EQ(popup.Commit(""), -1);
  Store(ppd, testing::internal::GetCapturedStderr());
  EXPECT_EQ(prefs.GetStringData(), wide);
  EXPECT_EQ(popup.GetCStringData(), "<dict/>");
}

}  // namespace
