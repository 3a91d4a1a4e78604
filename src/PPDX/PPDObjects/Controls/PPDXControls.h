// The feature document's controls: one list of every control in PPD order and
// one list per kind, each with its own cursor and counters, so that the panel
// can walk and count any kind under the current display option. The lists
// only point: the controls belong to the feature document.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "PPDX/PPDObjects/Controls/CountArray.h"
#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/DisplayOptions.h"
#include "foundation/PointerList.h"

class PPDXBooleanControl;
class PPDXCustomPageSizeControl;
class PPDXFloatRangeControl;
class PPDXJobNote;
class PPDXPopupControl;
class PPDXRangeControl;
class PPDXSpecialOption;
class Settings;
class UIConstraints;

// Where the collection keeps its control count in a store, and the id of the
// first saved control (the n-th saved control uses kSavedControlFirstId + n - 1).
constexpr unsigned int kSavedControlCountTag = 5000;
constexpr int kSavedControlCountId = 5002;
constexpr int kSavedControlFirstId = 5001;
// The language-encoding text a rebuilt job note is given.
constexpr unsigned int kSavedLanguageEncodingTag = 1000;
constexpr int kSavedLanguageEncodingId = 1007;

class PPDXControls {
 public:
  PPDXControls();
  // Rebuilds the controls saved in the store (custom page sizes are not
  // saved and so not rebuilt); the new controls belong to the caller, who
  // finds them with the walks.
  PPDXControls(Settings& settings, UIConstraints* constraints);
  ~PPDXControls();
  PPDXControls(const PPDXControls&) = delete;
  PPDXControls& operator=(const PPDXControls&) = delete;

  // Appends to the all list and to the first kind list the control belongs
  // to (job note, boolean, pop-up, range, real range, custom page size,
  // special option); a null control is ignored.
  void Add(PPDXControl* control);
  // Counts every kind list again. The counters follow each control's parent
  // and visibility as they were when it was added; a rebuilt document links
  // parents afterwards.
  void Recount();

  // Counts under the current display option, except where noted.
  long ControlCount();  // every kind but special options
  long PopupCount() const { return Count(popups_.counts); }
  long BooleanCount() const { return Count(booleans_.counts); }
  long RangeCount() const { return Count(ranges_.counts); }
  long FloatRangeCount() const { return Count(floatRanges_.counts); }
  long JobNoteCount() const;         // under option 1: orphan notes count
  long SpecialOptionsCount() const;  // under option 3: all of them
  long CustomPageSizeCount() const { return Count(customPageSizes_.counts); }
  // 0 for a display option outside 0..3.
  static long Count(const CountArray& counts);

  bool Empty() const;
  bool NoPopups() const { return PopupCount() == 0; }
  bool NoBooleanControls() const { return BooleanCount() == 0; }
  bool NoRangeControls() const { return RangeCount() == 0; }
  bool NoFloatRangeControls() const { return FloatRangeCount() == 0; }
  bool NoJobNotes() const { return JobNoteCount() == 0; }
  bool NoSpecialOptions() const { return SpecialOptionsCount() == 0; }

  // The all list, skipping controls that do not show under the current
  // display option; type receives the returned control's type (kNoControl
  // at the end).
  PPDXControl* First(CNTL_TYPE& type);
  PPDXControl* Next(CNTL_TYPE& type);
  // The first displayable control whose keyword equals name (exact) or
  // contains it; null for a null name or no match.
  PPDXControl* Find(const char* name, CNTL_TYPE& type, const bool& exact);

  // Per kind, every control in insertion order whatever the display option.
  PPDXPopupControl* FirstPopupControl();
  PPDXPopupControl* NextPopupControl();
  PPDXBooleanControl* FirstBooleanControl();
  PPDXBooleanControl* NextBooleanControl();
  PPDXRangeControl* FirstRangeControl();
  PPDXRangeControl* NextRangeControl();
  PPDXFloatRangeControl* FirstFloatRangeControl();
  PPDXFloatRangeControl* NextFloatRangeControl();
  PPDXJobNote* FirstJobNote();
  PPDXJobNote* NextJobNote();
  PPDXSpecialOption* FirstSpecialOption();
  PPDXSpecialOption* NextSpecialOption();
  PPDXCustomPageSizeControl* FirstCustomPageSize();
  PPDXCustomPageSizeControl* NextCustomPageSize();
  PPDXPopupControl* FindPopup(const char* name, const bool& exact);
  PPDXBooleanControl* FindBoolean(const char* name, const bool& exact);
  PPDXRangeControl* FindRangeControl(const char* name, const bool& exact);
  PPDXFloatRangeControl* FindFloatRangeControl(const char* name, const bool& exact);
  PPDXJobNote* FindJobNote(const char* name, const bool& exact);
  PPDXSpecialOption* FindSpecialOption(const char* name, const bool& exact);

