#include "PPDX/PPDObjects/PPDXGroups.h"

#include <algorithm>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/Settings.h"
#include "PPDX/PPDObjects/PPDXRollDown.h"
#include "PPDX/PPDObjects/PPDXScrollPane.h"

namespace {
bool KnownOption() {
  const int32_t option = GetDisplayOption();
  return option >= kDisplayVisibleWithParent && option <= kDisplayEverything;
}
}  // namespace

PPDXGroups::PPDXGroups() : cursor_(groups_.End()) {}

PPDXGroups::PPDXGroups(Settings& settings) : PPDXGroups() {
  int64_t count = 0;
  if (ReadStoreInt64(settings, kSavedGroupCountTag, kSavedGroupCountId, count) != kSettingsNoErr) {
    return;
  }
  // Each saved group holds at least its marker, which bounds a damaged count.
  count = std::min<int64_t>(count, settings.Count());
  for (int64_t n = 0; n < count; ++n) {
    const int id = kSavedGroupFirstId + static_cast<int>(n);
    for (unsigned int marker : {kGroupMarkerTag, kRollDownMarkerTag, kScrollPaneMarkerTag}) {
      int size = 0;
      const int16_t status = settings.Get(marker, id, nullptr, size, false);
      if (status == kSettingsItemNotFound) continue;
      if (status != kSettingsNoErr) break;
      if (marker == kGroupMarkerTag) {
        Add(new PPDXGroup(settings, id));  // owned by whoever rebuilds the document
      } else if (marker == kRollDownMarkerTag) {
        Add(new PPDXRollDown(settings, id));
      } else {
        Add(new PPDXScrollPane(settings, id));
      }
      break;
    }
  }
}

PPDXGroups::~PPDXGroups() = default;

void PPDXGroups::Add(PPDXGroup* group) {
  if (!group) return;
  groups_.PushBack(group);
  ++total_;
  if (group->IsOrphan()) ++orphans_;
  if (!group->IsVisible()) ++invisible_;
}

void PPDXGroups::Recount() {
  total_ = orphans_ = invisible_ = 0;
  for (PointerListItr it = groups_.Begin(); !(it == groups_.End()); ++it) {
    auto* group = static_cast<PPDXGroup*>(*it);
    ++total_;
    if (group->IsOrphan()) ++orphans_;
    if (!group->IsVisible()) ++invisible_;
  }
}

long PPDXGroups::Count() const {
  return KnownOption() ? static_cast<long>(total_) : 0;
}

bool PPDXGroups::Empty() const {
  return groups_.Empty() || !KnownOption();
}

PPDXGroup* PPDXGroups::NextShown(bool first) {
  const _DISPLAY_OPTIONS_ option = GetDisplayOption();
  if (first) {
    cursor_ = groups_.Begin();
  } else if (cursor_.Node() && !(cursor_ == groups_.End())) {
    ++cursor_;
  }
  while (cursor_.Node() && !(cursor_ == groups_.End())) {
    auto* group = static_cast<PPDXGroup*>(*cursor_);
    if (group && group->OkayToDisplay(option)) return group;
    ++cursor_;
  }
  cursor_ = groups_.End();
  return nullptr;
}

PPDXGroup* PPDXGroups::First() {
  return NextShown(true);
}
PPDXGroup* PPDXGroups::Next() {
  return NextShown(false);
}

PPDXGroup* PPDXGroups::Find(const char* name, const bool& exact) {
  if (!name) return nullptr;
  for (PointerListItr it = groups_.Begin(); !(it == groups_.End()); ++it) {
    auto* group = static_cast<PPDXGroup*>(*it);
    if (group && ControlKeywordMatches(group->Keyword(), name, exact)) return group;
  }
  return nullptr;
}

int16_t PPDXGroups::Save(Settings& settings) {
  const int64_t count = static_cast<int64_t>(groups_.Size());
  int16_t status = settings.Add(kSavedGroupCountTag, kSavedGroupCountId, &count, 8);
  if (status != kSettingsNoErr) return status;
  int id = kSavedGroupFirstId;
  for (PPDXGroup* g = First(); g; g = Next(), ++id) {
    status = g->Save(settings, id);
    if (status != kSettingsNoErr) return status;
  }
  return kSettingsNoErr;
}

PPDXGroup* FirstGroup(PPDXGroups* groups) {
  return groups ? groups->First() : nullptr;
}
PPDXGroup* NextGroup(PPDXGroups* groups) {
  return groups ? groups->Next() : nullptr;
}
PPDXGroup* FindGroup(PPDXGroups* groups, const char* name, const bool& exact) {
  return groups ? groups->Find(name, exact) : nullptr;
}
bool IsGrouPointerListEmpty(PPDXGroups* groups) {
  return groups ? groups->Empty() : false;
}
long GroupCount(PPDXGroups* groups) {
  return groups ? groups->Count() : 0;
}
