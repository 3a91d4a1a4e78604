// The vendor lines of a PPD: job notes in both forms, special options, the
// DMT block and the injected DMT data, property pages, constraint lines and
// the saved accounting pop-up preferences.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/PPDXProperties.h"
#include "PPDX/PPDObjects/PPDXProperty.h"
#include "PPDX/PPDObjects/PPDXShortcuts.h"
#include "PPDX/PopupJnDataSource.h"
#include "PPDX/PopupJnPrefs.h"
#include "PPDX/QZVJobNoteFlagWords.h"
#include "ParserTestSupport.h"
#include "constraints/UIConstraints.h"
#include "foundation/EncodingSwitches.h"
#include "platform/Log.h"
#include "serverlink/CFileHdlr.h"

namespace {

std::filesystem::path VendorFixture(const std::string& name) {
  return std::filesystem::path(TAVRO_TEST_DATA) / "PPDX" / "vendor" / name;
}

bool HasLine(const LogCapture& log, const std::string& line) {
  const auto& lines = log.Lines();
  return std::find(lines.begin(), lines.end(), "myNSLog msg '" + line + "'") != lines.end();
}

std::string ParentKeyword(PPDXElement* element) {
  return element && element->GetParent() && element->GetParent()->Keyword()
             ? element->GetParent()->Keyword()
             : std::string();
}

std::string Text(const char* text) {
  return text ? text : "";
}

// What a note emits for the text "T": its code with the text put in, or a
// comment when it has no code.
std::string Emitted(PPDXJobNote* note) {
  if (!note) return "<none>";
  note->SetNotes("T");
  const long size = note->PostScript(nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) note->PostScript(reinterpret_cast<unsigned char*>(bytes.data()));
  return bytes;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ------------------------------------------------------------- flag words

TEST(JobNoteFlagWords, MinLengthSuffixes) {
  const struct {
    const char* suffix;
    long minLength;
  } cases[] = {{"", 0},   {"4", 4},   {"0", 0},   {"12", 12},  {"99", 99},
               {"x", -1}, {"x1", -1}, {"1x", -3}, {"123", -2}, {"12x", -2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.suffix);
    EXPECT_EQ(JobNoteMinLengthSuffix(c.suffix), c.minLength);
    const JobNoteFlagWords words =
        ReadJobNoteFlagWords({std::string("MinLength") + c.suffix}, kExtensionsAll, true);
    EXPECT_EQ(words.minLength, c.minLength);
    EXPECT_EQ(words.bits, kJobNoteMinLength);
  }
}

TEST(JobNoteFlagWords, EachWordGivesTheBitOfItsIndex) {
  for (int i = 0; i < static_cast<int>(kJobNoteFlagCount); ++i) {
    SCOPED_TRACE(jnFlags[i].word);
    const JobNoteFlagWords words = ReadJobNoteFlagWords({jnFlags[i].word}, kExtensionsAll, false);
    EXPECT_EQ(words.bits, JobNoteFlag{1} << i);
    EXPECT_FALSE(words.unsupported);
  }
  EXPECT_EQ(ReadJobNoteFlagWords({"Bogus", "alpha", ""}, kExtensionsAll, true).bits, 0u);
  // Without the suffix rule a word with digits after "MinLength" is no word.
  EXPECT_EQ(ReadJobNoteFlagWords({"MinLength4"}, kExtensionsAll, false).bits, 0u);
}

TEST(JobNoteFlagWords, ExtensionLevelsLimitTheTable) {
  const struct {
    int level;
    int lastAccepted;
  } levels[] = {{0, 8}, {1, 11}, {2, 14}, {-1, 25}, {7, 25}};
  for (const auto& l : levels) {
    for (int i = 0; i < static_cast<int>(kJobNoteFlagCount); ++i) {
      SCOPED_TRACE(std::to_string(l.level) + " " + jnFlags[i].word);
      const JobNoteFlagWords words =
          ReadJobNoteFlagWords({"Alpha", jnFlags[i].word}, l.level, false);
      EXPECT_EQ(words.unsupported, i > l.lastAccepted);
    }
  }
}

// ------------------------------------------------------------- job notes

class JobNoteTest : public ParserTest {
 protected:
  PPDXJobNote* Note(const char* keyword) {
    return dynamic_cast<PPDXJobNote*>(Control(document_, keyword));
  }
  QZVPPD document_{VendorFixture("jobnotes.ppd"), kParseOrphansAndHidden};
};

TEST_F(JobNoteTest, OnlyTheMismatchedDeclarationIsAnError) {
  const std::vector<ParsedError> expected = {{PPDErr_Duplicate, "PPMain", false},
                                             {PPDErr_JobNoteParsing, "*QZOther", false}};
  EXPECT_EQ(ErrorsOf(document_), expected);
  EXPECT_EQ(Note("*QZWrong"), nullptr);
  EXPECT_EQ(Note("*QZOther"), nullptr);
}

TEST_F(JobNoteTest, FlaggedNoteWithDefaultAndCodeInItsRollDown) {
  PPDXJobNote* note = Note("*QZAccount");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->Flags(), kJobNoteAlpha | kJobNoteRequired | kJobNoteMinLength);
  EXPECT_EQ(note->MinLength(), 4);
  EXPECT_EQ(note->MaxLength(), 16);
  EXPECT_EQ(note->CFStringUserName().UTF8(), "Account Number");
  EXPECT_EQ(Text(note->GetDefaultNotes()), "1234");
  EXPECT_TRUE(Contains(Emitted(note), "<54> /QZAccount exch def")) << Emitted(note);
  EXPECT_EQ(ParentKeyword(note), "FPAccount");
}

TEST_F(JobNoteTest, NoteOfAPlainGroupGoesToTheNotesGroup) {
  PPDXJobNote* note = Note("*QZPlainNote");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->Flags(), kJobNoteNumeric | kJobNoteMinLength);  // "Bogus" is ignored
  EXPECT_EQ(note->MinLength(), 0);
  EXPECT_EQ(Text(note->GetDefaultNotes()), "");
  EXPECT_EQ(ParentKeyword(note), "FPQZNotes");
  // The empty default ended the note, so the shortcut line after it was read.
  ScopedDisplayOption everything(kDisplayEverything);
  EXPECT_NE(document_.GetShortcuts()->Count(), 0);
}

