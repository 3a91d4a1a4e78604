#include "PPDX/PPDObjects/Controls/PPDXControls.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXBooleanControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXJobNote.h"
#include "PPDX/PPDObjects/Controls/PPDXPopupControl.h"
#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"
#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"

bool ControlKeywordMatches(const char* keyword, const char* name, bool exact) {
  if (!keyword || !name) return false;
  return exact ? std::strcmp(keyword, name) == 0 : std::strstr(keyword, name) != nullptr;
}

PPDXControls::PPDXControls() {
  allCursor_ = all_.End();
  for (KindList* kind : {&popups_, &booleans_, &ranges_, &floatRanges_, &jobNotes_,
                         &specialOptions_, &customPageSizes_}) {
    kind->cursor = kind->list.End();
  }
}

PPDXControls::PPDXControls(Settings& settings, UIConstraints* constraints) : PPDXControls() {
  int64_t count = 0;
  if (ReadStoreInt64(settings, kSavedControlCountTag, kSavedControlCountId, count) !=
      kSettingsNoErr) {
    return;
  }
  // Every saved control holds at least its marker item, so a damaged count
  // larger than the store's item count cannot name more controls than that.
  count = std::min<int64_t>(count, settings.Count());
  std::unique_ptr<CString> language =
      GetSettingsString(settings, kSavedLanguageEncodingTag, kSavedLanguageEncodingId);
  static const unsigned int kMarkers[] = {kBooleanMarkerTag,    kJobNoteMarkerTag,
                                          kPopupMarkerTag,      kRangeMarkerTag,
                                          kFloatRangeMarkerTag, kSpecialOptionMarkerTag};
  for (int64_t n = 0; n < count; ++n) {
    const int id = kSavedControlFirstId + static_cast<int>(n);
    PPDXControl* made = nullptr;
    for (unsigned int marker : kMarkers) {
      int size = 0;
      const int16_t status = settings.Get(marker, id, nullptr, size, false);
      if (status == kSettingsItemNotFound) continue;
      if (status != kSettingsNoErr) break;  // a damaged id is skipped
      if (marker == kBooleanMarkerTag) {
        made = new PPDXBooleanControl(settings, id, constraints);
      } else if (marker == kJobNoteMarkerTag) {
        made = new PPDXJobNote(settings, id, language.get());
      } else if (marker == kPopupMarkerTag) {
        made = new PPDXPopupControl(settings, id, constraints);
      } else if (marker == kRangeMarkerTag) {
        made = new PPDXRangeControl(settings, id);
      } else if (marker == kFloatRangeMarkerTag) {
        made = new PPDXFloatRangeControl(settings, id);
      } else {
        made = new PPDXSpecialOption(settings, id);
      }
      break;
    }
    Add(made);  // owned by whoever rebuilds the document
  }
}

PPDXControls::~PPDXControls() = default;

void PPDXControls::Tally(CountArray& counts, const PPDXControl* control) {
  const bool orphan = control->IsOrphan();
  const bool invisible = !control->IsVisible();
  ++counts.total;
  if (orphan) ++counts.orphans;
  if (invisible) ++counts.invisible;
  if (orphan && invisible) ++counts.orphanAndInvisible;
}

void PPDXControls::Count(KindList& kind, PPDXControl* control) {
  kind.list.PushBack(control);
  Tally(kind.counts, control);
}

void PPDXControls::Recount() {
  for (KindList* kind : {&popups_, &booleans_, &ranges_, &floatRanges_, &jobNotes_,
                         &specialOptions_, &customPageSizes_}) {
    kind->counts = CountArray();
    for (PointerListItr it = kind->list.Begin(); !(it == kind->list.End()); ++it) {
      Tally(kind->counts, static_cast<PPDXControl*>(*it));
    }
  }
}

