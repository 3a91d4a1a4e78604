#include <cstring>

#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "foundation/EncodingSwitches.h"
#include "panel/QZVWatermark.h"
#include "panel/UI_PanelTestSupport.h"

namespace {

const std::string kTree =
    "*%QZVPropPage PPMain/Main: True\n*%QZVGroupName SPMain/Main: True\n"
    "*%QZVGroupName FPGeneral/General: True\n"
    "*%QZVGroupName QZPPInstallableOptions/Installed: True\n"
    "*%QZVParent SPMain/PPMain: True|Scrollpane\n*%QZVParent FPGeneral/SPMain: True|Rolldown\n"
    "*%QZVParent FPQZNotes/SPMain: True|Rolldown\n"
    "*%QZVParent QZPPInstallableOptions/SPMain: True|Rolldown\n";

// A pick-one menu in a group, its first option the default.
std::string Menu(const std::string& keyword, const std::vector<std::string>& options,
                 const std::string& flags = "", const std::string& group = "FPGeneral") {
  const std::string name = keyword.substr(1);
  std::string text = "*%QZVFlags " + keyword + ": \"" + flags + "\"\n*%QZVGroup " + keyword + " " +
                     group + ":\n*OpenUI " + keyword + "/" + name + ": PickOne\n*Default" + name +
                     ": " + options.front() + "\n";
  for (const std::string& option : options)
    text += keyword + " " + option + "/" + option + ": \"\"\n";
  return text + "*CloseUI: " + keyword + "\n";
}

std::string Boolean(const std::string& keyword) {
  const std::string name = keyword.substr(1);
  return "*%QZVFlags " + keyword + ": \"\"\n*%QZVGroup " + keyword + " FPGeneral:\n*OpenUI " +
         keyword + "/" + name + ": Boolean\n*Default" + name + ": False\n" + keyword +
         " True/On: \"\"\n" + keyword + " False/Off: \"\"\n*CloseUI: " + keyword + "\n";
}

// Every rule that leaves a control out of the first rows has a control here.
const std::string kSpecialBody =
    kTree + Menu("*PageSize", {"Letter", "A4"}) + Menu("*QZOutProfile", {"Standard", "Photo"}) +
    Menu("*QZSimulation", {"None", "Offset"}) + Menu("*QZRGBOverride", {"Off", "On"}) +
    Menu("*QZControlBar", {"Off", "On"}) + Menu("*QZTrayLevel", {"Auto", "Full"}, "Dynamic") +
    Menu("*QZTrayColour", {"Auto", "White"}, "Dynamic") +
    Menu("*QZOption", {"None", "Stacker"}, "", "QZPPInstallableOptions") +
    Menu("*Duplex", {"None", "DuplexNoTumble"});

}  // namespace

// The sample's list, row by row, is the same with two-way on: it has no
// colour controls and its only dynamic control is a boolean.
TEST_F(ViewModelTest, SampleListRowsInOrder) {
  Build();
  const std::vector<std::string> controls = {"PageSize",         "QZPrintSize",
                                             "MediaType",        "QZCopiesPerSet",
                                             "QZMargin",         "QZScale",
                                             "QZCollate",        "QZColorMode",
                                             "QZEdgeEnhance",    "Duplex",
                                             "QZStaple",         "QZPunch",
                                             "QZServiceMode",    "Notes1",
                                             "Notes2",           "Resume",
                                             "Instruct",         "QZUserAuthName",
                                             "QZUserAuthPwd",    "QZDisplayJobTracking",
                                             "QZAccountSetting", "QZAccountShowLast",
                                             "QZProject",        "QZCostCenter",
                                             "QZFinisher",       "QZTrays",
                                             "QZHardDisk"};
  const Rows fixed = {{"CustomPrintSize", "False"},
                      {"*QZ_WATERMARK", "0"},
                      {"*QZ_WATERMARK_FIRSTPAGEONLY", "False"},
                      {"*QZPCMID", "-1"},
                      {"*QZPCName", "-1"},
                      {"*QZCoverSizePCMID", "-1"},
                      {"*QZCoverSizePCName", "-1"},
                      {"*QZ_COPIES", "1"},
                      {"num copies", "1"},
                      {"*QZOrientation", "Portrait"}};
  for (bool twoWay : {false, true}) {
    SCOPED_TRACE(twoWay ? "two-way on" : "two-way off");
    address_.twoWay = twoWay;
    auto shared = NewSharedMemoryList();
    const Rows rows = DefaultRows(shared.get());
    ASSERT_EQ(rows.size(), controls.size() + fixed.size());
    for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(rows[i].first, controls[i]);
    EXPECT_EQ(Rows(rows.begin() + static_cast<long>(controls.size()), rows.end()), fixed);
    EXPECT_EQ(*Find(rows, "QZScale"), "1.000");
    EXPECT_EQ(*Find(rows, "QZUserAuthName"), "guest");
    // The installed options of the vendor's group are told by their rows, so
    // the component finds their values there.
    EXPECT_EQ(FieldText(shared->installedOptionIndexes, sizeof shared->installedOptionIndexes),
              "24,");
    EXPECT_EQ(rows[24], (std::pair<std::string, std::string>{"QZFinisher", "None"}));
  }
  EXPECT_EQ(gQZUTF8Version, 5);
}

