// The panel's lifecycle under a host's calls, on local queues of the sample
// PPD: which PPDs get a panel, what restoring takes from the print settings,
// the automation file, the two ways the ticket reaches the queue, closing
// without printing, the process-wide panel pointers in every order of
// release, and the choices a host without a screen makes.
#include "shell/TavroFeaturesPDE.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/QZVPPD.h"
#include "foundation/CurrentPrintSession.h"
#include "foundation/PDEIdentity.h"
#include "panel/PDEData.h"
#include "platform/LocalQueues.h"
#include "platform/Log.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PMPrinter.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "serverlink/LocalQueueLink.h"
#include "serverlink/WaitClock.h"
#include "shell/HeadlessHost.h"
#include "shell/PlistParser.h"
#include "shell/PopupJobNoteState.h"
#include "shell/TavroFeaturesPDEPlugIn.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamplePPD = std::string(TAVRO_SOURCE_DIR) + "/samples/TavroC750.ppd";

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The waits for command jobs pass at once: time moves only by the sleeps.
class InstantClock : public WaitClock {
 public:
  void SleepMs(int milliseconds) override { now_ += milliseconds / 1000.0; }
  double NowSeconds() override { return now_; }

 private:
  double now_ = 0;
};

// A panel released however the test ends.
struct PanelDeleter {
  void operator()(TavroFeaturesPDE* panel) const {
    if (panel) panel->Release();
  }
};
using Panel = std::unique_ptr<TavroFeaturesPDE, PanelDeleter>;

class PanelLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.Ok());
    root_.emplace(dir_.Path() + "/root");
    fs::create_directories(dir_.Path() + "/root/Library/Caches/QZV");
    fs::create_directories(dir_.Path() + "/tmp");
    const char* tmp = std::getenv("TMPDIR");
    savedTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
    ::setenv("TMPDIR", (dir_.Path() + "/tmp").c_str(), 1);
    backend_.emplace(PMBackend::Local);
    clock_.emplace(instant_);
    InstallLocalQueueCommands();
    LocalQueueResetJobs();
    SetLogPause(false);
  }
  void TearDown() override {
    SetAccountingPrompt(nullptr);
    hosts_.clear();
    LocalQueueResetJobs();
    backend_.reset();
    clock_.reset();
    if (savedTmp_) {
      ::setenv("TMPDIR", savedTmp_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    root_.reset();
  }

  // A queue of the given PPD text; its host callback.
  HeadlessHost& Queue(const std::string& name, const std::string& ppdText = ReadWhole(kSamplePPD),
                      const std::string& makeAndModel = "") {
    const std::string ppd = dir_.Path() + "/" + name + ".source.ppd";
    std::ofstream(ppd) << ppdText;
    LocalQueueSetup setup;
    setup.deviceURI = "file://" + dir_.Path() + "/" + name + ".out";
    setup.makeAndModel = makeAndModel;
    EXPECT_EQ(noErr, LocalQueueCreate(name, ppd, setup));
    PMPrinterRef printer;
    EXPECT_EQ(noErr, PMPrinterCreateFromPrinterID(name, &printer));
    hosts_.push_back(std::make_unique<HeadlessHost>(printer));
    return *hosts_.back();
  }

  static Panel Make(HeadlessHost& host) { return Panel(TavroFeaturesPDE::initWithCallback(&host)); }

  static std::vector<PMJobInfo> CommandJobs() {
    std::vector<PMJobInfo> jobs, commands;
    PMCopyAllJobs(&jobs);
    for (const PMJobInfo& job : jobs) {
      if (job.title == "Command_PSTempFileName" || job.title == "Command_WritePSTemp") {
        commands.push_back(job);
      }
    }
    return commands;
  }

  static std::string Value(TavroFeaturesPDE& panel, const char* keyword) {
    CNTL_TYPE type;
    PPDXControl* control = panel.getPPDPtr()->GetControls()->Find(keyword, type, true);
    return control ? control->CopyCurrentControlValueString().UTF8() : "<none>";
  }

  std::string Root() const { return dir_.Path() + "/root"; }

  TempDir dir_{"tavro-shell"};
  std::optional<ScopedTavroRoot> root_;
  std::optional<ScopedPrintingBackend> backend_;
  InstantClock instant_;
  std::optional<ScopedWaitClock> clock_;
  std::optional<std::string> savedTmp_;
  std::vector<std::unique_ptr<HeadlessHost>> hosts_;
};

}  // namespace

