#include "PPDX/PPDObjects/PPDXProperties.h"

#include <algorithm>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

PPDXProperties::PPDXProperties() : cursor_(properties_.End()) {}

PPDXProperties::PPDXProperties(Settings& settings) : PPDXProperties() {
  int64_t count = 0;
  if (ReadStoreInt64(settings, kSavedPropertyCountTag, kSavedPropertyCountId, count) !=
      kSettingsNoErr) {
    return;
  }
  // A saved page writes several items, so the store's size bounds the count.
  count = std::min<int64_t>(count, settings.Count());
  for (int64_t n = 0; n < count; ++n) {
    Add(new PPDXProperty(settings, kSavedPropertyFirstId + static_cast<int>(n)));
  }
}

PPDXProperties::~PPDXProperties() = default;

void PPDXProperties::Add(PPDXProperty* property) {
  if (property) properties_.PushBack(property);
}

PPDXProperty* PPDXProperties::Step(bool first) {
  if (first) {
    cursor_ = properties_.Begin();
  } else if (cursor_.Node() && !(cursor_ == properties_.End())) {
    ++cursor_;
  }
  while (cursor_.Node() && !(cursor_ == properties_.End())) {
    if (auto* p = static_cast<PPDXProperty*>(*cursor_)) return p;
    ++cursor_;
  }
  cursor_ = properties_.End();
  return nullptr;
}

PPDXProperty* PPDXProperties::First() {
  return Step(true);
}
PPDXProperty* PPDXProperties::Next() {
  return Step(false);
}

PPDXProperty* PPDXProperties::Find(const char* name, const bool& exact) {
  if (!name) return nullptr;
  for (PointerListItr it = properties_.Begin(); !(it == properties_.End()); ++it) {
    auto* p = static_cast<PPDXProperty*>(*it);
    if (p && ControlKeywordMatches(p->Keyword(), name, exact)) return p;
  }
  return nullptr;
}

int16_t PPDXProperties::Save(Settings& settings) {
  const int64_t count = Count();
  int16_t status = settings.Add(kSavedPropertyCountTag, kSavedPropertyCountId, &count, 8);
  if (status != kSettingsNoErr) return status;
  int id = kSavedPropertyFirstId;
  for (PPDXProperty* p = First(); p; p = Next(), ++id) {
    status = p->Save(settings, id);
    if (status != kSettingsNoErr) return status;
  }
  return kSettingsNoErr;
}

PPDXProperty* FirstProperty(PPDXProperties* p) {
  return p ? p->First() : nullptr;
}
PPDXProperty* NextProperty(PPDXProperties* p) {
  return p ? p->Next() : nullptr;
}
PPDXProperty* FindProperty(PPDXProperties* p, const char* name, const bool& exact) {
  return p ? p->Find(name, exact) : nullptr;
}
bool IsPropertyListEmpty(PPDXProperties* p) {
  return p ? p->Empty() : false;
}
long PropertyCount(PPDXProperties* p) {
  return p ? p->Count() : 0;
}