TEST_F(ViewModelTest, FixedRowsFollowTheSystemAndThePanelState) {
  Open();
  PMSetCopies(&settings_, 7, false);
  PMSetOrientation(&format_, kPMLandscape, false);
  data_->paperCatalog[1].SetValue(L"Glossy 200");
  data_->mixedMedia.Append(L"*RangeProp1", L"1-3");
  data_->padCovers.Append(L"*PadCoverA", L"Front");
  data_->coverPages.Append(L"*CoverPage_B", L"Back");
  data_->slipSheets.Append(L"*SlipSheet_C", L"Tray2");
  data_->slipSheets.Append(L"", L"keyless");
  data_->watermarks->Append(
      std::make_unique<QZVWatermark>("0,0,0,0,0,0,0,0,0,450,0,0,72,Helvetica,A"));
  data_->watermarks->Append(
      std::make_unique<QZVWatermark>("0,0,0,0,0,0,0,0,0,450,0,0,72,Helvetica,B"));
  data_->watermarks->selected = 1;
  data_->watermarks->items[1]->SetFirstPageOnly(L"True");
  MakePanel();
  Rows rows = DefaultRows();
  EXPECT_EQ(*Find(rows, "*QZ_WATERMARK"), "2");
  EXPECT_EQ(*Find(rows, "*QZ_WATERMARK_FIRSTPAGEONLY"), "True");
  EXPECT_EQ(*Find(rows, "*QZPCName"), "Glossy 200");
  EXPECT_EQ(*Find(rows, "*QZ_COPIES"), "7");
  EXPECT_EQ(*Find(rows, "num copies"), "7");
  EXPECT_EQ(*Find(rows, "*QZOrientation"), "Landscape");
  EXPECT_EQ(data_->osOrientation, kPMLandscape);
  const Rows tail(rows.end() - 4, rows.end());
  EXPECT_EQ(tail, (Rows{{"*RangeProp1", "1-3"},
                        {"*PadCoverA", "Front"},
                        {"*SlipSheet_C", "Tray2"},
                        {"*CoverPage_B", "Back"}}));

  // The print settings' flag wins over the watermark's own.
  settings_.SetInteger("WatermarkFirstPageInfo", 0);
  EXPECT_EQ(*Find(DefaultRows(), "*QZ_WATERMARK_FIRSTPAGEONLY"), "False");
  // The custom print size is sent only while the print size asks for it.
  ASSERT_NE(Controls()->FindPopup("*QZPrintSize", true), nullptr);
  Control("*QZPrintSize")->SetCurrentControlWithCFString(CFSTR("CustomPrintSize"));
  Control("*CustomPrintSize")->SetCurrentControlWithCFString(CFSTR("300 400"));
  EXPECT_EQ(*Find(DefaultRows(), "CustomPrintSize"), "300.000000 400.000000");
}

