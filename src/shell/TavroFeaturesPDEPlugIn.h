// The bundle's principal class: the print dialog asks it for the panels of
// a type, and it makes the one panel of this plug-in for the dialog extension
// type.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "shell/PanelView.h"
#include "shell/TavroFeaturesPDE.h"

class TavroFeaturesPDEPlugIn41E2112826D64D35B898DBD8D5A9D932 {
 public:
  // Keeps nothing.
  bool initWithBundle() { return true; }
  // For the dialog extension type: one panel, or nullopt when it cannot be
  // made (no panel: the host shows none). Any other type: no panels.
  std::optional<std::vector<TavroFeaturesPDE*>> PDEPanelsForType(
      const char* type, TavroPDEHostCallback* hostInfo, std::unique_ptr<PanelView> view = nullptr);
};

using TavroFeaturesPDEPlugIn = TavroFeaturesPDEPlugIn41E2112826D64D35B898DBD8D5A9D932;
