#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "foundation/EncodingSwitches.h"
#include "foundation/PropertyListFile.h"
#include "panel/JobriftClient.h"
#include "panel/PDEData.h"
#include "panel/PanelTestSupport.h"
#include "panel/PostScriptText.h"
#include "panel/QZVJobTicket.h"
#include "panel/QZVWatermark.h"
#include "panel/WatermarkResource.h"
#include "platform/HostApplication.h"
#include "platform/LocalQueues.h"
#include "platform/Log.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "serverlink/QZVUnisorPrinterPList.h"

namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

// Features the sample lacks, for the steps that write them.
const char* const kExtraFeatures = R"(
*%QZVFlags *QZOrientation: ""
*%QZVGroup *QZOrientation FPLayout:
*OpenUI *QZOrientation/Orientation: PickOne
*OrderDependency: 50 AnySetup *QZOrientation
*DefaultQZOrientation: Portrait
*QZOrientation Portrait/Portrait: "userdict /QZOrient (P) put"
*QZOrientation Landscape/Landscape: "userdict /QZOrient (L) put"
*CloseUI: *QZOrientation
*%QZVFlags *Collate: ""
*%QZVGroup *Collate FPLayout:
*OpenUI *Collate/Collate: Boolean
*OrderDependency: 51 AnySetup *Collate
*DefaultCollate: True
*Collate True/On: "<</Collate true>> setpagedevice"
*Collate False/Off: "<</Collate false>> setpagedevice"
*CloseUI: *Collate
*%QZVFlags *QZControlBar: ""
*%QZVGroup *QZControlBar FPImage:
*OpenUI *QZControlBar/Control Bar: PickOne
*OrderDependency: 52 AnySetup *QZControlBar
*DefaultQZControlBar: False
*QZControlBar False/Off: "userdict /QZBar false put"
*QZControlBar True/On: "userdict /QZBar true put"
*QZControlBar Strip/Strip: "userdict /QZBar (Strip) put"
*CloseUI: *QZControlBar
*%QZVFlags *QZDestination: ""
*%QZVGroup *QZDestination FPFinishing:
*OpenUI *QZDestination/Destination: PickOne
*OrderDependency: 53 AnySetup *QZDestination
*DefaultQZDestination: Printer
*QZDestination Printer/Printer: "userdict /QZDest (P) put"
*QZDestination File/File: "userdict /QZDest (F) put"
*CloseUI: *QZDestination
*%QZVFlags *QZMailboxName: ""
*%QZVGroup *QZMailboxName FPQZNotes:
*%QZVJobNote *QZMailboxName/Mailbox: 64|Alpha|Numeric|Space
*%Default: ""
*%QZVFlags *QZOutProfile: ""
*%QZVGroup *QZOutProfile FPImage:
*%QZVJobNote *QZOutProfile/Output Profile: 255|Alpha|Numeric|Space
*%Default: ""
*%QZOutProfile: "/QZOutProfile (<*QZOutProfile>) def"
*%QZVFlags *QZCurveAdjust: ""
*%QZVGroup *QZCurveAdjust FPImage:
*%QZVJobNote *QZCurveAdjust/Curve: 255|Alpha|Numeric
*%Default: ""
)";

// The sample PPD with an integer scale, UTF-8 level 6, vendor version 3 and
// the extra features.
std::string SampleWithExtras() {
  std::string text = ReadAll(SamplePPD());
  Replace(text, R"(*%QZVFloatRange *QZScale/Scale: (0.25;4.0;0.25;1.0))",
          R"(*%QZVRange *QZScale/Scale: (5;400;1;100))");
  Replace(text, "*%QZVSpecialOption *QZUTF8_Version: 5", "*%QZVSpecialOption *QZUTF8_Version: 6");
  Replace(text, "*%QZVersion: \"1.0\"", "*%QZVersion: \"3.0\"");
  Replace(text, "*% End of PPD file", std::string(kExtraFeatures) + "\n*% End of PPD file");
  return text;
}

// A small PPD around a body, for the steps that need only a few features.
std::string SmallPPD(const std::string& body, const std::string& version = "3.0",
                     const std::string& language = "English") {
  return "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*LanguageVersion: " + language +
         "\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"TEST.PPD\"\n*ModelName: \"Test\"\n"
         "*%QZVersion: \"" +
         version +
         "\"\n*%QZVPropPage PPMain/Main: True\n*%QZVGroupName SPMain/Main Settings: True\n"
         "*%QZVGroupName FPQZNotes/Notes: True\n*%QZVParent SPMain/PPMain: True|Scrollpane\n"
         "*%QZVParent FPQZNotes/SPMain: True|Rolldown\n" +
         body + "\n*% End of PPD file\n";
}

