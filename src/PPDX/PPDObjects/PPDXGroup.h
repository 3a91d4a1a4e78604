// A group of controls as the dialog arranges them. The saved form is the
// element's items followed by a one-byte class marker, so that a rebuild
// makes the same class again.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXElement.h"
#include "platform/CFString.h"

constexpr unsigned int kGroupMarkerTag = ElementTag("gGrp");       // ordinary group
constexpr unsigned int kRollDownMarkerTag = ElementTag("RlDn");    // roll-down
constexpr unsigned int kScrollPaneMarkerTag = ElementTag("ScPn");  // scroll pane

class PPDXGroup : public PPDXElement {
 public:
  PPDXGroup();  // no keyword, empty translation, invisible
  PPDXGroup(const char* keyword, const CFString& userName, const bool& visible);
  PPDXGroup(Settings& settings, const int& id);
  ~PPDXGroup() override;

  // The element items, then the 'gGrp' marker.
  int16_t Save(Settings& settings, const int& id) override;

 protected:
  // The element items, then a one-byte marker under tag.
  int16_t SaveWithMarker(Settings& settings, const int& id, unsigned int tag);
};
