// A view model over a feature document on a local queue, with stand-ins for
// the Quick Access pane and the address dialog that record what they were
// asked.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDStream.h"
#include "PPDX/QZVPPD.h"
#include "foundation/PropertyListFile.h"
#include "panel/AddressController.h"
#include "panel/PDEData.h"
#include "panel/PanelTestSupport.h"
#include "panel/QuickAccessPane.h"
#include "panel/UI_Panel.h"
#include "platform/LocalQueues.h"
#include "platform/PMPageFormat.h"
#include "platform/PMPrintSession.h"
#include "platform/PMPrintSettings.h"
#include "platform/PrintingSystem.h"
#include "platform/SystemSettings.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/WideText.h"

class FakePane : public QuickAccessPane {
 public:
  void drawControlsInTree() override { ++draws; }
  void EnablePanelButtons(bool enabled) override {
    calls.push_back(enabled ? "buttons on" : "buttons off");
    if (!enabled && onButtonsOff) onButtonsOff();
  }
  void EnableShortcutControls(bool enabled) override {
    calls.push_back(enabled ? "shortcuts on" : "shortcuts off");
  }
  int draws = 0;
  std::vector<std::string> calls;
  // Runs when the buttons go off, as a session starts.
  std::function<void()> onButtonsOff;
};

class FakeAddress : public AddressController {
 public:
  bool isBIDIEnabled() const override { return twoWay; }
  std::string AddressText() const override { return address; }
  void EnableConfigureButton(bool enabled) override {
    calls.push_back(enabled ? "configure on" : "configure off");
  }
  void EnableTwoWayCheckBox(bool enabled) override {
    calls.push_back(enabled ? "checkbox on" : "checkbox off");
  }
  void SetTwoWayOff() override {
    if (!stuckOn) twoWay = false;
    calls.push_back("two-way off");
  }
  bool twoWay = false;
  bool stuckOn = false;  // a check box that does not let go
  std::string address = "printer.example";
  std::vector<std::string> calls;
};

using Rows = std::vector<std::pair<std::string, std::string>>;

// One queue on the embedded printing system with its own root and temporary
// folder; the per-printer preferences kept in memory.
class ViewModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.emplace(dir_.path().string() + "/root");
    env_.emplace(dir_.path());
    LocalQueueSetup setup;
    setup.deviceURI = "socket://10.1.2.3:9100";
    ASSERT_EQ(LocalQueueCreate("TestQ", SamplePPD().string(), setup), noErr);
    PMPrinterRef printer;
    ASSERT_EQ(PMPrinterCreateFromPrinterID("TestQ", &printer), noErr);
    session_.SetCurrentPrinter(printer);
    UI_Panel::Tree.Clear();
  }
  void TearDown() override {
    panel_.reset();
    data_.reset();
    document_.reset();
    env_.reset();
    root_.reset();
  }

  // The sample PPD, or a test PPD's file.
  void Open(const std::filesystem::path& ppd = SamplePPD()) {
    panel_.reset();
    data_.reset();
    ClearEndOfPPDLatch();
    document_ = std::make_unique<QZVPPD>(ppd, kParseOrphansAndHidden);
    ClearEndOfPPDLatch();
    data_ = std::make_unique<PDEData>(document_.get(), CFSTR("TestQ"), &session_);
    data_->printSettings = &settings_;
    data_->pageFormat = &format_;
  }
  UI_Panel& MakePanel() {
    panel_ = std::make_unique<UI_Panel>(data_.get(), &pane_, &address_);
    return *panel_;
  }
  // Document, panel data and view model in one.
  UI_Panel& Build(const std::filesystem::path& ppd = SamplePPD()) {
    Open(ppd);
    return MakePanel();
  }

  PPDXControls* Controls() const { return document_->GetControls(); }
  PPDXControl* Control(const char* keyword) const {
    CNTL_TYPE type;
    return Controls()->Find(keyword, type, true);
  }
  std::string Value(const char* keyword) const {
    PPDXControl* control = Control(keyword);
    return control ? control->CopyCurrentControlValueString().UTF8() : "<none>";
  }

  Rows DefaultRows(SharedMemoryList* shared = nullptr) {
    HeapSDMList list;
    EXPECT_TRUE(panel_->GetDefaultSettings(list, shared));
    Rows rows;
    for (const auto& [key, value] : list.Pairs())
      rows.emplace_back(WideToUtf8(key), WideToUtf8(value));
    return rows;
  }
  static std::vector<std::string> Keys(const Rows& rows) {
    std::vector<std::string> keys;
    for (const auto& row : rows) keys.push_back(row.first);
    return keys;
  }
  static std::optional<std::string> Find(const Rows& rows, const std::string& key) {
    for (const auto& row : rows)
      if (row.first == key) return row.second;
    return std::nullopt;
  }
  // Applies pairs as the component would return them.
  void Apply(const Rows& rows) {
    SDMPairs pairs;
    for (const auto& [key, value] : rows) pairs.emplace_back(Utf8ToWide(key), Utf8ToWide(value));
    HeapSDMList list(std::move(pairs));
    EXPECT_TRUE(panel_->SetUpdatedSettings(list.Get()));
  }

  ScratchDir dir_;
  std::optional<ScopedTavroRoot> root_;
  std::optional<PanelTestEnvironment> env_;
  PMPrintSession session_;
  PMPrintSettings settings_;
  PMPageFormat format_;
  FakePane pane_;
  FakeAddress address_;
  std::unique_ptr<QZVPPD> document_;
  std::unique_ptr<PDEData> data_;
  std::unique_ptr<UI_Panel> panel_;
};