const char* const kPageAndPrintSize = R"(
*%QZVFlags *PageSize: ""
*%QZVGroup *PageSize FPQZNotes:
*OpenUI *PageSize/Page Size: PickOne
*DefaultPageSize: Letter
*PageSize Letter/Letter: "<</PageSize [612 792]>> setpagedevice"
*PageSize A4/A4: "<</PageSize [595 842]>> setpagedevice"
*CloseUI: *PageSize
*%QZVFlags *QZPrintSize: ""
*%QZVGroup *QZPrintSize FPQZNotes:
*OpenUI *QZPrintSize/Print Size: PickOne
*DefaultQZPrintSize: Letter
*QZPrintSize Letter/Letter: "userdict /QZPrintSize (Letter) put"
*QZPrintSize A4/A4: "userdict /QZPrintSize (A4) put"
*QZPrintSize CustomPrintSize/Custom: "userdict /QZPrintSize (Custom) put"
*CloseUI: *QZPrintSize
*%ParamCustomPrintSize Width: 1 points 72 1224
*%ParamCustomPrintSize Height: 2 points 72 1728
)";

struct Command {
  std::string title;
  std::string body;
};

// One local queue over a PPD, its own system root and temporary folder, the
// preferences list in memory (with or without two-way), and a host playing
// a known application.
class PostScriptOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogPause(false);
    root_.emplace(dir_.path().string() + "/root");
    env_.emplace(dir_.path());
    previousHandler_ = SetLocalQueueCommandHandler([this](const LocalQueueCommand& command) {
      commands_.push_back({command.title, command.body});
      return LocalQueueCommandResult{true, {}};
    });
    savedProcess_ = HostProcessName();
    savedVersion_ = HostApplicationShortVersion();
    SetHostProcessName("TextEdit");
    SetHostApplicationShortVersion("");
  }
  void TearDown() override {
    data_.reset();
    document_.reset();
    SetHostProcessName(savedProcess_);
    SetHostApplicationShortVersion(savedVersion_);
    SetLocalQueueCommandHandler(std::move(previousHandler_));
    env_.reset();
    root_.reset();
  }

  PDEData& Open(const std::string& ppdText, bool bidi) {
    const std::filesystem::path ppd = dir_.Write("source.ppd", ppdText);
    EXPECT_EQ(LocalQueueCreate("PSQ", ppd.string()), noErr);
    PMPrinterRef printer;
    EXPECT_EQ(PMPrinterCreateFromPrinterID("PSQ", &printer), noErr);
    session_.SetCurrentPrinter(printer);
    std::string path;
    EXPECT_EQ(PMCopyQueuePPDPath("PSQ", &path), noErr);
    PlistValue::Array items = {PlistValue::String("PSQ"), PlistValue::String("10.1.2.3"),
                               PlistValue::Bool(bidi), PlistValue::String("2"),
                               PlistValue::String(kUnisorDataEnd)};
    env_->stored = CFString::FromUTF8(PlistValue::MakeArray(items).ToXml()).UTF32();
    data_.reset();
    ClearEndOfPPDLatch();
    document_ = std::make_unique<QZVPPD>(path, kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
    data_ = std::make_unique<PDEData>(document_.get(), CFSTR("PSQ"), &session_);
    EXPECT_EQ(data_->isBIDIEnabled(), bidi);
    data_->printSettings = &settings_;
    data_->pageFormat = &format_;
    return *data_;
  }

  PPDXControls* Controls() const { return document_->GetControls(); }
  void Choose(const char* keyword, const char* option) {
    PPDXPopupControl* popup = Controls()->FindPopup(keyword, true);
    ASSERT_NE(popup, nullptr) << keyword;
    popup->SetCurrentControlWithCFString(CFString::FromUTF8(option));
    ASSERT_EQ(popup->CopyCurrentControlValueString().UTF8(), option);
  }
  PPDXJobNote* Note(const char* keyword) {
    PPDXJobNote* note = Controls()->FindJobNote(keyword, true);
    EXPECT_NE(note, nullptr) << keyword;
    return note;
  }

  const QZVJobTicket& Run() {
    ticket_ = std::make_unique<QZVJobTicket>(nullptr, &settings_, CFSTR("QZV.PSData.test"));
    EXPECT_EQ(data_->OutPostscriptData(*ticket_, &session_), 0);
    return *ticket_;
  }

  // Each entry as its site and first line.
  std::vector<std::string> Outline() const {
    std::vector<std::string> out;
    for (const TicketEntry& entry : ticket_->Entries()) {
      const std::string text = EntryText(entry);
      out.push_back(std::to_string(entry.site) + " " + text.substr(0, text.find('\n')));
    }
    return out;
  }
  // The entries whose text starts with the prefix.
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const TicketEntry& entry : ticket_->Entries()) {
      const std::string text = EntryText(entry);
      if (text.compare(0, prefix.size(), prefix) == 0) out.push_back(text);
    }
    return out;
  }

  ScratchDir dir_;
  std::optional<ScopedTavroRoot> root_;
  std::optional<PanelTestEnvironment> env_;
  LocalQueueCommandHandler previousHandler_;
  std::string savedProcess_;
  std::string savedVersion_;
  std::vector<Command> commands_;
  PMPrintSession session_;
  PMPrintSettings settings_;
  PMPageFormat format_;
  std::unique_ptr<QZVPPD> document_;
  std::unique_ptr<PDEData> data_;
  std::unique_ptr<QZVJobTicket> ticket_;
};

}  // namespace