TEST_F(JobNoteTest, TheLineAfterAFlaggedNoteIsUsedUp) {
  PPDXJobNote* note = Note("*QZLost");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->MinLength(), 12);
  EXPECT_EQ(Control(document_, "*QZSwallowed"), nullptr);
}

TEST_F(JobNoteTest, StandAloneNotesLeaveLinesTheyDoNotUse) {
  PPDXJobNote* one = Note("*QZStand1");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->Flags(), kJobNoteAlpha | kJobNoteSpace);
  EXPECT_EQ(Text(one->GetDefaultNotes()), "Hello");
  EXPECT_TRUE(Contains(Emitted(one), "<54> print")) << Emitted(one);
  EXPECT_EQ(ParentKeyword(one), "FPQZNotes");

  // The suffix is not read here: "MinLength4" is no word, "MinLength" is.
  PPDXJobNote* two = Note("*QZStand2");
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->Flags(), kJobNoteNumeric | kJobNoteMinLength);
  EXPECT_EQ(two->MinLength(), 0);
  EXPECT_FALSE(Contains(Emitted(two), "print")) << Emitted(two);
  // The line it looked at went back to the main loop.
  auto* kept = dynamic_cast<PPDXSpecialOption*>(Control(document_, "*QZKept"));
  ASSERT_NE(kept, nullptr);
  EXPECT_STREQ(kept->GetValue()->Buffer(), "kept value");

  PPDXJobNote* three = Note("*QZStand3");
  ASSERT_NE(three, nullptr);
  EXPECT_TRUE(Contains(Emitted(three), "\n  <54> print\n  flush")) << Emitted(three);
}