TEST_F(ViewModelTest, ControlsLeftOutOfTheFirstRows) {
  TestPPD ppd(kSpecialBody + "*%QZVJobNote *QZControlBar/Bar Note: 64|Alpha|UTF8\n");
  Build(ppd.path());
  Control("*QZTrayColour")->SetCurrentControlWithCFString(CFSTR("White"));
  Control("*QZControlBar")->SetCurrentControlWithCFString(CFSTR("On"));
  auto shared = NewSharedMemoryList();

  Rows off = DefaultRows(shared.get());
  EXPECT_EQ(Keys(off),
            (std::vector<std::string>{"PageSize", "QZOutProfile", "QZSimulation", "QZRGBOverride",
                                      "QZTrayLevel", "QZTrayColour", "QZOption", "Duplex",
                                      "*QZ_WATERMARK", "*QZ_WATERMARK_FIRSTPAGEONLY", "*QZPCMID",
                                      "*QZPCName", "*QZCoverSizePCMID", "*QZCoverSizePCName",
                                      "*QZ_COPIES", "num copies", "*QZOrientation"}));
  EXPECT_EQ(FieldText(shared->installedOptionIndexes, sizeof shared->installedOptionIndexes), "6,");

  address_.twoWay = true;
  panel_->makeJobNotesForSpecialControls();
  Controls()->FindJobNote("*QZControlBar", true)->SetCurrentControlWithCFString(CFSTR("bar text"));
  Rows on = DefaultRows(shared.get());
  // Colour controls travel as their notes, the control bar as its note while
  // it differs from its default, dynamic menus only when changed.
  EXPECT_EQ(Keys(on),
            (std::vector<std::string>{
                "PageSize", "QZTrayColour", "QZOption", "Duplex", "*QZControlBar", "*QZOutProfile",
                "*QZSimulation", "*QZRGBOverride", "*QZ_WATERMARK", "*QZ_WATERMARK_FIRSTPAGEONLY",
                "*QZPCMID", "*QZPCName", "*QZCoverSizePCMID", "*QZCoverSizePCName", "*QZ_COPIES",
                "num copies", "*QZOrientation"}));
  EXPECT_EQ(*Find(on, "*QZControlBar"), "bar text");
  EXPECT_EQ(*Find(on, "*QZOutProfile"), "Standard");
  EXPECT_EQ(*Find(on, "*QZSimulation"), "None");
  EXPECT_EQ(FieldText(shared->installedOptionIndexes, sizeof shared->installedOptionIndexes), "2,");

  // Back at its default the control bar is not sent.
  Control("*QZControlBar")->ResetToDefaultValue();
  EXPECT_FALSE(Find(DefaultRows(), "*QZControlBar"));
}

TEST_F(ViewModelTest, SpecialControlsGetJobNotesOnlyWithTwoWay) {
  TestPPD ppd(kSpecialBody);
  Build(ppd.path());
  panel_->makeJobNotesForSpecialControls();
  EXPECT_EQ(Controls()->FindJobNote("*QZOutProfile", true), nullptr);

  address_.twoWay = true;
  Control("*QZSimulation")->SetCurrentControlWithCFString(CFSTR("Offset"));
  panel_->makeJobNotesForSpecialControls();
  panel_->makeJobNotesForSpecialControls();  // twice: nothing doubles
  for (auto [keyword, value] : {std::pair{"*QZOutProfile", "Standard"},
                                {"*QZSimulation", "Offset"},
                                {"*QZRGBOverride", "Off"},
                                {"*QZControlBar", "Off"}}) {
    PPDXJobNote* note = Controls()->FindJobNote(keyword, true);
    ASSERT_NE(note, nullptr) << keyword;
    EXPECT_EQ(note->CopyCurrentControlValueString().UTF8(), value) << keyword;
    EXPECT_TRUE(note->IsUTF8());
    EXPECT_EQ(note->MaxLength(), kSpecialNoteMaxLength);
    ASSERT_NE(note->GetParent(), nullptr);
    EXPECT_STREQ(note->GetParent()->Keyword(), kSpecialNotesGroup);
  }
  EXPECT_EQ(PopupItemCount(Controls()->FindPopup("*QZSimulation", true)), 2);

  // A missing colour control ends the walk; a boolean control bar is skipped.
  TestPPD gap(kTree + Menu("*QZOutProfile", {"Standard"}) + Menu("*QZRGBOverride", {"Off"}) +
              Boolean("*QZControlBar"));
  Build(gap.path());
  address_.twoWay = true;
  panel_->makeJobNotesForSpecialControls();
  EXPECT_NE(Controls()->FindJobNote("*QZOutProfile", true), nullptr);
  EXPECT_EQ(Controls()->FindJobNote("*QZRGBOverride", true), nullptr);
  EXPECT_EQ(Controls()->FindJobNote("*QZControlBar", true), nullptr);
}