void PPDXControls::Add(PPDXControl* control) {
  if (!control) return;
  if (!all_.PushBack(control)) return;
  if (const char* keyword = control->Keyword()) {
    PointerListItr last = all_.End();
    --last;
    byKeyword_.try_emplace(std::string_view(keyword), Indexed{control, last});
  }
  if (dynamic_cast<PPDXJobNote*>(control)) {
    Count(jobNotes_, control);
  } else if (dynamic_cast<PPDXBooleanControl*>(control)) {
    Count(booleans_, control);
  } else if (dynamic_cast<PPDXPopupControl*>(control)) {
    Count(popups_, control);
  } else if (dynamic_cast<PPDXRangeControl*>(control)) {
    Count(ranges_, control);
  } else if (dynamic_cast<PPDXFloatRangeControl*>(control)) {
    Count(floatRanges_, control);
  } else if (dynamic_cast<PPDXCustomPageSizeControl*>(control)) {
    Count(customPageSizes_, control);
  } else if (dynamic_cast<PPDXSpecialOption*>(control)) {
    Count(specialOptions_, control);
  }
}

long PPDXControls::Count(const CountArray& c) {
  switch (static_cast<int32_t>(GetDisplayOption())) {
    case kDisplayVisibleWithParent:
      return static_cast<long>(c.total - c.orphans - c.invisible + c.orphanAndInvisible);
    case kDisplayIncludeOrphans:
      return static_cast<long>(c.total - c.invisible);
    case kDisplayIncludeHidden:
      return static_cast<long>(c.total - c.orphans);
    case kDisplayEverything:
      return static_cast<long>(c.total);
    default:
      return 0;
  }
}

long PPDXControls::JobNoteCount() const {
  ScopedDisplayOption option(kDisplayIncludeOrphans);
  return Count(jobNotes_.counts);
}

long PPDXControls::SpecialOptionsCount() const {
  ScopedDisplayOption option(kDisplayEverything);
  return Count(specialOptions_.counts);
}

long PPDXControls::ControlCount() {
  return PopupCount() + BooleanCount() + RangeCount() + FloatRangeCount() + JobNoteCount() +
         CustomPageSizeCount();
}

bool PPDXControls::Empty() const {
  return PopupCount() == 0 && BooleanCount() == 0 && RangeCount() == 0 && FloatRangeCount() == 0 &&
         JobNoteCount() == 0;
}

void* PPDXControls::Walk(PointerList& list, PointerListItr& cursor, bool first) {
  if (first) {
    cursor = list.Begin();
  } else if (cursor.Node() && !(cursor == list.End())) {
    ++cursor;
  }
  if (!cursor.Node() || cursor == list.End()) {
    cursor = list.End();
    return nullptr;
  }
  return *cursor;
}

PPDXControl* PPDXControls::First(CNTL_TYPE& type) {
  type = kNoControl;
  const _DISPLAY_OPTIONS_ option = GetDisplayOption();
  for (void* p = Walk(all_, allCursor_, true); p; p = Walk(all_, allCursor_, false)) {
    auto* control = static_cast<PPDXControl*>(p);
    if (control->OkayToDisplay(option)) {
      type = control->Type();
      return control;
    }
  }
  return nullptr;
}

PPDXControl* PPDXControls::Next(CNTL_TYPE& type) {
  type = kNoControl;
  const _DISPLAY_OPTIONS_ option = GetDisplayOption();
  for (void* p = Walk(all_, allCursor_, false); p; p = Walk(all_, allCursor_, false)) {
    auto* control = static_cast<PPDXControl*>(p);
    if (control->OkayToDisplay(option)) {
      type = control->Type();
      return control;
    }
  }
  return nullptr;
}

PPDXControl* PPDXControls::Find(const char* name, CNTL_TYPE& type, const bool& exact) {
  type = kNoControl;
  if (!name) return nullptr;
  if (exact && GetDisplayOption() == kDisplayEverything) {
    // Every control shows: the first of that keyword, with the cursor left
    // where the walk below would leave it.
    auto it = byKeyword_.find(std::string_view(name));
    if (it == byKeyword_.end()) {
      allCursor_ = all_.End();
      return nullptr;
    }
    allCursor_ = it->second.at;
    type = it->second.control->Type();
    return it->second.control;
  }
  for (PPDXControl* c = First(type); c; c = Next(type)) {
    if (ControlKeywordMatches(c->Keyword(), name, exact)) return c;
  }
  type = kNoControl;
  return nullptr;
}

