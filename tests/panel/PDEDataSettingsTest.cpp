// The panel state kept outside the PPD controls: watermark descriptions per
// printer, the extra lists and selections in the print settings, and what the
// administrator's template presets or hides.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/DisplayOptions.h"
#include "foundation/PropertyListFile.h"
#include "panel/PDEData.h"
#include "panel/PanelTestSupport.h"
#include "panel/QZVWatermark.h"
#include "platform/PMPrintSettings.h"
#include "platform/SystemSettings.h"
#include "serverlink/CFileHdlr.h"
#include "serverlink/QZVUnisorPrinterPList.h"
#include "serverlink/SDMAlloc.h"
#include "serverlink/WideText.h"

namespace {

constexpr const char* kMarkA = "0,0,0,255,0,0,x,1,x,450,x,x,48,Helvetica,DRAFT";
constexpr const char* kMarkB = "1,10,-20,0,0,0,x,0,x,-300,x,x,36,Times-Roman,COPY, not original";

// The "*DMT_Injection" lines that carry a template.
std::string DMTSection(const std::string& xml) {
  const std::u32string wide(xml.begin(), xml.end());
  std::string text;
  EXPECT_TRUE(CFileHdlr::fileWriteData("*DMT_Injection", wide.data(),
                                       wide.size() * sizeof(char32_t), text));
  return text;
}

// The per-printer list kept in memory, a private system root and temporary
// folder, and a panel over a small PPD.
class PanelSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.emplace(dir_.path().string() + "/root");
    env_.emplace(dir_.path());
    CFileHdlr::SetEchoToStderr(false);
    SetSDMLogToStderr(false);
  }
  void TearDown() override {
    data_.reset();
    SetSDMLogToStderr(true);
    CFileHdlr::SetEchoToStderr(true);
    env_.reset();
    root_.reset();
  }

  // A new panel (as the next dialog makes it) over the same PPD and list.
  PDEData& Make(const char* key = "TestQ") {
    data_.reset();
    if (!ppd_) ppd_.emplace(body_);
    data_ = std::make_unique<PDEData>(ppd_->get(), key ? CFSTR(key) : CFString(), nullptr);
    data_->printSettings = &settings_;
    return *data_;
  }

  // Stores the descriptions for the panel's printer the way a save does.
  void StoreDescriptions(const std::vector<std::string>& lines) {
    ASSERT_TRUE(data_->printerList->AddDataBlob(CFSTR("TestQ"), kWatermarksDataBlock, lines));
    ASSERT_TRUE(data_->printerList->Save());
  }

  ScratchDir dir_;
  std::optional<ScopedTavroRoot> root_;
  std::optional<PanelTestEnvironment> env_;
  std::string body_;
  std::optional<TestPPD> ppd_;
  PMPrintSettings settings_;
  std::unique_ptr<PDEData> data_;
};

std::wstring KeyAt(const auto& list, size_t i) {
  const FeaturePair* entry = list.At(i);
  return entry ? entry->key : L"<none>";
}

std::wstring ValueAt(const auto& list, size_t i) {
  const FeaturePair* entry = list.At(i);
  return entry ? entry->value : L"<none>";
}

}  // namespace

// ------------------------------------------------------------ watermarks

TEST_F(PanelSettingsTest, WatermarkDescriptionsStoredPerPrinter) {
  PDEData& data = Make();
  EXPECT_FALSE(data.SaveWatermarksToPreferences());  // nothing to store
  ASSERT_TRUE(data.watermarks->Append(std::make_unique<QZVWatermark>(kMarkA)));
  ASSERT_TRUE(data.watermarks->Append(std::make_unique<QZVWatermark>(kMarkB)));
  ASSERT_TRUE(data.SaveWatermarksToPreferences());
  ASSERT_TRUE(data.printerList->Save());

  PDEData& again = Make();
  EXPECT_TRUE(again.GetWatermarksFromPreferences());
  ASSERT_EQ(again.watermarks->count, 2u);
  EXPECT_STREQ(again.watermarks->items[0]->Description(), kMarkA);
  EXPECT_STREQ(again.watermarks->items[1]->Text(), "COPY, not original");
  EXPECT_EQ(again.watermarks->items[2], nullptr);

  // A load replaces the whole list; a selection past it is dropped.
  again.watermarks->selected = 1;
  StoreDescriptions({kMarkB});
  EXPECT_TRUE(again.GetWatermarksFromPreferences());
  ASSERT_EQ(again.watermarks->count, 1u);
  EXPECT_STREQ(again.watermarks->items[0]->Description(), kMarkB);
  EXPECT_EQ(again.watermarks->items[1], nullptr);
  EXPECT_EQ(again.watermarks->selected, -1);
  EXPECT_EQ(again.watermarks->Selected(), nullptr);
}

