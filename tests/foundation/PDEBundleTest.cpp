#include "foundation/PDEBundle.h"

#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "foundation/PDEIdentity.h"

namespace {

// A bundle with an English and a German table; German lacks one key.
class BundleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Test.plugin/Contents/Resources/en.lproj/Localizable.strings",
               "\"Title\" = \"Features\";\n\"Only English\" = \"English text\";\n");
    dir_.Write("Test.plugin/Contents/Resources/de.lproj/Localizable.strings",
               "\"Title\" = \"Funktionen\";\n");
    dir_.Write("Test.plugin/Contents/Resources/en.lproj/BidiStrings.strings",
               "\"OK\" = \"Okay\";\n\"Accent\" = \"caf\\U00e9\";\n\"Wide\" = \"\\u65e5\";\n");
    // A broken table counts as missing; the key itself answers.
    dir_.Write("Test.plugin/Contents/Resources/en.lproj/Broken.strings", "\"a\" = \"b\"");
    bundle_ = CFBundle::Open(dir_.Path() / "Test.plugin");
    ASSERT_TRUE(bundle_);
  }

  ScratchDir dir_;
  CFBundleRef bundle_;
  ScopedEnv language_{"LANGUAGE", nullptr};
  ScopedEnv lcAll_{"LC_ALL", nullptr};
  ScopedEnv lcMessages_{"LC_MESSAGES", nullptr};
  ScopedEnv lang_{"LANG", "C.UTF-8"};
};

TEST_F(BundleFixture, LanguageOrderAndKeyFallback) {
  struct Case {
    const char* language;
    const char* key;
    const char* table;
    const char* expected;
  };
  const Case cases[] = {
      {"C", "Title", "", "Features"},
      {"de_DE.UTF-8", "Title", "", "Funktionen"},
      {"de_DE.UTF-8", "Title", "Localizable", "Funktionen"},
      {"de_DE.UTF-8", "Only English", "", "English text"},  // falls back to English
      {"fr_FR", "Title", "", "Features"},
      {"C", "Missing key", "", "Missing key"},
      {"C", "OK", "BidiStrings", "Okay"},
      {"C", "Title", "BidiStrings", "Title"},
      {"C", "OK", "NoSuchTable", "OK"},
      {"C", "a", "Broken", "a"},
  };
  for (const Case& c : cases) {
    ScopedEnv lang("LANG", c.language);
    EXPECT_EQ(CopyLocalizedCFStringFromFile(CFSTR(c.key), c.table, bundle_).UTF8(), c.expected)
        << c.language << " " << c.key << " " << c.table;
  }
  ScopedEnv list("LANGUAGE", "xx:de");
  EXPECT_EQ(CopyLocalizedCFString(CFSTR("Title"), bundle_).UTF8(), "Funktionen");
}

TEST_F(BundleFixture, ExplicitDefaultValueBeatsTheKey) {
  EXPECT_EQ(bundle_->CopyLocalizedString(CFSTR("nope"), CFSTR("Default"), "").UTF8(), "Default");
  EXPECT_EQ(bundle_->CopyLocalizedString(CFSTR("nope"), CFSTR(""), "").UTF8(), "nope");
  EXPECT_EQ(bundle_->CopyLocalizedString(CFSTR("Title"), CFSTR("Default"), "").UTF8(), "Features");
}

TEST_F(BundleFixture, GetLocalizedStringConvertsIntoTheBuffer) {
  ScopedEnv lang("LANG", "en_US.UTF-8");
  char buffer[32];
  // Lookups use the default table; put the accented text there via a bundle.
  dir_.Write("Accent.plugin/Contents/Resources/en.lproj/Localizable.strings",
             "\"Accent\" = \"caf\\U00e9\";\n\"Wide\" = \"\\u65e5\";\n\"Long\" = "
             "\"0123456789012345678901234567890123456789\";\n");
  CFBundleRef accent = CFBundle::Open(dir_.Path() / "Accent.plugin");
  ASSERT_TRUE(accent);
  // Application encoding is Mac Roman: é is one byte 0x8E.
  EXPECT_EQ(GetLocalizedString(CFSTR("Accent"), buffer, sizeof buffer, accent), 4u);
  EXPECT_STREQ(buffer, "caf\x8E");
  // Not representable, or too long for the buffer: nothing, buffer empty.
  for (const char* key : {"Wide", "Long"}) {
    buffer[0] = 'x';
    EXPECT_EQ(GetLocalizedString(CFSTR(key), buffer, sizeof buffer, accent), 0u) << key;
    EXPECT_STREQ(buffer, "") << key;
  }
  EXPECT_EQ(ConvertCFString(CFSTR("caf\u00e9"), buffer, sizeof buffer, kTextEncodingUTF8), 5u);
  EXPECT_EQ(ConvertCFString(CFString(), buffer, sizeof buffer, kTextEncodingUTF8), 0u);
  EXPECT_EQ(ConvertCFString(CFSTR("abc"), buffer, 3, kTextEncodingUTF8), 0u);
  EXPECT_EQ(ConvertCFString(CFSTR("abc"), buffer, 4, kTextEncodingUTF8), 3u);
}

