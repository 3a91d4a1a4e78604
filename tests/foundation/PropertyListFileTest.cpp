#include "foundation/PropertyListFile.h"

#include <gtest/gtest.h>

#include "PreferencesTestSupport.h"
#include "foundation/CFBundle.h"
#include "foundation/PrinterListFile.h"

namespace {

constexpr const char* kPrefsName = "/Library/Preferences/QZV.UnisorPrinterV2.plist";

PlistValue SampleList() {
  return PlistValue::MakeArray({PlistValue::String("Office"), PlistValue::String("10.0.0.7"),
                                PlistValue::Bool(true), PlistValue::String("2"),
                                PlistValue::String("----- Data End -----")});
}

class PropertyListFileTest : public ::testing::Test {
 protected:
  PreferencesEnvironment env;
};

TEST_F(PropertyListFileTest, FolderListsReadWhateverTheFileHolds) {
  env.scratch_.Write("lists/good.plist", SampleList().ToXml());
  env.scratch_.Write("lists/bad.plist", "<plist><array><string>cut");
  struct Case {
    const char* name;
    bool hasList;
    bool logged;
  };
  const Case cases[] = {
      {"good.plist", true, false}, {"bad.plist", false, true}, {"missing.plist", false, false}};
  for (const Case& c : cases) {
    PropertyListFile file(env.scratch_.Path() / "lists", c.name, false, kCFPropertyListImmutable);
    EXPECT_TRUE(file.IsValid()) << c.name;
    EXPECT_TRUE(file.IsLoaded()) << c.name;
    EXPECT_FALSE(file.CachePresent()) << c.name;
    EXPECT_EQ(!file.PropertyList().IsNone(), c.hasList) << c.name;
    EXPECT_EQ(env.Logged(c.name), c.logged) << c.name;
  }
  PropertyListFile good(env.scratch_.Path() / "lists", "good.plist", false, 0);
  EXPECT_EQ(good.PropertyList(), SampleList());
  std::string error;
  EXPECT_FALSE(
      PropertyListFile::CreatePropertyListFromFile(env.scratch_.Path() / "lists", 0, &error));
  EXPECT_EQ(error, "not a regular file");
}

TEST_F(PropertyListFileTest, QueueMessageIsTheListFromTenSeven) {
  env.queue.message = FakeQueue::Wide(SampleList().ToXml());
  PropertyListFile prefs(kPrefsName, true, kCFPropertyListMutableContainersAndLeaves);
  EXPECT_TRUE(prefs.IsValid());
  EXPECT_TRUE(prefs.IsLoaded());
  EXPECT_EQ(prefs.PropertyList(), SampleList());

  // No printer, or a queue without the message: valid, nothing loaded.
  for (std::optional<std::u32string> message :
       {std::optional<std::u32string>(), std::optional<std::u32string>(U"")}) {
    env.queue.message = message;
    PropertyListFile none(kPrefsName, true, 0);
    EXPECT_TRUE(none.IsValid());
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_TRUE(none.PropertyList().IsNone());
  }
}

TEST_F(PropertyListFileTest, SaveSendsThePrefsCommandAndWaits) {
  PropertyListFile prefs(kPrefsName, true, 0);
  ASSERT_TRUE(prefs.Save(SampleList()));
  ASSERT_EQ(env.queue.sent.size(), 1u);
  const std::string command = env.queue.sent[0].command;
  ASSERT_TRUE(command.starts_with("Command_QZVPrefs"));
  std::string uuid = command.substr(16);
  EXPECT_EQ(uuid.size(), 36u) << command;
  EXPECT_EQ(PlistValue::FromXml(env.queue.sent[0].text), SampleList());
  // A second save is a new command job with its own identifier.
  ASSERT_TRUE(prefs.Save(SampleList()));
  EXPECT_NE(env.queue.sent[1].command, command);
  // What was stored is what a new reader gets back.
  PropertyListFile again(kPrefsName, true, 0);
  EXPECT_EQ(again.PropertyList(), SampleList());
}

TEST_F(PropertyListFileTest, SaveCountsOnlyWhenTheCommandCompleted) {
  using enum PreferencesSendResult;
  for (auto answer : {kCompleted, kNoPrinter, kRefused, kNotCompleted}) {
    env.queue.answer = answer;
    PropertyListFile prefs(kPrefsName, true, 0);
    EXPECT_EQ(prefs.Save(SampleList()), answer == kCompleted) << int(answer);
  }
}

TEST_F(PropertyListFileTest, NeverLoadedListIsNotSavedWhileTheCacheFileExists) {
  env.MakeCacheFile();
  PropertyListFile prefs(kPrefsName, true, 0);
  EXPECT_TRUE(prefs.CachePresent());
  EXPECT_FALSE(prefs.IsLoaded());
  EXPECT_FALSE(prefs.Save(SampleList()));
  EXPECT_EQ(prefs.GetLastError(), 0);
  EXPECT_TRUE(env.queue.sent.empty());
  // Once the queue answers with the list, saving goes through.
  env.queue.message = FakeQueue::Wide(SampleList().ToXml());
  PropertyListFile loaded(kPrefsName, true, 0);
  EXPECT_TRUE(loaded.Save(SampleList()));
}

TEST_F(PropertyListFileTest, ListWithoutXmlFormIsNotSaved) {
  PropertyListFile prefs(kPrefsName, true, 0);
  EXPECT_FALSE(prefs.Save(PlistValue()));
  EXPECT_EQ(prefs.GetLastError(), kPropertyListMemFullErr);
  EXPECT_TRUE(env.queue.sent.empty());
}

TEST_F(PropertyListFileTest, CorruptQueueListIsKeptAsideBeforeItIsReplaced) {
  const std::string broken = "<plist><array><string>half a list";
  env.queue.message = FakeQueue::Wide(broken);
  PropertyListFile prefs(kPrefsName, true, 0);
  EXPECT_TRUE(prefs.IsValid());
  EXPECT_TRUE(prefs.PropertyList().IsNone());
  EXPECT_TRUE(env.Logged("DriverPreference"));
  EXPECT_TRUE(env.Aside(env.HomePrefs()).empty()) << "nothing moves before a save";
  ASSERT_TRUE(prefs.Save(SampleList()));
  auto aside = env.Aside(env.HomePrefs());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadWholeFile(aside[0]), broken);
}