void* PPDXControls::FindIn(PointerList& list, const char* name, bool exact) {
  if (!name) return nullptr;
  for (PointerListItr it = list.Begin(); !(it == list.End()); ++it) {
    auto* control = static_cast<PPDXControl*>(*it);
    if (control && ControlKeywordMatches(control->Keyword(), name, exact)) return control;
  }
  return nullptr;
}

#define PPDX_KIND_WALK(Class, FirstName, NextName, kind)                                        \
  Class* PPDXControls::FirstName() {                                                            \
    return static_cast<Class*>(static_cast<PPDXControl*>(Walk(kind.list, kind.cursor, true)));  \
  }                                                                                             \
  Class* PPDXControls::NextName() {                                                             \
    return static_cast<Class*>(static_cast<PPDXControl*>(Walk(kind.list, kind.cursor, false))); \
  }

PPDX_KIND_WALK(PPDXPopupControl, FirstPopupControl, NextPopupControl, popups_)
PPDX_KIND_WALK(PPDXBooleanControl, FirstBooleanControl, NextBooleanControl, booleans_)
PPDX_KIND_WALK(PPDXRangeControl, FirstRangeControl, NextRangeControl, ranges_)
PPDX_KIND_WALK(PPDXFloatRangeControl, FirstFloatRangeControl, NextFloatRangeControl, floatRanges_)
PPDX_KIND_WALK(PPDXJobNote, FirstJobNote, NextJobNote, jobNotes_)
PPDX_KIND_WALK(PPDXSpecialOption, FirstSpecialOption, NextSpecialOption, specialOptions_)
PPDX_KIND_WALK(PPDXCustomPageSizeControl, FirstCustomPageSize, NextCustomPageSize, customPageSizes_)
#undef PPDX_KIND_WALK

PPDXPopupControl* PPDXControls::FindPopup(const char* name, const bool& exact) {
  return static_cast<PPDXPopupControl*>(
      static_cast<PPDXControl*>(FindIn(popups_.list, name, exact)));
}
PPDXBooleanControl* PPDXControls::FindBoolean(const char* name, const bool& exact) {
  return static_cast<PPDXBooleanControl*>(
      static_cast<PPDXControl*>(FindIn(booleans_.list, name, exact)));
}
PPDXRangeControl* PPDXControls::FindRangeControl(const char* name, const bool& exact) {
  return static_cast<PPDXRangeControl*>(
      static_cast<PPDXControl*>(FindIn(ranges_.list, name, exact)));
}
PPDXFloatRangeControl* PPDXControls::FindFloatRangeControl(const char* name, const bool& exact) {
  return static_cast<PPDXFloatRangeControl*>(
      static_cast<PPDXControl*>(FindIn(floatRanges_.list, name, exact)));
}
PPDXJobNote* PPDXControls::FindJobNote(const char* name, const bool& exact) {
  return static_cast<PPDXJobNote*>(static_cast<PPDXControl*>(FindIn(jobNotes_.list, name, exact)));
}
PPDXSpecialOption* PPDXControls::FindSpecialOption(const char* name, const bool& exact) {
  return static_cast<PPDXSpecialOption*>(
      static_cast<PPDXControl*>(FindIn(specialOptions_.list, name, exact)));
}

int16_t PPDXControls::Save(Settings& settings) {
  const int64_t count = static_cast<int64_t>(all_.Size());
  int16_t status = settings.Add(kSavedControlCountTag, kSavedControlCountId, &count, 8);
  if (status != kSettingsNoErr) return status;
  int id = kSavedControlFirstId;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = First(type); c; c = Next(type), ++id) {
    status = c->Save(settings, id);
    if (status != kSettingsNoErr) return status;
  }
  return kSettingsNoErr;
}

int16_t PPDXControls::Restore(Settings& settings) {
  int id = kSavedControlFirstId;
  CNTL_TYPE type = kNoControl;
  for (PPDXControl* c = First(type); c; c = Next(type), ++id) {
    const int16_t status = c->Restore(settings, id);
    if (status != kSettingsNoErr) return status;
  }
  return kSettingsNoErr;
}