TEST_F(PostScriptOutputTest, SampleWithChosenValuesInTheFixedOrder) {
  PDEData& data = Open(SampleWithExtras(), true);
  ScopedHostApplication host("com.adobe.InDesign");
  SetHostApplicationShortVersion("5.0.4");
  data.osOrientation = 2;
  Choose("*MediaType", "Heavy");
  Choose("*QZControlBar", "Strip");
  Choose("*QZDestination", "File");
  Choose("*QZPrintSize", "A4");
  Choose("*PageSize", "A4");
  SetRangeValue(Controls()->FindRangeControl("*QZScale", true), 150);
  Note("*QZMailboxName")->SetNotes("Box 1");
  Note("*QZOutProfile")->SetNotes("EFBBBFsRGB (v2) (web)");
  Note("*QZCurveAdjust")->SetNotes("EFBBBFcurve-1");
  data.mixedMedia.Append(L"*QZMixedMedia", L"1-3:Heavy");
  data.padCovers.Append(L"QZPadCover", L"Front");
  data.slipSheets.Append(L"QZSlipSheet", L"Blue");
  data.coverPages.Append(L"QZCoverPage", L"Back");
  data.paperCatalog[0].SetValue(L"12");
  data.paperCatalog[2].SetValue(L"4");
  data.watermarks->Clear();
  data.watermarks->Append(
      std::make_unique<QZVWatermark>("0,0,0,0,0,0,0,1,0,0,0,0,12,Times-Roman,Draft"));
  data.watermarks->selected = 0;

  const QZVJobTicket& ticket = Run();
  std::vector<std::string> outline = Outline();
  // Suppressed first: every displayable control but the page size.
  std::vector<std::string> suppressed;
  for (const std::string& line : outline)
    if (line.rfind("-9 ", 0) == 0) suppressed.push_back(line.substr(3));
  EXPECT_EQ(suppressed, (std::vector<std::string>{"*QZPrintSize",      "*CustomPrintSize",
                                                  "*MediaType",        "*QZCopiesPerSet",
                                                  "*QZMargin",         "*QZScale",
                                                  "*QZCollate",        "*QZColorMode",
                                                  "*QZEdgeEnhance",    "*Duplex",
                                                  "*QZStaple",         "*QZPunch",
                                                  "*QZServiceMode",    "*Notes1",
                                                  "*Notes2",           "*Resume",
                                                  "*Instruct",         "*QZUserAuthName",
                                                  "*QZUserAuthPwd",    "*QZDisplayJobTracking",
                                                  "*QZAccountSetting", "*QZAccountShowLast",
                                                  "*QZProject",        "*QZCostCenter",
                                                  "*QZFinisher",       "*QZTrays",
                                                  "*QZHardDisk",       "*QZOrientation",
                                                  "*Collate",          "*QZControlBar",
                                                  "*QZDestination",    "*QZMailboxName",
                                                  "*QZOutProfile",     "*QZCurveAdjust"}));
  ASSERT_GE(outline.size(), suppressed.size());
  for (size_t i = 0; i < suppressed.size(); ++i) ASSERT_EQ(outline[i].rfind("-9 ", 0), 0u) << i;
  outline.erase(outline.begin(), outline.begin() + static_cast<long>(suppressed.size()));
  EXPECT_EQ(outline, (std::vector<std::string>{
                         // the first control
                         "70 %%BeginFeature: *PageSize A4",
                         // N-up, source application
                         "81 %%QZV Begin N-Up_Setting\r",
                         "81 %%BeginFeature: *QZSourceAppType TEXTEDIT",
                         // the remaining controls (the custom size has no code of its own)
                         "81 ",
                         "81 %%BeginFeature: *MediaType Heavy",
                         "81 %%BeginFeature: *QZCopiesPerSet 1",
                         "81 %%BeginFeature: *QZMargin 12",
                         "81 %%BeginFeature: *QZCollate True",
                         "81 %%BeginFeature: *QZColorMode CMYK",
                         "81 %%BeginFeature: *QZEdgeEnhance True",
                         "81 %%BeginFeature: *Duplex None",
                         "81 %%BeginFeature: *QZStaple Off",
                         "81 %%BeginFeature: *QZPunch None",
                         "81 %%BeginFeature: *QZServiceMode False",
                         "81 %%BeginFeature: *QZDisplayJobTracking False",
                         "81 %%BeginFeature: *QZAccountSetting EveryJob",
                         "81 %%BeginFeature: *QZAccountShowLast True",
                         "81 %%BeginFeature: *QZFinisher None",
                         "81 %%BeginFeature: *QZTrays Two",
                         "81 %%BeginFeature: *QZHardDisk True",
                         "81 %%BeginFeature: *QZOrientation False",
                         "81 %%BeginFeature: *QZDestination File",
                         // extra feature lists
                         "81 %%BeginFeature: *QZMixedMedia 1-3:Heavy",
                         "81 %%BeginFeature: *QZPadCover Front",
                         "81 %%BeginFeature: *QZSlipSheet Blue",
                         "81 %%BeginFeature: *QZCoverPage Back",
                         // special Tintvane, curve adjustment, control bar
                         "81 %%BeginFeature: *QZOutProfile \xEF\xBB\xBFsRGB (v2) (web)",
                         "81 %%BeginFeature: *QZCurveAdjust \xEF\xBB\xBF"
                         "curve-1",
                         "81 %%BeginFeature: *QZControlBar Strip",
                         // job notes
                         "504 %%MacCoreNUp: true",
                         "504 %%Orientation: Portrait",
                         "30 %%QZVCustom1: 0000",
                         "81 %%BeginFeature: *Notes1 0000",
                         "81 %%BeginFeature: *QZMailboxName Box 1",
                         "81 %%BeginFeature: *QZOutProfile EFBBBFsRGB (v2) (web)",
                         "81 %%BeginFeature: *QZCurveAdjust EFBBBFcurve-1",
                         // watermark, scale, paper catalog, print size
                         "81 %%QZV Begin Watermark resource ",
                         "81 %%BeginFeature: *QZScale 150",
                         "81 %%BeginFeature: *QZPCMID 12",
                         "81 %%BeginFeature: *QZCoverSizePCMID 4",
                         "81 %%BeginFeature: *QZPCPPDSize A4",
                         "81 %%BeginFeature: *QZPrintSize SameAsPageSize",
                         // mailbox, driver comment, insertion marker, UTF-8 version
                         "900 Library/Caches/QZV/Box 1",
                         "501 %%QZVDriver",
                         "71 %%EndTavroPreparse1: True",
                         "501 %%QZUTF8_Version: 6 ",
                     }));

  // The fixed texts, byte for byte.
  const std::vector<std::string> expected = {
      "%%QZV Begin N-Up_Setting\r\nuserdict /TavroVRdict known\r\n{\r\nTavroVRdict "
      "/QZVDoing_N_Up known\r\n{ 1 false TavroVRdict /QZVDoing_N_Up get exec } if\r\n} "
      "if\r\n%%QZV End\r\n",
      "%%BeginFeature: *QZSourceAppType TEXTEDIT\n\n%%EndFeature\n",
      "%%BeginFeature: *QZOrientation False\n%%EndFeature\n",
      "%%BeginFeature: *QZMixedMedia 1-3:Heavy\n%%EndFeature\n",
      "%%BeginFeature: *QZPadCover Front\n%%EndFeature\n",
      "%%BeginFeature: *QZOutProfile \xEF\xBB\xBFsRGB (v2) (web)\n /VRXsetDynamicOption where\n"
      "        { pop (*QZOutProfile) (\xEF\xBB\xBFsRGB \\050v2\\051 (web)) VRXsetDynamicOption } "
      "if\n%%EndFeature\n",
      "%%BeginFeature: *QZCurveAdjust \xEF\xBB\xBF"
      "curve-1\n /VRXsetDynamicOption where\n"
      "        { pop (*QZCurveAdjust) (\xEF\xBB\xBF"
      "curve-1) VRXsetDynamicOption } "
      "if\n%%EndFeature\n",
      "%%BeginFeature: *QZControlBar Strip\n /VRXsetDynamicOption where\n"
      "        { pop (*QZControlBar) (Strip) VRXsetDynamicOption } if\n%%EndFeature\n",
      "%%BeginFeature: *QZScale 150\n userdict /VRXQZVsetpageproperties known {  << "
      "/VRXSetQZScale [ 1.50 ] >> VRXQZVsetpageproperties } { /VRXSetQZScale where { pop "
      "1.50 VRXSetQZScale } if } ifelse \n%%EndFeature\n",
      "%%BeginFeature: *QZPCMID 12\n%%EndFeature\n",
      "%%BeginFeature: *QZPCPPDSize A4\n%%EndFeature\n",
      "%%BeginFeature: *QZPrintSize SameAsPageSize\n\n%%EndFeature\n",
      "%%EndTavroPreparse1: True\n/VRXPPDInsertionComplete where { pop VRXPPDInsertionComplete "
      "} if\n",
  };
  std::vector<std::string> texts;
  for (const TicketEntry& entry : ticket.Entries()) texts.push_back(EntryText(entry));
  for (const std::string& text : expected)
    EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
  EXPECT_EQ(AtSite(ticket, 501),
            (std::vector<std::string>{"%%QZVDriver\n", "%%QZUTF8_Version: 6 \n"}));
  std::string resource;
  ASSERT_EQ(MakeWatermarkResource(*data.watermarks->Selected(), "English", kPMPortrait, resource),
            WatermarkResourceStatus::kWritten);
  EXPECT_NE(std::find(texts.begin(), texts.end(), resource), texts.end());

  // The mailbox goes to the queue as well.
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].title, "Command_PSQZDestination");
  EXPECT_EQ(commands_[0].body, "/Library/Caches/QZV/Box 1");
}

