#include "queue/QueueCommands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "QueueTestSupport.h"
#include "queue/PPDMessage.h"

namespace {

class QueueCommands : public ::testing::Test {
 protected:
  void SetUp() override { CFileHdlr::SetEchoToStderr(false); }
  void TearDown() override { CFileHdlr::SetEchoToStderr(true); }

  QueueCommandContext Ctx(const std::string& user = "alice") const {
    return {root.path().string(), "/nonexistent/q.ppd", "Office_C750", user};
  }
  QueueCommandOutcome Run(std::string_view title, std::string_view body,
                          const std::string& user = "alice") {
    return RunQueueCommand(Ctx(user), title, body);
  }

  TempRoot root;
};

std::string Wide(std::u32string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 4);
}

TEST_F(QueueCommands, MessagesComeBackAsPiecesThePanelReads) {
  std::string big;  // incompressible, several pieces
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) big.push_back(static_cast<char>('!' + rng() % 90));
  struct Case {
    std::string title, message, body, payload;
  } cases[] = {
      {"Command_QZVPrefs0F3C1A52-1111-4E0A-9D55-2A1B3C4D5E6F", "QZDriverPreference",
       "<plist>\xc3\xa9</plist>", Wide(U"<plist>\u00e9</plist>")},
      {"Command_WritePresetData81726354", "QZlocalPreset", "EFBBBFpresets", Wide(U"EFBBBFpresets")},
      {"Command_PRINTERLOCALPRESETS", "QZLocalJPPresets", big, big},
      {"command_PopupJnData", "QZPopupJnData", "<dict/>", "<dict/>"},
      {"command_PopupJnData", "QZPopupJnData", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    QueueCommandOutcome out = Run(c.title, c.body);
    ASSERT_TRUE(out.accepted) << out.message;
    std::string payload;
    ASSERT_TRUE(ReadMessage(out, c.message, payload));
    EXPECT_EQ(payload, c.payload);
    // Every piece fits a PPD line ("*Name: value" within 255 characters) and
    // the message ends with an empty attribute after the last piece.
    for (const auto& [name, value] : out.ppdUpdates) {
      EXPECT_EQ(name.rfind(c.message, 0), 0u);
      EXPECT_LE(name.size() + value.size() + 3, 255u);
    }
    EXPECT_TRUE(out.ppdUpdates.back().second.empty());
  }
  // Only the preferences list leaves a file: the queue's copy of it.
  EXPECT_EQ(root.Snapshot(), (std::set<std::pair<std::string, std::string>>{
                                 {"QZV.UnisorPrinterV2.plist", "<plist>\xc3\xa9</plist>"}}));
}

TEST_F(QueueCommands, PPDLinesStayWithinTheSchedulersLimits) {
  std::string big(20000, '\0');
  std::mt19937 rng(9);
  for (char& c : big) c = static_cast<char>(rng());
  PPDUpdates updates;
  ASSERT_TRUE(EncodePPDMessage("QZLocalJPPresets", big, updates));
  std::vector<std::string> lines = FormatPPDLines(updates);
  ASSERT_GT(lines.size(), 1u);
  size_t pairs = 0;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 1000u);
    EXPECT_EQ(line.rfind("PPD: ", 0), 0u);
    pairs += static_cast<size_t>(std::count(line.begin(), line.end(), '='));
  }
  EXPECT_GE(pairs, updates.size());
  EXPECT_NE(lines.back().find(updates.back().first + "=\"\""), std::string::npos);
}