TEST_F(PanelSettingsTest, WatermarkLoadKeepsTheListWhenNothingIsStored) {
  PDEData& data = Make();
  data.watermarks->Append(std::make_unique<QZVWatermark>(kMarkA));
  EXPECT_TRUE(data.GetWatermarksFromPreferences());
  EXPECT_EQ(data.watermarks->count, 1u);

  PDEData& keyless = Make(nullptr);
  keyless.watermarks->Append(std::make_unique<QZVWatermark>(kMarkA));
  EXPECT_FALSE(keyless.GetWatermarksFromPreferences());
  EXPECT_FALSE(keyless.SaveWatermarksToPreferences());
}

TEST_F(PanelSettingsTest, WatermarkLoadStopsAtTheListsCapacity) {
  Make();
  StoreDescriptions(std::vector<std::string>(150, kMarkA));
  PDEData& data = Make();
  EXPECT_TRUE(data.GetWatermarksFromPreferences());
  EXPECT_EQ(data.watermarks->count, static_cast<uint32_t>(kMaxWatermarkEntries));
  EXPECT_FALSE(data.watermarks->Append(std::make_unique<QZVWatermark>(kMarkA)));
}

// ------------------------------------------------------ print settings

TEST_F(PanelSettingsTest, EveryKeySurvivesSaveAndRestore) {
  PDEData& data = Make();
  StoreDescriptions({kMarkA, kMarkB});
  data.GetWatermarksFromPreferences();
  data.watermarks->selected = 1;
  data.mixedMedia.Append(L"*QZMMRange", L"1-3");
  data.mixedMedia.Append(L"*QZMMTab", L"");  // an empty value is still written
  data.padCovers.Append(L"PadCoverFront", L"Tray2");
  data.coverPages.Append(L"CoverPage_Front", L"B\u00e9ton \u2013 \u6587");
  data.slipSheets.Append(L"SlipSheet_Paper", L"Blue");
  data.slipSheets.Append(L"SlipSheet_Every", L"5");
  ASSERT_EQ(data.SaveNonPSSettings(), 0);

  struct Stored {
    const char* key;
    std::optional<int64_t> number;
    const char* text;
  } expected[] = {
      {"WatermarkFirstPageInfo", 0, nullptr},  // selected, every page
      {".SelectedWatermarkKey", 1, nullptr},
      {".MMKey", 2, nullptr},
      {"MMKey0", {}, "*QZMMRange"},
      {"MMValue0", {}, "1-3"},
      {"MMKey1", {}, "*QZMMTab"},
      {"MMValue1", {}, ""},
      {".PadCov", 1, nullptr},
      {"PCovKey0", {}, "PadCoverFront"},
      {"PCovValue0", {}, "Tray2"},
      {".CovPag", 1, nullptr},
      {"CovPagKey0", {}, "CoverPage_Front"},
      {"CovPagValue0", {}, "B\u00e9ton \u2013 \u6587"},
      {".SlpSht", 2, nullptr},
      {"SlpShtKey1", {}, "SlipSheet_Every"},
      {"SlpShtValue1", {}, "5"},
  };
  for (const Stored& s : expected) {
    if (s.number) {
      EXPECT_EQ(settings_.GetInteger(s.key), s.number) << s.key;
    } else {
      EXPECT_EQ(settings_.GetString(s.key), std::optional<std::string>(s.text)) << s.key;
    }
  }
  EXPECT_FALSE(settings_.Contains("MMKey2"));
  EXPECT_FALSE(settings_.Contains("*QZPCMID"));  // written by others, never here

  settings_.SetString("*QZPCName", "Glossy 120");
  PDEData& again = Make();
  again.GetWatermarksFromPreferences();
  ASSERT_EQ(again.RestoreNonPSSettings(), 0);
  EXPECT_EQ(again.watermarks->selected, 1);
  ASSERT_NE(again.watermarks->Selected(), nullptr);
  EXPECT_FALSE(again.watermarks->Selected()->FirstPageOnly());
  ASSERT_EQ(again.mixedMedia.Count(), 2);
  EXPECT_EQ(KeyAt(again.mixedMedia, 0), L"*QZMMRange");
  EXPECT_EQ(ValueAt(again.mixedMedia, 1), L"");
  EXPECT_EQ(again.padCovers.Count(), 1);
  EXPECT_EQ(ValueAt(again.coverPages, 0), L"B\u00e9ton \u2013 \u6587");
  EXPECT_EQ(again.slipSheets.Count(), 2);
  EXPECT_EQ(KeyAt(again.slipSheets, 1), L"SlipSheet_Every");
  EXPECT_EQ(std::wstring(again.paperCatalog[1].value), L"Glossy 120");
  EXPECT_EQ(std::wstring(again.paperCatalog[0].value), L"-1");
  EXPECT_EQ(std::wstring(again.paperCatalog[3].key), L"*QZCoverSizePCName");

  // The first-page flag goes both ways.
  again.watermarks->Selected()->SetFirstPageOnly(L"True");
  again.SaveNonPSSettings();
  EXPECT_EQ(settings_.GetInteger("WatermarkFirstPageInfo"), 1);
  PDEData& third = Make();
  third.GetWatermarksFromPreferences();
  third.RestoreNonPSSettings();
  EXPECT_TRUE(third.watermarks->Selected()->FirstPageOnly());
}

