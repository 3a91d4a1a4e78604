#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ControlTestSupport.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNoteConverter.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "foundation/EncodingSwitches.h"
#include "platform/Log.h"
#include "security/PresetStringCipher.h"

namespace {

using control_test::FlagList;
using control_test::Fragment;
using control_test::PostScriptOf;

// Every process-wide switch a note reads, put back after each test.
class PPDXJobNoteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogPause(false);
    saved_ = {gPopupJobNotesFoundOne, gPopupJobNotesDoneInitializing, gPopupJobNotesDefaultsButton,
              gPopupJobNotesLangIsJapanese, gQZUTF8Version};
    gPopupJobNotesFoundOne = gPopupJobNotesDoneInitializing = gPopupJobNotesDefaultsButton = false;
    gPopupJobNotesLangIsJapanese = false;
    gQZUTF8Version = 0;
  }
  void TearDown() override {
    gPopupJobNotesFoundOne = saved_.foundOne;
    gPopupJobNotesDoneInitializing = saved_.doneInit;
    gPopupJobNotesDefaultsButton = saved_.button;
    gPopupJobNotesLangIsJapanese = saved_.japanese;
    gQZUTF8Version = saved_.utf8;
  }

  static std::unique_ptr<PPDXJobNote> Note(const char* keyword, const std::string& fragment,
                                           const char* text, JobNoteFlag flags = 0,
                                           long maxLength = 32) {
    FlagList words({"Dynamic"});
    CString language("ISOLatin1");
    return std::make_unique<PPDXJobNote>(keyword, CFSTR("Account"), words.list(),
                                         Fragment(fragment), static_cast<long>(fragment.size()),
                                         text ? new CString(text) : nullptr, &language, true,
                                         maxLength, flags, 2);
  }

 private:
  struct {
    bool foundOne, doneInit, button, japanese;
    int32_t utf8;
  } saved_{};
};

TEST_F(PPDXJobNoteTest, ConstructionTakesTheTextAsValueAndDefault) {
  auto note = Note("*QZAccount", "", "abc", kJobNoteNumeric | kJobNotePassword, 12);
  EXPECT_EQ(note->Type(), kJobNoteControl);
  EXPECT_STREQ(note->GetNotes(), "abc");
  EXPECT_STREQ(note->GetDefaultNotes(), "abc");
  EXPECT_EQ(note->MaxLength(), 12);
  EXPECT_EQ(note->MinLength(), 2);
  EXPECT_FALSE(note->GetNotesOnValue());
  EXPECT_TRUE(note->IsDynamic());
  EXPECT_EQ(note->CopyPresetValueString().IsNull(), false);
  note->SetNotes("xyz");
  EXPECT_STREQ(note->GetDefaultNotes(), "abc");

  PPDXJobNote empty;
  EXPECT_EQ(empty.Type(), kJobNoteControl);
  EXPECT_EQ(empty.GetNotes(), nullptr);
  EXPECT_EQ(empty.PostScript(nullptr), 0);
  EXPECT_EQ(empty.CopyNotes(), CFSTR(""));
}

