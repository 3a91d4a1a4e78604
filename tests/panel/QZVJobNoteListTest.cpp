#include "panel/QZVJobNoteList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControlFlags.h"
#include "foundation/EncodingSwitches.h"
#include "panel/PanelTestSupport.h"
#include "panel/QZVJobTicket.h"
#include "platform/PMPrintSettings.h"
#include "security/UserAuth.h"

namespace {

std::string gPlayedUser = "Pat Doe";
std::string PlayedUser() {
  return gPlayedUser;
}

class JobNoteListTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = SetFullUserNameSource(PlayedUser); }
  void TearDown() override {
    SetFullUserNameSource(saved_);
    gQZVPPD = nullptr;
    gUserAuthNameWasInited = false;
    gQZUTF8Version = 0;
  }

  // Builds the list over the document, sets the note texts, writes them.
  int Write(TestPPD& ppd, const std::vector<std::pair<std::string, const char*>>& texts,
            int orientation = 1, bool initialised = true) {
    for (const auto& [keyword, text] : texts) {
      PPDXJobNote* note = ppd->GetControls()->FindJobNote(keyword.c_str(), true);
      EXPECT_NE(note, nullptr) << keyword;
      if (note) note->SetNotes(text);
    }
    QZVJobNoteList list(ppd.get(), initialised);
    list.SetOrientation(orientation);
    return list.outInjectionData(&ticket_, &settings_);
  }

  std::string All() const {
    std::string all;
    for (const TicketEntry& entry : ticket_.Entries()) all += EntryText(entry) + "\x01";
    return all;
  }

  PMPrintSettings settings_;
  QZVJobTicket ticket_{nullptr, &settings_, CFSTR("QZV.PSData.test")};
  FullUserNameSource saved_ = nullptr;
};

}  // namespace

TEST_F(JobNoteListTest, NullTicketAndTheListItself) {
  TestPPD ppd(NoteLine("*Notes1", "Alpha") + NoteLine("*QZControlBar", "Alpha") +
              NoteLine("*Notes2", "Alpha"));
  QZVJobNoteList list(ppd.get(), true);
  EXPECT_EQ(list.outInjectionData(nullptr, &settings_), kJobNoteNoTicket);
  EXPECT_EQ(list.Count(), 2u);  // the control bar's note is no job note of the job
  EXPECT_NE(list.find("*Notes2"), nullptr);
  EXPECT_EQ(list.find("*QZControlBar"), nullptr);
  EXPECT_EQ(list.find("*Notes"), nullptr);
}

// Two and six pages to a sheet turn the orientation; other layouts keep it.
TEST_F(JobNoteListTest, LayoutComments) {
  struct Case {
    bool nup;
    int rows, columns, orientation;
    const char* expected;
  } cases[] = {
      {false, 1, 2, 1, "%%Orientation: Portrait\n"},  {true, 1, 1, 1, "%%Orientation: Portrait\n"},
      {true, 1, 2, 1, "%%Orientation: Landscape\n"},  {true, 2, 3, 3, "%%Orientation: Landscape\n"},
      {true, 2, 1, 2, "%%Orientation: Portrait\n"},   {true, 3, 2, 4, "%%Orientation: Portrait\n"},
      {true, 2, 2, 1, "%%Orientation: Portrait\n"},   {true, 2, 2, 2, "%%Orientation: Landscape\n"},
      {false, 1, 1, 4, "%%Orientation: Landscape\n"},
  };
  TestPPD ppd("");
  for (const Case& c : cases) {
    settings_ = PMPrintSettings();
    ticket_.Create();
    if (c.nup) {
      settings_.SetBool("com.apple.print.PrintSettings.PMLayoutNUp", true);
      settings_.SetInteger("com.apple.print.PrintSettings.PMLayoutRows", c.rows);
      settings_.SetInteger("com.apple.print.PrintSettings.PMLayoutColumns", c.columns);
    }
    ASSERT_EQ(Write(ppd, {}, c.orientation), 0);
    EXPECT_EQ(AtSite(ticket_, kSiteLayoutComment),
              (std::vector<std::string>{"%%MacCoreNUp: true\n", c.expected}))
        << c.rows << "x" << c.columns << " orientation " << c.orientation;
  }
}