TEST_F(ViewModelTest, UpdatedSettingsRules) {
  TestPPD ppd(kSpecialBody);
  Build(ppd.path());
  PMSetCopies(&settings_, 3, false);
  auto shared = NewSharedMemoryList();
  for (int i = 0; i < 3; ++i)
    SetSharedField(shared->watermarkNames[i], "0,0,0,0,0,0,0,0,0,450,0,0,72,Helvetica,W");
  SetSharedField(shared->watermarkCount, "3");
  panel_->UpdateWatermarks(shared.get());
  data_->mixedMedia.Append(L"*MM_Aold", L"stale");

  Apply({{"QZ_WATERMARK", "2"},
         {"QZ_WATERMARK_FIRSTPAGEONLY", "True"},
         {"QZ_COPIES", "9"},
         {"RangeProp1", "1-2"},
         {"RangeNum1", "3"},
         {"Chapters", "4"},
         {"SubsetFinishing1", "5"},
         {"MM_A1", "6"},
         {"PadCover1", "p"},
         {"CoverPage_Front", "c"},
         {"SlipSheet_1", "s"},
         {"QZPCMID", "42"},
         {"QZCoverSizePCName", "Heavy"},
         {"Duplex", "DuplexNoTumble"},
         {"QZControlBar", "On"},
         {"PresetName", "Office"}});
  EXPECT_EQ(data_->watermarks->selected, 1);
  EXPECT_TRUE(data_->watermarks->items[1]->FirstPageOnly());
  EXPECT_FALSE(data_->watermarks->items[0]->FirstPageOnly());
  uint32_t copies = 0;
  PMGetCopies(&settings_, &copies);
  EXPECT_EQ(copies, 3u);
  ASSERT_EQ(data_->mixedMedia.Count(), 5);
  EXPECT_EQ(data_->mixedMedia.At(0)->key, L"*RangeProp1");
  EXPECT_EQ(data_->mixedMedia.At(4)->key, L"*MM_A1");
  EXPECT_EQ(data_->mixedMedia.At(4)->value, L"6");
  ASSERT_EQ(data_->padCovers.Count(), 1);
  EXPECT_EQ(data_->padCovers.At(0)->key, L"*PadCover1");
  ASSERT_EQ(data_->coverPages.Count(), 1);
  EXPECT_EQ(data_->coverPages.At(0)->key, L"*CoverPage_Front");
  ASSERT_EQ(data_->slipSheets.Count(), 1);
  EXPECT_EQ(std::wstring(data_->paperCatalog[0].value), L"42");
  EXPECT_EQ(std::wstring(data_->paperCatalog[3].value), L"Heavy");
  EXPECT_EQ(settings_.GetString("*QZPCMID"), "42");
  EXPECT_EQ(Value("*Duplex"), "DuplexNoTumble");
  // Without two-way the control bar is an ordinary control and preset keys
  // name nothing.
  EXPECT_EQ(Value("*QZControlBar"), "On");
  EXPECT_EQ(Controls()->FindJobNote("*PresetName", true), nullptr);

  address_.twoWay = true;
  Control("*QZControlBar")->ResetToDefaultValue();
  Apply({{"QZControlBar", "On"},
         {"QZSimulation", "Press 2"},
         {"QZOutProfile", "Photo"},
         {"PresetName", "Office"},
         {"PresetTimestampModified", "2026-12-11"},
         {"QZSimulationInjected", "x"}});
  EXPECT_EQ(Value("*QZControlBar"), "Off");
  EXPECT_EQ(Controls()->FindJobNote("*QZSimulation", true)->CopyCurrentControlValueString().UTF8(),
            "Press 2");
  EXPECT_EQ(Controls()->FindPopup("*QZSimulation", true)->CopyCurrentControlValueString().UTF8(),
            "Press 2");
  EXPECT_EQ(PopupItemCount(Controls()->FindPopup("*QZOutProfile", true)), 2);
  EXPECT_EQ(Value("*QZOutProfile"), "Photo");
  EXPECT_EQ(Controls()->FindJobNote("*PresetName", true)->CopyCurrentControlValueString().UTF8(),
            "Office");
  EXPECT_NE(Controls()->FindJobNote("*PresetTimestampModified", true), nullptr);
  // Only the colour keywords themselves get notes.
  EXPECT_EQ(Controls()->FindJobNote("*QZSimulationInjected", true), nullptr);
  EXPECT_EQ(data_->mixedMedia.Count(), 0);  // emptied by every list
  EXPECT_FALSE(gIsDocServerKey);
}