TEST_F(PPDXJobNoteTest, EachQueryAnswersItsOwnBit) {
  using Query = bool (PPDXJobNote::*)() const;
  const struct {
    JobNoteFlag bit;
    Query query;
  } queries[] = {
      {kJobNoteAlpha, &PPDXJobNote::IsAlpha},
      {kJobNoteNumeric, &PPDXJobNote::IsNumeric},
      {kJobNoteDecimal, &PPDXJobNote::IsDecimal},
      {kJobNoteRequired, &PPDXJobNote::IsRequired},
      {kJobNoteRemembered, &PPDXJobNote::Remember},
      {kJobNotePassword, &PPDXJobNote::IsPassword},
      {kJobNoteAlwaysDisplay, &PPDXJobNote::AlwaysDisplay},
      {kJobNoteResume, &PPDXJobNote::Resume},
      {kJobNoteMember, &PPDXJobNote::IsMember},
      {kJobNoteOnOffSwitch, &PPDXJobNote::IsOnOffSwitch},
      {kJobNoteLengthReq, &PPDXJobNote::IsLengthReq},
      {kJobNoteSecPrint, &PPDXJobNote::IsSecPrint},
      {kJobNoteSpace, &PPDXJobNote::IsSpace},
      {kJobNoteNegative, &PPDXJobNote::IsNegative},
      {kJobNoteEncrypt, &PPDXJobNote::IsEncrypt},
      {kJobNoteMultiSpace, &PPDXJobNote::IsMultiSpace},
      {kJobNoteMultiComma, &PPDXJobNote::IsMultiComma},
      {kJobNoteLCD, &PPDXJobNote::IsLCD},
      {kJobNoteHyphen, &PPDXJobNote::IsHyphen},
      {kJobNoteTwoCharField, &PPDXJobNote::IsTwoCharFields},
      {kJobNoteNoComma, &PPDXJobNote::IsNoComma},
      {kJobNoteUTF8, &PPDXJobNote::IsUTF8},
      {kJobNoteAESEncrypt, &PPDXJobNote::IsAESEncrypt},
      {kJobNotePopupJN, &PPDXJobNote::IsPopupJN},
  };
  for (const auto& q : queries) {
    auto only = Note("*QZAccount", "", "a", q.bit);
    auto allBut = Note("*QZAccount", "", "a", ~q.bit);
    EXPECT_TRUE((only.get()->*q.query)()) << q.bit;
    EXPECT_FALSE((allBut.get()->*q.query)()) << q.bit;
  }
  EXPECT_TRUE(Note("*QZAccount", "", "a", kJobNotePassword)->IsAnyText());
  EXPECT_FALSE(Note("*QZAccount", "", "a", kJobNoteNumeric)->IsAnyText());
  auto numeric = Note("*QZAccount", "", "a", kJobNoteNumeric | kJobNoteHyphen, 3);
  EXPECT_TRUE(numeric->AcceptsCharacter(U'-'));
  EXPECT_FALSE(numeric->AcceptsCharacter(U'a'));
  EXPECT_EQ(numeric->NumericTextInvalidAt(CFSTR("1x-2")), 1);
  EXPECT_EQ(numeric->CutToMaxLength(CFSTR("12345")), CFSTR("123"));
}

TEST_F(PPDXJobNoteTest, PopupNoteIsRecordedProcessWideAndLoggedOnce) {
  LogCapture log;
  auto plain = Note("*QZAccount", "", "a", kJobNoteAlpha);
  EXPECT_FALSE(plain->IsPopupJN());
  EXPECT_FALSE(gPopupJobNotesFoundOne);
  auto popup = Note("*QZAccount", "", "a", kJobNotePopupJN);
  EXPECT_TRUE(popup->IsPopupJN());
  EXPECT_TRUE(popup->IsPopupJN());
  EXPECT_TRUE(gPopupJobNotesFoundOne);
  int found = 0;
  for (const auto& line : log.Lines())
    if (line.find("At least one PUJN found !!!!!!!!") != std::string::npos) ++found;
  EXPECT_EQ(found, 1);
}

TEST_F(PPDXJobNoteTest, DisplayRule) {
  const struct {
    bool visible;
    bool parent;
    _DISPLAY_OPTIONS_ option;
    bool shown;
  } cases[] = {
      {true, false, kDisplayVisibleWithParent, true},  // orphans show under 0 too
      {false, true, kDisplayVisibleWithParent, false},
      {true, false, kDisplayIncludeOrphans, true},
      {false, false, kDisplayIncludeOrphans, false},
      {false, false, kDisplayIncludeHidden, true},
      {false, false, kDisplayEverything, true},
      {false, false, static_cast<_DISPLAY_OPTIONS_>(9), true},
  };
  PPDXJobNote group;  // any element serves as a parent
  for (const auto& c : cases) {
    FlagList words({});
    PPDXJobNote note("*QZAccount", CFSTR("Account"), words.list(), nullptr, 0, nullptr, nullptr,
                     c.visible, 8, 0, 0);
    if (c.parent) note.SetParent(&group);
    EXPECT_EQ(note.OkayToDisplay(c.option), c.shown)
        << c.visible << c.parent << static_cast<int>(c.option);
  }
}