TEST_F(JobNoteTest, SpecialOptionsJoinTheControlsWithoutParent) {
  auto* server = dynamic_cast<PPDXSpecialOption*>(Control(document_, "*QZServer"));
  ASSERT_NE(server, nullptr);
  EXPECT_STREQ(server->GetValue()->Buffer(), "Tavro Server");
  EXPECT_EQ(server->GetParent(), nullptr);
  auto* version = dynamic_cast<PPDXSpecialOption*>(Control(document_, "*QZUTF8_Version"));
  ASSERT_NE(version, nullptr);
  EXPECT_STREQ(version->GetValue()->Buffer(), "5");
  // "*DMT_Injection" is no special option, whatever its value.
  EXPECT_EQ(Control(document_, "*DMT_Injection"), nullptr);
  EXPECT_EQ(document_.GetControls()->SpecialOptionsCount(), 3);
}

TEST_F(JobNoteTest, PropertyPagesWithTheirFlags) {
  PPDXProperties* pages = document_.GetProperties();
  const struct {
    const char* name;
    bool visible, inPrintProp, inApp;
  } cases[] = {{"PPMain", true, true, true},
               {"PPApp", true, false, true},
               {"PPProp", true, true, false},
               {"PPHidden", false, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PPDXProperty* page = pages->Find(c.name, true);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->IsVisible(), c.visible);
    EXPECT_EQ(page->ShowInPrintProp(), c.inPrintProp);
    EXPECT_EQ(page->ShowInApp(), c.inApp);
  }
  EXPECT_EQ(pages->Count(), 4);  // the second "PPMain" is a duplicate
}

TEST_F(ParserTest, DuplicatePropertyPageAndHiddenPagesWithoutTheOption) {
  QZVPPD document(VendorFixture("jobnotes.ppd"), kParseOrphans);
  EXPECT_EQ(document.GetProperties()->Find("PPHidden", true), nullptr);
  const std::vector<ParsedError> errors = ErrorsOf(document);
  EXPECT_NE(std::find(errors.begin(), errors.end(), ParsedError{PPDErr_Duplicate, "PPMain", false}),
            errors.end());
}

TEST_F(ParserTest, FlagBeyondTheExtensionLevelFailsTheNote) {
  struct Restore {
    ~Restore() { QZVPPD::SetExtensions(kExtensionsAll); }
  } restore;
  QZVPPD::SetExtensions(kExtensionsLevel0);
  QZVPPD document(VendorFixture("jobnotes.ppd"), kParseOrphansAndHidden);
  // "Space" (index 13) and "MinLength" (22) lie beyond level 0.
  const std::vector<ParsedError> errors = ErrorsOf(document);
  for (const char* keyword : {"*QZAccount", "*QZPlainNote", "*QZLost", "*QZStand1", "*QZStand2"}) {
    SCOPED_TRACE(keyword);
    EXPECT_NE(std::find(errors.begin(), errors.end(),
                        ParsedError{PPDErr_UnsupportedJobNoteFlag, keyword, false}),
              errors.end());
    EXPECT_EQ(Control(document, keyword), nullptr);
  }
  EXPECT_NE(Control(document, "*QZStand3"), nullptr);  // "Decimal" is index 2
}

// ------------------------------------------------------------- DMT data

