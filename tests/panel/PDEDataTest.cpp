#include "panel/PDEData.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "foundation/PropertyListFile.h"
#include "panel/PanelTestSupport.h"
#include "panel/QZVJobNoteList.h"
#include "panel/QZVJobTicket.h"
#include "panel/TicketDescribe.h"
#include "platform/LocalQueues.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "serverlink/QZVUnisorPrinterPList.h"

namespace {

std::filesystem::path PanelFixture(const std::string& name) {
  return std::filesystem::path(TAVRO_TEST_DATA) / "panel" / name;
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// One queue on the embedded printing system, its own system root and
// temporary folder, and the preferences list kept in memory the way the
// queue keeps it.
class PanelDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.emplace(dir_.path().string() + "/root");
    env_.emplace(dir_.path());
    MakeQueue("socket://10.1.2.3:9100");
  }
  void TearDown() override {
    data_.reset();
    env_.reset();
    root_.reset();
  }

  void MakeQueue(const std::string& uri, const std::filesystem::path& ppd = SamplePPD()) {
    LocalQueueSetup setup;
    setup.deviceURI = uri;
    ASSERT_EQ(LocalQueueCreate("TestQ", ppd.string(), setup), noErr);
    PMPrinterRef printer;
    ASSERT_EQ(PMPrinterCreateFromPrinterID("TestQ", &printer), noErr);
    session_.SetCurrentPrinter(printer);
    std::string path;
    ASSERT_EQ(PMCopyQueuePPDPath("TestQ", &path), noErr);
    ClearEndOfPPDLatch();
    document_ = std::make_unique<QZVPPD>(path, kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
  }

  PDEData& Make(const char* key = "TestQ") {
    data_.reset();
    data_ = std::make_unique<PDEData>(document_.get(), key ? CFSTR(key) : CFString(), &session_);
    return *data_;
  }

  // A stored list of one record: key, address, flag, version, blocks, end.
  void Store(const std::string& key, const std::string& address, bool enabled) {
    PlistValue::Array items = {PlistValue::String(key), PlistValue::String(address),
                               PlistValue::Bool(enabled), PlistValue::String("2"),
                               PlistValue::String(kUnisorDataEnd)};
    env_->stored = CFString::FromUTF8(PlistValue::MakeArray(items).ToXml()).UTF32();
  }
  ScratchDir dir_;
  std::optional<ScopedTavroRoot> root_;
  std::optional<PanelTestEnvironment> env_;
  PMPrintSession session_;
  std::unique_ptr<QZVPPD> document_;
  std::unique_ptr<PDEData> data_;
};

}  // namespace

TEST(PanelDataURI, DeviceHost) {
  struct Case {
    const char* uri;
    const char* host;
  } cases[] = {
      {"ipp://printer.example:631/printers/q", "printer.example"},
      {"socket://10.0.0.5:9100", "10.0.0.5"},
      {"lpd://user@host/queue", "host"},
      {"ipp://[fe80::1]:631/x", "fe80::1"},
      {"dnssd://My%20Printer._ipp._tcp.local./?uuid=1", "My Printer._ipp._tcp.local."},
      {"file:///dev/null", ""},
      {"no-scheme", ""},
      {"ipp://bad%2", "bad%2"},
  };
  for (const Case& c : cases) EXPECT_EQ(DeviceURIHost(c.uri), c.host) << c.uri;
}

TEST_F(PanelDataTest, ConstructionFillsTheFixedFields) {
  PDEData& data = Make();
  EXPECT_EQ(data.ppd, document_.get());
  EXPECT_EQ(data.customPaperFromOS, 0);
  EXPECT_EQ(data.mixedMedia.Count(), 0);
  EXPECT_EQ(data.padCovers.Count(), 0);
  ASSERT_NE(data.watermarks, nullptr);
  EXPECT_EQ(data.watermarks->count, 0u);
  EXPECT_EQ(data.watermarks->selected, -1);
  const wchar_t* keys[] = {L"*QZPCMID", L"*QZPCName", L"*QZCoverSizePCMID", L"*QZCoverSizePCName"};
  for (int i = 0; i < kPaperCatalogPairs; ++i) {
    EXPECT_EQ(std::wstring(data.paperCatalog[i].key), keys[i]);
    EXPECT_EQ(std::wstring(data.paperCatalog[i].value), L"-1");
  }
}