TEST_F(PPDXJobNoteTest, BodyWithoutFragmentIsADscComment) {
  const struct {
    const char* keyword;
    JobNoteFlag flags;
    const char* body;
  } cases[] = {
      {"*Notes2", 0, "%%QZVCustom2: X\n"},
      {"*Notes1", 0, "%%QZVCustom1: X\n"},
      {"*Instruc", 0, "%%QZVCustom3: X\n"},
      {"*Notes1", kJobNoteResume, "%%PersPassword: X\n"},  // Resume comes first
      {"*Notes1", kJobNoteMember, "%%DeptPassword: X\n"},
      {"*QZAcct", kJobNoteResume | kJobNoteMember, "%%PersPassword: X\n"},
      {"*QZAcct", 0, "%%EmptyOption\n\n"},
  };
  for (const auto& c : cases) {
    auto note = Note(c.keyword, "", "X", c.flags);
    EXPECT_EQ(PostScriptOf(*note),
              std::string("%%BeginFeature: ") + c.keyword + " X\n" + c.body + "%%EndFeature\n");
  }
}

TEST_F(PPDXJobNoteTest, FragmentTakesTheTextAsAHexString) {
  auto note = Note("*QZAcct", "(<*QZAcct>) show\n", "AB");
  EXPECT_EQ(PostScriptOf(*note), "%%BeginFeature: *QZAcct AB\n<4142> show\n%%EndFeature\n");
  // The file-name, user-name and password keywords keep the plain text.
  auto user = Note("*QZDSUserName", "(<*QZDSUserName>) u\n", "A\\B");
  EXPECT_EQ(PostScriptOf(*user), "%%BeginFeature: *QZDSUserName A\\B\n(A\\\\B) u\n%%EndFeature\n");
  // A DSC comment fragment takes the text as is, backslashes undoubled.
  auto dsc = Note("*QZAcct", "%%Account: <*QZAcct>\n", "A\\B");
  EXPECT_EQ(PostScriptOf(*dsc), "%%BeginFeature: *QZAcct A\\B\n%%Account: A\\B\n%%EndFeature\n");
  auto nameless = Note(nullptr, "(<*QZAcct>)\n", "AB");
  EXPECT_EQ(nameless->PostScript(nullptr), 0);
  auto blank = Note("*QZAcct", "(<*QZAcct>)\n", "");
  EXPECT_EQ(blank->PostScript(nullptr), 0);
}

TEST_F(PPDXJobNoteTest, LongTextsAreCutInTheBodyOnly) {
  for (size_t length : {511u, 512u, 513u, 600u}) {
    std::string text(length, 'k');
    auto note = Note("*QZAcct", "%%N: <*QZAcct>\n", text.c_str(), 0, 1000);
    const std::string body(length > 512 ? 511 : length, 'k');
    EXPECT_EQ(PostScriptOf(*note),
              "%%BeginFeature: *QZAcct " + text + "\n%%N: " + body + "\n%%EndFeature\n")
        << length;
  }
  std::string text(600, 'k');
  auto note = Note("*Notes1", "", text.c_str(), 0, 1000);
  EXPECT_EQ(PostScriptOf(*note), "%%BeginFeature: *Notes1 " + text + "\n%%QZVCustom1: " +
                                     std::string(511, 'k') + "\n%%EndFeature\n");
}

TEST_F(PPDXJobNoteTest, EveryTextChangeRebuildsTheBody) {
  auto note = Note("*Notes1", "", "one");
  const std::string first = PostScriptOf(*note);
  EXPECT_EQ(PostScriptOf(*note), first);
  note->SetNotes("two");
  EXPECT_EQ(PostScriptOf(*note), "%%BeginFeature: *Notes1 two\n%%QZVCustom1: two\n%%EndFeature\n");
  note->SetCurrentControlWithCFString(CFSTR("three"));
  EXPECT_EQ(PostScriptOf(*note),
            "%%BeginFeature: *Notes1 three\n%%QZVCustom1: three\n%%EndFeature\n");
  note->SetUTF8Notes(CFSTR("four"));
  EXPECT_EQ(PostScriptOf(*note),
            "%%BeginFeature: *Notes1 four\n%%QZVCustom1: four\n%%EndFeature\n");
  note->ResetToDefaultValue();
  EXPECT_EQ(PostScriptOf(*note), first);

  // Restore writes the text directly; the next job must carry it.
  Settings store;
  auto saved = Note("*Notes1", "", "five");
  ASSERT_EQ(saved->Save(store, 5001), 0);
  EXPECT_EQ(note->Restore(store, 5001), 0);
  EXPECT_EQ(PostScriptOf(*note),
            "%%BeginFeature: *Notes1 five\n%%QZVCustom1: five\n%%EndFeature\n");
}