TEST_F(PanelSettingsTest, ShorterListsLeaveNoStaleEntriesBehind) {
  PDEData& data = Make();
  for (int i = 0; i < 5; ++i) data.padCovers.Append(L"PadCover", L"x");
  data.SaveNonPSSettings();
  data.padCovers.Clear();
  data.padCovers.Append(L"PadCover", L"y");
  data.SaveNonPSSettings();
  EXPECT_TRUE(settings_.Contains("PCovValue0"));
  for (const char* gone : {"PCovKey1", "PCovValue1", "PCovKey4", "PCovValue4"})
    EXPECT_FALSE(settings_.Contains(gone)) << gone;
}

TEST_F(PanelSettingsTest, WithoutPrintSettingsNothingChanges) {
  PDEData& data = Make();
  data.printSettings = nullptr;
  data.mixedMedia.Append(L"*QZMM", L"1");
  data.watermarks->selected = 0;
  EXPECT_EQ(data.SaveNonPSSettings(), -1);
  EXPECT_EQ(data.RestoreNonPSSettings(), -1);
  EXPECT_EQ(data.mixedMedia.Count(), 1);
  EXPECT_EQ(data.watermarks->selected, 0);
}

TEST_F(PanelSettingsTest, SelectedIndexMustNameAStoredDescription) {
  struct Case {
    const char* name;
    std::optional<PlistValue> stored;
    int32_t selected;
  } cases[] = {
      {"index past the two stored", PlistValue::Integer(3), -1},
      {"index just past", PlistValue::Integer(2), -1},
      {"last stored", PlistValue::Integer(1), 1},
      {"a real", PlistValue::Real(1.0), 1},
      {"negative", PlistValue::Integer(-7), -1},
      {"huge", PlistValue::Integer(int64_t{1} << 40), -1},
      {"a string", PlistValue::String("1"), -1},
      {"absent", std::nullopt, -1},
  };
  Make();
  StoreDescriptions({kMarkA, kMarkB});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_ = PMPrintSettings();
    if (c.stored) settings_.SetValue(".SelectedWatermarkKey", *c.stored);
    PDEData& data = Make();
    data.watermarks->selected = 0;
    EXPECT_EQ(data.RestoreNonPSSettings(), 0);
    EXPECT_EQ(data.watermarks->selected, c.selected);
  }
}

