#include "PPDX/PPDX.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDXErrorCodes.h"
#include "PPDX/PPDXTestSupport.h"
#include "platform/TextEncoding.h"

namespace {

class PPDXTest : public LatchClearedTest {};

std::vector<int> ErrorCodes(PPDX& doc) {
  std::vector<int> codes;
  for (PPDXErrorObj* e = doc.GetErrors()->First(); e != nullptr; e = doc.GetErrors()->Next()) {
    codes.push_back(e->Code());
  }
  return codes;
}

TEST_F(PPDXTest, ReadsTheIdentifyingKeywords) {
  PPDX doc(PPDXFixture("identity.ppd"), nullptr);
  doc.Parse();
  EXPECT_TRUE(doc.Valid());
  EXPECT_TRUE(doc.IsValidPPD());
  EXPECT_TRUE(doc.IsValidPrinterName());
  EXPECT_STREQ(doc.FormatVersion(), "4.3");
  EXPECT_STREQ(doc.FileVersion(), "1.2");  // the later line wins
  EXPECT_STREQ(doc.PCFileName(), "TAVC750.PPD");
  EXPECT_STREQ(doc.LanguageVersion(), "English");
  EXPECT_STREQ(doc.LanguageEncoding(), "ISOLatin1");
  EXPECT_STREQ(doc.ModelName(), "Tavro C750");  // nothing after the end marker is read
  EXPECT_STREQ(doc.QZVersion(), "3.1");
  EXPECT_EQ(doc.QZVersionMac(), nullptr);
  EXPECT_STREQ(doc.PathToPDE(), "/usr/lib/tavro/TavroPanel.plugin");
  ASSERT_NE(doc.GetTextConverter(), nullptr);
  EXPECT_EQ(doc.GetTextConverter()->GetSourceEncoding(), kTextEncodingISOLatin1);
  EXPECT_EQ(doc.GetStringTextEncoding(), GetSystemScriptEncoding());
  EXPECT_TRUE(doc.GetErrors()->Empty());
  EXPECT_EQ(doc.CurrentStream(), nullptr);
  EXPECT_FALSE(doc.GetPPDFile()->IsOpen());
}

TEST_F(PPDXTest, CrLfFileReadsTheSame) {
  PPDX doc(PPDXFixture("crlf.ppd"), nullptr);
  doc.Parse();
  EXPECT_TRUE(doc.IsValidPPD());
  EXPECT_STREQ(doc.PCFileName(), "TAVC750.PPD");
  EXPECT_STREQ(doc.LanguageVersion(), "English");
  EXPECT_STREQ(doc.LanguageEncoding(), "WindowsANSI");
  EXPECT_STREQ(doc.ModelName(), "Tavro C750 CRLF");
}

TEST_F(PPDXTest, MacVersionTakesPrecedence) {
  PPDX doc(PPDXFixture("macversion.ppd"), nullptr);
  doc.Parse();
  EXPECT_STREQ(doc.QZVersionMac(), "4.0-mac");
  EXPECT_STREQ(doc.QZVersion(), "4.0-mac");
}

TEST_F(PPDXTest, OddValues) {
  PPDX doc(PPDXFixture("odd-values.ppd"), nullptr);
  doc.Parse();
  // A multi-line value is seen by its first line.
  EXPECT_STREQ(doc.ModelName(), "Multi");
  // An unquoted value reads on to the next keyword line, which it takes.
  EXPECT_EQ(doc.PCFileName(), nullptr);
  EXPECT_EQ(doc.FileVersion(), nullptr);
  EXPECT_TRUE(doc.IsValidPPD());
}

TEST_F(PPDXTest, FilesThatAreNoPPD) {
  struct Case {
    const char* what;
    std::filesystem::path path;
    int code;
  } cases[] = {
      {"wrong header version", PPDXFixture("header42.ppd"), PPDErr_NotPPDFile},
      {"missing file", PPDXFixture("no-such.ppd"), PPDErr_FileError},
      {"folder", std::filesystem::path(TAVRO_TEST_DATA), PPDErr_FileError},
  };
  for (const Case& c : cases) {
    PPDX doc(c.path, nullptr);
    doc.Parse();
    EXPECT_FALSE(doc.Valid()) << c.what;
    EXPECT_FALSE(doc.IsValidPPD()) << c.what;
    EXPECT_EQ(ErrorCodes(doc), std::vector<int>{c.code}) << c.what;
    EXPECT_TRUE(doc.GetErrors()->First()->IsFatal()) << c.what;
    EXPECT_EQ(doc.ModelName(), nullptr) << c.what;
  }
  struct Bytes {
    const char* what;
    std::string text;
  } junk[] = {
      {"binary junk", std::string("\x00\xFF\x01*PPD-Adobe: \"4.3\"\n", 21)},
      {"header without quotes", "*PPD-Adobe: 4.3\n*ModelName: \"x\"\n"},
      {"header value with more", "*PPD-Adobe: \"4.3.1\"\n"},
      {"unterminated header value", "*PPD-Adobe: \"4.3"},
  };
  for (const Bytes& b : junk) {
    ScratchFile file(b.text);
    PPDX doc(file.path(), nullptr);
    doc.Parse();
    EXPECT_FALSE(doc.IsValidPPD()) << b.what;
    EXPECT_EQ(ErrorCodes(doc), std::vector<int>{PPDErr_NotPPDFile}) << b.what;
  }
}

TEST_F(PPDXTest, EncodingBeforeVersionMakesConverterOnSecond) {
  PPDX doc;
  char token[256];
  auto feed = [&](const char* text) {
    PPDStream line(text, static_cast<long>(std::strlen(text)));
    ASSERT_TRUE(doc.NextToken(line, token, kMainKeywordDelimiters, true));
    EXPECT_EQ(doc.ParsePSKeywords(line, token), nullptr);
  };
  feed("*LanguageEncoding: JIS83-RKSJ");
  EXPECT_EQ(doc.GetTextConverter(), nullptr);
  EXPECT_EQ(doc.GetStringTextEncoding(), 0u);
  feed("*LanguageVersion:  Japanese  ");
  ASSERT_NE(doc.GetTextConverter(), nullptr);
  EXPECT_STREQ(doc.LanguageVersion(), "Japanese");
  EXPECT_EQ(doc.GetTextConverter()->GetSourceEncoding(), kTextEncodingShiftJIS);
  // A later encoding makes the converter anew.
  feed("*LanguageEncoding: ISOLatin2");
  EXPECT_EQ(doc.GetTextConverter()->GetSourceEncoding(), kTextEncodingISOLatin2);
  // Unknown keywords are ignored.
  feed("*Unknown: \"x\"");
  feed("*%QZVersionX: \"9\"");
  EXPECT_EQ(doc.QZVersion(), nullptr);
}

TEST_F(PPDXTest, ValidityRules) {
  struct Doc : PPDX {
    void MarkValid() { valid_ = true; }
  };
  Doc doc;
  EXPECT_FALSE(doc.IsValidPPD());  // not yet marked valid
  doc.MarkValid();
  EXPECT_TRUE(doc.IsValidPPD());
  doc.AddError(new PPDXErrorObj(PPDErr_NoDefaultValueFlag, "*Duplex", false));
  EXPECT_TRUE(doc.IsValidPPD());  // only non-fatal errors
  EXPECT_TRUE(doc.AllErrorsFatal(true));
  EXPECT_FALSE(doc.IsValidPPD());
  EXPECT_FALSE(doc.AllErrorsFatal(false));
  doc.AddError(new PPDXErrorObj(PPDErr_PopupParsing, "*Tray", true));
  EXPECT_FALSE(doc.IsValidPPD());
  doc.AddError(nullptr);  // refused
  EXPECT_EQ(doc.GetErrors()->Count(), 2u);
}

// A document that sees every keyword: the root's loop hands each line's main
// keyword over and stops at a fatal error, or at any with all-errors-fatal.
struct CountingPPD : PPDX {
  using PPDX::PPDX;
  PPDXErrorObj* ParsePSKeywords(PPDStream& line, const char* keyword) override {
    keywords.push_back(keyword);
    if (std::strcmp(keyword, "*Bad") == 0)
      return new PPDXErrorObj(PPDErr_ControlParsing, keyword, false);
    if (std::strcmp(keyword, "*Fatal") == 0)
      return new PPDXErrorObj(PPDErr_PopupParsing, keyword, true);
    return PPDX::ParsePSKeywords(line, keyword);
  }
  std::vector<std::string> keywords;
};

TEST_F(PPDXTest, ParseLoopStopsOnFatalErrors) {
  ScratchFile file("*PPD-Adobe: \"4.3\"\n\n*A\n*Bad\n*B x\n*Fatal\n*C\n");
  CountingPPD doc(file.path(), nullptr);
  doc.Parse();
  EXPECT_EQ(doc.keywords, (std::vector<std::string>{"*A", "*Bad", "*B", "*Fatal"}));
  EXPECT_EQ(ErrorCodes(doc), (std::vector<int>{PPDErr_ControlParsing, PPDErr_PopupParsing}));
  EXPECT_STREQ(doc.GetErrors()->First()->Keyword(), "*Bad");

  ClearEndOfPPDLatch();
  CountingPPD strict(file.path(), nullptr);
  strict.AllErrorsFatal(true);
  strict.Parse();
  EXPECT_EQ(strict.keywords, (std::vector<std::string>{"*A", "*Bad"}));
  EXPECT_EQ(strict.GetErrors()->Count(), 1u);
}

TEST_F(PPDXTest, RetainAndRelease) {
  PPDX* doc = new PPDX;
  doc->Retain();
  doc->Retain();
  EXPECT_EQ(doc->RetainCount(), 2);
  EXPECT_FALSE(doc->Release());
  EXPECT_TRUE(doc->Release());  // deleted (the sanitizer build sees a leak otherwise)
  PPDX* never = new PPDX;
  EXPECT_TRUE(never->Release());
}

// ---- PC file name check ----

std::vector<CFString> Names(std::initializer_list<const char*> names) {
  std::vector<CFString> out;
  for (const char* n : names) out.push_back(CFSTR(n));
  return out;
}

bool Check(const std::string& text, const std::vector<CFString>& names) {
  ScratchFile file(text);
  PPDFile ppd(file.path());
  bool result = PPDX::ValidateAgainstPCFilename(&names, &ppd);
  EXPECT_FALSE(ppd.IsOpen());
  return result;
}

TEST_F(PPDXTest, PCFileNameCheckCases) {
  const auto served = Names({"OTHER.PPD", "TAVC750.PPD"});
  struct Case {
    const char* what;
    std::string text;
    bool valid;
  } cases[] = {
      {"plain", "*PPD-Adobe: \"4.3\"\n*PCFileName: \"TAVC750.PPD\"\n", true},
      {"tabs and spaces before the value", "*PCFileName:\t  \t\"TAVC750.PPD\"\n", true},
      {"second name of the list", "*PCFileName: \"OTHER.PPD\"\n", true},
      {"name not served", "*PCFileName: \"TAVC900.PPD\"\n", false},
      {"case differs", "*PCFileName: \"tavc750.ppd\"\n", false},
      {"no keyword", "*ModelName: \"TAVC750.PPD\"\n", false},
      {"name beyond 32 bytes", "*PCFileName: \"" + std::string(25, '_') + "TAVC750.PPD\"\n", false},
      {"name ending at byte 32", "*PCFileName: \"" + std::string(20, '_') + "TAVC750.PPD\"\n",
       true},
      {"second keyword carries it", "*%PCFileName: \"none\"\n*PCFileName: \"TAVC750.PPD\"\n", true},
      {"keyword at the very end", "*ModelName: \"x\"\n*PCFileName", false},
      {"empty file", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.text, served), c.valid) << c.what;
}

// Pieces of 4096 bytes: a keyword or a name across a piece boundary is found.
TEST_F(PPDXTest, PCFileNameCheckAcrossPieceBoundaries) {
  const auto served = Names({"TAVC750.PPD"});
  const std::string line = "*PCFileName: \"TAVC750.PPD\"\n";
  for (size_t start : {4096u - 5u, 4096u - 11u, 4096u - 12u, 4096u - 14u, 4096u - 20u, 4096u - 26u,
                       2 * 4096u - 3u, 3 * 4096u - 7u, 4096u, 4096u - 1u}) {
    std::string text = "*PPD-Adobe: \"4.3\"\n";
    while (text.size() < start) text += '%';
    text.resize(start);
    text += line;
    text += std::string(5000, 'z');
    EXPECT_TRUE(Check(text, served)) << "keyword at " << start;
  }
  // Far into a large file.
  std::string big(300000, 'x');
  big += "\n" + line;
  EXPECT_TRUE(Check(big, served));
}

TEST_F(PPDXTest, ValidateFileNameAndConstruction) {
  const auto served = Names({"TAVC750.PPD"});
  const auto other = Names({"NOPE.PPD"});
  EXPECT_TRUE(PPDX::ValidateFileName(PPDXFixture("identity.ppd"), nullptr, nullptr));
  EXPECT_TRUE(PPDX::ValidateFileName(PPDXFixture("identity.ppd"), &served, nullptr));
  EXPECT_FALSE(PPDX::ValidateFileName(PPDXFixture("identity.ppd"), &other, nullptr));
  EXPECT_FALSE(PPDX::ValidateFileName(PPDXFixture("no-such.ppd"), &served, nullptr));
  const std::vector<CFString> none;
  EXPECT_FALSE(PPDX::ValidateFileName(PPDXFixture("identity.ppd"), &none, nullptr));
  PPDFile given(PPDXFixture("crlf.ppd"));
  EXPECT_TRUE(PPDX::ValidateFileName(PPDXFixture("no-such.ppd"), &served, &given));

  PPDX refused(PPDXFixture("identity.ppd"), &other);
  EXPECT_FALSE(refused.IsValidPrinterName());
  refused.Parse();  // a refused name does not stop parsing
  EXPECT_STREQ(refused.ModelName(), "Tavro C750");
  ClearEndOfPPDLatch();
  PPDX accepted(PPDXFixture("identity.ppd"), &served);
  EXPECT_TRUE(accepted.IsValidPrinterName());
}

TEST_F(PPDXTest, PCFileNameCheckKeepsAnOpenFileOpen) {
  const auto served = Names({"TAVC750.PPD"});
  PPDFile ppd(PPDXFixture("identity.ppd"));
  ASSERT_EQ(ppd.Open(), kFileNoErr);
  char first[4];
  unsigned long n = 4;
  ppd.Read(first, &n);
  EXPECT_TRUE(PPDX::ValidateAgainstPCFilename(&served, &ppd));
  EXPECT_TRUE(ppd.IsOpen());
  n = 4;
  ppd.Read(first, &n);  // the read position was left alone
  EXPECT_EQ(std::string(first, 4), "-Ado");
}

}  // namespace

