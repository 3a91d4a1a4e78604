// Whole sessions with our job properties component, told by a script what
// its dialog answers.
#include <fstream>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "panel/QZVWatermark.h"
#include "panel/UI_PanelTestSupport.h"
#include "platform/Alert.h"
#include "platform/RunLoop.h"
#include "serverlink/JPLibrary.h"
#include "serverlink/JPSession.h"
#include "serverlink/JPSessionHost.h"

namespace {

constexpr const char* kMark = "0,0,0,0,0,0,0,0,0,450,0,0,72,Helvetica,";

class ViewModelSessionTest : public ViewModelTest {
 protected:
  void SetUp() override {
    ViewModelTest::SetUp();
    SetJPLibraryDirectory(TAVRO_JP_LIBRARY_DIR);
    SetJPReadyTimeout(std::chrono::seconds(10));
    GetSharedListState() = SharedListState();
    JPSessionHost host;
    host.windowTitle = [] { return std::string("Printing Preferences"); };
    SetJPSessionHost(std::move(host));
  }
  void TearDown() override {
    panel_.reset();
    UnloadJPModule();
    SetSharedMemoryList(nullptr);
    SetJPSessionHost(JPSessionHost());
    SetJPLibraryDirectory("");
    unsetenv("TAVRO_JP_SCRIPT");
    ViewModelTest::TearDown();
  }

  void Script(const std::string& lines) {
    const std::string path = (dir_.path() / "script.txt").string();
    std::ofstream(path) << "record " << RecordPath() << "\n" << lines;
    setenv("TAVRO_JP_SCRIPT", path.c_str(), 1);
  }
  std::string RecordPath() const { return (dir_.path() / "record.txt").string(); }
  std::string Result() const {
    SharedMemoryList* shared = panel_->SharedList();
    return shared ? std::string(FieldText(shared->result, sizeof shared->result)) : "<none>";
  }

  // Every control moved off its default (the custom print size chosen).
  void ChangeEveryControl() {
    CNTL_TYPE type = kNoControl;
    for (PPDXControl* c = Controls()->First(type); c; c = Controls()->Next(type)) {
      switch (type) {
        case kPopupControl: {
          auto* popup = static_cast<PPDXPopupControl*>(c);
          popup->SetValue(popup->GetValue() == 1 ? 2 : 1);
          break;
        }
        case kBooleanControl:
          c->SetCurrentControlWithCFString(
              CFSTR(c->CopyCurrentControlValueString().UTF8() == "True" ? "False" : "True"));
          break;
        case kRangeControl:
          static_cast<PPDXRangeControl*>(c)->SetValue(static_cast<PPDXRangeControl*>(c)->MaxVal());
          break;
        case kFloatRangeControl:
          static_cast<PPDXFloatRangeControl*>(c)->SetValue(
              static_cast<PPDXFloatRangeControl*>(c)->MaxVal());
          break;
        case kJobNoteControl:
          c->SetCurrentControlWithCFString(CFSTR("4321"));
          break;
        default:
          break;
      }
    }
    Control("*QZPrintSize")->SetCurrentControlWithCFString(CFSTR("CustomPrintSize"));
    Control("*CustomPrintSize")->SetCurrentControlWithCFString(CFSTR("300 400"));
  }

  std::vector<std::string> alerts_;
  size_t answer_ = 0;
  ScopedAlertAnswerer answerer_{[this](const AlertRequest& request) {
    alerts_.push_back(request.title);
    return answer_;
  }};
};

}  // namespace