long GetControlCount(PPDXControls* c) {
  return c ? c->ControlCount() : 0;
}
long GetPopupCount(PPDXControls* c) {
  return c ? c->PopupCount() : 0;
}
long GetBooleanCount(PPDXControls* c) {
  return c ? c->BooleanCount() : 0;
}
long GetRangeCount(PPDXControls* c) {
  return c ? c->RangeCount() : 0;
}
long GetFloatRangeCount(PPDXControls* c) {
  return c ? c->FloatRangeCount() : 0;
}
long GetJobnoteCount(PPDXControls* c) {
  return c ? c->JobNoteCount() : 0;
}

PPDXControl* Find(PPDXControls* c, const char* name, CNTL_TYPE& type, const bool& exact) {
  if (!c) {
    type = kNoControl;
    return nullptr;
  }
  return c->Find(name, type, exact);
}
PPDXControl* GetFirst(PPDXControls* c, CNTL_TYPE& type) {
  if (!c) {
    type = kNoControl;
    return nullptr;
  }
  return c->First(type);
}
PPDXControl* GetNext(PPDXControls* c, CNTL_TYPE& type) {
  if (!c) {
    type = kNoControl;
    return nullptr;
  }
  return c->Next(type);
}

PPDXPopupControl* GetFirstPopupControl(PPDXControls* c) {
  return c ? c->FirstPopupControl() : nullptr;
}
PPDXPopupControl* GetNextPopupControl(PPDXControls* c) {
  return c ? c->NextPopupControl() : nullptr;
}
PPDXPopupControl* GetFindPopup(PPDXControls* c, const char* name, const bool& exact) {
  return c ? c->FindPopup(name, exact) : nullptr;
}
PPDXBooleanControl* GetFirstBooleanControl(PPDXControls* c) {
  return c ? c->FirstBooleanControl() : nullptr;
}
PPDXBooleanControl* GetNextBooleanControl(PPDXControls* c) {
  return c ? c->NextBooleanControl() : nullptr;
}
PPDXBooleanControl* GetFindBoolean(PPDXControls* c, const char* name, const bool& exact) {
  return c ? c->FindBoolean(name, exact) : nullptr;
}
PPDXRangeControl* GetFirstRangeControl(PPDXControls* c) {
  return c ? c->FirstRangeControl() : nullptr;
}
PPDXRangeControl* GetNextRangeControl(PPDXControls* c) {
  return c ? c->NextRangeControl() : nullptr;
}
PPDXRangeControl* GetFindRangeControl(PPDXControls* c, const char* name, const bool& exact) {
  return c ? c->FindRangeControl(name, exact) : nullptr;
}
PPDXFloatRangeControl* GetFirstFloatRangeControl(PPDXControls* c) {
  return c ? c->FirstFloatRangeControl() : nullptr;
}
PPDXFloatRangeControl* GetNextFloatRangeControl(PPDXControls* c) {
  return c ? c->NextFloatRangeControl() : nullptr;
}
PPDXFloatRangeControl* GetFindFloatRangeControl(PPDXControls* c, const char* name,
                                                const bool& exact) {
  return c ? c->FindFloatRangeControl(name, exact) : nullptr;
}
PPDXJobNote* GetFirstJobNote(PPDXControls* c) {
  return c ? c->FirstJobNote() : nullptr;
}
PPDXJobNote* GetNextJobNote(PPDXControls* c) {
  return c ? c->NextJobNote() : nullptr;
}
PPDXJobNote* GetFindJobNote(PPDXControls* c, const char* name, const bool& exact) {
  return c ? c->FindJobNote(name, exact) : nullptr;
}
bool GetEmpty(PPDXControls* c) {
  return c ? c->Empty() : false;
}
bool GetNoPopups(PPDXControls* c) {
  return c ? c->NoPopups() : false;
}
bool GetNoBooleanControls(PPDXControls* c) {
  return c ? c->NoBooleanControls() : false;
}
bool GetNoRangeControls(PPDXControls* c) {
  return c ? c->NoRangeControls() : false;
}
bool GetNoFloatRangeControls(PPDXControls* c) {
  return c ? c->NoFloatRangeControls() : false;
}
bool GetNoJobNotes(PPDXControls* c) {
  return c ? c->NoJobNotes() : false;
}