TEST_F(ParserTest, DMTBlockIsReadAndLoggedButNotDecoded) {
  LogCapture log;
  QZVPPD document(VendorFixture("dmt-block.ppd"), kParseOrphansAndHidden);
  EXPECT_TRUE(HasLine(log, "QZVPPD::ParseSpecialOption True"));
  EXPECT_TRUE(HasLine(log, "*DMT_X0000: 2"));
  EXPECT_TRUE(HasLine(log, "QZVPPD::ParseSpecialOption QZdeflate failure, result -3"));
  EXPECT_TRUE(HasLine(log, "QZVPPD::ParseSpecialOption '*DMT_X0000: ' not found"));
  // The lines of the block are used up; the lines after it are read, except
  // the one taken as the second block's missing header.
  EXPECT_NE(Control(document, "*QZAfterBlock"), nullptr);
  EXPECT_EQ(Control(document, "*QZNoHeader"), nullptr);
  EXPECT_NE(Control(document, "*QZLast"), nullptr);
  EXPECT_EQ(Control(document, "*DMT_Injection"), nullptr);
  EXPECT_TRUE(document.CustomXmlData().empty());
}

// A PPD whose "*DMT_Injection" lines hold the given section text.
class InjectedDMTTest : public ParserTest {
 protected:
  std::filesystem::path Write(const std::string& section) {
    std::ofstream out(path_, std::ios::binary);
    out << "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"VINJ.PPD\"\n*ModelName: \"Vendor Injection\"\n"
        << section << "*%QZVSpecialOption *QZAfter: after\n*% End of PPD file\n";
    return path_;
  }
  static std::string Section(const std::u32string& xml) {
    std::string text;
    EXPECT_TRUE(CFileHdlr::fileWriteData("*DMT_Injection", xml.data(),
                                         xml.size() * sizeof(char32_t), text));
    return text;
  }
  void SetUp() override {
    ParserTest::SetUp();
    CFileHdlr::SetEchoToStderr(false);
  }
  void TearDown() override {
    CFileHdlr::SetEchoToStderr(true);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    ParserTest::TearDown();
  }
  std::filesystem::path path_ =
      std::filesystem::temp_directory_path() /
      ("tavro-dmt-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppd");
};

TEST_F(InjectedDMTTest, ValueComesBackAsCustomXml) {
  // Long enough for several pieces, with a UI-Modification category.
  std::u32string xml = U"<DMT><Category name=\"UI-Modification\">";
  for (int i = 0; i < 40; ++i)
    xml += U"<Controls key=\"*QZStaple\" lock=\"" + std::u32string(i % 2 ? U"true" : U"false") +
           U"\" show=\"true\"/>";
  xml += U"</Category></DMT>";
  const std::string section = Section(xml);
  ASSERT_GT(std::count(section.begin(), section.end(), '\n'), 2);
  QZVPPD document(Write(section), kParseOrphansAndHidden);
  std::string expected(xml.begin(), xml.end());  // plain ASCII
  EXPECT_EQ(document.CustomXmlData(), expected);
  EXPECT_EQ(document.DMTInjectionText(), section);
  EXPECT_NE(Control(document, "*QZAfter"), nullptr);
}

TEST_F(InjectedDMTTest, CorruptSectionsLeaveNoXml) {
  const std::string good = Section(U"<DMT/>");
  std::string truncated = good.substr(0, good.find('\n') / 2) + "\n";
  std::string badBase64 = "*DMT_Injection0000: !!!!not base64 at all!!!!\n";
  std::string notDeflated = "*DMT_Injection0000: SGVsbG8gd29ybGQ=\n";
  for (const std::string& section : {truncated, badBase64, notDeflated, std::string()}) {
    SCOPED_TRACE(section);
    ClearEndOfPPDLatch();
    QZVPPD document(Write(section), kParseOrphansAndHidden);
    EXPECT_TRUE(document.CustomXmlData().empty());
    EXPECT_NE(Control(document, "*QZAfter"), nullptr);
  }
}

// ------------------------------------------------------------- constraints