TEST_F(PostScriptOutputTest, ScaleIsAPercentWithTwoDecimals) {
  struct Case {
    long percent;
    const char* fraction;
  } cases[] = {{5, "0.05"}, {75, "0.75"}, {100, "1.00"}, {150, "1.50"}, {400, "4.00"}};
  Open(SmallPPD("*%QZVFlags *QZScale: \"\"\n*%QZVGroup *QZScale FPQZNotes:\n*%QZVRange "
                "*QZScale/Scale: (5;400;1;100) \"/QZScale <*QZScale> def\""),
       false);
  for (const Case& c : cases) {
    SetRangeValue(Controls()->FindRangeControl("*QZScale", true), c.percent);
    Run();
    const std::string f = c.fraction;
    EXPECT_EQ(Starting("%%BeginFeature: *QZScale"),
              (std::vector<std::string>{
                  "%%BeginFeature: *QZScale " + std::to_string(c.percent) +
                  "\n userdict /VRXQZVsetpageproperties known {  << /VRXSetQZScale [ " + f +
                  " ] >> VRXQZVsetpageproperties } { /VRXSetQZScale where { pop " + f +
                  " VRXSetQZScale } if } ifelse \n%%EndFeature\n"}))
        << c.percent;
  }
}

// The colour-management note, the control bar and the paper catalog under
// two-way and without it.
TEST_F(PostScriptOutputTest, TwoWayBranches) {
  const std::string body =
      std::string(kPageAndPrintSize) +
      "*%QZVSpecialOption *QZUTF8_Version: 6\n"
      "*%QZVFlags *QZControlBar: \"\"\n*%QZVGroup *QZControlBar FPQZNotes:\n*OpenUI "
      "*QZControlBar/Control Bar: PickOne\n"
      "*DefaultQZControlBar: False\n"
      "*QZControlBar False/Off: \"/QZBar false def\"\n"
      "*QZControlBar Strip/Strip: \"/QZBar (Strip) def\"\n"
      "*CloseUI: *QZControlBar\n"
      "*%QZVFlags *QZOutProfile: \"\"\n*%QZVGroup *QZOutProfile FPQZNotes:\n"
      "*OpenUI *QZOutProfile/Output Profile: PickOne\n"
      "*DefaultQZOutProfile: Standard\n"
      "*QZOutProfile Standard/Standard: \"/QZProfile (Standard) def\"\n"
      "*CloseUI: *QZOutProfile\n" +
      NoteLine("*QZOutProfile", "Alpha|Numeric|Space", "/QZOutProfile (<*QZOutProfile>) def");
  for (bool bidi : {true, false}) {
    SCOPED_TRACE(bidi ? "two-way" : "one-way");
    PDEData& data = Open(SmallPPD(body), bidi);
    Choose("*QZControlBar", "Strip");
    Note("*QZOutProfile")->SetNotes("EFBBBF(a)(b) x");
    data.paperCatalog[1].SetValue(L"Plain");
    const QZVJobTicket& ticket = Run();
    const std::vector<std::string> profile = Starting("%%BeginFeature: *QZOutProfile");
    const std::vector<std::string> bar = Starting("%%BeginFeature: *QZControlBar");
    const std::vector<std::string> catalog = Starting("%%BeginFeature: *QZPC");
    std::string all;
    for (const TicketEntry& entry : ticket.Entries()) all += EntryText(entry);
    if (bidi) {
      // The first value carries the mark, the second escapes only the first
      // pair of parentheses.
      ASSERT_GE(profile.size(), 1u);
      EXPECT_EQ(profile[0],
                "%%BeginFeature: *QZOutProfile \xEF\xBB\xBF(a)(b) x\n /VRXsetDynamicOption "
                "where\n        { pop (*QZOutProfile) (\xEF\xBB\xBF\\050a\\051(b) x) "
                "VRXsetDynamicOption } if\n%%EndFeature\n");
      EXPECT_EQ(bar, (std::vector<std::string>{
                         "%%BeginFeature: *QZControlBar Strip\n /VRXsetDynamicOption where\n"
                         "        { pop (*QZControlBar) (Strip) VRXsetDynamicOption } "
                         "if\n%%EndFeature\n"}));
      EXPECT_EQ(catalog,
                (std::vector<std::string>{"%%BeginFeature: *QZPCName Plain\n%%EndFeature\n",
                                          "%%BeginFeature: *QZPCPPDSize Letter\n"
                                          "%%EndFeature\n"}));
    } else {
      // The note is cleared and the control's own code written in its place.
      EXPECT_EQ(Note("*QZOutProfile")->CopyCurrentControlValueString().UTF8(), "");
      ASSERT_FALSE(profile.empty());
      EXPECT_EQ(
          profile[0],
          "%%BeginFeature: *QZOutProfile Standard\n/QZProfile (Standard) def\n%%EndFeature\n");
      for (const std::string& text : profile)
        EXPECT_EQ(text.find("VRXsetDynamicOption"), std::string::npos) << text;
      EXPECT_EQ(all.find("(a)(b)"), std::string::npos);
      EXPECT_TRUE(bar.empty());
      EXPECT_TRUE(catalog.empty());
    }
  }
}

