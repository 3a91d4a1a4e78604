#include "PPDX/PPDObjects/PPDXScrollPane.h"

PPDXScrollPane::PPDXScrollPane() : rollDowns_(std::make_unique<PPDXGroups>()) {}

PPDXScrollPane::PPDXScrollPane(const char* keyword, const CFString& userName, const bool& visible)
    : PPDXGroup(keyword, userName, visible), rollDowns_(std::make_unique<PPDXGroups>()) {}

PPDXScrollPane::PPDXScrollPane(Settings& settings, const int& id)
    : PPDXGroup(settings, id), rollDowns_(std::make_unique<PPDXGroups>()) {}

PPDXScrollPane::~PPDXScrollPane() = default;

int16_t PPDXScrollPane::Save(Settings& settings, const int& id) {
  return SaveWithMarker(settings, id, kScrollPaneMarkerTag);
}

PPDXGroups* GetScrollPaneRollDowns(PPDXElement* group) {
  auto* pane = dynamic_cast<PPDXScrollPane*>(group);
  return pane ? pane->RollDowns() : nullptr;
}

bool IsScrollPane(const PPDXElement* element) {
  return dynamic_cast<const PPDXScrollPane*>(element) != nullptr;
}
