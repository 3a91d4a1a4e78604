// The view model's side of a job properties session: the record handed to
// the component, the poll that notices the session's end, and what the
// panel does with each outcome.
#include <clocale>
#include <string>

#include "foundation/PDEBundle.h"
#include "panel/AddressController.h"
#include "panel/PDEData.h"
#include "panel/QuickAccessPane.h"
#include "panel/UI_Panel.h"
#include "platform/Alert.h"
#include "platform/RunLoop.h"
#include "serverlink/JPLibrary.h"
#include "serverlink/JPSession.h"
#include "serverlink/SharedMemoryList.h"
#include "serverlink/TwoWayData.h"
#include "serverlink/WideText.h"

namespace {

constexpr auto kJPReturnPoll = std::chrono::milliseconds(10);
// How long CheckRemote waits for a component that is being loaded.
constexpr int kRemoteWaitSeconds = 10;

std::string BidiString(const char* key, const char* fallback) {
  const CFString text = CopyLocalizedCFStringFromFile(CFSTR(key), "BidiStrings");
  const std::string utf8 = text.IsNull() ? std::string() : text.UTF8();
  return utf8.empty() || utf8 == key ? fallback : utf8;
}

// The session's result field; -1 (no session) when it holds no number.
long SessionResult(const SharedMemoryList& shared) {
  const std::string text(FieldText(shared.result, sizeof shared.result));
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return end && *end == 0 ? value : -1;
}

}  // namespace

UI_Panel::~UI_Panel() {
  if (jpReturnLoop && jpReturnTimer) jpReturnLoop->Remove(jpReturnTimer);
  if (shared_ && GetSharedMemoryList() == shared_.get()) SetSharedMemoryList(nullptr);
}

void UI_Panel::ShowInvalidAddressAlert() {
  AlertRequest alert;
  alert.title =
      BidiString("INVALID_IP_ADDRESS", "You have entered an invalid IP Address or DNS Name");
  alert.text = BidiString("PRESS_OKAY", "Press OK to enter a new IP Address or DNS Name.");
  alert.buttons = {"OK"};
  RunAlert(alert);
}

void UI_Panel::EnableSessionControls(bool sessionRunning) {
  if (customizePane) {
    customizePane->EnablePanelButtons(!sessionRunning);
    customizePane->EnableShortcutControls(!sessionRunning);
  }
  if (!bonjourController) return;
  if (sessionRunning) {
    bonjourController->EnableConfigureButton(true);
    bonjourController->EnableTwoWayCheckBox(true);
  } else {
    if (bonjourController->isBIDIEnabled()) bonjourController->EnableConfigureButton(false);
    bonjourController->EnableTwoWayCheckBox(false);
  }
}

void UI_Panel::LaunchJobProperties(JP_ACTIONS action) {
  if (!pdeData) return;
  if (!shared_) shared_ = NewSharedMemoryList();
  SharedMemoryList* shared = shared_.get();
  *shared = SharedMemoryList{};
  HeapSDMList list;
  GetDefaultSettings(list, shared);
  GetWatermarks(shared);
  SetSharedField(shared->ppdLocation, FieldText(pdeData->ppdCopyPath, sizeof pdeData->ppdCopyPath));
  if (TwoWayOn()) {
    if (action == kJPActionOpenNoTwoWayData) {
      ShowInvalidAddressAlert();
      return;
    }
    SetSharedField(shared->bidiEnabled, "1");
    SetSharedField(shared->printerAddress, bonjourController->AddressText());
  } else {
    SetSharedField(shared->bidiEnabled, "0");
  }
  EnableSessionControls(true);
  Create_SharedMemoryList_From_SDMList(shared, list.Get());
  SetSharedField(shared->result, "-1");
  SetSharedMemoryList(shared);
  mainJP();
  OnJPReturn();
}

void UI_Panel::OnJPReturn() {
  std::setlocale(LC_ALL, "C");
  setReturnFromJP(true);
  EnableSessionControls(false);
  SharedMemoryList* shared = shared_.get();
  if (!shared) return;
  switch (SessionResult(*shared)) {
    case -1: {
      // Without two-way data there is nothing to fall back to: the settings
      // stay as they were.
      // Once fallen back, a second missing session is not asked about again.
      if (!TwoWayOn() || relaunching_) break;
      TwoWayData prompt;
      prompt.showBiDiError();
      if (!prompt.printerInBusyState_ContinueBiDiOFF()) break;
      bonjourController->SetTwoWayOff();
      pdeData->SetUnisorPrinterAddress(CFSTR(""), bonjourController->isBIDIEnabled());
      relaunching_ = true;
      LaunchJobProperties(kJPActionOpen);
      relaunching_ = false;
      break;
    }
    case 0: {
      HeapSDMList list;
      Create_SDMList_From_SharedMemoryList(list, shared);
      UpdateWatermarks(shared);
      SetUpdatedSettings(list.Get());
      pdeData->SaveWatermarksToPreferences();
      break;
    }
    case 1:
      DrawUserPane();
      break;
    default:
      if (TwoWayOn()) ShowInvalidAddressAlert();
      break;
  }
}

void UI_Panel::SetTimerCheckForJPReturn() {
  RunLoop& loop = RunLoop::Main();
  if (jpReturnLoop && jpReturnTimer) jpReturnLoop->Remove(jpReturnTimer);
  jpReturnLoop = &loop;
  jpReturnTimer = loop.Install(kJPReturnPoll, &UI_Panel::TimerCheckForJPReturn, this);
}

void UI_Panel::TimerCheckForJPReturn(MainLoopTimer* /*timer*/, void* userData) {
  auto* panel = static_cast<UI_Panel*>(userData);
  if (!panel) return;
  // A one-shot timer is gone once it fires.
  panel->jpReturnTimer = 0;
  const SharedMemoryList* shared = panel->shared_.get();
  if (!shared) return;
  if (SessionResult(*shared) == -1)
    panel->SetTimerCheckForJPReturn();
  else
    panel->OnJPReturn();
}

bool UI_Panel::LoadHelperModule() {
  loadingHelper = true;
  const bool loaded = LoadJPModule();
  loadingHelper = false;
  return loaded;
}

bool UI_Panel::CheckRemote(bool wait) {
  auto alive = [] { return JPLibrary::IsLoaded() && GetJPSessionState().loaded; };
  if (alive()) return true;
  if (!wait && !loadingHelper) return false;
  RunLoopClock& clock = RunLoop::Main().GetClock();
  for (int second = 0; second < kRemoteWaitSeconds; ++second) {
    clock.SleepUntil(clock.Now() + std::chrono::seconds(1));
    if (alive()) return true;
  }
  return false;
}