TEST_F(PanelDataTest, FixedCapacitiesNeverOverflow) {
  PDEData& data = Make();
  for (size_t i = 0; i < kFinishingListCapacity; ++i)
    EXPECT_TRUE(data.slipSheets.Append(L"k", L"v"));
  EXPECT_FALSE(data.slipSheets.Append(L"k", L"v"));
  EXPECT_EQ(data.slipSheets.Count(), 16);
  EXPECT_EQ(data.slipSheets.At(16), nullptr);
  for (size_t i = 0; i < kMixedMediaCapacity; ++i) data.mixedMedia.Append(L"*QZMM", L"1");
  EXPECT_FALSE(data.mixedMedia.Append(L"*QZMM", L"1"));
  data.mixedMedia.Clear();
  EXPECT_EQ(data.mixedMedia.Count(), 0);

  PaperCatalogPair pair;
  EXPECT_FALSE(pair.SetKey(std::wstring(40, L'k')));
  EXPECT_EQ(std::wstring(pair.key), std::wstring(18, L'k'));
  EXPECT_FALSE(pair.SetValue(std::wstring(600, L'v')));
  EXPECT_EQ(std::wstring(pair.value).size(), 511u);
  EXPECT_TRUE(pair.SetValue(L"12"));

  PPDTree tree;
  for (int i = 0; i < kMaxShortcuts; ++i) EXPECT_TRUE(tree.AddShortcut(CFSTR("n"), "*QZStaple"));
  EXPECT_FALSE(tree.AddShortcut(CFSTR("n"), "*QZStaple"));
  ShortcutEntry entry;
  EXPECT_FALSE(entry.SetKeyword(std::string(100, 'k').c_str()));
  EXPECT_EQ(std::strlen(entry.keyword), kShortcutKeywordSize - 1);
}

TEST_F(PanelDataTest, FirstLaunchTakesTheDeviceHostAndStoresIt) {
  PDEData& first = Make();
  EXPECT_TRUE(first.isFirstLaunch());
  EXPECT_EQ(first.printerAddress.UTF8(), "10.1.2.3");
  EXPECT_FALSE(first.isBIDIEnabled());
  ASSERT_TRUE(first.printerList->Find(CFSTR("testq")));  // names ignore letter case
  EXPECT_EQ(first.printerList->CopyAddress(CFSTR("TestQ")).UTF8(), "10.1.2.3");
  EXPECT_EQ(env_->saves, 1);

  // The next dialog finds the stored entry.
  PDEData& second = Make();
  EXPECT_FALSE(second.isFirstLaunch());
  EXPECT_EQ(second.printerAddress.UTF8(), "10.1.2.3");

  ASSERT_TRUE(second.SetUnisorPrinterAddress(CFSTR("print.example"), true));
  EXPECT_TRUE(second.isBIDIEnabled());
  PDEData& third = Make();
  EXPECT_EQ(third.printerAddress.UTF8(), "print.example");
  EXPECT_TRUE(third.isBIDIEnabled());
  EXPECT_TRUE(third.SetIPAddressEnabled(false));
  EXPECT_FALSE(third.isBIDIEnabled());
}

TEST_F(PanelDataTest, StoredEmptyAddressCountsAsNone) {
  Store("TestQ", "", true);
  PDEData& data = Make();
  EXPECT_TRUE(data.isFirstLaunch());
  EXPECT_EQ(data.printerAddress.UTF8(), "10.1.2.3");
  bool enabled = false;
  EXPECT_EQ(data.GetUnisorPrinterAddress(&enabled).UTF8(), "10.1.2.3");
  EXPECT_TRUE(enabled);  // the stored flag is still read
}

TEST_F(PanelDataTest, AddressFallBackByConnection) {
  struct Case {
    const char* uri;
    const char* address;
  } cases[] = {
      {"ipp://host.example:631/printers/q", "host.example"},
      {"mdns://Office._printer._tcp.local.", ""},
      {"pap://zone/printer", ""},
      {"file:///dev/null", ""},
  };
  for (const Case& c : cases) {
    env_->stored.reset();
    MakeQueue(c.uri);
    PDEData& data = Make();
    EXPECT_EQ(data.printerAddress.UTF8(), c.address) << c.uri;
    EXPECT_TRUE(data.isFirstLaunch()) << c.uri;
  }
  PMPrintSession none;
  PDEData noPrinter(document_.get(), CFSTR("TestQ"), &none);
  EXPECT_EQ(noPrinter.GetPrinterAddress().UTF8(), "");
  PDEData noSession(document_.get(), CFSTR("TestQ"), nullptr);
  EXPECT_EQ(noSession.GetPrinterAddress().UTF8(), "");
}