TEST(PanelText, PrinterNameIsCutBeforeTheLastBlankOfItsFirst38Characters) {
  const std::string exactly38 = "Tavro C750 PostScript Controller 10.41";
  ASSERT_EQ(38u, exactly38.size());
  struct Case {
    std::string name;
    std::string shown;
  } cases[] = {
      {exactly38, exactly38},
      {exactly38 + "X", "Tavro C750 PostScript Controller"},
      {"Tavro C750 PostScript Controller 10.41 ", "Tavro C750 PostScript Controller"},
      {std::string(45, 'x'), std::string(38, 'x')},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, PrinterNameForDisplay(c.name)) << c.name;
}

TEST(PanelText, CustomPaperNamesBySystemVersion) {
  struct Case {
    const char* name;
    int minor;
    const char* reported;
  } cases[] = {{"tabloid", 9, "Tabloid"}, {"SRA3", 9, "SRA3"},       {"A4", 9, "Custom"},
               {"Tabloid", 15, "Custom"}, {"tabloid", 8, "tabloid"}, {"My Paper", 8, "My Paper"}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.reported, CustomPaperNameForSystem(c.name, c.minor)) << c.name << " " << c.minor;
  }
}

TEST(PanelText, QueueNameIsTheLastComponentWithoutPpd) {
  struct Case {
    const char* path;
    bool ok;
    const char* name;
  } cases[] = {{"/etc/cups/ppd/C750.ppd", true, "C750"},
               {"C750.ppd", true, "C750"},
               {"/x/Office.ppd.bak", true, "Office.bak"},
               {"/x/y/", false, nullptr},
               {"/x/queue", false, nullptr},
               {"", false, nullptr}};
  for (const Case& c : cases) {
    getQueuePPDName("/reset/Before.ppd");
    EXPECT_EQ(c.ok, getQueuePPDName(c.path)) << c.path;
    EXPECT_STREQ(c.ok ? c.name : "Before", CurrentQueueName()) << c.path;
  }
  const std::string longName(300, 'q');
  ASSERT_TRUE(getQueuePPDName(("/p/" + longName + ".ppd").c_str()));
  EXPECT_EQ(std::string(255, 'q'), CurrentQueueName());
}

TEST(Automation, PresetNamesCountUpWithoutLeadingZeroFrom10) {
  struct Case {
    std::optional<std::string> last;
    const char* next;
  } cases[] = {{std::nullopt, "Preset 01"}, {"", "Preset 01"},
               {"Preset 01", "Preset 02"},  {"Preset 09", "Preset 10"},
               {"Preset 10", "Preset 11"},  {"garbage", "Preset 01"},
               {"Preset -4", "Preset 01"},  {"Preset 99999999999", "Preset 1000000"}};
  for (const Case& c : cases) {
    std::optional<PlistValue> value;
    if (c.last) value = PlistValue::String(*c.last);
    EXPECT_EQ(c.next, PlistParser::NextPresetName(value ? &*value : nullptr))
        << c.last.value_or("<missing>");
  }
}

TEST_F(PanelLifecycleTest, OnlyListedPPDsWithAControllerVersionGetAPanel) {
  const std::string sample = ReadWhole(kSamplePPD);
  struct Case {
    const char* name;
    std::string ppd;
    bool panel;
  } cases[] = {
      {"Served", sample, true},
      {"Unlisted", Replace(sample, "*PCFileName: \"TAVC750.PPD\"", "*PCFileName: \"OTHER.PPD\""),
       false},
      {"Unversioned", Replace(sample, "*%QZVersion: \"1.0\"", "*%Comment: \"1.0\""), false},
  };
  for (const Case& c : cases) {
    HeadlessHost& host = Queue(c.name, c.ppd);
    TavroFeaturesPDEPlugIn plugIn;
    std::optional<std::vector<TavroFeaturesPDE*>> panels =
        plugIn.PDEPanelsForType(TAVRO_PDE_PANEL_TYPE, &host);
    EXPECT_EQ(c.panel, panels.has_value()) << c.name;
    if (panels) {
      ASSERT_EQ(1u, panels->size());
      EXPECT_EQ(panels->front(), CurrentPDEPanel());
      EXPECT_EQ(kPDEBundleIdentifier, panels->front()->PanelKind());
      for (TavroFeaturesPDE* p : *panels) p->Release();
    }
    EXPECT_EQ(nullptr, CurrentPDEPanel()) << c.name;
    // Nothing process-wide is left pointing at the host's session.
    EXPECT_EQ(nullptr, CurrentPrintSession()) << c.name;
    // Any other type: no panels, and the C entry says the same.
    std::optional<std::vector<TavroFeaturesPDE*>> other = plugIn.PDEPanelsForType("other", &host);
    ASSERT_TRUE(other.has_value());
    EXPECT_TRUE(other->empty());
    TavroPDEPanel* made[2] = {};
    EXPECT_EQ(0, TavroPDEPanelsForType("other", &host, made, 2));
    const int count = TavroPDEPanelsForType(TAVRO_PDE_PANEL_TYPE, &host, made, 2);
    EXPECT_EQ(c.panel ? 1 : -1, count) << c.name;
    for (int i = 0; i < count; ++i) made[i]->Release();
  }
}

