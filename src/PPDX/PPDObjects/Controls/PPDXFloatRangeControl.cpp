#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The fragment length as the parser hands it over: truncated toward 0. A
// value that no byte count can be (negative, NaN, beyond long) gives 0.
long FragmentLength(double length) {
  if (!(length >= 0) || length >= static_cast<double>(std::numeric_limits<long>::max())) return 0;
  return static_cast<long>(length);
}

// A double as a 32-bit float without the undefined out-of-range cast:
// beyond the float range the value becomes an infinity, as IEEE rounding gives.
float ToFloat(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// Wide enough for "%9.4f" of any float, FLT_MAX included (46 characters).
using ValueBuffer = char[64];

}  // namespace

PPDXFloatRangeControl::PPDXFloatRangeControl(const char* keyword, CFString userName,
                                             PointerList& flags, unsigned char* psData,
                                             double psLength, double minimum, double maximum,
                                             double increment, double defaultValue, bool visible)
    : PPDXRangeBase(kFloatRangeControl, keyword, std::move(userName), flags, psData,
                    FragmentLength(psLength), visible, ToFloat(minimum), ToFloat(maximum),
                    ToFloat(increment), ToFloat(defaultValue)) {}

PPDXFloatRangeControl::PPDXFloatRangeControl(Settings& settings, int id)
    : PPDXRangeBase(kFloatRangeControl, settings, id) {}

void PPDXFloatRangeControl::SetValue(float value) {
  value_ = value;
  if (minimum_ > value_) value_ = minimum_;
  if (value_ > maximum_) value_ = maximum_;
  DropFragment();
}

void PPDXFloatRangeControl::ResetToDefaultValue() {
  SetValue(defaultValue_);
}

CFString PPDXFloatRangeControl::CopyCurrentControlValueString() {
  ValueBuffer text;
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value_));
  return CFSTR(text);
}

void PPDXFloatRangeControl::SetCurrentControlWithCFString(const CFString& text) {
  if (text.IsNull()) return;
  SetValue(ToFloat(text.DoubleValue()));
}

long PPDXFloatRangeControl::PostScript(unsigned char* buffer) {
  ValueBuffer text;
  std::snprintf(text, sizeof text, "%9.4f", static_cast<double>(value_));
  return SubstitutedPostScript(buffer, text);
}