namespace {

TEST_F(PPDXTest, SaveAndRebuildFromSettings) {
  PPDX doc(PPDXFixture("identity.ppd"), nullptr);
  doc.Parse();
  Settings settings;
  ASSERT_TRUE(doc.Save(settings));
  int32_t memory = 0;
  int size = 4;
  ASSERT_EQ(settings.Get(tagPPD, kMemAlloc, &memory, size, false), kSettingsNoErr);
  EXPECT_EQ(memory, 1024);
  unsigned int tag = 0;
  int id = 0, attributes = 0;
  std::vector<int> ids;
  for (int16_t s = settings.First(tag, id, size, attributes); s == kSettingsNoErr;
       s = settings.Next(tag, id, size, attributes)) {
    ids.push_back(id);
  }
  EXPECT_EQ(ids, (std::vector<int>{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009}));

  PPDX back(settings, PPDXFixture("identity.ppd"));
  EXPECT_TRUE(back.Valid());
  EXPECT_STREQ(back.FormatVersion(), "4.3");
  EXPECT_STREQ(back.FileVersion(), "1.2");
  EXPECT_STREQ(back.PCFileName(), "TAVC750.PPD");
  EXPECT_STREQ(back.LanguageVersion(), "English");
  EXPECT_STREQ(back.LanguageEncoding(), "ISOLatin1");
  EXPECT_STREQ(back.ModelName(), "Tavro C750");
  EXPECT_STREQ(back.QZVersion(), "3.1");
  EXPECT_NE(back.GetTextConverter(), nullptr);

  // Texts that are not present are not written.
  PPDX empty;
  Settings few;
  ASSERT_TRUE(empty.Save(few));
  EXPECT_EQ(few.Count(), 2);
  OpaqueCollection* none = nullptr;
  Settings broken(none);
  EXPECT_FALSE(doc.Save(broken));
}

}  // namespace
