#include "serverlink/SDMConverters.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "SDMTestAllocator.h"
#include "serverlink/CUtil.h"

namespace {

using Fields = std::vector<std::wstring>;

Fields TrayFields(const SDMTrayInfo& t) {
  return {t.name,         t.mediaSize, t.mediaType, t.mediaWeight, t.mediaColor,
          t.levelPercent, t.capacity,  t.status,    t.catalog};
}

TEST(TrayInfo, PiecesBecomeTraysWithMissingFieldsAndEmptyMarkers) {
  struct Case {
    const wchar_t* text;
    std::vector<Fields> trays;
  } cases[] = {
      {L"1:Tray1@", {{L"Tray1", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A"}}},
      {L"1:Tray1", {{L"Tray1", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A"}}},
      {L"2:T1@A4@EMPTY@EMPTY@EMPTY@75@550@Ready@EMPTY:T2@@Plain",
       {{L"T1", L"A4", L"", L"", L"", L"75", L"550", L"Ready", L""},
        {L"T2", L"N/A", L"Plain", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A"}}},
      // Only the media type, weight, colour and catalog may be empty.
      {L"1:EMPTY@EMPTY@x@y@z@EMPTY@EMPTY@EMPTY@c@extra",
       {{L"EMPTY", L"EMPTY", L"x", L"y", L"z", L"EMPTY", L"EMPTY", L"EMPTY", L"c"}}},
      // More pieces than announced: the count rules.
      {L"1:A:B", {{L"A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A", L"N/A"}}},
      {L"0", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    TestAllocator alloc;
    SDMTrayList* list = nullptr;
    ASSERT_TRUE(GetTrayInfoToSDM(c.text, alloc.Get(), &list));
    ASSERT_EQ(list->count, c.trays.size());
    for (size_t i = 0; i < c.trays.size(); ++i) EXPECT_EQ(TrayFields(list->trays[i]), c.trays[i]);
  }
}

TEST(TonerInfo, MissingFieldsAreNULL) {
  TestAllocator alloc;
  SDMTonerList* list = nullptr;
  ASSERT_TRUE(GetTonerInfoToSDM(L"2:Cyan@62@24000@OK@TC-1:Black@90", alloc.Get(), &list));
  ASSERT_EQ(list->count, 2u);
  const SDMTonerInfo& black = list->toners[1];
  EXPECT_EQ(
      Fields({black.color, black.levelPercent, black.capacity, black.status, black.partNumber}),
      Fields({L"Black", L"90", L"NULL", L"NULL", L"NULL"}));
  EXPECT_STREQ(list->toners[0].partNumber, L"TC-1");
}

TEST(TrayAndTonerInfo, RefuseSectionsWithoutACountOrWithTooFewPieces) {
  for (const wchar_t* text :
       {L"", L":", L"x:A", L"-1:A", L"3:A:B", L"99999999999:A", L" :A", L"2147483647:A"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    TestAllocator alloc;
    SDMTrayList* trays = reinterpret_cast<SDMTrayList*>(1);
    SDMTonerList* toners = reinterpret_cast<SDMTonerList*>(1);
    EXPECT_FALSE(GetTrayInfoToSDM(text, alloc.Get(), &trays));
    EXPECT_FALSE(GetTonerInfoToSDM(text, alloc.Get(), &toners));
    EXPECT_EQ(trays, nullptr);
    EXPECT_EQ(toners, nullptr);
  }
}

TEST(ServerInfo, ItemsSelectKeysAndAnswerTheTextBeforeTheColon) {
  const std::wstring text =
      L"Tavro X7:ServerName\n3.2:ServerVersion\n8192:MemSize\nNo:PCLSupport\n";
  struct Case {
    int item;
    const wchar_t* answer;  // null: fails
  } cases[] = {{0, L"Tavro X7"}, {1, L"3.2"},   {16, L"8192"}, {13, L"No"},
               {2, nullptr},     {14, nullptr}, {17, nullptr}, {-1, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    TestAllocator alloc;
    wchar_t* out = nullptr;
    EXPECT_EQ(GetServerInfoToSDM(text, alloc.Get(), c.item, &out), c.answer != nullptr);
    if (c.answer) {
      EXPECT_STREQ(out, c.answer);
    }
  }
  TestAllocator alloc;
  wchar_t* out = nullptr;
  // The first line with the key must also hold ":" and the key.
  EXPECT_FALSE(GetServerInfoToSDM(L"ServerName=abc\nX:ServerName\n", alloc.Get(), 0, &out));
  EXPECT_TRUE(IsServerFeatureSupportedToSDM(L"1:SecurePrint\n", L"SecurePrint"));
  EXPECT_FALSE(IsServerFeatureSupportedToSDM(L"1:SecurePrint\n", L"Booklet"));
  ASSERT_TRUE(GetServerFeatureValueToSDM(L"1:SecurePrint\n", alloc.Get(), L"SecurePrint", &out));
  EXPECT_STREQ(out, L"1");
}

TEST(ServerPairs, LinesSplitAtTheFirstColonAtMost30PairsOf255Characters) {
  std::wstring text = L"no colon here\nServerName:Tavro: X7\n\n";
  text += L"Long:" + std::wstring(300, L'v') + L"\n";
  for (int i = 0; i < 40; ++i)
    text += L"K" + std::to_wstring(i) + L":" + std::to_wstring(i) + L"\n";
  TestAllocator alloc;
  SDMKeyValueList* list = nullptr;
  ASSERT_TRUE(GetServerPairsToSDM(text, alloc.Get(), &list));
  auto pairs = Pairs(list);
  ASSERT_EQ(pairs.size(), 30u);
  EXPECT_EQ(pairs[0], std::make_pair(std::wstring(L"ServerName"), std::wstring(L"Tavro: X7")));
  EXPECT_EQ(pairs[1].second.size(), 255u);
  EXPECT_EQ(pairs[29].first, L"K27");
  EXPECT_FALSE(GetServerPairsToSDM(L"", alloc.Get(), &list));
  EXPECT_FALSE(GetServerPairsToSDM(L"no colon\n", alloc.Get(), &list));
}

TEST(KeyValueSections, LinesBecomePairsAndEmptySectionsFail) {
  using Convert = std::function<bool(std::wstring_view, const SDMAllocator&, SDMKeyValueList**)>;
  struct Case {
    const char* name;
    Convert convert;
    const wchar_t* emptyValue;
  } cases[] = {{"device links", GetAllDeviceLinkProfilesToSDM, L""},
               {"help", GetLoclHelpStringsToSDM, L""},
               {"ppd defaults", PPDDefaultsToSDM, L"EMPTYSTRING"},
               {"colour", UpdateTintvaneOptionsToSDM, L""},
               {"masters", UpdateHexweftMastersToSDM, L""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestAllocator alloc;
    SDMKeyValueList* list = nullptr;
    ASSERT_TRUE(c.convert(L"A=1=2\r\n\nB=\nLoneKey\n", alloc.Get(), &list));
    SDMPairs expected = {{L"A", L"1=2"}, {L"B", c.emptyValue}, {L"LoneKey", c.emptyValue}};
    EXPECT_EQ(Pairs(list), expected);
    EXPECT_FALSE(c.convert(L"", alloc.Get(), &list));
    EXPECT_FALSE(c.convert(L"\n \n", alloc.Get(), &list));
    EXPECT_EQ(list, nullptr);
  }
}

const wchar_t kPresets[] =
    L"Office\nJPKeyValues=2\nDuplex=DuplexNoTumble\nQZStaple=TopLeft\nImposeKeyValues=0\n"
    L"PresetKeyValues=1\nPresetType=Server\nColour\nPresetKeyValues=0\nJPKeyValues=1\nA=B\n";

TEST(ServerPresets, NamesAndTheBlockOfOnePreset) {
  TestAllocator alloc;
  SDMStringList* names = nullptr;
  ASSERT_TRUE(GetServerPresetNamesListToSDM(L"Office\n\nColour\n", alloc.Get(), &names));
  ASSERT_EQ(names->count, 2u);
  EXPECT_STREQ(names->items[1], L"Colour");
  EXPECT_FALSE(GetServerPresetNamesListToSDM(L"\n", alloc.Get(), &names));

  SDMKeyValueList *job, *impose, *preset;
  ASSERT_TRUE(
      GetServerPresetDataByNameToSDM(kPresets, alloc.Get(), L"Office", &job, &impose, &preset));
  EXPECT_EQ(Pairs(job), (SDMPairs{{L"Duplex", L"DuplexNoTumble"}, {L"QZStaple", L"TopLeft"}}));
  ASSERT_NE(impose, nullptr);
  EXPECT_EQ(impose->count, 0u);
  EXPECT_EQ(Pairs(preset), (SDMPairs{{L"PresetType", L"Server"}}));

  // Groups in another order, a count of 0, and no impose group.
  ASSERT_TRUE(
      GetServerPresetDataByNameToSDM(kPresets, alloc.Get(), L"Colour", &job, &impose, &preset));
  EXPECT_EQ(Pairs(job), (SDMPairs{{L"A", L"B"}}));
  EXPECT_EQ(impose, nullptr);
  ASSERT_NE(preset, nullptr);
  EXPECT_EQ(preset->count, 0u);
}

TEST(ServerPresets, UnknownNamesAndCountsPastTheSectionFail) {
  TestAllocator alloc;
  SDMKeyValueList *job, *impose, *preset;
  for (const wchar_t* text :
       {L"", L"Office\nJPKeyValues=3\nA=1\n", L"Office\nJPKeyValues=-1\n",
        L"Office\nJPKeyValues=\n", L"Office\nJPKeyValues=99999999999\nA=1\n"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    EXPECT_FALSE(
        GetServerPresetDataByNameToSDM(text, alloc.Get(), L"Office", &job, &impose, &preset));
  }
  EXPECT_FALSE(
      GetServerPresetDataByNameToSDM(kPresets, alloc.Get(), L"Offic", &job, &impose, &preset));
}

TEST(LocalPresets, LettersBecomeTheByteOrderMark) {
  TestAllocator alloc;
  wchar_t* out = nullptr;
  ASSERT_TRUE(
      GetLocalPresetsDataToSDM("EFBBBF<presets>\xC3\xA9</presets>", true, alloc.Get(), &out));
  EXPECT_STREQ(out, L"\xFEFF<presets>\xE9</presets>");
  EXPECT_FALSE(GetLocalPresetsDataToSDM("", false, alloc.Get(), &out));
}

std::wstring SampleDMT() {
  std::ifstream in(std::string(TAVRO_SOURCE_DIR) + "/samples/dmt-ui-modification.xml");
  std::stringstream s;
  s << in.rdbuf();
  std::string narrow = s.str();
  return std::wstring(narrow.begin(), narrow.end());
}

TEST(DMTOverrides, DefaultsLockedAndHiddenKeysWithTheirLogLines) {
  TestAllocator alloc;
  SDMKeyValueList *defaults, *locked, *hidden;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(GetDMTOverridesToSDM(SampleDMT(), alloc.Get(), &defaults, &locked, &hidden));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Pairs(defaults),
            (SDMPairs{{L"*QZStaple", L"TopLeft"}, {L"*Duplex", L"DuplexNoTumble"}}));
  EXPECT_EQ(Pairs(locked), (SDMPairs{{L"*QZColorMode", L"True"}}));
  EXPECT_EQ(Pairs(hidden), (SDMPairs{{L"*QZServiceMode", L"False"}}));
  for (const char* line :
       {"DMT XML data =<DMT", "DMT Control Key1 =*Duplex\n", "DMT Control Value0 =TopLeft\n",
        "DMT Locked Key0 =*QZColorMode\n", "DMT Hidden Value0 =False\n",
        "DMT Line data =<QZVPPD key=\"*QZServiceMode\" value=\"False\"/>\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST(DMTOverrides, MissingCategoryFailsAndMissingBlocksStayNull) {
  TestAllocator alloc;
  SDMKeyValueList *defaults, *locked, *hidden;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(GetDMTOverridesToSDM(L"<DMT><Category name=\"Other\"></Category></DMT>", alloc.Get(),
                                    &defaults, &locked, &hidden));
  EXPECT_FALSE(GetDMTOverridesToSDM(L"<Category name=\"UI-Modification\"><Lock>", alloc.Get(),
                                    &defaults, &locked, &hidden));
  ASSERT_TRUE(GetDMTOverridesToSDM(
      L"<Category name=\"UI-Modification\">\n<Lock>\n<QZVPPD key=\"K\" value=\"V\"/>\n</Lock>"
      L"\n<Show>\n</Category>",
      alloc.Get(), &defaults, &locked, &hidden));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(defaults, nullptr);
  EXPECT_EQ(Pairs(locked), (SDMPairs{{L"K", L"V"}}));
  EXPECT_EQ(hidden, nullptr);
}

// Every converter, given good data, fails cleanly at every allocation it makes.
TEST(Converters, FailCleanlyWhenAnyAllocationFails) {
  using Run = std::function<bool(const SDMAllocator&)>;
  std::wstring dmt = SampleDMT();
  std::vector<std::pair<const char*, Run>> runs = {
      {"trays",
       [](const SDMAllocator& a) {
         SDMTrayList* o;
         return GetTrayInfoToSDM(L"2:A@B@C:D@E", a, &o);
       }},
      {"toners",
       [](const SDMAllocator& a) {
         SDMTonerList* o;
         return GetTonerInfoToSDM(L"1:C@1", a, &o);
       }},
      {"names",
       [](const SDMAllocator& a) {
         SDMStringList* o;
         return GetServerPresetNamesListToSDM(L"a\nb\n", a, &o);
       }},
      {"preset",
       [](const SDMAllocator& a) {
         SDMKeyValueList *j, *i, *p;
         return GetServerPresetDataByNameToSDM(kPresets, a, L"Office", &j, &i, &p);
       }},
      {"pairs",
       [](const SDMAllocator& a) {
         SDMKeyValueList* o;
         return GetServerPairsToSDM(L"a:1\nb:2\n", a, &o);
       }},
      {"defaults",
       [](const SDMAllocator& a) {
         SDMKeyValueList* o;
         return PPDDefaultsToSDM(L"a=\nb=2\n", a, &o);
       }},
      {"info",
       [](const SDMAllocator& a) {
         wchar_t* o;
         return GetServerInfoToSDM(L"X:ServerName", a, 0, &o);
       }},
      {"local",
       [](const SDMAllocator& a) {
         wchar_t* o;
         return GetLocalPresetsDataToSDM("x", true, a, &o);
       }},
      {"dmt",
       [&dmt](const SDMAllocator& a) {
         SDMKeyValueList *d, *l, *h;
         return GetDMTOverridesToSDM(dmt, a, &d, &l, &h);
       }},
  };
  testing::internal::CaptureStderr();
  for (auto& [name, run] : runs) {
    SCOPED_TRACE(name);
    TestAllocator counting;
    ASSERT_TRUE(run(counting.Get()));
    ASSERT_GT(counting.Requests(), 0u);
    for (size_t k = 0; k < counting.Requests(); ++k) {
      TestAllocator failing;
      failing.FailFrom(k);
      EXPECT_FALSE(run(failing.Get())) << "failing from request " << k;
    }
  }
  testing::internal::GetCapturedStderr();
}

}  // namespace