TEST(PDEBundle, NoBundleGivesEmptyResults) {
  PDEBundle::Reset();
  ScopedEnv env("TAVRO_BUNDLE", "/nonexistent/Tavro.plugin");
  EXPECT_TRUE(LocateBundleFolder().empty());
  EXPECT_FALSE(GetBundleRef());
  char buffer[16] = "stale";
  EXPECT_EQ(GetLocalizedString(CFSTR("PDE Panel Title"), buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(CopyLocalizedCFString(CFSTR("x")).IsNull());
  EXPECT_FALSE(CFBundle::Open(""));
  PDEBundle::Reset();
}

TEST(PDEBundle, InitBundleKeepsTheFirstBundle) {
  PDEBundle::Reset();
  ScratchDir dir;
  dir.Write("A.plugin/Contents/Resources/en.lproj/Localizable.strings", "\"k\" = \"A\";");
  dir.Write("B.plugin/Contents/Resources/en.lproj/Localizable.strings", "\"k\" = \"B\";");
  EXPECT_FALSE(PDEBundle::Initialized());
  PDEBundle::InitBundle(CFBundle::Open(dir.Path() / "A.plugin"));
  PDEBundle::InitBundle(CFBundle::Open(dir.Path() / "B.plugin"));
  EXPECT_TRUE(PDEBundle::Initialized());
  EXPECT_EQ(CopyLocalizedCFString(CFSTR("k")).UTF8(), "A");
  EXPECT_EQ(GetBundleRef(), PDEBundle::Bundle());
  PDEBundle::Reset();
}

TEST(PDEBundle, LocatesTheBundleFromTheEnvironmentOrTheSourceTree) {
  ScratchDir dir;
  dir.Write("Mine.plugin/Contents/PrinterList.plist", "");
  {
    ScopedEnv env("TAVRO_BUNDLE", (dir.Path() / "Mine.plugin").c_str());
    EXPECT_EQ(LocateBundleFolder(), dir.Path() / "Mine.plugin");
  }
  ScopedEnv unset("TAVRO_BUNDLE", nullptr);
  EXPECT_EQ(LocateBundleFolder(),
            std::filesystem::path(TAVRO_SOURCE_DIR) / "bundle/TavroFeatures.plugin");
}

// The shipped English texts are the ones the dialogs promise.
TEST(PDEBundle, ShippedBundleHasTheTwoWayTexts) {
  ScopedEnv unset("TAVRO_BUNDLE", nullptr);
  ScopedEnv lang("LANG", "C");
  ScopedEnv language("LANGUAGE", nullptr);
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  CFBundleRef shipped = CFBundle::Open(LocateBundleFolder());
  ASSERT_TRUE(shipped);
  const std::pair<const char*, const char*> texts[] = {
      {"IP_NOT_CONFIG", "The IP Address or DNS Name must be assigned."},
      {"INVALID_IP_ADDRESS", "You have entered an invalid IP Address or DNS Name"},
      {"PRESS_OKAY", "Press OK to enter a new IP Address or DNS Name."},
      {"BIDI_SPOOLER_DELAY_S",
       "Two-Way Communication with the Tavro controller cannot be established"},
      {"BIDI_SPOOLER_DELAY_L",
       "Select Continue to access Tavro options without Two-Way Communication. Select Cancel to "
       "exit and try your connection again later."},
      {"CONTINUE", "Continue"},
      {"CANCEL", "Cancel"},
      {"Printing Preferences", "Printing Preferences"},
  };
  for (const auto& [key, text] : texts) {
    CFString found = shipped->CopyLocalizedString(CFSTR(key), CFString(), "BidiStrings");
    EXPECT_EQ(found.UTF8(), text) << key;
  }
  for (int i = 0; i < 5; ++i) {
    std::string key = "Watermark" + std::to_string(i);
    EXPECT_NE(CopyLocalizedCFString(CFSTR(key), shipped).UTF8(), key);
  }
  EXPECT_EQ(CopyLocalizedCFString(CFSTR("DocumentSizeCustom"), shipped).UTF8(), "Custom");
}

}  // namespace

namespace {

TEST(PDEBundle, InformationKeys) {
  ScopedEnv unset("TAVRO_BUNDLE", nullptr);
  CFBundleRef shipped = CFBundle::Open(LocateBundleFolder());
  ASSERT_TRUE(shipped);
  EXPECT_EQ(shipped->Identifier(), GetBundleID().UTF8());
  ASSERT_TRUE(shipped->GetValueForInfoDictionaryKey("CFBundleVersion"));
  EXPECT_FALSE(shipped->GetValueForInfoDictionaryKey("CFBundleVersion")->GetString().empty());
  ASSERT_TRUE(shipped->GetValueForInfoDictionaryKey("CFBundleHelpBookName"));
  const PlistValue* keys = shipped->GetValueForInfoDictionaryKey("PMPPDKeysSupported");
  ASSERT_TRUE(keys && keys->IsArray());
  EXPECT_GT(keys->Count(), 0u);
  EXPECT_FALSE(shipped->GetValueForInfoDictionaryKey("NoSuchKey"));

  // A bundle without information, or with a broken one, answers an empty
  // dictionary.
  ScratchDir dir;
  dir.Write("Bare.plugin/Contents/Resources/x", "");
  dir.Write("Broken.plugin/Contents/Info.plist", "<plist><dict><key>CFBundleVersion");
  dir.Write("List.plugin/Contents/Info.plist", PlistValue::MakeArray().ToXml());
  for (const char* name : {"Bare.plugin", "Broken.plugin", "List.plugin"}) {
    CFBundleRef b = CFBundle::Open(dir.Path() / name);
    ASSERT_TRUE(b) << name;
    EXPECT_TRUE(b->InfoDictionary().IsDict()) << name;
    EXPECT_EQ(b->InfoDictionary().Count(), 0u) << name;
    EXPECT_EQ(b->Identifier(), "") << name;
  }
}

}  // namespace
