#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
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
         version + "\"\n*%QZVGroupName FPQZNotes/Notes: True\n" + body + "\n*% End of PPD file\n";
}

const char* const kPageAndPrintSize = R"(
*OpenUI *PageSize/Page Size: PickOne
*DefaultPageSize: Letter
*PageSize Letter/Letter: "<</PageSize [612 792]>> setpagedevice"
*PageSize A4/A4: "<</PageSize [595 842]>> setpagedevice"
*CloseUI: *PageSize
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
    const char* tmp = std::getenv("TMPDIR");
    savedTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
    std::filesystem::create_directories(dir_.path() / "tmp");
    ::setenv("TMPDIR", (dir_.path() / "tmp").c_str(), 1);
    previousChannel_ = SetPreferencesChannel(
        PreferencesChannel{[this]() -> std::optional<std::u32string> { return stored_; },
                           [this](const std::string&, const std::string& text) {
                             stored_ = CFString::FromUTF8(text).UTF32();
                             return PreferencesSendResult::kCompleted;
                           }});
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
    SetPreferencesChannel(std::move(previousChannel_));
    if (savedTmp_)
      ::setenv("TMPDIR", savedTmp_->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
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
    stored_ = CFString::FromUTF8(PlistValue::MakeArray(items).ToXml()).UTF32();
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
  std::optional<std::string> savedTmp_;
  PreferencesChannel previousChannel_;
  LocalQueueCommandHandler previousHandler_;
  std::string savedProcess_;
  std::string savedVersion_;
  std::optional<std::u32string> stored_;
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
  QZVWatermark watermark("0,0,0,0,0,0,0,1,0,0,0,0,12,Times-Roman,Draft");
  data.watermarks->items[0] = &watermark;
  data.watermarks->count = 1;
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
  ASSERT_EQ(MakeWatermarkResource(watermark, "English", kPMPortrait, resource),
            WatermarkResourceStatus::kWritten);
  EXPECT_NE(std::find(texts.begin(), texts.end(), resource), texts.end());

  // The mailbox goes to the queue as well.
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0].title, "Command_PSQZDestination");
  EXPECT_EQ(commands_[0].body, "/Library/Caches/QZV/Box 1");
}