// Model, list, component, list, model: every value comes back.
TEST_F(ViewModelSessionTest, RoundTripKeepsEveryValue) {
  Build();
  const Rows defaults = DefaultRows();
  ChangeEveryControl();
  panel_->GetWatermarks(nullptr);
  data_->watermarks->selected = 2;
  data_->watermarks->items[2]->SetFirstPageOnly(L"True");
  data_->paperCatalog[0].SetValue(L"17");
  data_->paperCatalog[1].SetValue(L"Glossy \u00e9 200");
  data_->mixedMedia.Append(L"*MM_A1", L"Tray 2");
  data_->mixedMedia.Append(L"*RangeProp2", L"4-9");
  data_->padCovers.Append(L"*PadCover1", L"On");
  data_->coverPages.Append(L"*CoverPage_Front", L"Tray1");
  data_->slipSheets.Append(L"*SlipSheet_A", L"Blue");
  const Rows changed = DefaultRows();
  ASSERT_EQ(changed.size(), defaults.size() + 5);
  for (size_t i = 0; i < 27; ++i)
    EXPECT_NE(changed[i].second, defaults[i].second) << changed[i].first;

  // Once the list is made, the model goes back to its defaults: whatever it
  // holds after the session came back from the component.
  pane_.onButtonsOff = [this, &changed] {
    panel_->ResetControlsToDefault();
    data_->watermarks->selected = -1;
    EXPECT_NE(DefaultRows(), changed);
  };
  Script("result 0\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  ASSERT_EQ(Result(), "0");
  EXPECT_EQ(DefaultRows(), changed);
  EXPECT_TRUE(data_->watermarks->items[2]->FirstPageOnly());
}

TEST_F(ViewModelSessionTest, AcceptedSessionAppliesTheComponentsValues) {
  Build();
  Script("result 0\nset Duplex=DuplexTumble\nset QZ_WATERMARK=1\nwatermark 0=" +
         std::string(kMark) + "Top\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_EQ(Result(), "0");
  EXPECT_EQ(Value("*Duplex"), "DuplexTumble");
  ASSERT_EQ(data_->watermarks->count, 1u);
  EXPECT_STREQ(data_->watermarks->items[0]->Text(), "Top");
  EXPECT_EQ(data_->watermarks->selected, 0);
  EXPECT_TRUE(panel_->getReturnFromJP());
  // Buttons and shortcuts are off while the component runs, on again after.
  EXPECT_EQ(pane_.calls, (std::vector<std::string>{"buttons off", "shortcuts off", "buttons on",
                                                   "shortcuts on"}));
  EXPECT_EQ(address_.calls,
            (std::vector<std::string>{"configure on", "checkbox on", "checkbox off"}));
  SharedMemoryList* shared = panel_->SharedList();
  EXPECT_EQ(FieldText(shared->bidiEnabled, sizeof shared->bidiEnabled), "0");
  EXPECT_EQ(FieldText(shared->ppdLocation, sizeof shared->ppdLocation),
            std::string(data_->ppdCopyPath));
  EXPECT_TRUE(alerts_.empty());
}

TEST_F(ViewModelSessionTest, DeclinedSessionChangesNothing) {
  Build();
  const Rows before = DefaultRows();
  address_.twoWay = true;
  address_.address = "10.9.8.7";
  Script("result 1\nset Duplex=DuplexTumble\n");
  const int draws = pane_.draws;
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_EQ(Result(), "1");
  address_.twoWay = false;
  EXPECT_EQ(DefaultRows(), before);
  EXPECT_EQ(pane_.draws, draws + 1);
  SharedMemoryList* shared = panel_->SharedList();
  EXPECT_EQ(FieldText(shared->bidiEnabled, sizeof shared->bidiEnabled), "1");
  EXPECT_EQ(FieldText(shared->printerAddress, sizeof shared->printerAddress), "10.9.8.7");
  EXPECT_EQ(address_.calls, (std::vector<std::string>{"configure on", "checkbox on",
                                                      "configure off", "checkbox off"}));
  EXPECT_TRUE(alerts_.empty());
}

TEST_F(ViewModelSessionTest, WithoutASessionTwoWayMayBeLeftBehind) {
  struct Case {
    const char* what;
    bool twoWay;
    size_t answer;  // 0 Continue, 1 Cancel
    size_t alerts;
    bool twoWayAfter;
  } cases[] = {
      {"two-way off: nothing to fall back to", false, 0, 0, false},
      {"two-way on, cancelled", true, 1, 1, true},
      {"two-way on, continued without it", true, 0, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Build();
    const Rows before = DefaultRows();
    alerts_.clear();
    address_.calls.clear();
    address_.twoWay = c.twoWay;
    answer_ = c.answer;
    Script("begin-fail\nresult 0\nset Duplex=DuplexTumble\n");
    panel_->LaunchJobProperties(kJPActionOpen);
    EXPECT_EQ(Result(), "-1");
    EXPECT_EQ(alerts_.size(), c.alerts);
    EXPECT_EQ(address_.twoWay, c.twoWayAfter);
    EXPECT_EQ(Value("*Duplex"), "None");
    if (c.twoWay && !c.twoWayAfter) {
      // Launched again, now without two-way.
      SharedMemoryList* shared = panel_->SharedList();
      EXPECT_EQ(FieldText(shared->bidiEnabled, sizeof shared->bidiEnabled), "0");
      EXPECT_NE(std::find(address_.calls.begin(), address_.calls.end(), "two-way off"),
                address_.calls.end());
    }
    address_.twoWay = false;
    EXPECT_EQ(DefaultRows(), before);
  }
}

TEST_F(ViewModelSessionTest, FallingBackWithoutTwoWayHappensOnce) {
  Build();
  address_.twoWay = true;
  address_.stuckOn = true;
  Script("begin-fail\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_EQ(Result(), "-1");
  EXPECT_EQ(alerts_.size(), 1u);
}

TEST_F(ViewModelSessionTest, InvalidAddressAlerts) {
  Build();
  address_.twoWay = true;
  Script("result 0\n");
  panel_->LaunchJobProperties(kJPActionOpenNoTwoWayData);
  EXPECT_EQ(alerts_,
            (std::vector<std::string>{"You have entered an invalid IP Address or DNS Name"}));
  EXPECT_FALSE(std::filesystem::exists(RecordPath()));  // no session ran
  EXPECT_TRUE(pane_.calls.empty());

  alerts_.clear();
  Script("result 2\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_EQ(Result(), "2");
  EXPECT_EQ(alerts_.size(), 1u);
  address_.twoWay = false;
  alerts_.clear();
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_TRUE(alerts_.empty());
}

TEST_F(ViewModelSessionTest, TimerPollsUntilTheSessionEnds) {
  ManualRunLoopClock clock;
  RunLoop loop(&clock);
  ScopedMainRunLoop main(loop);
  Build();
  Script("result 1\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  SharedMemoryList* shared = panel_->SharedList();
  ASSERT_NE(shared, nullptr);
  SetSharedField(shared->result, "-1");
  const int draws = pane_.draws;
  panel_->setReturnFromJP(false);
  panel_->SetTimerCheckForJPReturn();
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(loop.RunOnce(std::chrono::seconds(1)));
    EXPECT_EQ(loop.PendingTimers(), 1u);  // still running: polled again
  }
  EXPECT_FALSE(panel_->getReturnFromJP());
  SetSharedField(shared->result, "1");
  EXPECT_TRUE(loop.RunOnce(std::chrono::seconds(1)));
  EXPECT_EQ(loop.PendingTimers(), 0u);
  EXPECT_TRUE(panel_->getReturnFromJP());
  EXPECT_EQ(pane_.draws, draws + 1);

  // A panel that goes away takes its poll with it.
  panel_->SetTimerCheckForJPReturn();
  panel_.reset();
  EXPECT_EQ(loop.PendingTimers(), 0u);
}

TEST_F(ViewModelSessionTest, CheckRemoteTellsWhetherTheComponentIsThere) {
  ManualRunLoopClock clock;
  RunLoop loop(&clock);
  ScopedMainRunLoop main(loop);
  Build();
  EXPECT_FALSE(panel_->CheckRemote(false));
  const auto start = clock.Now();
  EXPECT_FALSE(panel_->CheckRemote(true));
  EXPECT_GE(clock.Now() - start, std::chrono::seconds(1));  // it waited, in loop time
  Script("result 1\n");
  panel_->LaunchJobProperties(kJPActionOpen);
  EXPECT_TRUE(panel_->CheckRemote(false));
  UnloadJPModule();
  EXPECT_FALSE(panel_->CheckRemote(false));
}