TEST_F(ViewModelTest, WatermarkSelectionIsClamped) {
  Build();
  struct Case {
    const char* value;
    int32_t selected;
  } cases[] = {{"0", -1}, {"1", 0}, {"20", 19}, {"21", 19}, {"25", 19}, {"-3", -1}, {"x", -1}};
  for (const Case& c : cases) {
    data_->watermarks->selected = 7;
    Apply({{"QZ_WATERMARK", c.value}, {"QZ_WATERMARK_FIRSTPAGEONLY", "True"}});
    EXPECT_EQ(data_->watermarks->selected, c.selected) << c.value;
  }
}

TEST_F(ViewModelTest, HostileListsChangeOnlyWhatTheyName) {
  Build();
  const Rows before = DefaultRows();
  const std::string longKey(200, 'Q');
  Apply({{"NoSuchFeature", "1"},
         {"", "empty key"},
         {longKey, "x"},
         {"Duplex" + std::string(100, ' '), "DuplexTumble"},
         {"QZStaple", "NoSuchOption"},
         {"QZCopiesPerSet", "not a number at all"},
         {"*QZ_WATERMARK_FIRSTPAGEONLY", "True"}});
  Rows after = DefaultRows();
  // A number that is no number reads as 0 and is raised to the minimum.
  EXPECT_EQ(*Find(after, "QZCopiesPerSet"), "1");
  EXPECT_EQ(after, before);

  // Duplicates: the last one wins. Overlong values are cut, never overflow.
  Apply({{"Duplex", "DuplexTumble"},
         {"Duplex", "DuplexNoTumble"},
         {"Notes2", std::string(5000, 'A')},
         {"QZPCName", std::string(3000, 'B')}});
  EXPECT_EQ(Value("*Duplex"), "DuplexNoTumble");
  EXPECT_LE(Value("*Notes2").size(), 1023u);
  EXPECT_EQ(std::wstring(data_->paperCatalog[1].value).size(), PaperCatalogPair::kValueSize - 1);

  // Missing texts, and a list announcing far more pairs than it holds: only
  // what any list can hold is read, the extra lists stop at their capacity.
  std::vector<std::wstring> keys;
  for (int i = 0; i < 3000; ++i)
    keys.push_back(i % 2 ? L"PadCover" + std::to_wstring(i) : L"MM_A" + std::to_wstring(i));
  std::vector<SDMKeyValue> items(3000);
  for (size_t i = 0; i < items.size(); ++i)
    items[i] = {keys[i].data(), i % 3 ? nullptr : keys[i].data()};
  items[0].key = nullptr;
  SDMKeyValueList list{uint64_t{1} << 40, items.data()};
  EXPECT_TRUE(panel_->SetUpdatedSettings(&list));
  EXPECT_EQ(data_->mixedMedia.Count(), 1499);
  EXPECT_EQ(data_->padCovers.Count(), static_cast<int32_t>(kFinishingListCapacity));
  EXPECT_EQ(data_->mixedMedia.At(1)->value, L"");
  EXPECT_FALSE(panel_->SetUpdatedSettings(nullptr));
}