TEST_F(PanelSettingsTest, RestoreFromForeignOrHandEditedSettings) {
  const std::string longUtf8 = std::string(254, 'a') + "\u00e9\u00e9";  // 258 bytes
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, PlistValue>> values;
    int32_t count;
    std::wstring key0;
    std::wstring value0;
  } cases[] = {
      {"no count key empties the list", {{"PCovKey0", PlistValue::String("k")}}, 0, L"old", L"old"},
      {"count of another type", {{".PadCov", PlistValue::String("3")}}, 0, L"old", L"old"},
      {"negative count", {{".PadCov", PlistValue::Integer(-2)}}, 0, L"old", L"old"},
      {"count past the capacity",
       {{".PadCov", PlistValue::Integer(100000)}, {"PCovKey15", PlistValue::String("last")}},
       16,
       L"old",
       L"old"},
      {"entry without key keeps its strings",
       {{".PadCov", PlistValue::Integer(1)}, {"PCovValue0", PlistValue::String("new")}},
       1,
       L"old",
       L"old"},
      {"key of another type keeps the strings",
       {{".PadCov", PlistValue::Integer(1)}, {"PCovKey0", PlistValue::Integer(5)}},
       1,
       L"old",
       L"old"},
      {"key without value",
       {{".PadCov", PlistValue::Integer(1)}, {"PCovKey0", PlistValue::String("k")}},
       1,
       L"k",
       L""},
      {"overlong text is cut before a split character",
       {{".PadCov", PlistValue::Integer(1)},
        {"PCovKey0", PlistValue::String("k")},
        {"PCovValue0", PlistValue::String(longUtf8)}},
       1,
       L"k",
       Utf8ToWide(std::string(254, 'a'))},
      {"text ends at a NUL",
       {{".PadCov", PlistValue::Integer(1)},
        {"PCovKey0", PlistValue::String(std::string_view("k\0hidden", 8))},
        {"PCovValue0", PlistValue::String("v")}},
       1,
       L"k",
       L"v"},
      {"bytes that are no UTF-8",
       {{".PadCov", PlistValue::Integer(1)},
        {"PCovKey0", PlistValue::String("k\xff")},
        {"PCovValue0", PlistValue::String(std::string(200, '\xfe'))}},
       1,
       L"k\xfffd",
       std::wstring(85, L'\xfffd')},  // as many as fit 255 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_ = PMPrintSettings();
    for (const auto& [key, value] : c.values) settings_.SetValue(key, value);
    PDEData& data = Make();
    data.padCovers.Append(L"old", L"old");
    EXPECT_EQ(data.RestoreNonPSSettings(), 0);
    EXPECT_EQ(data.padCovers.Count(), c.count);
    // The slot is read whatever the count, as the next restore would see it.
    EXPECT_EQ(data.padCovers.Slot(0)->key, c.key0);
    EXPECT_EQ(data.padCovers.Slot(0)->value, c.value0);
    if (c.count == 16) {
      EXPECT_EQ(KeyAt(data.padCovers, 15), L"last");
    }
  }
}

TEST_F(PanelSettingsTest, RestoreWithoutMixedMediaCountEmptiesTheList) {
  PDEData& data = Make();
  data.mixedMedia.Append(L"*QZMM", L"1");
  data.mixedMedia.Append(L"*QZMM", L"2");
  settings_.SetString("MMKey0", "*QZMM");
  data.RestoreNonPSSettings();
  EXPECT_EQ(data.mixedMedia.Count(), 0);
  EXPECT_EQ(data.mixedMedia.At(0), nullptr);
}

// ------------------------------------------------------------------ DMT

class PanelDMTTest : public PanelSettingsTest {
 protected:
  void SetUp() override {
    PanelSettingsTest::SetUp();
    std::ifstream in(std::filesystem::path(TAVRO_TEST_DATA) / "panel" / "nonps-dmt.xml");
    std::stringstream xml;
    xml << in.rdbuf();
    ASSERT_FALSE(xml.str().empty());
    body_ = Body(xml.str());
  }
  static std::string Body(const std::string& xml) {
    return NoteLine("*Notes1", "Numeric") + NoteLine("*Instruct", "Alpha|Space") +
           "*%QZVGroupName FPPaperSource/Paper Source: True\n"
           "*%ParamCustomPrintSize Width: 1 points 72 1224\n"
           "*%ParamCustomPrintSize Height: 2 points 72 1728\n"
           "*%QZVSpecialOption *DMT_Injection: False\n" +
           DMTSection(xml);
  }
};
TEST_F(PanelDMTTest, TemplateFillsListsCatalogNotesAndPrintSize) {
  PDEData& data = Make();
  ASSERT_FALSE(ppd_->get()->CustomXmlData().empty());
  data.mixedMedia.Append(L"*stale", L"x");
  // The custom size control has no group of its own in this small PPD.
  ScopedDisplayOption everything(kDisplayEverything);
  EXPECT_EQ(data.dmtSetNonPPDKeys(), 0);

  // Every family of the mixed media, in key order, each key with a "*".
  ASSERT_EQ(data.mixedMedia.Count(), 5);
  const wchar_t* mixed[] = {L"*ChaptersStart", L"*MM_A1", L"*RangeNum3", L"*RangeProp_2",
                            L"*SubsetFinishing_1"};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(KeyAt(data.mixedMedia, i), mixed[i]);
  EXPECT_EQ(ValueAt(data.mixedMedia, 1), L"1-4:Tray2");
  ASSERT_EQ(data.padCovers.Count(), 1);  // another category's keys are not read
  EXPECT_EQ(KeyAt(data.padCovers, 0), L"PadCoverFront");
  EXPECT_EQ(KeyAt(data.slipSheets, 0), L"SlipSheet_Paper");
  EXPECT_EQ(ValueAt(data.coverPages, 0), L"Printed");
  // Paper-catalog pairs in the map's order.
  EXPECT_EQ(std::wstring(data.paperCatalog[0].key), L"*QZPCMID");
  EXPECT_EQ(std::wstring(data.paperCatalog[0].value), L"17");
  EXPECT_EQ(std::wstring(data.paperCatalog[1].key), L"*QZPCName");
  EXPECT_EQ(std::wstring(data.paperCatalog[1].value), L"Glossy");
  EXPECT_EQ(std::wstring(data.paperCatalog[2].value), L"-1");

  PPDXControls* controls = ppd_->get()->GetControls();
  EXPECT_EQ(controls->FindJobNote("*Notes1", true)->CopyNotes().UTF8(), "4711");
  EXPECT_EQ(controls->FindJobNote("*Instruct", true)->CopyNotes().UTF8(), "Leave at desk");
  CNTL_TYPE type = kNoControl;
  auto* size =
      static_cast<PPDXCustomPageSizeControl*>(controls->Find("*CustomPrintSize", type, true));
  ASSERT_NE(size, nullptr);
  EXPECT_FLOAT_EQ(size->GetWidth(), 300);
  EXPECT_FLOAT_EQ(size->GetHeight(), 400);

  struct Written {
    const char* key;
    const char* value;
  } written[] = {
      {"MM_A1", "1-4:Tray2"},
      {"PadCoverFront", "Tray3"},
      {"SlipSheet_Paper", "Blue"},
      {"CoverPage_Back", "Printed"},
      {"*QZPCMID", "17"},
      {"*QZPCName", "Glossy"},
      {"Notes1", "4711"},
      {"Instruct", "Leave at desk"},
      {"CustomPrintSize", "300 400"},
  };
  for (const Written& w : written)
    EXPECT_EQ(settings_.GetString(w.key), std::optional<std::string>(w.value)) << w.key;
  EXPECT_FALSE(settings_.Contains("QZStaple"));  // a PPD control: not this code's
  EXPECT_EQ(settings_.GetInteger(".MMKey"), 5);
  EXPECT_EQ(settings_.GetInteger(".PadCov"), 1);
}