// Before 10.7 the list is the file of that name in the home folder, and it is
// saved there too (10.6 and older alike, so a save is always read back).
TEST_F(PropertyListFileTest, HomeFileBeforeTenSeven) {
  for (int minor : {6, 5}) {
    ScopedSystemMinorVersion version(minor);
    std::filesystem::remove_all(env.Home() / "Library");
    PropertyListFile fresh(kPrefsName, true, 0);
    EXPECT_TRUE(fresh.IsLoaded()) << minor;
    EXPECT_EQ(fresh.FileURL(), env.HomePrefs());
    ASSERT_TRUE(fresh.Save(SampleList())) << minor;
    EXPECT_TRUE(env.queue.sent.empty()) << minor;
    PropertyListFile again(kPrefsName, true, 0);
    EXPECT_EQ(again.PropertyList(), SampleList()) << minor;
    // Only the list itself is left in the folder: no temporary files.
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(env.HomePrefs().parent_path())) {
      files += e.is_regular_file();
    }
    EXPECT_EQ(files, 1u) << minor;
  }
}

TEST_F(PropertyListFileTest, UnreadableHomeFileIsMovedAsideNotOverwritten) {
  ScopedSystemMinorVersion version(6);
  env.scratch_.Write("home/Library/Preferences/QZV.UnisorPrinterV2.plist", "not a plist");
  PropertyListFile prefs(kPrefsName, true, 0);
  EXPECT_TRUE(prefs.PropertyList().IsNone());
  EXPECT_TRUE(env.Logged("read as no data"));
  ASSERT_TRUE(prefs.Save(SampleList()));
  auto aside = env.Aside(env.HomePrefs());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(ReadWholeFile(aside[0]), "not a plist");
  PropertyListFile again(kPrefsName, true, 0);
  EXPECT_EQ(again.PropertyList(), SampleList());
}

TEST_F(PropertyListFileTest, FailedWriteKeepsTheErrorAndTheOldFile) {
  ScopedSystemMinorVersion version(6);
  // The home "folder" is a file: nothing can be made under it.
  env.scratch_.Write("plainfile", "x");
  ScopedEnv home("HOME", (env.scratch_.Path() / "plainfile").c_str());
  PropertyListFile prefs(kPrefsName, true, 0);
  EXPECT_FALSE(prefs.Save(SampleList()));
  EXPECT_NE(prefs.GetLastError(), 0);
  EXPECT_EQ(ReadWholeFile(env.scratch_.Path() / "plainfile"), "x");
}

TEST_F(PropertyListFileTest, PrinterListNeedsPCFileName) {
  auto list = [](const char* body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">") + body +
           "</plist>";
  };
  struct Case {
    const char* folder;
    std::string text;
    bool valid;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"array",
       list("<dict><key>PCFILENAME</key><array><string>A.PPD</string><integer>3</integer>"
            "<string>B.PPD</string></array></dict>"),
       true,
       {"A.PPD", "B.PPD"}},
      {"string",
       list("<dict><key>PCFILENAME</key><string>ONE.PPD</string></dict>"),
       true,
       {"ONE.PPD"}},
      {"nokey", list("<dict><key>Other</key><string>A.PPD</string></dict>"), false, {}},
      {"notdict", list("<array><string>PCFILENAME</string></array>"), false, {}},
      {"corrupt", "<plist><dict><key>PCFILENAME", false, {}},
      {"missing", "", false, {}},
  };
  for (const Case& c : cases) {
    if (c.text.size()) env.scratch_.Write(std::string(c.folder) + "/PrinterList.plist", c.text);
    PrinterListFile file(env.scratch_.Path() / c.folder, 0);
    EXPECT_EQ(file.IsValid(), c.valid) << c.folder;
    std::vector<std::string> names;
    for (const CFString& n : file.PCFileNames()) names.push_back(n.UTF8());
    EXPECT_EQ(names, c.names) << c.folder;
  }
}

// The shipped list serves the sample PPD.
TEST_F(PropertyListFileTest, ShippedPrinterListNamesTheSamplePPD) {
  ScopedEnv unset("TAVRO_BUNDLE", nullptr);
  PrinterListFile file(LocateBundleFolder() / "Contents", 0);
  ASSERT_TRUE(file.IsValid());
  std::string ppd =
      ReadWholeFile(std::filesystem::path(TAVRO_SOURCE_DIR) / "samples/TavroC750.ppd");
  bool served = false;
  for (const CFString& name : file.PCFileNames()) {
    served |= ppd.find("*PCFileName: \"" + name.UTF8() + "\"") != std::string::npos;
  }
  EXPECT_TRUE(served);
}

}  // namespace
