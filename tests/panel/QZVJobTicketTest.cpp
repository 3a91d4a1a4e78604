#include "panel/QZVJobTicket.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "panel/PanelTestSupport.h"
#include "panel/TicketDescribe.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"

namespace {

// A control whose code is a given text.
class CodeControl : public PPDXControl {
 public:
  CodeControl(const char* keyword, const std::string& code)
      : PPDXControl(keyword, CFSTR(keyword), flags_, Copy(code), static_cast<long>(code.size()),
                    true, nullptr) {}
  void ResetToDefaultValue() override {}
  int16_t Restore(Settings&, int) override { return 0; }
  CFString CopyCurrentControlValueString() override { return CFSTR(""); }
  void SetCurrentControlWithCFString(const CFString&) override {}

 private:
  static unsigned char* Copy(const std::string& code) {
    if (code.empty()) return nullptr;
    auto* data = static_cast<unsigned char*>(std::malloc(code.size()));
    std::memcpy(data, code.data(), code.size());
    return data;
  }
  static inline PointerList flags_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

class TicketTest : public ::testing::Test {
 protected:
  PMPrintSettings settings_;
  QZVJobTicket ticket_{nullptr, &settings_, CFSTR("QZV.PSData.org.tavro.features")};
};

}  // namespace

TEST_F(TicketTest, ControlCodeUpTo1024BytesAndThePageSizeSite) {
  struct Case {
    const char* keyword;
    size_t length;
    int site;  // -1: not added
  } cases[] = {
      {"*QZStaple", 1024, kSiteFeature}, {"*QZStaple", 1025, -1},
      {"*QZStaple", 0, kSiteFeature},    {"*PageSize", 40, kSitePageSize},
      {"*PageSizeX", 40, kSiteFeature},  {"*PageSize", 1025, -1},
  };
  for (const Case& c : cases) {
    ticket_.Create();
    CodeControl control(c.keyword, std::string(c.length, 'p'));
    ticket_.Add(kSiteFeature, &control);
    if (c.site < 0) {
      EXPECT_TRUE(ticket_.Entries().empty()) << c.keyword << " " << c.length;
      continue;
    }
    ASSERT_EQ(ticket_.Entries().size(), 1u) << c.keyword << " " << c.length;
    EXPECT_EQ(ticket_.Entries()[0].site, c.site);
    EXPECT_EQ(ticket_.Entries()[0].bytes.size(), c.length);
  }
  ticket_.Create();
  ticket_.Add(kSiteFeature, static_cast<PPDXControl*>(nullptr));
  EXPECT_TRUE(ticket_.Entries().empty());
}

TEST_F(TicketTest, SerialisedFormAlternatesSiteAndBytes) {
  EXPECT_NE(SerializeTicketEntries({}).find("<array/>"), std::string::npos);

  const char binary[] = {'%', '\0', '\n', '\xFF', '<', '&'};
  ticket_.Add(kSiteSuppressFeature, "*Duplex", 7);
  ticket_.Add(kSiteFeature, binary, sizeof binary);
  ticket_.Add(kSiteMailboxPath, "", 0);
  const std::string xml = ticket_.Save();
  std::vector<TicketEntry> back;
  std::string error;
  ASSERT_TRUE(ParseTicketEntries(xml, back, &error)) << error;
  EXPECT_EQ(back, ticket_.Entries());
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].site, -9);
  EXPECT_EQ(back[1].bytes.size(), sizeof binary);

  // Anything but strict pairs is refused.
  for (const char* bad : {"<plist><dict/></plist>", "not xml",
                          "<plist version=\"1.0\"><array><integer>1</integer></array></plist>",
                          "<plist version=\"1.0\"><array><integer>1</integer><string>x</string>"
                          "</array></plist>",
                          "<plist version=\"1.0\"><array><integer>99999999999</integer>"
                          "<data></data></array></plist>"}) {
    EXPECT_FALSE(ParseTicketEntries(bad, back)) << bad;
    EXPECT_TRUE(back.empty());
  }
}