TEST_F(PanelLifecycleTest, RestoreTakesTheSettingsOnlyForTheSamePCFileName) {
  struct Case {
    const char* pcFileName;
    bool withQZDuplex;
    const char* duplex;
  } cases[] = {{"tavc750.ppd", true, "DuplexTumble"},
               {"TAVC750.PPD", false, "DuplexTumble"},
               {"OTHER.PPD", true, "None"},
               {nullptr, true, "None"}};
  for (const Case& c : cases) {
    HeadlessHost& host = Queue("Restore");
    if (c.pcFileName) host.PrintSettings()->SetString("PCFILENAME", c.pcFileName);
    host.PrintSettings()->SetString("*Duplex", "DuplexTumble");
    if (c.withQZDuplex) host.PrintSettings()->SetString("*QZDuplex", "None");
    Panel panel = Make(host);
    ASSERT_TRUE(panel);
    EXPECT_EQ(c.duplex, Value(*panel, "*Duplex")) << (c.pcFileName ? c.pcFileName : "none");
    EXPECT_TRUE(panel->shouldRestoreSettings());
    EXPECT_EQ("TAVC750.PPD", host.PrintSettings()->GetString("PCFILENAME").value_or(""));
    // A change the settings do not hold goes back at the next restore.
    CNTL_TYPE type;
    auto* media = dynamic_cast<PPDXPopupControl*>(
        panel->getPPDPtr()->GetControls()->Find("*MediaType", type, true));
    ASSERT_NE(nullptr, media);
    media->SetKeywordSelect("Heavy", true);
    host.PrintSettings()->RemoveValue("*MediaType");
    panel->RestoreValues();
    EXPECT_EQ(media->GetDefaultKeyword(), Value(*panel, "*MediaType"));
  }
}

TEST_F(PanelLifecycleTest, AutomationPresetIsAppliedOncePerPanel) {
  PlistValue settings = PlistValue::MakeDict();
  settings.Set("*Duplex", PlistValue::String("DuplexNoTumble"));
  settings.Set("*Notes2", PlistValue::String("from the preset"));
  PlistValue preset = PlistValue::MakeDict();
  preset.Set(kPresetSettingsKey, settings);
  PlistValue file = PlistValue::MakeDict();
  file.Set(kAutomationKeyName, PlistValue::String(kAutomationKeyValue));
  file.Set("Preset 01", preset);
  const std::string path = PlistParser::FilePath(kAutomationFile);
  ASSERT_EQ(Root() + "/PresetsFile.xml", path);
  std::ofstream(path) << file.ToXml();

  HeadlessHost& host = Queue("Auto");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  EXPECT_TRUE(panel->automationApplied());
  EXPECT_EQ("DuplexNoTumble", Value(*panel, "*Duplex"));
  EXPECT_EQ("from the preset", Value(*panel, "*Notes2"));
  PlistParser parser;
  ASSERT_TRUE(parser.isValidAutomationFile(kAutomationFile));
  EXPECT_EQ("Preset 01", parser.Dictionary().Find(kLastUsedPresetKey)->GetString());
  // Shown again: the file is not read again.
  panel->WillShow();
  panel->RestoreValues();
  ASSERT_TRUE(parser.isValidAutomationFile(kAutomationFile));
  EXPECT_EQ("Preset 01", parser.Dictionary().Find(kLastUsedPresetKey)->GetString());

  // A file without the automation key is not used.
  file.Set(kAutomationKeyName, PlistValue::String("something else"));
  file.Remove(kLastUsedPresetKey);
  std::ofstream(path, std::ios::trunc) << file.ToXml();
  HeadlessHost& other = Queue("Other");
  Panel second = Make(other);
  ASSERT_TRUE(second);
  EXPECT_NE("DuplexNoTumble", Value(*second, "*Duplex"));
}

