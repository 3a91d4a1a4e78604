#include "PPDX/PPDObjects/PPDXRollDown.h"

PPDXRollDown::PPDXRollDown() : controls_(std::make_unique<PPDXControls>()) {}

PPDXRollDown::PPDXRollDown(const char* keyword, const CFString& userName, const bool& visible)
    : PPDXGroup(keyword, userName, visible), controls_(std::make_unique<PPDXControls>()) {}

PPDXRollDown::PPDXRollDown(Settings& settings, const int& id)
    : PPDXGroup(settings, id), controls_(std::make_unique<PPDXControls>()) {}

PPDXRollDown::~PPDXRollDown() = default;

int16_t PPDXRollDown::Save(Settings& settings, const int& id) {
  return SaveWithMarker(settings, id, kRollDownMarkerTag);
}

PPDXControls* GetRollDownControlList(PPDXElement* group) {
  auto* rollDown = dynamic_cast<PPDXRollDown*>(group);
  return rollDown ? rollDown->Controls() : nullptr;
}

bool IsRollDown(const PPDXElement* element) {
  return dynamic_cast<const PPDXRollDown*>(element) != nullptr;
}
