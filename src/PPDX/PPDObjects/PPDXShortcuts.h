// The controls the PPD offers as quick-access shortcuts, in PPD order. Only
// pop-ups, job notes and booleans are walked; the list only points.
#pragma once

#include <cstdint>

#include "foundation/PointerList.h"

class PPDXControl;
class PPDXControls;
class Settings;

class PPDXShortcuts {
 public:
  // Takes the entries over; the caller's list is emptied.
  explicit PPDXShortcuts(PointerList& controls);
  // Each saved keyword resolved exactly through controls (null entries for
  // keywords no control has any more).
  PPDXShortcuts(Settings& settings, PPDXControls* controls);
  ~PPDXShortcuts();
  PPDXShortcuts(const PPDXShortcuts&) = delete;
  PPDXShortcuts& operator=(const PPDXShortcuts&) = delete;

  bool Empty() const { return shortcuts_.Empty(); }
  long Count() const { return static_cast<long>(shortcuts_.Size()); }  // every entry
  PPDXControl* First();
  PPDXControl* Next();
  PPDXControl* Find(const char* name, const bool& exact);
  PPDXControl* PageSize();
  PPDXControl* InputSlot();
  PPDXControl* Duplex();
  PPDXControl* Orientation();
  PPDXControl* Tintvane();     // no keyword is known yet: null
  PPDXControl* MediaSource();  // no keyword is known yet: null
  // 'StCt' 6000 the count, then each entry's keyword under 6001, 6002, ...
  // (the empty text for an entry without control).
  int16_t Save(Settings& settings);

 private:
  PPDXControl* Step(bool first);

  PointerList shortcuts_;
  PointerListItr cursor_;
};

// Null-safe wrappers: a null list gives 0, false or null.
bool IsShortcutsListEmpty(PPDXShortcuts* shortcuts);
long GetShortcutCount(PPDXShortcuts* shortcuts);
PPDXControl* GetPageSizeShortcut(PPDXShortcuts* shortcuts);
PPDXControl* GetInputSlotShortcut(PPDXShortcuts* shortcuts);
PPDXControl* GetDuplexShortcut(PPDXShortcuts* shortcuts);
PPDXControl* GetOrientationShortcut(PPDXShortcuts* shortcuts);
PPDXControl* GetTintvaneShortcut(PPDXShortcuts* shortcuts);
PPDXControl* GetMediaSourceShortcut(PPDXShortcuts* shortcuts);
PPDXControl* FindShortcut(PPDXShortcuts* shortcuts, const char* name, const bool& exact);
PPDXControl* FirstShortcut(PPDXShortcuts* shortcuts);
PPDXControl* NextShortcut(PPDXShortcuts* shortcuts);