// Another property-list reader sees the same pairs.
TEST_F(TicketTest, PythonPlistlibReadsTheTicket) {
  if (std::system("python3 -c 'import plistlib' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3 is missing";
  const char binary[] = {'A', '\0', '\xC3', '\xA4', '\x7F', ']', ']', '>'};
  ticket_.Add(kSiteSuppressFeature, "*Duplex", 7);
  ticket_.Add(kSiteFeature, binary, sizeof binary);
  ticket_.Add(kSiteHeaderComment, "%%QZVDriver\n", 12);
  ScratchDir dir;
  const auto file = dir.Write("ticket.xml", ticket_.Save());
  const auto out = dir.path() / "out.txt";
  const std::string command =
      "python3 -c \"import plistlib,sys; a=plistlib.load(open(sys.argv[1],'rb')); "
      "print(';'.join((str(x) if isinstance(x,int) else x.hex()) for x in a))\" " +
      file.string() + " > " + out.string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(out), "-9;2a4475706c6578;81;4100c3a47f5d5d3e;501;2525515a564472697665720a\n");
}

TEST_F(TicketTest, SaveNamesAFreshFileEachTimeInTheSettings) {
  ScopedSystemMinorVersion minor(kNewestSystemMinorVersion);
  ticket_.Add(kSiteFeature, "x", 1);
  ticket_.Save();
  const std::string first = ticket_.FileName().UTF8();
  ticket_.Save();
  const std::string second = ticket_.FileName().UTF8();
  const std::string head = "/Library/Caches/QZV/Tavro.temp";
  EXPECT_EQ(first.compare(0, head.size(), head), 0) << first;
  EXPECT_EQ(first.size(), head.size() + 36);
  EXPECT_NE(first, second);
  EXPECT_EQ(settings_.GetString("QZV.PSData.org.tavro.features"), second);
  EXPECT_FALSE(std::filesystem::exists(SystemPath(second)));  // the queue's side writes it
}

TEST_F(TicketTest, OlderSystemsWriteTheFileThemselves) {
  ScopedSystemMinorVersion minor(6);
  const mode_t mask = ::umask(0);  // a wide-open umask must not make the file writable by all
  ticket_.Add(kSiteFeature, "payload", 7);
  const std::string xml = ticket_.Save();
  ::umask(mask);
  const std::string name = ticket_.FileName().UTF8();
  const std::string head = "/tmp/Tavro.temp";
  ASSERT_EQ(name.compare(0, head.size(), head), 0) << name;
  struct stat info {};
  ASSERT_EQ(::lstat(name.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(ReadFile(name), xml);
  EXPECT_EQ(settings_.GetString("QZV.PSData.org.tavro.features"), name);
  ::unlink(name.c_str());
}

TEST(TicketFile, NeverFollowsOrReplacesAnExistingName) {
  ScratchDir dir;
  const auto target = dir.Write("target", "keep");
  const auto link = dir.path() / "link";
  std::filesystem::create_symlink(target, link);
  EXPECT_FALSE(WriteTicketFile(link.string(), "evil"));
  EXPECT_FALSE(WriteTicketFile(target.string(), "evil"));
  EXPECT_EQ(ReadFile(target), "keep");
  EXPECT_TRUE(WriteTicketFile((dir.path() / "new").string(), "fresh"));
  EXPECT_EQ(ReadFile(dir.path() / "new"), "fresh");
}

TEST(TicketFileName, HeadUUIDAndTheCutCopy) {
  char out[kTicketFileNameSize + 16];
  std::memset(out, '#', sizeof out);
  const std::string alone = QZVJobTicket::CreateRandomFileName(nullptr, out).UTF8();
  EXPECT_EQ(alone.size(), 36u);
  EXPECT_EQ(alone.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
  EXPECT_STREQ(out, alone.c_str());

  const std::string longHead(300, 'h');
  std::memset(out, '#', sizeof out);
  const std::string name = QZVJobTicket::CreateRandomFileName(longHead.c_str(), out).UTF8();
  EXPECT_EQ(name.size(), 336u);
  EXPECT_EQ(std::strlen(out), kTicketFileNameSize - 1);
  EXPECT_EQ(out[kTicketFileNameSize], '#');
}

TEST_F(TicketTest, SettingsGetSetAndTheWholeModel) {
  int value = 7;
  EXPECT_NE(ticket_.Get(CFSTR("missing"), value), 0);
  EXPECT_EQ(value, 7);
  settings_.SetInteger("n", -12);
  EXPECT_EQ(ticket_.Get(CFSTR("n"), value), 0);
  EXPECT_EQ(value, -12);
  settings_.SetString("s", "12");
  EXPECT_NE(ticket_.Get(CFSTR("s"), value), 0);

  ticket_.InjectTempFileToPSStream(CFSTR("k"), CFSTR("v"));
  EXPECT_EQ(settings_.GetString("k"), "v");

  TestPPD ppd(NoteLine("*QZSecret", "Alpha|Password") + NoteLine("*Notes1", "Alpha") +
              "*%QZVFlags *QZMode: \"\"\n*OpenUI *QZMode/Mode: PickOne\n*DefaultQZMode: Fast\n"
              "*QZMode Fast/Fast: \"\"\n*QZMode Slow/Slow: \"\"\n*CloseUI: *QZMode\n");
  ppd->GetControls()
      ->FindJobNote("*QZSecret", true)
      ->SetCurrentControlWithCFString(CFSTR("Top-Secret"));
  ticket_.SavePPDForAllKeys(ppd.get(), CFSTR("org.tavro.features"));
  EXPECT_EQ(settings_.GetString("*QZMode"), "Fast");
  ASSERT_TRUE(settings_.Contains("*QZSecret"));
  EXPECT_EQ(settings_.ToXml().find("Top-Secret"), std::string::npos);
}

TEST(TicketDescribe, EscapesAndOneLinePerEntry) {
  struct Case {
    std::string bytes;
    const char* text;
  } cases[] = {
      {"plain text", "plain text"},
      {"a\nb\r\tc\\", "a\\nb\\r\\tc\\\\"},
      {std::string("\0\x1B\x7F\xFF", 4), "\\000\\033\\177\\377"},
      {"\"'?", "\"'?"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EscapeTicketBytes(std::vector<uint8_t>(c.bytes.begin(), c.bytes.end())), c.text);
  std::vector<TicketEntry> entries = {{-9, {'*', 'A'}}, {81, {}}};
  EXPECT_EQ(DescribeTicket(entries), "site -9, 2 bytes: *A\nsite 81, 0 bytes: \n");
}
