// A real feature value with minimum, maximum, increment and default, held as
// 32-bit floats. Its PostScript fragment holds the placeholder "<keyword>",
// replaced by the value in "%9.4f" form. Not connected to the UI constraints.
#pragma once

#include "PPDX/PPDObjects/Controls/PPDXRangeBase.h"

constexpr unsigned int kFloatRangeMarkerTag = ControlTag("FrgC");
constexpr unsigned int kFloatRangeValueTag = ControlTag("FCVl");
constexpr unsigned int kFloatRangeMinimumTag = ControlTag("FCMn");
constexpr unsigned int kFloatRangeMaximumTag = ControlTag("FCMx");
constexpr unsigned int kFloatRangeIncrementTag = ControlTag("FCIn");
constexpr unsigned int kFloatRangeDefaultTag = ControlTag("FCDf");

class PPDXFloatRangeControl
    : public PPDXRangeBase<float, RangeTags{kFloatRangeMarkerTag, kFloatRangeValueTag,
                                            kFloatRangeMinimumTag, kFloatRangeMaximumTag,
                                            kFloatRangeIncrementTag, kFloatRangeDefaultTag}> {
 public:
  // The fragment length arrives as a real number and is truncated (a
  // negative, non-finite or oversized one counts as no fragment); the limits
  // are stored as 32-bit floats and the value is the default as given.
  PPDXFloatRangeControl(const char* keyword, CFString userName, PointerList& flags,
                        unsigned char* psData, double psLength, double minimum, double maximum,
                        double increment, double defaultValue, bool visible);
  // Control items, then the five 4-byte values (byte-order rule); a missing
  // or wrongly sized item leaves its field at 0.
  PPDXFloatRangeControl(Settings& settings, int id);

  void ResetToDefaultValue() override;
  long PostScript(unsigned char* buffer) override;
  CFString CopyCurrentControlValueString() override;  // "%.3f"
  // SetValue(real value of the text); a null text changes nothing.
  void SetCurrentControlWithCFString(const CFString& text) override;

  float MinVal() const { return minimum_; }
  float MaxVal() const { return maximum_; }
  float Increment() const { return increment_; }
  float DefaultValue() const { return defaultValue_; }
  float GetValue() const { return value_; }
  // Clamps to [minimum, maximum]; the value is not snapped to the increment.
  void SetValue(float value);
};