class ConstraintLineTest : public ParserTest {
 protected:
  bool ConstrainedAfter(const char* key, const char* current, const char* askKey,
                        const char* askOption) {
    document_.SetValueForKey(CFString::FromUTF8(key), CFString::FromUTF8(current));
    return document_.IsKVConstrained(askKey, askOption);
  }
  QZVPPD document_{VendorFixture("constraints.ppd"), kParseOrphansAndHidden};
};

TEST_F(ConstraintLineTest, OnlyTheLineWithoutSecondKeywordIsAnError) {
  const std::vector<ParsedError> expected = {{PPDErr_BadConstraint, "", false}};
  EXPECT_EQ(ErrorsOf(document_), expected);
  EXPECT_EQ(document_.GetUIConstraints()->DeferredCount(), 0u);  // resolved after parsing
}

TEST_F(ConstraintLineTest, EveryFormConstrainsWhatItNames) {
  const struct {
    const char *key, *current, *askKey, *askOption;
    bool constrained;
  } cases[] = {
      // "*QZA X *QZB Q": the four-token form.
      {"*QZB", "Q", "*QZA", "X", true},
      // "*QZA *QZB P": any option of A but "None" against B P.
      {"*QZB", "P", "*QZA", "X", true},
      {"*QZB", "P", "*QZA", "Y", true},
      {"*QZB", "P", "*QZA", "None", false},
      {"*QZB", "Q", "*QZA", "Y", false},
      // "*QZC *QZA": every usable option of C against every usable one of A.
      {"*QZA", "X", "*QZC", "True", true},
      {"*QZA", "Y", "*QZC", "True", true},
      {"*QZA", "None", "*QZC", "True", false},
      {"*QZA", "X", "*QZC", "False", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.current + " asks " + c.askKey + " " + c.askOption);
    EXPECT_EQ(ConstrainedAfter(c.key, c.current, c.askKey, c.askOption), c.constrained);
  }
}

TEST_F(ConstraintLineTest, RequiresLinesGoToTheirOwnForest) {
  UIConstraints* constraints = document_.GetUIConstraints();
  const long b = constraints->FindId("*QZB");
  ASSERT_GE(b, 0);
  EXPECT_NE(constraints->GetRequiresForest()->GetTree(b), nullptr);
  EXPECT_EQ(constraints->GetRequiresForest()->Trees().size(), 1u);
}

// ------------------------------------------------------------- accounting

class AccountingTest : public ParserTest {
 protected:
  void TearDown() override {
    SetPopupJnDataSource(nullptr);
    gPopupJobNotesLangIsJapanese = false;
    ParserTest::TearDown();
  }
  std::unique_ptr<QZVPPD> Parse(const std::string& text, int error = 0) {
    FixedPopupJnDataSource source(text, error);
    SetPopupJnDataSource(&source);
    ClearEndOfPPDLatch();
    auto document =
        std::make_unique<QZVPPD>(VendorFixture("accounting.ppd"), kParseOrphansAndHidden);
    SetPopupJnDataSource(nullptr);
    return document;
  }
  static std::string Note(QZVPPD& document, const char* keyword) {
    auto* note = dynamic_cast<PPDXJobNote*>(Control(document, keyword));
    return note ? Text(note->GetNotes()) + "|" + Text(note->GetDefaultNotes()) : "<none>";
  }
  static std::string Accounting(QZVPPD& document) {
    return Value(Control(document, "*QZDisplayJobTracking")) + " " +
           Value(Control(document, "*QZAccountSetting")) + " " +
           Value(Control(document, "*QZAccountShowLast"));
  }
};

TEST_F(AccountingTest, WithoutPreferencesTheControlsStayAsParsed) {
  const struct {
    const char* text;
    int error;
    const char* logLine;
  } cases[] = {
      {"", 0, "There are no preferences in the accounting popup file."},
      {"", -43, "QZVPPD::ReadPUJNPrefs: QZPDEDataRead anErr -43"},
      {"010\n*QZUser\nsaved\n", 0, "The accounting popup feature is disabled."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logLine);
    LogCapture log;
    auto document = Parse(c.text, c.error);
    EXPECT_TRUE(HasLine(log, c.logLine));
    EXPECT_EQ(ErrorsOf(*document), std::vector<ParsedError>{});
    EXPECT_EQ(Accounting(*document), "False Never False");
    EXPECT_EQ(Note(*document, "*QZUser"), "parsed user|parsed user");
  }
}