TEST_F(PostScriptOutputTest, ControlBarUnderTheUTF8Levels) {
  struct Case {
    const char* level;
    const char* value;
    bool asControl;  // its own code among the controls
    bool asDynamic;  // a dynamic option
  } cases[] = {
      {"6", "True", true, false},
      {"6", "Strip", false, true},
      {"6", "False", false, false},  // the default is no change
      {"5", "Strip", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.level) + " " + c.value);
    Open(SmallPPD(std::string("*%QZVSpecialOption *QZUTF8_Version: ") + c.level +
                  "\n*%QZVFlags *QZControlBar: \"\"\n*%QZVGroup *QZControlBar FPQZNotes:\n*OpenUI "
                  "*QZControlBar/Control Bar: PickOne\n"
                  "*DefaultQZControlBar: False\n"
                  "*QZControlBar False/Off: \"/QZBar false def\"\n"
                  "*QZControlBar True/On: \"/QZBar true def\"\n"
                  "*QZControlBar Strip/Strip: \"/QZBar (Strip) def\"\n*CloseUI: *QZControlBar\n"),
         true);
    Choose("*QZControlBar", c.value);
    Run();
    bool control = false, dynamic = false;
    for (const std::string& text : Starting("%%BeginFeature: *QZControlBar")) {
      if (text.find("VRXsetDynamicOption") != std::string::npos)
        dynamic = true;
      else
        control = true;
    }
    EXPECT_EQ(control, c.asControl);
    EXPECT_EQ(dynamic, c.asDynamic);
    EXPECT_EQ(gQZUTF8Version, std::atoi(c.level));
  }
}