TEST_F(PanelLifecycleTest, PrintingHandsTheTicketOverByCommandsFrom107AndAsAFileBefore) {
  for (int minor : {15, 7, 6}) {
    SCOPED_TRACE(minor);
    ScopedSystemMinorVersion version(minor);
    LocalQueueResetJobs();
    HeadlessHost& host = Queue("Print");
    Panel panel = Make(host);
    ASSERT_TRUE(panel);
    panel->SaveValues();
    EXPECT_TRUE(CommandJobs().empty()) << "saving sends no ticket";
    ASSERT_TRUE(panel->ShouldPrint());
    EXPECT_TRUE(panel->isDocumentPrinting());
    const std::string name =
        host.PrintSettings()->GetString(CreatePostscriptDataFileKey().UTF8()).value_or("");
    ASSERT_FALSE(name.empty());
    const std::vector<PMJobInfo> commands = CommandJobs();
    if (minor >= 7) {
      ASSERT_EQ(2u, commands.size());
      EXPECT_EQ("Command_PSTempFileName", commands[0].title);
      EXPECT_EQ("Command_WritePSTemp", commands[1].title);
      for (const PMJobInfo& job : commands) EXPECT_EQ(kPMJobCompleted, job.state);
      // The queue's side wrote the file the settings name.
      EXPECT_EQ(0u, name.rfind("/Library/Caches/QZV/Tavro.temp", 0)) << name;
      EXPECT_NE(std::string::npos, ReadWhole(SystemPath(name)).find("<plist")) << name;
    } else {
      EXPECT_TRUE(commands.empty());
      EXPECT_NE(std::string::npos, ReadWhole(name).find("<plist")) << name;
    }
    const size_t before = CommandJobs().size();
    panel->PrintWindowWillClose();
    EXPECT_EQ(before, CommandJobs().size()) << "closing after printing sends nothing";
  }
}

TEST_F(PanelLifecycleTest, ClosingWithoutPrintingKeepsATicketAndSendsNothing) {
  HeadlessHost& host = Queue("Close");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  const std::string key = CreatePostscriptDataFileKey().UTF8();
  host.PrintSettings()->RemoveValue(key);
  panel->PrintWindowWillClose();
  EXPECT_FALSE(panel->isDocumentPrinting());
  EXPECT_FALSE(host.PrintSettings()->GetString(key).value_or("").empty());
  EXPECT_TRUE(CommandJobs().empty());
  // The print settings carry every control's value.
  EXPECT_TRUE(host.PrintSettings()->GetString("*Duplex").has_value());
}

TEST_F(PanelLifecycleTest, AnAccountingCancelStopsThePrintBeforeTheTicket) {
  HeadlessHost& host = Queue("Cancel");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  int asked = 0;
  SetAccountingPrompt([&asked] { return ++asked, false; });
  EXPECT_FALSE(panel->ShouldPrint());
  EXPECT_EQ(1, asked);
  EXPECT_FALSE(panel->isDocumentPrinting());
  EXPECT_TRUE(CommandJobs().empty());
}

TEST_F(PanelLifecycleTest, ProcessWidePanelsStayConsistentInEveryOrderOfRelease) {
  for (int count : {2, 3}) {
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
    do {
      std::string trace;
      for (int i : order) trace += std::to_string(i);
      SCOPED_TRACE("panels " + std::to_string(count) + ", released in order " + trace);
      std::vector<TavroFeaturesPDE*> panels;
      std::set<TavroFeaturesPDE*> live;
      for (int i = 0; i < count; ++i) {
        TavroFeaturesPDE* panel =
            TavroFeaturesPDE::initWithCallback(&Queue("Q" + trace + std::to_string(i)));
        ASSERT_NE(nullptr, panel);
        EXPECT_EQ(panel, CurrentPDEPanel());
        if (i > 0) {
          EXPECT_EQ(panels.back(), SavedPDEPanel());
        }
        EXPECT_EQ(i >= 2, IgnoreNextPanelRelease());
        panels.push_back(panel);
        live.insert(panel);
      }
      for (int i : order) {
        TavroFeaturesPDE* panel = panels[static_cast<size_t>(i)];
        live.erase(panel);
        panel->Release();
        for (TavroFeaturesPDE* p : {CurrentPDEPanel(), SavedPDEPanel()}) {
          EXPECT_TRUE(p == nullptr || live.count(p)) << "a pointer names a released panel";
        }
        if (!live.empty()) {
          // The other parts still reach a live panel's model.
          ASSERT_NE(nullptr, CurrentPDEPanel());
          EXPECT_NE(nullptr, getPPDPtr());
          EXPECT_NE(nullptr, GetPDEDataPtr());
        }
      }
      EXPECT_EQ(nullptr, CurrentPDEPanel());
      EXPECT_EQ(nullptr, SavedPDEPanel());
      EXPECT_EQ(nullptr, CurrentPrintSession());
    } while (std::next_permutation(order.begin(), order.end()));
  }
}