TEST_F(PPDXJobNoteTest, TextEncodingsOfCopyNotes) {
  auto note = Note("*QZAcct", "", nullptr);
  const struct {
    bool japanese;
    int32_t utf8Version;
    const char* bytes;
    CFString expected;
  } cases[] = {
      {false, 0, "caf\x8E", CFSTR("caf\u00e9")},             // system encoding: Mac Roman
      {false, 5, "caf\xC3\xA9", CFSTR("caf\u00e9")},         // UTF-8 from level 5
      {false, 4, "caf\xC3\xA9", CFSTR("caf\u221a\u00a9")},   // below 5: Mac Roman bytes
      {true, 5, "\x93\xfa\x96\x7b", CFSTR("\u65e5\u672c")},  // Shift JIS wins
      {false, 5, "caf\x8E", CFSTR("caf\u00e9")},  // not UTF-8: the system reading keeps it
  };
  for (const auto& c : cases) {
    gPopupJobNotesLangIsJapanese = c.japanese;
    gQZUTF8Version = c.utf8Version;
    note->SetNotes(c.bytes);
    EXPECT_EQ(note->CopyNotes(), c.expected) << c.bytes;
    EXPECT_EQ(note->CopyCurrentControlValueString(), c.expected) << c.bytes;
  }
  note->SetNotes("");
  EXPECT_EQ(note->CopyNotes(), CFSTR(""));
}

TEST_F(PPDXJobNoteTest, SetCurrentControlWithCFString) {
  auto note = Note("*QZAcct", "", "old");
  note->SetCurrentControlWithCFString(CFString());  // ignored
  EXPECT_STREQ(note->GetNotes(), "old");
  gQZUTF8Version = 5;
  note->SetCurrentControlWithCFString(CFSTR("caf\u00e9"));
  EXPECT_STREQ(note->GetNotes(), "caf\xC3\xA9");
  gQZUTF8Version = 0;
  note->SetCurrentControlWithCFString(CFSTR("caf\u00e9"));
  EXPECT_STREQ(note->GetNotes(), "caf\x8E");
  note->SetUTF8Notes(CFSTR("caf\u00e9"));
  EXPECT_STREQ(note->GetNotes(), "caf\xC3\xA9");
}

TEST_F(PPDXJobNoteTest, ResetToDefaultUnderThePopupFlags) {
  const struct {
    bool doneInit, foundOne, button;
    JobNoteFlag flags;
    const char* text;
    const char* defaultText;
  } cases[] = {
      {false, false, false, kJobNotePopupJN, "dflt", "dflt"},
      {false, false, true, kJobNotePopupJN, "", ""},  // defaults button empties a pop-up note
      {false, false, true, 0, "dflt", "dflt"},        // ... but only a pop-up note
      {true, false, true, kJobNotePopupJN, "dflt", "dflt"},  // set up, none found: plain reset
      {true, true, true, kJobNotePopupJN, "", ""},
      {true, true, false, kJobNotePopupJN, "dflt", "dflt"},
  };
  for (const auto& c : cases) {
    gPopupJobNotesDoneInitializing = c.doneInit;
    gPopupJobNotesFoundOne = c.foundOne;
    gPopupJobNotesDefaultsButton = c.button;
    auto note = Note("*QZAcct", "", "dflt", c.flags);
    note->SetNotes("typed");
    note->ResetToDefaultValue();
    EXPECT_STREQ(note->GetNotes(), c.text) << c.doneInit << c.foundOne << c.button << c.flags;
    EXPECT_STREQ(note->GetDefaultNotes(), c.defaultText);
  }
}