TEST_F(PanelDMTTest, TemplateLongerThanTheListsKeepsTheirCapacity) {
  std::string xml = "<DMT>\n<Category name=\"UI-Modification\">\n<Controls>\n";
  for (int i = 0; i < 40; ++i) {
    for (const char* family : {"PadCover", "SlipSheet_", "CoverPage_", "QZPCMID"})
      xml += "<QZVPPD key=\"" + std::string(family) +
             (family[0] == 'Q' ? "" : std::to_string(100 + i)) + "\" default=\"" +
             std::to_string(i) + "\"/>\n";
  }
  xml += "</Controls>\n</Category>\n</DMT>\n";
  body_ = Body(xml);
  PDEData& data = Make();
  EXPECT_EQ(data.dmtSetNonPPDKeys(), 0);
  EXPECT_EQ(data.padCovers.Count(), 16);
  EXPECT_EQ(data.slipSheets.Count(), 16);
  EXPECT_EQ(data.coverPages.Count(), 16);
  EXPECT_EQ(KeyAt(data.padCovers, 15), L"PadCover115");
  EXPECT_EQ(settings_.GetInteger(".PadCov"), 16);
  EXPECT_TRUE(settings_.Contains("PadCover115"));
  EXPECT_FALSE(settings_.Contains("PadCover116"));
  // One paper-catalog name many times: the last value, in the first pair.
  EXPECT_EQ(std::wstring(data.paperCatalog[0].value), L"39");
  EXPECT_EQ(std::wstring(data.paperCatalog[1].key), L"*QZPCName");
}

TEST_F(PanelDMTTest, HiddenKeysGainOneStar) {
  PDEData& data = Make();
  std::vector<CFString> keys{CFSTR("*Kept")};
  EXPECT_TRUE(data.fetchHiddenKeysFromDMTXML(keys));
  std::vector<std::string> texts;
  for (const CFString& key : keys) texts.push_back(key.UTF8());
  EXPECT_EQ(texts, (std::vector<std::string>{"*Kept", "*QZServiceMode", "*QZAdmin"}));
}

TEST_F(PanelSettingsTest, WithoutTemplateNothingIsPreset) {
  PDEData& data = Make();
  data.mixedMedia.Append(L"*QZMM", L"1");
  EXPECT_EQ(data.dmtSetNonPPDKeys(), 0);
  EXPECT_EQ(data.mixedMedia.Count(), 1);
  EXPECT_FALSE(settings_.Contains(".MMKey"));
  std::vector<CFString> keys;
  EXPECT_FALSE(data.fetchHiddenKeysFromDMTXML(keys));
  EXPECT_TRUE(keys.empty());
}