TEST_F(JobNoteListTest, SpecialLinesAndCodeInNoteOrder) {
  TestPPD ppd(NoteLine("*Notes1", "Alpha", "(<*Notes1>) /A exch def") +
              NoteLine("*QZPlain", "Alpha", "(<*QZPlain>) /B exch def") +
              NoteLine("*Instruct", "Alpha|Space") + NoteLine("*Notes2", "Alpha"));
  ASSERT_EQ(
      Write(ppd,
            {{"*Notes1", "Acct7"}, {"*QZPlain", "p"}, {"*Instruct", "to desk"}, {"*Notes2", ""}}),
      0);
  EXPECT_EQ(AtSite(ticket_, kSiteJobInfo),
            (std::vector<std::string>{"%%QZVCustom1: Acct7\n", "%%QZVCustom3: to desk\n"}));
  const std::vector<std::string> code = AtSite(ticket_, kSiteFeature);
  ASSERT_EQ(code.size(), 3u);  // the empty note writes nothing at all
  EXPECT_NE(code[0].find("%%BeginFeature: *Notes1 Acct7\n"), std::string::npos);
  EXPECT_NE(code[1].find("*QZPlain"), std::string::npos);
  EXPECT_NE(code[2].find("*Instruct"), std::string::npos);
  EXPECT_EQ(All().find("QZVCustom2"), std::string::npos);
}

TEST_F(JobNoteListTest, EncryptedSpecialNotesNeverInClear) {
  struct Case {
    const char* flags;
    size_t multiple;
  } cases[] = {{"Alpha|Encrypt", 16}, {"Alpha|AESEncrypt", 32}, {"Alpha|Password", 16}};
  for (const Case& c : cases) {
    ticket_.Create();
    TestPPD ppd(NoteLine("*DeptPassword", c.flags, "(<*DeptPassword>) /DP exch def"));
    ASSERT_EQ(Write(ppd, {{"*DeptPassword", "Sesame-42"}}), 0);
    const std::vector<std::string> lines = AtSite(ticket_, kSiteJobInfo);
    ASSERT_EQ(lines.size(), 1u) << c.flags;
    const std::string prefix = "%%DeptPassword: ";
    ASSERT_EQ(lines[0].compare(0, prefix.size(), prefix), 0);
    const std::string hex = lines[0].substr(prefix.size(), lines[0].size() - prefix.size() - 1);
    EXPECT_TRUE(IsUpperHex(hex)) << hex;
    EXPECT_EQ(hex.size() % c.multiple, 0u) << c.flags;
    EXPECT_EQ(AtSite(ticket_, kSiteFeature).size(), 1u);
    EXPECT_EQ(All().find("Sesame"), std::string::npos) << c.flags;
    // The note keeps its plain text for the dialog.
    EXPECT_STREQ(ppd->GetControls()->FindJobNote("*DeptPassword", true)->GetNotes(), "Sesame-42");
  }
}