TEST_F(QueueCommands, TicketIsWrittenToTheNameGivenBefore) {
  const std::string mapped = (root.Cache() / "Tavro.tempB").string();
  for (const std::string& given :
       {std::string("Tavro.tempA"), mapped, std::string("/Library/Caches/QZV/Tavro.tempC\n")}) {
    SCOPED_TRACE(given);
    ASSERT_TRUE(Run("Command_PSTempFileName", given).accepted);
    QueueCommandOutcome out = Run("Command_WritePSTemp", "<plist>" + given + "</plist>");
    ASSERT_TRUE(out.accepted) << out.message;
  }
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempB"), "<plist>" + mapped + "</plist>");
  struct stat st {};
  ASSERT_EQ(stat((root.Cache() / "Tavro.tempA").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // The name is used once: a second ticket text has nowhere to go.
  QueueCommandOutcome again = Run("Command_WritePSTemp", "<plist/>");
  EXPECT_FALSE(again.accepted);
  EXPECT_NE(again.message.find("no ticket file name"), std::string::npos);
  EXPECT_EQ(root.Snapshot().size(), 3u);
}

TEST_F(QueueCommands, PendingTicketNamesAreKeptPerUser) {
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempAlice", "alice").accepted);
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempBob", "bob/../x").accepted);
  ASSERT_TRUE(Run("Command_WritePSTemp", "alice's", "alice").accepted);
  ASSERT_TRUE(Run("Command_WritePSTemp", "bob's", "bob/../x").accepted);
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempAlice"), "alice's");
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempBob"), "bob's");
  // Names too long for a file name still keep users apart.
  const std::string longA(200, '\xe9'), longB = std::string(199, '\xe9') + "x";
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempLongA", longA).accepted);
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempLongB", longB).accepted);
  ASSERT_TRUE(Run("Command_WritePSTemp", "A", longA).accepted);
  ASSERT_TRUE(Run("Command_WritePSTemp", "B", longB).accepted);
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempLongA"), "A");
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempLongB"), "B");
}

TEST_F(QueueCommands, TicketNamesOutsideTheCacheFolderAreRefusedAndChangeNothing) {
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempOK").accepted);
  const auto before = root.Snapshot();
  for (const std::string& name :
       {std::string("../Tavro.tempX"), std::string("/etc/Tavro.tempX"),
        std::string("/Library/Caches/QZV/../Tavro.tempX"), std::string("Tavro.temp/../../x"),
        std::string(".Tavro.tempX"), std::string("QueueLocale_Office_C750.txt"),
        (root.path() / "Library/Tavro.tempX").string(), std::string(""),
        std::string("Tavro.temp\x01"), std::string(300, 'T')}) {
    SCOPED_TRACE(name);
    QueueCommandOutcome out = Run("Command_PSTempFileName", name);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(root.Snapshot(), before);
  }
  // The earlier name still stands.
  ASSERT_TRUE(Run("Command_WritePSTemp", "x").accepted);
  EXPECT_EQ(TempRoot::Read(root.Cache() / "Tavro.tempOK"), "x");
}

TEST_F(QueueCommands, LinksAreNeverFollowed) {
  TempRoot outside;
  const auto victim = outside.path() / "victim";
  { std::ofstream(victim) << "keep"; }
  ASSERT_TRUE(Run("Command_LocaleCode", "en").accepted);  // makes the cache folder
  std::filesystem::create_symlink(victim, root.Cache() / "Tavro.tempLink");

  // A ticket name taken by a link: refused up front, and refused again when
  // the link appears between the two commands.
  EXPECT_FALSE(Run("Command_PSTempFileName", "Tavro.tempLink").accepted);
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempLater").accepted);
  std::filesystem::create_symlink(victim, root.Cache() / "Tavro.tempLater");
  EXPECT_FALSE(Run("Command_WritePSTemp", "evil").accepted);
  // A state file replaced by a link is replaced, not written through.
  std::filesystem::remove(root.Cache() / "QueueLocale_Office_C750.txt");
  std::filesystem::create_symlink(victim, root.Cache() / "QueueLocale_Office_C750.txt");
  EXPECT_TRUE(Run("Command_LocaleCode", "ja").accepted);
  EXPECT_FALSE(std::filesystem::is_symlink(root.Cache() / "QueueLocale_Office_C750.txt"));
  EXPECT_EQ(TempRoot::Read(victim), "keep");

  // A cache folder that is a link is refused.
  TempRoot other;
  std::filesystem::create_directories(other.path() / "Library/Caches");
  std::filesystem::create_symlink(outside.path(), other.path() / "Library/Caches/QZV");
  QueueCommandContext ctx{other.path().string(), "", "q", "alice"};
  QueueCommandOutcome out = RunQueueCommand(ctx, "Command_LocaleCode", "en");
  EXPECT_FALSE(out.accepted);
  EXPECT_NE(out.message.find("cache folder"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outside.path()), {}), 1);
}

TEST_F(QueueCommands, RecordsLocaleAndDestination) {
  ASSERT_TRUE(Run("Command_LocaleCode", "ja\n").accepted);
  ASSERT_TRUE(Run("Command_PSQZDestination", "/Library/Caches/QZV/Box 1").accepted);
  EXPECT_EQ(TempRoot::Read(root.Cache() / "QueueLocale_Office_C750.txt"), "ja\n");
  EXPECT_EQ(TempRoot::Read(root.Cache() / "QueueDestination_Office_C750.txt"),
            "/Library/Caches/QZV/Box 1\n");
  const auto before = root.Snapshot();
  for (auto [title, body] :
       {std::pair{"Command_LocaleCode", "e"}, std::pair{"Command_LocaleCode", "en us"},
        std::pair{"Command_PSQZDestination", "relative"},
        std::pair{"Command_PSQZDestination", "/a\nb"}}) {
    SCOPED_TRACE(body);
    EXPECT_FALSE(Run(title, body).accepted);
  }
  EXPECT_EQ(root.Snapshot(), before);
}

TEST_F(QueueCommands, UpdateRequestLeavesTheConnectionErrorFileWhichDeleteRemoves) {
  const std::string body = "REQ-1::DELIMIT::10.0.0.5::DELIMIT::/tmp/copy.ppdTrayInfo";
  QueueCommandOutcome out = Run("Command_UpdateCommands", body);
  ASSERT_TRUE(out.accepted) << out.message;
  const auto file = root.Cache() / "ConnectionErrorInfoFileOffice_C750.txt";
  EXPECT_NE(TempRoot::Read(file).find("REQ-1"), std::string::npos);

  EXPECT_FALSE(Run("Command_UpdateCommands", "no delimiters").accepted);
  // Only this queue's update files go: other names are left alone, and a name
  // outside the folder refuses the whole command.
  ASSERT_TRUE(Run("Command_LocaleCode", "en").accepted);
  ASSERT_TRUE(Run("Command_PSTempFileName", "Tavro.tempOther", "bob").accepted);
  ASSERT_TRUE(Run("Command_WritePSTemp", "bob's ticket", "bob").accepted);
  const auto before = root.Snapshot();
  EXPECT_FALSE(
      Run("Command_DeleteUpdateFiles",
          "ConnectionErrorInfoFileOffice_C750.txt\n../ConnectionErrorInfoFileOffice_C750.txt")
          .accepted);
  EXPECT_EQ(root.Snapshot(), before);
  EXPECT_TRUE(Run("Command_DeleteUpdateFiles",
                  "QueueLocale_Office_C750.txt::DELIMIT::Tavro.tempOther::DELIMIT::"
                  "ConnectionErrorInfoFileOther.txt")
                  .accepted);
  EXPECT_EQ(root.Snapshot(), before);
  ASSERT_TRUE(
      Run("Command_DeleteUpdateFiles", "/Library/Caches/QZV/ConnectionErrorInfoFileOffice_C750.txt")
          .accepted);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(Run("Command_DeleteUpdateFiles", "ConnectionErrorInfoFileOffice_C750.txt").accepted);
}

TEST_F(QueueCommands, RefusedCommandsSayWhyAndChangeNothing) {
  struct Case {
    std::string title, body, why;
  } cases[] = {
      {"Command_Reboot", "", "unknown command"},
      {"command_LocaleCode", "en", "unknown command"},
      {"Command_QZVPrefs", std::string(1024 * 1024 + 1, 'a'), "over the limit"},
      {"Command_QZVPrefs1", "\xff\xfe", "not UTF-8"},
      {"Command_WritePresetData1", "\xc0\xaf", "not UTF-8"},  // overlong "/"
      {"Command_QZVPrefs1", "\xed\xa0\x80", "not UTF-8"},     // a surrogate
      {std::string(300, 'C'), "", "refused command title"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.substr(0, 40));
    QueueCommandOutcome out = Run(c.title, c.body);
    EXPECT_FALSE(out.accepted);
    EXPECT_TRUE(out.ppdUpdates.empty());
    EXPECT_NE(out.message.find(c.why), std::string::npos) << out.message;
  }
  for (const char* queue : {"", "../q", ".q", "a/b"}) {
    QueueCommandContext ctx{root.path().string(), "", queue, "alice"};
    EXPECT_FALSE(RunQueueCommand(ctx, "Command_LocaleCode", "en").accepted) << queue;
  }
  EXPECT_FALSE(std::filesystem::exists(root.path() / "Library"));
}

}  // namespace
