#include "PPDX/PPDObjects/DisplayOptions.h"

namespace {
_DISPLAY_OPTIONS_ gDisplayOption = kDisplayVisibleWithParent;
}  // namespace

_DISPLAY_OPTIONS_ GetDisplayOption() {
  return gDisplayOption;
}

void SetDisplayOption(_DISPLAY_OPTIONS_ option) {
  gDisplayOption = option;
}