TEST_F(AccountingTest, SavedPreferencesSetTheControlsAndThePopupNotes) {
  LogCapture log;
  auto document = Parse("111*QZProject\nApollo \xC3\xA9t\xC3\xA9\nOther\nx\n");
  EXPECT_TRUE(HasLine(log, "QZVPPD::ReadPUJNPrefs: Enable/Setting/ShowLast '111' "));
  EXPECT_TRUE(HasLine(log, "QZVPPD::ReadPUJNPrefs 1 '*QZProject' \n"));
  EXPECT_TRUE(HasLine(log, "QZVPPD::ReadPUJNPrefs 2 'Other' \n"));
  EXPECT_EQ(Accounting(*document), "True Always True");
  EXPECT_EQ(gPopupJobNotesSavedEnable, '1');
  EXPECT_EQ(gPopupJobNotesNote1, "*QZProject");
  // Mac Roman: e-acute is 0x8E.
  EXPECT_EQ(Note(*document, "*QZProject"), "Apollo \x8Et\x8E|Apollo \x8Et\x8E");
  EXPECT_EQ(Note(*document, "*QZUser"), "|");  // a pop-up note with no saved text
  EXPECT_EQ(Note(*document, "*QZComment"), "parsed comment|parsed comment");

  document = Parse("101");
  EXPECT_EQ(Accounting(*document), "True Never True");
}

TEST(PopupJnText, ConversionAndItsFailures) {
  const std::string e = "\xC3\xA9";  // e-acute
  const struct {
    std::string utf8;
    bool japanese;
    std::string expected;
  } cases[] = {
      {"plain", false, "plain"},
      {"caf" + e, false, "caf\x8E"},
      {"\xE6\x97\xA5", true, "\x93\xFA"},  // a kanji in Shift-JIS
      {"\xE6\x97\xA5", false, kPopupJnConvertFailed},
      {"\xF0\x9F\x98\x80", false, kPopupJnConvertFailed},
      {"bad \xC3", false, kPopupJnNotUTF8},
      {"bad \xFF\xFE", true, kPopupJnNotUTF8},
      {std::string(300, 'a'), false, std::string(255, 'a')},
      // Two-byte characters in Shift-JIS: the cut falls between characters.
      {[] {
         std::string s;
         for (int i = 0; i < 200; ++i) s += "\xE6\x97\xA5";
         return s;
       }(),
       true,
       [] {
         std::string s;
         for (int i = 0; i < 127; ++i) s += "\x93\xFA";
         return s;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8.substr(0, 20));
    EXPECT_EQ(ConvertPopupJnText(c.utf8, c.japanese), c.expected);
  }
}

TEST(PopupJnText, LayoutOfTheSavedText) {
  PopupJnPrefs prefs;
  EXPECT_FALSE(ParsePopupJnData("10", prefs));
  ASSERT_TRUE(ParsePopupJnData("110a\n1\nb\n2\nc\n3\nd\n4\ne\n5", prefs));
  EXPECT_EQ(prefs.enable, '1');
  EXPECT_EQ(prefs.setting, '1');
  EXPECT_EQ(prefs.showLast, '0');
  EXPECT_EQ(prefs.keywords[0], "a");
  EXPECT_EQ(prefs.texts[4], "5");  // the last line needs no line feed
  ASSERT_TRUE(ParsePopupJnData("111only\n", prefs));
  EXPECT_EQ(prefs.keywords[0], "only");
  EXPECT_EQ(prefs.texts[0], "");
}

}  // namespace