TEST_F(PanelDataTest, WithoutAKeyNothingIsStored) {
  PDEData& data = Make(nullptr);
  EXPECT_EQ(env_->saves, 0);
  EXPECT_FALSE(data.isBIDIEnabled());
  EXPECT_FALSE(data.SetIPAddressEnabled(true));
  PPDTree tree;
  EXPECT_FALSE(data.GetPPDShortcuts(tree));
  EXPECT_FALSE(data.SetPPDShortcuts(tree));
  data.printerList.reset();
  EXPECT_TRUE(data.GetUnisorPrinterAddress().IsNull());
}

TEST_F(PanelDataTest, ValuesFromTheSystem) {
  PDEData& data = Make();
  PMPrintSettings settings;
  PMPageFormat format;
  data.printSettings = &settings;
  data.pageFormat = &format;
  EXPECT_EQ(data.GetNumCopiesFromOS(), 1u);
  settings.SetInteger(kPMCopiesKey, 3);
  EXPECT_EQ(data.GetNumCopiesFromOS(), 3u);
  format.SetOrientation(kPMReverseLandscape);
  EXPECT_EQ(data.GetPageOrientationFromOS(), kPMReverseLandscape);

  char slot[8];
  std::memset(slot, '#', sizeof slot);
  EXPECT_EQ(data.GetPrimayPaperFeedFromOS(slot, 8), 0);
  EXPECT_STREQ(slot, "");
  settings.SetString("InputSlot", "Tray2");
  data.GetPrimayPaperFeedFromOS(slot, 8);
  EXPECT_STREQ(slot, "Tray2");
  settings.SetString("AP_FIRSTPAGE_InputSlot", "LargeCapacity");
  data.GetPrimayPaperFeedFromOS(slot, 8);
  EXPECT_STREQ(slot, "LargeCa");  // cut to the buffer, terminated
  {
    ScopedSystemMinorVersion old(5);
    data.GetPrimayPaperFeedFromOS(slot, 8);
    EXPECT_STREQ(slot, "");
    settings.SetValue(
        "com.apple.print.PrintSettings.PMPrimaryPaperFeed",
        PlistValue::MakeArray({PlistValue::String("x"), PlistValue::String("Tray1")}));
    data.GetPrimayPaperFeedFromOS(slot, 8);
    EXPECT_STREQ(slot, "Tray1");
  }
  data.GetPrimayPaperFeedFromOS(slot, 0);  // no room: nothing written
}

TEST_F(PanelDataTest, WorkingCopyOfThePPD) {
  const std::string queuePPD = Make().QueuePPDPath();
  const std::string tmp = (dir_.path() / "tmp").string() + "/";
  EXPECT_EQ(std::string(data_->ppdCopyPath), tmp + kPPDCopyName);
  EXPECT_EQ(ReadAll(data_->ppdCopyPath), ReadAll(queuePPD));

  // A link planted under the copy's name is replaced, its target untouched.
  const auto victim = dir_.Write("victim", "keep");
  std::filesystem::remove(tmp + kPPDCopyName);
  std::filesystem::create_symlink(victim, tmp + kPPDCopyName);
  Make();
  EXPECT_EQ(ReadAll(victim), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(tmp + kPPDCopyName));
  EXPECT_EQ(ReadAll(data_->ppdCopyPath), ReadAll(queuePPD));

  // A temporary folder whose path does not fit: the queue's PPD itself.
  const std::string deep = dir_.path().string() + "/" + std::string(200, 'd') + "/" +
                           std::string(200, 'e') + "/" + std::string(200, 'f');
  std::filesystem::create_directories(deep);
  ::setenv("TMPDIR", deep.c_str(), 1);
  Make();
  EXPECT_EQ(std::string(data_->ppdCopyPath), queuePPD);
}

TEST_F(PanelDataTest, WorkingCopyOnOlderSystems) {
  ScopedSystemMinorVersion old(6);
  PDEData& data = Make();
  EXPECT_EQ(std::string(data.ppdCopyPath), "/tmp/TestQ.ppd");
  EXPECT_EQ(ReadAll(data.ppdCopyPath), ReadAll(data.QueuePPDPath()));
  std::filesystem::remove("/tmp/TestQ.ppd");

  // A file name without ".ppd" gains it; a path with shell characters is
  // only ever handled as a path.
  ScratchDir other;
  const std::string odd = "odd\"; touch pwned; \".txt";
  const auto source = other.Write(odd, ReadAll(SamplePPD()));
  ClearEndOfPPDLatch();
  document_ = std::make_unique<QZVPPD>(source, kParseOrphansAndHidden);
  ClearEndOfPPDLatch();
  Make();
  EXPECT_EQ(std::string(data_->ppdCopyPath), "/tmp/" + odd + ".ppd");
  EXPECT_EQ(ReadAll(data_->ppdCopyPath), ReadAll(source));
  EXPECT_FALSE(std::filesystem::exists("pwned"));
  std::filesystem::remove(data_->ppdCopyPath);
}

