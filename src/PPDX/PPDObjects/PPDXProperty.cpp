#include "PPDX/PPDObjects/PPDXProperty.h"

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/Settings.h"

PPDXProperty::PPDXProperty(const char* keyword, const CFString& userName, const bool& visible,
                           const bool& showInPrintProp, const bool& showInApp)
    : PPDXElement(keyword, userName, visible),
      showInPrintProp_(showInPrintProp ? 1 : 0),
      showInApp_(showInApp ? 1 : 0) {}

PPDXProperty::PPDXProperty(Settings& settings, const int& id) : PPDXElement(settings, id) {
  int32_t value = 0;
  if (ReadStoreInt32(settings, kPropertyShowInPrintPropTag, id, value) != kSettingsNoErr) return;
  showInPrintProp_ = value != 0 ? 1 : 0;
  if (ReadStoreInt32(settings, kPropertyShowInAppTag, id, value) == kSettingsNoErr) {
    showInApp_ = value != 0 ? 1 : 0;
  }
}

PPDXProperty::~PPDXProperty() = default;

int16_t PPDXProperty::Save(Settings& settings, const int& id) {
  int16_t status = PPDXElement::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  status = settings.Add(kPropertyShowInPrintPropTag, id, &showInPrintProp_, 4);
  if (status != kSettingsNoErr) return status;
  return settings.Add(kPropertyShowInAppTag, id, &showInApp_, 4);
}

bool ShowPropInPrintProp(PPDXProperty* p) {
  return p ? p->ShowInPrintProp() : false;
}
bool ShowPropInApp(PPDXProperty* p) {
  return p ? p->ShowInApp() : false;
}
PPDXScrollPane* GetPropertyScrollDown(PPDXProperty* p) {
  return p ? p->GetScrollDown() : nullptr;
}
void SetPropertyScrollDown(PPDXProperty* p, PPDXScrollPane* pane) {
  if (p) p->SetScrollDown(pane);
}
bool IsPropertyPage(const PPDXElement* element) {
  return dynamic_cast<const PPDXProperty*>(element) != nullptr;
}