  // Writes the all-list count, then each displayable control under ids
  // 5001, 5002, ...; stops at and answers the first non-zero status.
  int16_t Save(Settings& settings);
  // Restores the displayable controls from the same ids in the same order;
  // stops at and answers the first non-zero status.
  int16_t Restore(Settings& settings);

 private:
  struct KindList {
    PointerList list;
    PointerListItr cursor;
    CountArray counts;
  };

  static void Tally(CountArray& counts, const PPDXControl* control);
  static void Count(KindList& kind, PPDXControl* control);
  static void* Walk(PointerList& list, PointerListItr& cursor, bool first);
  static void* FindIn(PointerList& list, const char* name, bool exact);

  PointerList all_;
  PointerListItr allCursor_;
  // The first control of each keyword and its place in the all list: an
  // exact look-up among every control (the document's own searches) needs no
  // walk. Keywords are fixed when a control is made.
  struct Indexed {
    PPDXControl* control;
    PointerListItr at;
  };
  std::unordered_map<std::string_view, Indexed> byKeyword_;
  KindList popups_;
  KindList booleans_;
  KindList ranges_;
  KindList floatRanges_;
  KindList jobNotes_;
  KindList specialOptions_;
  KindList customPageSizes_;
};

// True when keyword equals name (exact) or contains it; false for nulls.
bool ControlKeywordMatches(const char* keyword, const char* name, bool exact);

// Null-safe wrappers forwarding to the members: a null collection gives 0,
// false or null.
long GetControlCount(PPDXControls* controls);
long GetPopupCount(PPDXControls* controls);
long GetBooleanCount(PPDXControls* controls);
long GetRangeCount(PPDXControls* controls);
long GetFloatRangeCount(PPDXControls* controls);
long GetJobnoteCount(PPDXControls* controls);
PPDXControl* Find(PPDXControls* controls, const char* name, CNTL_TYPE& type, const bool& exact);
PPDXControl* GetFirst(PPDXControls* controls, CNTL_TYPE& type);
PPDXControl* GetNext(PPDXControls* controls, CNTL_TYPE& type);
PPDXPopupControl* GetFirstPopupControl(PPDXControls* controls);
PPDXPopupControl* GetNextPopupControl(PPDXControls* controls);
PPDXPopupControl* GetFindPopup(PPDXControls* controls, const char* name, const bool& exact);
PPDXBooleanControl* GetFirstBooleanControl(PPDXControls* controls);
PPDXBooleanControl* GetNextBooleanControl(PPDXControls* controls);
PPDXBooleanControl* GetFindBoolean(PPDXControls* controls, const char* name, const bool& exact);
PPDXRangeControl* GetFirstRangeControl(PPDXControls* controls);
PPDXRangeControl* GetNextRangeControl(PPDXControls* controls);
PPDXRangeControl* GetFindRangeControl(PPDXControls* controls, const char* name, const bool& exact);
PPDXFloatRangeControl* GetFirstFloatRangeControl(PPDXControls* controls);
PPDXFloatRangeControl* GetNextFloatRangeControl(PPDXControls* controls);
PPDXFloatRangeControl* GetFindFloatRangeControl(PPDXControls* controls, const char* name,
                                                const bool& exact);
PPDXJobNote* GetFirstJobNote(PPDXControls* controls);
PPDXJobNote* GetNextJobNote(PPDXControls* controls);
PPDXJobNote* GetFindJobNote(PPDXControls* controls, const char* name, const bool& exact);
bool GetEmpty(PPDXControls* controls);
bool GetNoPopups(PPDXControls* controls);
bool GetNoBooleanControls(PPDXControls* controls);
bool GetNoRangeControls(PPDXControls* controls);
bool GetNoFloatRangeControls(PPDXControls* controls);
bool GetNoJobNotes(PPDXControls* controls);
