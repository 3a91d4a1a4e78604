// An integer feature value with minimum, maximum, increment and default. Its
// PostScript fragment holds the placeholder "<keyword>", which is replaced by
// the current value. Not connected to the UI constraints.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/Controls/PPDXRangeBase.h"

constexpr unsigned int kRangeMarkerTag = ControlTag("RngC");
constexpr unsigned int kRangeValueTag = ControlTag("RCVl");
constexpr unsigned int kRangeMinimumTag = ControlTag("RCMn");
constexpr unsigned int kRangeMaximumTag = ControlTag("RCMx");
constexpr unsigned int kRangeIncrementTag = ControlTag("RCIn");
constexpr unsigned int kRangeDefaultTag = ControlTag("RCDf");

class PPDXRangeControl
    : public PPDXRangeBase<int64_t,
                           RangeTags{kRangeMarkerTag, kRangeValueTag, kRangeMinimumTag,
                                     kRangeMaximumTag, kRangeIncrementTag, kRangeDefaultTag}> {
 public:
  // Takes over the flag words and the malloc'ed fragment; the value is the
  // default as given (no rounding, no clamping).
  PPDXRangeControl(const char* keyword, CFString userName, PointerList& flags,
                   unsigned char* psData, long psLength, long minimum, long maximum, long increment,
                   long defaultValue, bool visible);
  // Control items, then the five 8-byte values; a missing or wrongly sized
  // item leaves its field at 0.
  PPDXRangeControl(Settings& settings, int id);

  void ResetToDefaultValue() override;
  long PostScript(unsigned char* buffer) override;
  CFString CopyCurrentControlValueString() override;  // "%d"
  // SetValue(integer value of the text); a null text changes nothing.
  void SetCurrentControlWithCFString(const CFString& text) override;

  long MinVal() const { return static_cast<long>(minimum_); }
  long MaxVal() const { return static_cast<long>(maximum_); }
  long Increment() const { return static_cast<long>(increment_); }
  long DefaultValue() const { return static_cast<long>(defaultValue_); }
  long GetValue() const { return static_cast<long>(value_); }
  // Moves the value toward 0 onto the increment grid (anchored at 0; an
  // increment of 0 means no grid), then clamps it to [minimum, maximum].
  void SetValue(long value);

  // The value rule on its own, for callers that check a value before setting it.
  static int64_t Constrain(int64_t value, int64_t minimum, int64_t maximum, int64_t increment);
};

// Null-safe wrappers: 0 for a null control, or nothing done.
long GetRangeValue(PPDXRangeControl* control);
void SetRangeValue(PPDXRangeControl* control, long value);
long GetRangeMinimum(PPDXRangeControl* control);
long GetRangeMaximum(PPDXRangeControl* control);
long GetRangeIncrement(PPDXRangeControl* control);
long GetRangeDefaultVal(PPDXRangeControl* control);
long RangePostScript(PPDXRangeControl* control, unsigned char* buffer);
