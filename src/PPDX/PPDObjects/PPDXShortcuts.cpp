#include "PPDX/PPDObjects/PPDXShortcuts.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"

namespace {
constexpr unsigned int kShortcutTag = ElementTag("StCt");
constexpr int kShortcutCountId = 6000;
constexpr int kShortcutFirstId = 6001;

bool IsShortcutKind(const PPDXControl* c) {
  return c && (c->Type() == kPopupControl || c->Type() == kJobNoteControl ||
               c->Type() == kBooleanControl);
}
}  // namespace

PPDXShortcuts::PPDXShortcuts(PointerList& controls) : shortcuts_(controls), cursor_() {
  controls.MakeEmpty();
  cursor_ = shortcuts_.End();
}

PPDXShortcuts::PPDXShortcuts(Settings& settings, PPDXControls* controls)
    : cursor_(shortcuts_.End()) {
  int64_t count = 0;
  if (ReadStoreInt64(settings, kShortcutTag, kShortcutCountId, count) != kSettingsNoErr) return;
  count = std::min<int64_t>(count, settings.Count());
  for (int64_t n = 0; n < count; ++n) {
    std::unique_ptr<CString> keyword =
        GetSettingsString(settings, kShortcutTag, kShortcutFirstId + static_cast<int>(n));
    CNTL_TYPE type = kNoControl;
    PPDXControl* control = controls && keyword ? controls->Find(*keyword, type, true) : nullptr;
    shortcuts_.PushBack(control);
  }
}

PPDXShortcuts::~PPDXShortcuts() = default;

PPDXControl* PPDXShortcuts::Step(bool first) {
  if (first) {
    cursor_ = shortcuts_.Begin();
  } else if (cursor_.Node() && !(cursor_ == shortcuts_.End())) {
    ++cursor_;
  }
  while (cursor_.Node() && !(cursor_ == shortcuts_.End())) {
    auto* c = static_cast<PPDXControl*>(*cursor_);
    if (IsShortcutKind(c)) return c;
    ++cursor_;
  }
  cursor_ = shortcuts_.End();
  return nullptr;
}

PPDXControl* PPDXShortcuts::First() {
  return Step(true);
}
PPDXControl* PPDXShortcuts::Next() {
  return Step(false);
}

PPDXControl* PPDXShortcuts::Find(const char* name, const bool& exact) {
  if (!name) return nullptr;
  for (PPDXControl* c = First(); c; c = Next()) {
    if (ControlKeywordMatches(c->Keyword(), name, exact)) return c;
  }
  return nullptr;
}

PPDXControl* PPDXShortcuts::PageSize() {
  return Find("*PageSize", true);
}
PPDXControl* PPDXShortcuts::InputSlot() {
  return Find("*InputSlot", true);
}
PPDXControl* PPDXShortcuts::Duplex() {
  return Find("*QZDuplex", true);
}
PPDXControl* PPDXShortcuts::Orientation() {
  return Find("*QZ_PAPER_ORIENTATION", true);
}
PPDXControl* PPDXShortcuts::Tintvane() {
  return Find("Need Tintvane keyword... stay tuned", true);
}
PPDXControl* PPDXShortcuts::MediaSource() {
  return Find("Need media source keyword... stay tuned", true);
}

int16_t PPDXShortcuts::Save(Settings& settings) {
  const int64_t count = Count();
  int16_t status = settings.Add(kShortcutTag, kShortcutCountId, &count, 8);
  if (status != kSettingsNoErr) return status;
  int id = kShortcutFirstId;
  for (PointerListItr it = shortcuts_.Begin(); !(it == shortcuts_.End()); ++it, ++id) {
    auto* c = static_cast<PPDXControl*>(*it);
    const char* keyword = c ? c->Keyword() : nullptr;
    status = settings.Add(kShortcutTag, id, keyword ? keyword : "",
                          keyword ? static_cast<int>(std::strlen(keyword)) : 0);
    if (status != kSettingsNoErr) return status;
  }
  return kSettingsNoErr;
}

bool IsShortcutsListEmpty(PPDXShortcuts* s) {
  return s ? s->Empty() : false;
}
long GetShortcutCount(PPDXShortcuts* s) {
  return s ? s->Count() : 0;
}
PPDXControl* GetPageSizeShortcut(PPDXShortcuts* s) {
  return s ? s->PageSize() : nullptr;
}
PPDXControl* GetInputSlotShortcut(PPDXShortcuts* s) {
  return s ? s->InputSlot() : nullptr;
}
PPDXControl* GetDuplexShortcut(PPDXShortcuts* s) {
  return s ? s->Duplex() : nullptr;
}
PPDXControl* GetOrientationShortcut(PPDXShortcuts* s) {
  return s ? s->Orientation() : nullptr;
}
PPDXControl* GetTintvaneShortcut(PPDXShortcuts* s) {
  return s ? s->Tintvane() : nullptr;
}
PPDXControl* GetMediaSourceShortcut(PPDXShortcuts* s) {
  return s ? s->MediaSource() : nullptr;
}
PPDXControl* FindShortcut(PPDXShortcuts* s, const char* name, const bool& exact) {
  return s ? s->Find(name, exact) : nullptr;
}
PPDXControl* FirstShortcut(PPDXShortcuts* s) {
  return s ? s->First() : nullptr;
}
PPDXControl* NextShortcut(PPDXShortcuts* s) {
  return s ? s->Next() : nullptr;
}