TEST_F(JobNoteListTest, UserAuthenticationPair) {
  const std::string notes = NoteLine("*QZUserAuthName", "Alpha") +
                            NoteLine("*QZUserAuthPwd", "Alpha|Password|AESEncrypt",
                                     "userdict /QZUserAuth (<*QZUserAuthPwd>) put");
  struct Case {
    const char* name;          // the name note's text
    bool ldap;                 // "*QZVAuthenticateWithLDAP" "True"
    bool copier;               // "*CopierUserAuth" "True"
    bool initialised;          // the list's argument
    const char* expectedName;  // null: no packet
    size_t code;               // entries at site 81
  } cases[] = {
      {"", false, false, true, "Pat Doe", 0},    // the login's full name
      {"", false, true, true, "Pat Doe", 1},     // the password's code, enciphered
      {"", false, false, false, nullptr, 0},     // not initialised: no stand-in name
      {"ann", false, false, false, nullptr, 0},  // the note's text only counts under LDAP
      {"DOM/:ann", true, false, false, "DOM//:ann", 0},
      {"DOM//x/:ann", true, false, false, "DOM//x/:ann", 0},
      {"", true, true, true, nullptr, 0},  // no name: no packet and no code
  };
  for (const Case& c : cases) {
    ticket_.Create();
    std::string body = notes;
    if (c.ldap) body += SpecialOption("*QZVAuthenticateWithLDAP", "True");
    if (c.copier) body += SpecialOption("*CopierUserAuth", "True");
    TestPPD ppd(body);
    ASSERT_EQ(
        Write(ppd, {{"*QZUserAuthName", c.name}, {"*QZUserAuthPwd", "Hunter-2"}}, 1, c.initialised),
        0);
    SCOPED_TRACE(std::string("name '") + c.name + "'");
    const std::vector<std::string> lines = AtSite(ticket_, kSiteJobInfo);
    EXPECT_FALSE(gUserAuthNameWasInited);
    EXPECT_EQ(AtSite(ticket_, kSiteFeature).size(), c.code);
    EXPECT_EQ(All().find("Hunter-2"), std::string::npos);
    if (!c.expectedName) {
      EXPECT_TRUE(lines.empty());
      continue;
    }
    ASSERT_EQ(lines.size(), 1u);
    const std::string prefix = "%%QZVUATag: ";
    ASSERT_EQ(lines[0].compare(0, prefix.size(), prefix), 0);
    const std::string packet = lines[0].substr(prefix.size(), lines[0].size() - prefix.size() - 1);
    UAL_Packet read;
    ASSERT_EQ(UAL_UnpackAndDecrypt(packet.c_str(), packet.size(), &read), kUALReadOk);
    EXPECT_EQ(read.userName, c.expectedName);
    EXPECT_EQ(read.password, "Hunter-2");
    EXPECT_EQ(read.domain, "");
    EXPECT_EQ(read.domainType, kUALDomainTypeUserName);
    if (c.ldap) {
      EXPECT_STREQ(ppd->GetControls()->FindJobNote("*QZUserAuthName", true)->GetNotes(),
                   c.expectedName);
    }
  }
}

TEST_F(JobNoteListTest, PasswordWithoutUserNameNote) {
  TestPPD ppd(NoteLine("*QZUserAuthPwd", "Alpha|Password") +
              SpecialOption("*CopierUserAuth", "True"));
  ASSERT_EQ(Write(ppd, {{"*QZUserAuthPwd", "Hunter-2"}}), 0);
  EXPECT_TRUE(AtSite(ticket_, kSiteJobInfo).empty());
  EXPECT_TRUE(AtSite(ticket_, kSiteFeature).empty());
  EXPECT_EQ(All().find("Hunter-2"), std::string::npos);
}

TEST_F(JobNoteListTest, LongNoteCodeGoesThroughTheHeap) {
  // Each place holder takes the text in hexadecimal, so six of them make
  // the code longer than the stack buffer.
  std::string code;
  for (int i = 0; i < 6; ++i) code += "(<*QZLong>) pop ";
  TestPPD ppd(NoteLine("*QZLong", "Alpha", code));
  const std::string text(500, 'v');
  ASSERT_EQ(Write(ppd, {{"*QZLong", text.c_str()}}), 0);
  const std::vector<std::string> out = AtSite(ticket_, kSiteFeature);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_GT(out[0].size(), kJobNoteCodeBuffer);
  EXPECT_EQ(out[0].rfind("%%BeginFeature: *QZLong " + text + "\n", 0), 0u);
  EXPECT_EQ(out[0].substr(out[0].size() - 13), "%%EndFeature\n");
}

