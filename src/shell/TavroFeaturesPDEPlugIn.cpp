#include "shell/TavroFeaturesPDEPlugIn.h"

#include <cstring>

std::optional<std::vector<TavroFeaturesPDE*>> TavroFeaturesPDEPlugIn::PDEPanelsForType(
    const char* type, TavroPDEHostCallback* hostInfo, std::unique_ptr<PanelView> view) {
  if (!type || std::strcmp(type, TAVRO_PDE_PANEL_TYPE) != 0) {
    return std::vector<TavroFeaturesPDE*>();
  }
  TavroFeaturesPDE* panel = TavroFeaturesPDE::initWithCallback(hostInfo, std::move(view));
  if (!panel) return std::nullopt;
  return std::vector<TavroFeaturesPDE*>{panel};
}

// The library's one exported entry. The panel answers for its own memory:
// the host ends it with Release().
extern "C" __attribute__((visibility("default"))) int TavroPDEPanelsForType(
    const char* type, TavroPDEHostCallback* host, TavroPDEPanel** panels, int capacity) {
  TavroFeaturesPDEPlugIn plugIn;
  if (!plugIn.initWithBundle()) return -1;
  if (!type || std::strcmp(type, TAVRO_PDE_PANEL_TYPE) != 0) return 0;
  if (!panels || capacity < 1) return -1;
  std::optional<std::vector<TavroFeaturesPDE*>> made = plugIn.PDEPanelsForType(type, host);
  if (!made) return -1;
  int count = 0;
  for (TavroFeaturesPDE* panel : *made) {
    if (count < capacity) {
      panels[count++] = panel;
    } else {
      panel->Release();
    }
  }
  return count;
}