TEST_F(PPDXJobNoteTest, SavedItemsAndStoreConstructor) {
  auto note = Note("*QZAcct", "(<*QZAcct>)\n", "dflt",
                   kJobNoteNumeric | kJobNoteEncrypt | kJobNotePopupJN, 24);
  note->SetNotes("1234");
  note->SetNotesOnValue(true);
  Settings store;
  ASSERT_EQ(note->Save(store, 5004), 0);
  const struct {
    unsigned int tag;
    int size;
  } items[] = {{kJobNoteMarkerTag, 1},    {kJobNoteTextTag, 4},      {kJobNoteDefaultTextTag, 4},
               {kJobNoteMaxLengthTag, 8}, {kJobNoteMinLengthTag, 8}, {kJobNoteFlagsTag, 4},
               {kJobNoteOnTag, 4}};
  for (const auto& item : items) {
    int size = 0;
    ASSERT_EQ(store.Get(item.tag, 5004, nullptr, size, false), 0) << item.tag;
    EXPECT_EQ(size, item.size) << item.tag;
  }

  CString language("ISOLatin1");
  PPDXJobNote back(store, 5004, &language);
  EXPECT_EQ(back.Type(), kJobNoteControl);
  EXPECT_STREQ(back.GetNotes(), "1234");
  EXPECT_STREQ(back.GetDefaultNotes(), "dflt");
  EXPECT_EQ(back.MaxLength(), 24);
  EXPECT_EQ(back.MinLength(), 2);
  EXPECT_EQ(back.Flags(), kJobNoteNumeric | kJobNoteEncrypt | kJobNotePopupJN);
  EXPECT_TRUE(back.GetNotesOnValue());
  EXPECT_EQ(PostScriptOf(back), PostScriptOf(*note));

  // A note without text or default writes neither item; Restore then clears the text.
  auto bare = Note("*QZAcct", "", nullptr);
  Settings bareStore;
  ASSERT_EQ(bare->Save(bareStore, 5001), 0);
  int size = 0;
  EXPECT_EQ(bareStore.Get(kJobNoteTextTag, 5001, nullptr, size, false), kSettingsItemNotFound);
  EXPECT_EQ(bareStore.Get(kJobNoteDefaultTextTag, 5001, nullptr, size, false),
            kSettingsItemNotFound);
  EXPECT_EQ(back.Restore(bareStore, 5001), 0);
  EXPECT_EQ(back.GetNotes(), nullptr);
  EXPECT_EQ(back.Restore(bareStore, 77), 0);  // always 0
}

TEST_F(PPDXJobNoteTest, OneConverterSharedByAllNotes) {
  ASSERT_EQ(JobNoteConverter::Users(), 0);
  {
    FlagList words({});
    PPDXJobNote anonymous("*A", CFSTR("A"), words.list(), nullptr, 0, nullptr, nullptr, true, 4, 0,
                          0);
    EXPECT_EQ(JobNoteConverter::Get(), nullptr);  // no language text yet
    auto first = Note("*QZAcct", "", "a");        // ISOLatin1
    TextConverter* shared = JobNoteConverter::Get();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->GetSourceEncoding(), kTextEncodingISOLatin1);
    {
      FlagList more({});
      CString other("JIS83-RKSJ");
      PPDXJobNote second("*B", CFSTR("B"), more.list(), nullptr, 0, nullptr, &other, true, 4, 0, 0);
      EXPECT_EQ(JobNoteConverter::Get(), shared);  // made once
      EXPECT_EQ(JobNoteConverter::Users(), 3);
    }
    EXPECT_EQ(JobNoteConverter::Get(), shared);
  }
  EXPECT_EQ(JobNoteConverter::Users(), 0);
  EXPECT_EQ(JobNoteConverter::Get(), nullptr);  // gone with the last note
}

}  // namespace

namespace {

TEST_F(PPDXJobNoteTest, PresetValuesTravelEnciphered) {
  auto note = Note("*QZAcct", "", nullptr);
  note->SetCurrentControlWithCFString(CFSTR("secret 42"));
  const CFString preset = note->CopyPresetValueString();
  ASSERT_FALSE(preset.IsNull());
  EXPECT_NE(preset, CFSTR("secret 42"));
  EXPECT_EQ(QZCFCreateDecryptedString(preset, CFSTR("7C2E4A19-3B8D-4F06-9A51-E0D6C3B2F847")),
            CFSTR("secret 42"));

  auto other = Note("*QZAcct", "", "before");
  other->SetPresetValueString(preset);
  EXPECT_STREQ(other->GetNotes(), "secret 42");
  other->SetPresetValueString(CFSTR("not a cipher text"));  // kept as it was
  EXPECT_STREQ(other->GetNotes(), "secret 42");

  // The colour-management menus keep their preset values in the clear.
  for (const char* keyword :
       {"*QZSimulation", "*QZOutProfile", "*QZRGBOverride", "*QZControlBar"}) {
    auto clear = Note(keyword, "", "x");
    clear->SetPresetValueString(CFSTR("ProfileA"));
    EXPECT_STREQ(clear->GetNotes(), "ProfileA") << keyword;
  }
  auto curve = Note("*QZCurveAdjust", "", "x");
  curve->SetPresetValueString(CFSTR("ProfileA"));
  EXPECT_STREQ(curve->GetNotes(), "x");
}

}  // namespace