TEST_F(ViewModelTest, ResetToDefaultsKeepsTheDocumentsOwnData) {
  Build();
  Control("*Duplex")->SetCurrentControlWithCFString(CFSTR("DuplexTumble"));
  Control("*QZScale")->SetCurrentControlWithCFString(CFSTR("2"));
  Control("*Notes2")->SetCurrentControlWithCFString(CFSTR("hello"));
  data_->mixedMedia.Append(L"*MM_A1", L"x");
  data_->coverPages.Append(L"*CoverPage_A", L"x");
  data_->paperCatalog[2].SetKey(L"other");
  data_->paperCatalog[2].SetValue(L"7");
  const int draws = pane_.draws;
  panel_->ResetControlsToDefault();
  EXPECT_EQ(Value("*Duplex"), "None");
  EXPECT_EQ(Value("*QZScale"), "1.000");
  EXPECT_EQ(Value("*Notes2"), "");
  EXPECT_EQ(data_->mixedMedia.Count(), 0);
  EXPECT_EQ(data_->coverPages.Count(), 0);
  EXPECT_EQ(std::wstring(data_->paperCatalog[2].key), L"*QZCoverSizePCMID");
  EXPECT_EQ(std::wstring(data_->paperCatalog[2].value), L"-1");
  EXPECT_EQ(pane_.draws, draws + 1);
  EXPECT_TRUE(gPopupJobNotesDoneInitializing);
  PPDXSpecialOption* utf8 = Controls()->FindSpecialOption("*QZUTF8_Version", true);
  ASSERT_NE(utf8, nullptr);
  EXPECT_STREQ(static_cast<const char*>(*utf8->GetValue()), "5");
}

TEST_F(ViewModelTest, TreeHoldsOfferedShortcutsAndShownGroups) {
  Build();
  std::vector<std::string> shortcuts, groups;
  for (int i = 0; i < UI_Panel::Tree.shortcutCount; ++i)
    shortcuts.push_back(UI_Panel::Tree.shortcuts[static_cast<size_t>(i)]->keyword);
  for (int i = 0; i < UI_Panel::Tree.groupCount; ++i) {
    groups.push_back(UI_Panel::Tree.groups[static_cast<size_t>(i)]->keyword);
    EXPECT_EQ(UI_Panel::Tree.groups[static_cast<size_t>(i)]->count, 0);
  }
  EXPECT_EQ(shortcuts, (std::vector<std::string>{"*MediaType", "*QZColorMode", "*Duplex",
                                                 "*QZStaple", "*QZCollate", "*Notes1"}));
  EXPECT_EQ(groups, (std::vector<std::string>{"SPMain", "SPFinishing", "FPPaperSource", "FPImage",
                                              "FPQZNotes", "FPAccounting", "FPFinishing",
                                              "SPLayout", "FPLayout"}));
  ASSERT_NE(UI_Panel::GetShortcutFromKeyword("*Duplex"), nullptr);
  EXPECT_EQ(UI_Panel::GetShortcutFromKeyword("*Duplex")->name.UTF8(), "Two-Sided");
  EXPECT_EQ(UI_Panel::GetShortcutFromKeyword("*QZFinisher"), nullptr);
  EXPECT_EQ(UI_Panel::GetShortcutFromKeyword(nullptr), nullptr);
  EXPECT_FALSE(UI_Panel::GetOSAccountName().empty());
}

TEST_F(ViewModelTest, WatermarksBothWays) {
  Build();
  auto shared = NewSharedMemoryList();
  ASSERT_TRUE(panel_->GetWatermarks(shared.get()));
  // Nothing stored for the printer: the five defaults are offered.
  EXPECT_EQ(data_->watermarks->count, 5u);
  EXPECT_EQ(FieldText(shared->watermarkCount, sizeof shared->watermarkCount), "5");
  EXPECT_EQ(FieldText(shared->watermarkIds[4], 3), "4");

  SetSharedField(shared->watermarkCount, "25");
  for (int i = 0; i < 20; ++i)
    SetSharedField(shared->watermarkNames[i],
                   "0,0,0,0,0,0,0,0,0,450,0,0,72,Helvetica,M" + std::to_string(i));
  data_->watermarks->selected = 3;
  ASSERT_TRUE(panel_->UpdateWatermarks(shared.get()));
  EXPECT_EQ(data_->watermarks->count, 20u);
  EXPECT_EQ(data_->watermarks->selected, 3);
  EXPECT_STREQ(data_->watermarks->items[19]->Text(), "M19");
}