TEST_F(PanelDataTest, ShortcutsStoredPerPrinterAndFilteredOnLoad) {
  MakeQueue("socket://10.1.2.3:9100", PanelFixture("shortcuts.ppd"));
  PDEData& data = Make();
  ASSERT_FALSE(document_->CustomXmlData().empty());
  EXPECT_TRUE(data.dmtHides("*QZHiddenByDMT"));
  EXPECT_TRUE(data.dmtLocks("*QZColorMode"));

  PPDTree tree;
  tree.AddShortcut(CFSTR("old"), "*QZOld");
  EXPECT_TRUE(data.GetPPDShortcuts(tree));  // nothing stored: the table stays
  ASSERT_EQ(tree.shortcutCount, 1);

  PPDTree stored;
  for (const char* keyword : {"*QZStaple", "*QZControlBar", "*PageSize", "*QZNope",
                              "*QZHiddenByDMT", "*QZTrayBidi", "*QZNoUI", "*QZColorMode"})
    stored.AddShortcut(CFSTR("x"), keyword);
  ASSERT_TRUE(data.SetPPDShortcuts(stored));

  PDEData& again = Make();
  EXPECT_TRUE(again.GetPPDShortcuts(tree));
  ASSERT_EQ(tree.shortcutCount, 2);
  EXPECT_STREQ(tree.shortcuts[0]->keyword, "*QZStaple");
  EXPECT_EQ(tree.shortcuts[0]->name.UTF8(), "Staple");
  EXPECT_STREQ(tree.shortcuts[1]->keyword, "*QZColorMode");
  EXPECT_EQ(tree.shortcuts[2], nullptr);
}

// Everything the panel writes for a print of the sample PPD: the ticket (its
// XML and, on older systems, its file), the print settings, the per-printer
// list and the working copy. No protected value may appear in clear.
TEST_F(PanelDataTest, NoProtectedValueInAnyOutput) {
  PDEData& data = Make();
  PMPrintSettings settings;
  data.printSettings = &settings;
  PPDXControls* controls = document_->GetControls();
  const std::vector<std::pair<const char*, const char*>> notes = {
      {"*Notes1", "4711"},
      {"*Resume", "98765"},
      {"*QZUserAuthName", "operator"},
      {"*QZUserAuthPwd", "Open-Sesame"}};
  for (auto [keyword, text] : notes) {
    PPDXJobNote* note = controls->FindJobNote(keyword, true);
    ASSERT_NE(note, nullptr) << keyword;
    note->SetCurrentControlWithCFString(CFSTR(text));
  }
  ScopedSystemMinorVersion old(6);  // the panel then writes the ticket file itself
  QZVJobTicket ticket(nullptr, &settings, CFSTR("QZV.PSData.org.tavro.features"));
  QZVJobNoteList list(document_.get(), true);
  ASSERT_EQ(list.outInjectionData(&ticket, &settings), 0);
  ticket.SavePPDForAllKeys(document_.get(), CFSTR("org.tavro.features"));
  const std::string xml = ticket.Save();
  data.SetUnisorPrinterAddress(CFSTR("10.9.9.9"), true);
  const std::string file = ReadAll(ticket.FileName().UTF8());
  std::filesystem::remove(ticket.FileName().UTF8());
  ASSERT_FALSE(file.empty());
  ASSERT_TRUE(env_->stored.has_value());

  std::string all = DescribeTicket(ticket.Entries());
  for (const std::string& part : {xml, file, settings.ToXml(), ReadAll(data.ppdCopyPath)})
    all += part;
  for (char32_t c : *env_->stored) all += static_cast<char>(c);
  for (const char* secret : {"98765", "Open-Sesame", "4F70656E2D536573616D65"})
    EXPECT_EQ(all.find(secret), std::string::npos) << secret;
  // The values are there, enciphered.
  EXPECT_NE(all.find("%%PersPassword: "), std::string::npos);
  EXPECT_NE(all.find("%%QZVUATag: "), std::string::npos);
  EXPECT_NE(all.find("%%QZVCustom1: 4711"), std::string::npos);
}