TEST_F(PanelLifecycleTest, ThePanelShowsTheMakeAndModelByTheCutRule) {
  HeadlessHost& host =
      Queue("Named", ReadWhole(kSamplePPD), "Tavro C750 PostScript Controller 10.41 Office");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  EXPECT_EQ("Tavro C750 PostScript Controller", panel->panelView()->PrinterNameText());
  EXPECT_FALSE(panel->PanelName().empty());
}

TEST_F(PanelLifecycleTest, HeadlessChoicesAreCheckedLikeTheUsersChoices) {
  HeadlessHost& host = Queue("Choose");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  struct Case {
    const char* keyword;
    const char* value;
    TavroPDEChoiceResult result;
    const char* message;  // part of the message
  } cases[] = {
      {"Duplex", "DuplexNoTumble", TavroPDEChoiceResult::kApplied, ""},
      {"*MediaType", "Heavy", TavroPDEChoiceResult::kApplied, ""},
      {"Bogus", "1", TavroPDEChoiceResult::kUnknownKeyword, "no feature Bogus"},
      {"Duplex", "Sideways", TavroPDEChoiceResult::kUnknownValue, "its values: "},
      // Two-sided printing is set, so transparencies conflict with it.
      {"MediaType", "Transparency", TavroPDEChoiceResult::kConstrained, "conflicts"},
      {"QZCollate", "Maybe", TavroPDEChoiceResult::kUnknownValue, "True and False"},
      {"QZCopiesPerSet", "51", TavroPDEChoiceResult::kUnknownValue, "from 1 to 50"},
      {"QZCopiesPerSet", "12", TavroPDEChoiceResult::kApplied, ""},
      {"Notes1", "12345678901234567", TavroPDEChoiceResult::kUnknownValue, "at most 16"},
      {"Notes2", "Deliver to room 4", TavroPDEChoiceResult::kApplied, ""},
  };
  for (const Case& c : cases) {
    std::string message;
    EXPECT_EQ(c.result, panel->ChooseFeature(c.keyword, c.value, &message))
        << c.keyword << "=" << c.value << ": " << message;
    EXPECT_NE(std::string::npos, message.find(c.message)) << message;
  }
  EXPECT_EQ("DuplexNoTumble", Value(*panel, "*Duplex"));
  EXPECT_EQ("Heavy", Value(*panel, "*MediaType"));
  EXPECT_EQ("12", Value(*panel, "*QZCopiesPerSet"));
  // The ticket a print would hand over carries the choices.
  const std::string ticket = panel->DescribeTicket();
  EXPECT_NE(std::string::npos, ticket.find("site -9, 7 bytes: *Duplex")) << ticket.substr(0, 600);
  EXPECT_NE(std::string::npos, ticket.find("Deliver to room 4")) << ticket;
}

TEST_F(PanelLifecycleTest, AWatermarkIsChosenFromTheDefaultsAndKeptForTheQueue) {
  HeadlessHost& host = Queue("Marks");
  Panel panel = Make(host);
  ASSERT_TRUE(panel);
  std::string message;
  EXPECT_EQ(TavroPDEChoiceResult::kUnknownValue, panel->SelectWatermark(99, &message));
  EXPECT_NE(std::string::npos, message.find("5 watermarks")) << message;
  ASSERT_EQ(TavroPDEChoiceResult::kApplied, panel->SelectWatermark(1, &message)) << message;
  panel->SaveValues();
  EXPECT_EQ(1, host.PrintSettings()->GetInteger(".SelectedWatermarkKey").value_or(-1));
  EXPECT_EQ(0, host.PrintSettings()->GetInteger("WatermarkFirstPageInfo").value_or(-1));
  // The next dialog of the same queue restores the selection.
  panel.reset();
  Panel next = Make(host);
  ASSERT_TRUE(next);
  EXPECT_EQ(1, next->GetPDEDataPtr()->watermarks->selected);
}