TEST_F(ViewModelTest, SystemPaper) {
  auto direct = [](const char* name, std::vector<double> rect) {
    PlistValue::Dict ticket;
    if (name) ticket["com.apple.print.PaperInfo.ppd.PMPaperName"] = PlistValue::String(name);
    if (!rect.empty()) {
      PlistValue::Array numbers;
      for (double n : rect) numbers.push_back(PlistValue::Real(n));
      ticket["com.apple.print.PaperInfo.PMUnadjustedPaperRect"] = PlistValue::MakeArray(numbers);
    }
    return PlistValue::MakeDict(ticket);
  };
  PlistValue::Dict wrappedItem;
  wrappedItem["com.apple.print.PaperInfo.ppd.PMPaperName"] = PlistValue::String("A3");
  PlistValue::Dict wrapped;
  wrapped["com.apple.print.ticket.itemArray"] =
      PlistValue::MakeArray({PlistValue::MakeDict(wrappedItem)});
  PlistValue::Dict wrappedTicket;
  wrappedTicket["com.apple.print.PaperInfo.ppd.PMPaperName"] = PlistValue::MakeDict(wrapped);

  struct Case {
    const char* what;
    std::optional<PlistValue> ticket;
    bool custom;
    const char* pageSize;
    const char* sizeText;
  } cases[] = {
      {"a page size of the PPD", direct("A4", {}), false, "A4", nullptr},
      {"US Letter", direct("US Letter", {0, 0, 792, 612}), false, "Letter", nullptr},
      {"US Legal", direct("US Legal", {}), false, "Legal", nullptr},
      {"the system's ticket form", PlistValue::MakeDict(wrappedTicket), false, "A3", nullptr},
      {"custom paper", direct("Postcard", {-10, -20, 400, 300}), true, "Letter",
       "320.000000 410.000000"},
      {"custom paper without a name", direct(nullptr, {0, 0, 500, 250.5}), true, "Letter",
       "250.500000 500.000000"},
      {"custom paper without its size", direct("Postcard", {}), false, "Letter", nullptr},
      {"no ticket", std::nullopt, false, "Letter", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings_ = PMPrintSettings();
    if (c.ticket) settings_.SetValue("com.apple.print.subTicket.paper_info_ticket", *c.ticket);
    Open();
    Control("*QZPrintSize")->SetCurrentControlWithCFString(CFSTR("A4"));
    MakePanel();
    EXPECT_EQ(data_->customPaperFromOS != 0, c.custom);
    EXPECT_EQ(Value("*PageSize"), c.pageSize);
    EXPECT_EQ(panel_->CustomSizeText().IsNull(), c.sizeText == nullptr);
    Rows rows = DefaultRows();
    if (c.sizeText) {
      EXPECT_EQ(panel_->CustomSizeText().UTF8(), c.sizeText);
      EXPECT_FALSE(panel_->OSPaperName().IsNull());
      // The custom rows stand in for the page size; the print size stays.
      EXPECT_FALSE(Find(rows, "PageSize") && *Find(rows, "PageSize") != "Custom");
      EXPECT_EQ(*Find(rows, "CustomPageSize"), c.sizeText);
      EXPECT_EQ(Value("*QZPrintSize"), "A4");
    } else {
      EXPECT_EQ(*Find(rows, "PageSize"), c.pageSize);
      EXPECT_FALSE(Find(rows, "CustomPageSize"));
      EXPECT_EQ(Value("*QZPrintSize"), "SameAsPageSize");
    }
  }
}

TEST_F(ViewModelTest, HeapListHoldsTheSameRows) {
  Build();
  SDMKeyValueList* list = nullptr;
  ASSERT_TRUE(panel_->GetDefaultSettings(&list));
  ASSERT_NE(list, nullptr);
  Rows rows;
  for (uint64_t i = 0; i < list->count; ++i)
    rows.emplace_back(WideToUtf8(list->items[i].key), WideToUtf8(list->items[i].value));
  EXPECT_EQ(rows, DefaultRows());
  UI_Panel::FreeSDMList(list);
  UI_Panel::FreeSDMList(nullptr);
  EXPECT_FALSE(panel_->GetDefaultSettings(static_cast<SDMKeyValueList**>(nullptr)));
}
