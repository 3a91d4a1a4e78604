// A group that opens and closes in the dialog and holds its own controls
// (pointers only: the controls belong to the feature document).
#pragma once

#include <cstdint>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControls.h"
#include "PPDX/PPDObjects/PPDXGroup.h"

class PPDXRollDown : public PPDXGroup {
 public:
  PPDXRollDown();
  PPDXRollDown(const char* keyword, const CFString& userName, const bool& visible);
  // The element from the store; the control list starts empty.
  PPDXRollDown(Settings& settings, const int& id);
  ~PPDXRollDown() override;
  PPDXRollDown(const PPDXRollDown&) = delete;
  PPDXRollDown& operator=(const PPDXRollDown&) = delete;

  // The element items, then the 'RlDn' marker (the controls are saved by the
  // document's own collection).
  int16_t Save(Settings& settings, const int& id) override;

  PPDXControls* Controls() const { return controls_.get(); }

 private:
  std::unique_ptr<PPDXControls> controls_;
};

// Null-safe: null for a null element or one that is no roll-down.
PPDXControls* GetRollDownControlList(PPDXElement* group);
bool IsRollDown(const PPDXElement* element);