// Which print-size code is written, and whether the page size is.
TEST_F(PostScriptOutputTest, PrintSizeAndCustomPaperFromTheSystem) {
  struct Case {
    const char* printDefault;
    const char* page;
    const char* print;
    bool customPaper;
    bool sameAsPage;  // the fixed text, else the control's code
  } cases[] = {
      {"Letter", "A4", "A4", false, true},
      {"Letter", "a4", "A4", false, true},  // letter case does not count
      {"Letter", "Letter", "A4", false, false},
      {"Letter", "A4", "A4", true, false},
      {"QZPrintSizeDEF", "A4", "A4", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.printDefault) + " " + c.page + " " + c.print +
                 (c.customPaper ? " custom" : ""));
    std::string body = kPageAndPrintSize;
    Replace(body, "*DefaultQZPrintSize: Letter",
            std::string("*DefaultQZPrintSize: ") + c.printDefault);
    Replace(body, "*CloseUI: *PageSize",
            "*PageSize a4/a4: \"<</PageSize [595 842]>> setpagedevice\"\n*CloseUI: *PageSize");
    Replace(body, "*CloseUI: *QZPrintSize",
            "*QZPrintSize QZPrintSizeDEF/Default: \"\"\n*CloseUI: *QZPrintSize");
    PDEData& data = Open(SmallPPD(body), false);
    data.customPaperFromOS = c.customPaper ? 1 : 0;
    Choose("*PageSize", c.page);
    Choose("*QZPrintSize", c.print);
    const QZVJobTicket& ticket = Run();
    const std::vector<std::string> print = Starting("%%BeginFeature: *QZPrintSize");
    ASSERT_EQ(print.size(), 1u);
    if (c.sameAsPage)
      EXPECT_EQ(print[0], "%%BeginFeature: *QZPrintSize SameAsPageSize\n\n%%EndFeature\n");
    else
      EXPECT_EQ(print[0].find("userdict /QZPrintSize (" + std::string(c.print) + ") put"),
                print[0].find('\n') + 1)
          << print[0];
    // With the system's custom paper the queue's page size stays out, even
    // as the first control.
    EXPECT_EQ(AtSite(ticket, kSitePageSize).size(), c.customPaper ? 0u : 1u);
    EXPECT_EQ(Starting("%%BeginFeature: *PageSize").empty(), c.customPaper);
  }
}