TEST_F(JobNoteListTest, UTF8NotesConvertedBelowVersion5) {
  const TextEncoding saved = GetApplicationTextEncoding();
  SetApplicationTextEncoding(kTextEncodingMacRoman);
  struct Case {
    const char* version;
    const char* expected;
  } cases[] = {{"4", "%%QZVCustom2: \xC3\xA4\n"}, {"5", "%%QZVCustom2: \x8A\n"}};
  for (const Case& c : cases) {
    ticket_.Create();
    TestPPD ppd(NoteLine("*Notes2", "Alpha|UTF8") + SpecialOption("*QZUTF8_Version", c.version));
    ASSERT_EQ(Write(ppd, {{"*Notes2", "\x8A"}}), 0);
    EXPECT_EQ(AtSite(ticket_, kSiteJobInfo), std::vector<std::string>{c.expected}) << c.version;
  }
  SetApplicationTextEncoding(saved);
}

// The sample PPD with every note filled: no protected value in clear.
TEST_F(JobNoteListTest, SamplePPDKeepsSecretsEnciphered) {
  ClearEndOfPPDLatch();
  QZVPPD ppd(SamplePPD(), kParseOrphansAndHidden);
  ClearEndOfPPDLatch();
  PPDXControls* controls = ppd.GetControls();
  for (auto [keyword, text] :
       std::vector<std::pair<const char*, const char*>>{{"*Notes1", "4711"},
                                                        {"*Resume", "98765"},
                                                        {"*QZUserAuthName", "operator"},
                                                        {"*QZUserAuthPwd", "Open-Sesame"}}) {
    PPDXJobNote* note = controls->FindJobNote(keyword, true);
    ASSERT_NE(note, nullptr) << keyword;
    note->SetNotes(text);
  }
  QZVJobNoteList list(&ppd, true);
  ASSERT_EQ(list.outInjectionData(&ticket_, &settings_), 0);
  const std::string xml = ticket_.Save();
  for (const char* secret : {"98765", "Open-Sesame"}) {
    EXPECT_EQ(All().find(secret), std::string::npos) << secret;
    EXPECT_EQ(xml.find(secret), std::string::npos) << secret;
  }
  EXPECT_NE(All().find("%%QZVCustom1: 4711\n"), std::string::npos);
  EXPECT_NE(All().find("%%PersPassword: "), std::string::npos);
  EXPECT_NE(All().find("%%QZVUATag: "), std::string::npos);
}

// From UTF-8 version 3 on the mailbox and file-path notes travel as UTF-8,
// unless the accounting pop-up is synchronising a queue that takes none.
TEST_F(JobNoteListTest, MailboxAndFilePathBecomeUTF8) {
  const TextEncoding saved = GetApplicationTextEncoding();
  SetApplicationTextEncoding(kTextEncodingMacRoman);
  struct Case {
    const char* version;
    bool noUTF8, doneInitialising;
    const char* expected;
  } cases[] = {
      {"3", false, true, "\xC3\xA4"},
      {"2", false, true, "\x8A"},
      {"3", true, false, "\x8A"},
      {"3", true, true, "\xC3\xA4"},
  };
  for (const Case& c : cases) {
    TestPPD ppd(NoteLine("*QZMailboxName", "Alpha") + NoteLine("*QZVDPFilePath", "Alpha") +
                SpecialOption("*QZUTF8_Version", c.version));
    for (const char* keyword : {"*QZMailboxName", "*QZVDPFilePath"})
      ppd->GetControls()->FindJobNote(keyword, true)->SetNotes("\x8A");
    gPopupJobNotesNoUTF8 = c.noUTF8;
    gPopupJobNotesDoneInitializing = c.doneInitialising;
    QZVJobNoteList list(ppd.get(), true);
    for (const char* keyword : {"*QZMailboxName", "*QZVDPFilePath"})
      EXPECT_STREQ(ppd->GetControls()->FindJobNote(keyword, true)->GetNotes(), c.expected)
          << keyword << " version " << c.version;
  }
  gPopupJobNotesNoUTF8 = false;
  gPopupJobNotesDoneInitializing = false;
  SetApplicationTextEncoding(saved);
}
