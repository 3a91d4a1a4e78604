// The process-wide display option: which model elements the collections count
// and walk. Bit 1 includes orphans (elements without a parent group), bit 2
// includes invisible elements; 3 shows everything. The parser class will own
// the value; until then these accessors are its only home.
#pragma once

#include <cstdint>

// Fixed underlying type, so that any stored value (also one outside 0..3)
// can be represented and tested.
enum _DISPLAY_OPTIONS_ : int32_t {
  kDisplayVisibleWithParent = 0,  // visible elements that have a parent
  kDisplayIncludeOrphans = 1,     // visible elements, with or without parent
  kDisplayIncludeHidden = 2,      // elements with a parent, visible or not
  kDisplayEverything = 3,
};

_DISPLAY_OPTIONS_ GetDisplayOption();
void SetDisplayOption(_DISPLAY_OPTIONS_ option);

// Sets the display option for the lifetime of the object and puts the
// previous one back on every way out of the scope.
class ScopedDisplayOption {
 public:
  explicit ScopedDisplayOption(_DISPLAY_OPTIONS_ option) : saved_(GetDisplayOption()) {
    SetDisplayOption(option);
  }
  ~ScopedDisplayOption() { SetDisplayOption(saved_); }
  ScopedDisplayOption(const ScopedDisplayOption&) = delete;
  ScopedDisplayOption& operator=(const ScopedDisplayOption&) = delete;

 private:
  _DISPLAY_OPTIONS_ saved_;
};