TEST_F(PostScriptOutputTest, PaperCatalog) {
  struct Case {
    const char* version;
    const char* language;
    const wchar_t* values[4];
    const char* printSize;
    std::vector<std::string> lines;
  } cases[] = {
      {"3.0", "English", {L"-1", L"-1", L"-1", L"-1"}, "A4", {}},
      {"3.0",
       "English",
       {L"-1", L"Heavy", L"-1", L"0"},
       "A4",
       {"%%BeginFeature: *QZPCName Heavy\n%%EndFeature\n",
        "%%BeginFeature: *QZCoverSizePCName 0\n%%EndFeature\n",
        "%%BeginFeature: *QZPCPPDSize A4\n%%EndFeature\n"}},
      {"3.0",
       "English",
       {L"7", L"-1", L"-1", L"-1"},
       "CustomPrintSize",
       {"%%BeginFeature: *QZPCMID 7\n%%EndFeature\n",
        "%%BeginFeature: *QZPCPPDSize CustomPageSize0\n%%EndFeature\n"}},
      // Only vendor version 3 PPDs take the size.
      {"2.5",
       "English",
       {L"7", L"-1", L"-1", L"-1"},
       "A4",
       {"%%BeginFeature: *QZPCMID 7\n%%EndFeature\n"}},
      // Japanese PPDs before UTF-8 take Japanese bytes.
      {"2.5",
       "Japanese",
       {L"-1", L"\u65e5\u672c", L"-1", L"-1"},
       "A4",
       {"%%BeginFeature: *QZPCName \x93\xfa\x96\x7b\n%%EndFeature\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " " + c.language + " " + c.printSize);
    PDEData& data = Open(SmallPPD(kPageAndPrintSize, c.version, c.language), true);
    for (int i = 0; i < kPaperCatalogPairs; ++i) data.paperCatalog[i].SetValue(c.values[i]);
    Choose("*QZPrintSize", c.printSize);
    Run();
    std::vector<std::string> catalog;
    for (const char* key :
         {"QZPCMID ", "QZPCName ", "QZCoverSizePCMID ", "QZCoverSizePCName ", "QZPCPPDSize "})
      for (const std::string& line : Starting(std::string("%%BeginFeature: *") + key))
        catalog.push_back(line);
    EXPECT_EQ(catalog, c.lines);
  }
}

TEST_F(PostScriptOutputTest, CustomPrintSize) {
  Open(SmallPPD(kPageAndPrintSize), false);
  PPDXCustomPageSizeControl* custom = Controls()->FirstCustomPageSize();
  ASSERT_NE(custom, nullptr);
  custom->SetWidth(300.5f);
  custom->SetHeight(400.25f);
  Choose("*QZPrintSize", "A4");
  Run();
  EXPECT_TRUE(Starting("%%BeginFeature: *CustomPrintSize").empty());
  Choose("*QZPrintSize", "CustomPrintSize");
  Run();
  EXPECT_EQ(Starting("%%BeginFeature: *CustomPrintSize"),
            (std::vector<std::string>{
                "%%BeginFeature: *CustomPrintSize 300.50 400.25\n   userdict "
                "/VRXQZVsetpageproperties known\n   {<< /VRXsetPrintSize [ 300.50 400.25 0 0 1 ] "
                ">> VRXQZVsetpageproperties} if\n%%EndFeature\n"}));
}

// Wide lines are written whole in UTF-8; one that does not fit its room is
// left out, never cut.
TEST_F(PostScriptOutputTest, ExtraFeatureLines) {
  PDEData& data = Open(SmallPPD(""), false);
  data.mixedMedia.Append(L"*QZMixedMedia", L"1-2:Pl\u00e4in \u65e5\u672c");
  data.padCovers.Append(L"QZPadCover", std::wstring(240, L'x'));
  data.coverPages.Append(L"QZCoverPage", L"Front");
  Run();
  EXPECT_EQ(Starting("%%BeginFeature: *QZMixedMedia"),
            (std::vector<std::string>{"%%BeginFeature: *QZMixedMedia 1-2:Pl\xC3\xA4in "
                                      "\xE6\x97\xA5\xE6\x9C\xAC\n%%EndFeature\n"}));
  EXPECT_TRUE(Starting("%%BeginFeature: *QZPadCover").empty());
  EXPECT_EQ(Starting("%%BeginFeature: *QZCoverPage").size(), 1u);
}

// The host decides the N-up block; a bare document still gets the fixed
// entries.
TEST_F(PostScriptOutputTest, HostApplicationAndBareDocument) {
  struct Case {
    const char* host;
    const char* version;
    int32_t orientation;
    bool nUp;
  } cases[] = {
      {"com.adobe.InDesign", "5.0", 2, true},     {"com.adobe.InDesign", "4", 4, true},
      {"com.adobe.InDesign", "6.0", 2, false},    {"com.adobe.InDesign", "5.0", 1, false},
      {"com.adobe.Illustrator", "5.0", 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + c.version);
    PDEData& data = Open(SmallPPD(""), false);
    ScopedHostApplication host(c.host);
    SetHostApplicationShortVersion(c.version);
    SetHostProcessName("Adobe InDesign");
    data.osOrientation = c.orientation;
    data.watermarks->selected = 3;  // no such entry
    const QZVJobTicket& ticket = Run();
    std::vector<std::string> expected;
    if (c.nUp) expected.push_back("81 %%QZV Begin N-Up_Setting\r");
    // The job notes' layout comments come whatever the notes.
    for (const char* line :
         {"81 %%BeginFeature: *QZSourceAppType ADOBE INDESIGN", "504 %%MacCoreNUp: true",
          "504 %%Orientation: Portrait", "501 %%QZVDriver", "71 %%EndTavroPreparse1: True"})
      expected.push_back(line);
    EXPECT_EQ(Outline(), expected);
    EXPECT_EQ(ticket.Entries().size(), expected.size());
  }
}

// A job note as the first control leaves only its enciphered form.
TEST_F(PostScriptOutputTest, FirstControlPassesTheSameRules) {
  Open(SmallPPD(NoteLine("*QZPin", "Numeric|Password|Encrypt", "/QZPin (<*QZPin>) def") +
                kPageAndPrintSize),
       false);
  Note("*QZPin")->SetNotes("98765");
  const QZVJobTicket& ticket = Run();
  for (const TicketEntry& entry : ticket.Entries())
    EXPECT_EQ(EntryText(entry).find("98765"), std::string::npos) << EntryText(entry);
  EXPECT_EQ(Starting("%%BeginFeature: *QZPin").size(), 1u);
}

TEST(PostScriptText, MarkersAndEscapes) {
  EXPECT_EQ(ReplaceBOMMarker("EFBBBFa EFBBBF"),
            "\xEF\xBB\xBF"
            "a \xEF\xBB\xBF");
  EXPECT_EQ(ReplaceBOMMarker("EFBBB efbbbf"), "EFBBB efbbbf");

  struct Case {
    const char* what;
    const char* text;
    const char* result;
  } cases[] = {
      {"(", "a(b(c", "a\\050b(c"},
      {")", "x)y)", "x\\051y)"},
      {"(", "none", "none"},
      {"(", "(", "\\050"},
  };
  for (const Case& c : cases) {
    char* text = strdup(c.text);
    char* result = replaceWithBackslashIfNeeded(c.what, text);
    EXPECT_STREQ(result, c.result);
    // Unchanged text is handed back as it came.
    if (std::strcmp(c.text, c.result) == 0) {
      EXPECT_EQ(result, text);
    }
    std::free(result);
  }
  EXPECT_EQ(replaceWithBackslashIfNeeded("(", nullptr), nullptr);
}

namespace {

const char* const kWorkflowNotes[] = {"*QZUserName",     "*QZUserPassword",   "*QZIP",
                                      "*QZWorkflowName", "*QZWorkflowFolder", "*QZJobriftJobId",
                                      "*QZJRNewJobID"};

// The workflow client's stand-in installed under the system root, its calls
// logged to a file.
class JobriftTest : public PostScriptOutputTest {
 protected:
  void SetUp() override {
    PostScriptOutputTest::SetUp();
    log_ = dir_.path() / "jobrift.log";
    ::setenv("TAVRO_JR_LOG", log_.c_str(), 1);
    for (const char* name : {"TAVRO_JR_JOBID", "TAVRO_JR_NO_SESSION", "TAVRO_JR_JOB_FAILS"})
      ::unsetenv(name);
  }
  void TearDown() override {
    for (const char* name :
         {"TAVRO_JR_LOG", "TAVRO_JR_JOBID", "TAVRO_JR_NO_SESSION", "TAVRO_JR_JOB_FAILS"})
      ::unsetenv(name);
    PostScriptOutputTest::TearDown();
  }
  void Install() {
    const std::filesystem::path library = SystemPath(kJobriftClientLibrary);
    std::filesystem::create_directories(library.parent_path());
    std::filesystem::copy_file(TAVRO_JOBRIFT_STUB, library);
  }
  PDEData& OpenWorkflow(bool bidi) {
    std::string body = "*%QZVSpecialOption *Corvane: True\n";
    for (const char* keyword : kWorkflowNotes) body += NoteLine(keyword, "Alpha|Numeric|Space");
    PDEData& data = Open(SmallPPD(body), bidi);
    Note("*QZUserName")->SetNotes("ann");
    Note("*QZUserPassword")->SetNotes("pw1");
    Note("*QZIP")->SetNotes("10.0.0.9");
    Note("*QZWorkflowName")->SetNotes("Proof");
    Note("*QZWorkflowFolder")->SetNotes("Hot Folder");
    settings_.SetString("com.apple.print.JobInfo.PMJobName", "Report 7");
    return data;
  }
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string JobId(const char* keyword) {
    return Note(keyword)->CopyCurrentControlValueString().UTF8();
  }

  std::filesystem::path log_;
};

const char* const kOpenCall = "open|10.0.0.9|ann|pw1|english|0";
const char* const kCreateCall = "create|session|Hot Folder|Report 7|/tmp/Proof.xml";
const char* const kCloseCall = "close|session";

}  // namespace

// Under two-way a PPD with the workflow option registers the job and takes
// the identifier the service gives it.
TEST_F(JobriftTest, PrintRegistersTheJobUnderTwoWay) {
  Install();
  ::setenv("TAVRO_JR_JOBID", "JR-77\xC3\xA9", 1);
  OpenWorkflow(true);
  Run();
  EXPECT_EQ(Calls(), (std::vector<std::string>{kOpenCall, kCreateCall, kCloseCall}));
  EXPECT_EQ(JobId("*QZJobriftJobId"), "JR-77\xC3\xA9");
  EXPECT_EQ(JobId("*QZJRNewJobID"), "JR-77\xC3\xA9");

  // Without two-way the service is not asked.
  std::filesystem::remove(log_);
  OpenWorkflow(false);
  Run();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(JobId("*QZJobriftJobId"), "");
}

TEST_F(JobriftTest, CallsByModeAndAnswer) {
  struct Case {
    const char* name;
    int mode;
    const char* setting;  // environment switch of the stand-in
    std::vector<std::string> calls;
    const char* jobId;
  } cases[] = {
      {"new job", 2, nullptr, {kOpenCall, kCreateCall, kCloseCall}, "JR-1001"},
      {"other mode", 1, nullptr, {kOpenCall, kCloseCall}, ""},
      {"no session", 2, "TAVRO_JR_NO_SESSION", {kOpenCall}, ""},
      {"job refused", 2, "TAVRO_JR_JOB_FAILS", {kOpenCall, kCreateCall, kCloseCall}, ""},
  };
  Install();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(log_);
    if (c.setting) ::setenv(c.setting, "1", 1);
    PDEData& data = OpenWorkflow(true);
    data.UploadJobriftXMLFiles(c.mode);
    if (c.setting) ::unsetenv(c.setting);
    EXPECT_EQ(Calls(), c.calls);
    EXPECT_EQ(JobId("*QZJobriftJobId"), c.jobId);
    EXPECT_EQ(JobId("*QZJRNewJobID"), c.jobId);
  }
}

TEST_F(JobriftTest, NothingHappensWithoutTheLibrary) {
  PDEData& data = OpenWorkflow(true);
  data.UploadJobriftXMLFiles(2);
  Run();
  EXPECT_FALSE(std::filesystem::exists(log_));
  EXPECT_EQ(JobId("*QZJobriftJobId"), "");
}
