#include "PPDX/PPDObjects/PPDXGroup.h"

#include "PPDX/PPDObjects/Controls/Settings.h"

PPDXGroup::PPDXGroup() : PPDXElement(nullptr, CFString(std::u16string()), false) {}

PPDXGroup::PPDXGroup(const char* keyword, const CFString& userName, const bool& visible)
    : PPDXElement(keyword, userName, visible) {}

PPDXGroup::PPDXGroup(Settings& settings, const int& id) : PPDXElement(settings, id) {}

PPDXGroup::~PPDXGroup() = default;

int16_t PPDXGroup::Save(Settings& settings, const int& id) {
  return SaveWithMarker(settings, id, kGroupMarkerTag);
}

int16_t PPDXGroup::SaveWithMarker(Settings& settings, const int& id, unsigned int tag) {
  const int16_t status = PPDXElement::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const uint8_t marker = 1;
  return settings.Add(tag, id, &marker, 1);
}
