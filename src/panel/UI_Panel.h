// The panel's view model, free of any toolkit: it builds the group and
// shortcut tree the Quick Access pane draws, hands every value of the job to
// the job properties component as wide key/value pairs and applies the pairs
// that come back, resets the job to its defaults and reads the system's
// paper. The pane and the address dialog plug in through two narrow
// interfaces; either may be absent (nothing is drawn or asked then).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "panel/PPDTree.h"
#include "platform/CFString.h"
#include "serverlink/SDMAlloc.h"
#include "serverlink/SDMTypes.h"

class AddressController;
class MainLoopTimer;
class PDEData;
class PPDXControl;
class PPDXJobNote;
class QuickAccessPane;
class RunLoop;
struct SharedMemoryList;

// How the full job properties are opened.
enum JP_ACTIONS : int32_t {
  kJPActionOpen = 1,
  // Opened without two-way data: with two-way on this only tells the user
  // the address is invalid.
  kJPActionOpenNoTwoWayData = 4,
};

// Limits of one pair taken from the component: the key as UTF-8 with its
// "*" put in front, and the value as UTF-8, each with its terminator.
constexpr size_t kUpdatedKeySize = 64;
constexpr size_t kUpdatedValueSize = 1024;
// A control's value in the list handed to the component, in UTF-8 bytes.
constexpr size_t kDefaultValueBytes = 1023;
// The maximum length of a job note made for a special colour control or a
// preset key.
constexpr long kSpecialNoteMaxLength = 700;
// The group that holds the job notes the view model makes.
constexpr const char* kSpecialNotesGroup = "FPQZNotes";

class UI_Panel {
 public:
  // Stores the system's page orientation in the panel data, builds the tree
  // and reads the system's paper; when that is no custom paper the print
  // size pop-up goes to its second choice.
  explicit UI_Panel(PDEData* data, QuickAccessPane* pane = nullptr,
                    AddressController* address = nullptr);
  ~UI_Panel();
  UI_Panel(const UI_Panel&) = delete;
  UI_Panel& operator=(const UI_Panel&) = delete;

  // The screens (not owned; null: nothing drawn, two-way taken as off).
  QuickAccessPane* GetCustomizePane() const { return customizePane; }
  void SetCustomizePane(QuickAccessPane* pane) { customizePane = pane; }
  AddressController* GetsBonjourModuleController() const { return bonjourController; }
  void setsBonjourModuleController(AddressController* controller) {
    bonjourController = controller;
  }
  PDEData* GetPDEData() const { return pdeData; }

  bool getReturnFromJP() const { return returnFromJP; }
  void setReturnFromJP(bool value) { returnFromJP = value; }
  bool getfromCustomizepanel() const { return fromCustomizePanel; }
  void setfromCustomizepanel(bool value) { fromCustomizePanel = value; }
  // "<width> <height>" in points of the system's custom paper, and its name;
  // null unless the system's paper matched no page size of the PPD.
  const CFString& CustomSizeText() const { return customSizeText; }
  const CFString& OSPaperName() const { return osPaperName; }

  // The key/value list handed to the job properties component, in its fixed
  // row order. The ordinals of installable options go into the shared
  // record's field (when there is a record).
  bool GetDefaultSettings(HeapSDMList& out, SharedMemoryList* shared);
  // The same list on the C heap, for the component's record layout;
  // released with FreeSDMList.
  bool GetDefaultSettings(SDMKeyValueList** out);
  static void FreeSDMList(SDMKeyValueList* list);
  // Applies a list the component returned. Unknown keys change nothing;
  // overlong keys and values are cut; a null list does nothing.
  bool SetUpdatedSettings(const SDMKeyValueList* in);

  // The watermark section of the shared record, both ways.
  bool GetWatermarks(SharedMemoryList* shared);
  bool UpdateWatermarks(SharedMemoryList* shared);

  void PopulatePPDTreeStructure();
  void ResetControlsToDefault();
  void makeJobNotesForSpecialControls();
  // True when the system's paper is custom paper (no page size of the PPD).
  bool GetOSPageSize();
  void Show();
  void DrawUserPane();
  // The tree's shortcut entry with that keyword, or null.
  static ShortcutEntry* GetShortcutFromKeyword(const char* keyword);
  // The login user's name (empty when there is none).
  static std::string GetOSAccountName();

  // The session with the job properties component.
  void LaunchJobProperties(JP_ACTIONS action);
  void OnJPReturn();
  void SetTimerCheckForJPReturn();
  static void TimerCheckForJPReturn(MainLoopTimer* timer, void* userData);
  // Whether the component's session is alive; waits for it when asked.
  bool CheckRemote(bool wait);
  bool LoadHelperModule();
  // The record of the last session (null before the first one).
  SharedMemoryList* SharedList() const { return shared_.get(); }

  // The one tree of the process (groups and Quick Access shortcuts).
  static PPDTree Tree;

 private:
  bool TwoWayOn() const;
  using ControlIndex = std::unordered_map<std::string_view, PPDXControl*>;
  void ApplyPair(const std::string& key, const std::string& value, bool twoWay,
                 const ControlIndex& index);
  // The UTF-8 job note with that keyword, made in the notes group when the
  // document has none; null when it cannot be made.
  PPDXJobNote* SpecialNote(const char* keyword);
  void SetSpecialNoteText(const char* keyword, const std::string& value);
  void ShowInvalidAddressAlert();
  void EnableSessionControls(bool sessionRunning);

  PDEData* pdeData;                      // not owned
  QuickAccessPane* customizePane;        // not owned
  AddressController* bonjourController;  // not owned
  bool returnFromJP = false;
  bool fromCustomizePanel = false;
  CFString customSizeText;
  CFString osPaperName;
  // The record handed to the component, kept for the return poll.
  std::unique_ptr<SharedMemoryList> shared_;
  // The session's return poll on the loop it was installed on.
  RunLoop* jpReturnLoop = nullptr;
  uint64_t jpReturnTimer = 0;
  bool loadingHelper = false;
  bool relaunching_ = false;  // launched again without two-way data
};
