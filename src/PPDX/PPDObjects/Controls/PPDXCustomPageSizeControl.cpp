#include "PPDX/PPDObjects/Controls/PPDXCustomPageSizeControl.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// A double as a 32-bit float without the undefined out-of-range cast:
// beyond the float range the value becomes an infinity, as IEEE rounding gives.
float ToFloat(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

}  // namespace

PPDXCustomPageSizeControl::PPDXCustomPageSizeControl(const char* keyword, PointerList& flags)
    : PPDXControl(keyword, CFSTR("Custom Page Size"), flags, nullptr, 0, true, nullptr) {
  SetType(kCustomPageSizeControl);
}

PPDXCustomPageSizeControl::PPDXCustomPageSizeControl(const char* keyword, PointerList& flags,
                                                     double minWidth, double maxWidth,
                                                     double minHeight, double maxHeight)
    : PPDXCustomPageSizeControl(keyword, flags) {
  minWidth_ = ToFloat(minWidth);
  maxWidth_ = ToFloat(maxWidth);
  minHeight_ = ToFloat(minHeight);
  maxHeight_ = ToFloat(maxHeight);
}

int16_t PPDXCustomPageSizeControl::Save(Settings&, const int&) {
  return 0;
}

void PPDXCustomPageSizeControl::ResetToDefaultValue() {}

int16_t PPDXCustomPageSizeControl::Restore(Settings&, int) {
  return 0;
}

CFString PPDXCustomPageSizeControl::CopyCurrentControlValueString() {
  char text[128];  // "%f" of FLT_MAX is 46 characters
  std::snprintf(text, sizeof text, "%f %f", static_cast<double>(width_),
                static_cast<double>(height_));
  return CFSTR(text);
}

void PPDXCustomPageSizeControl::SetCurrentControlWithCFString(const CFString& text) {
  if (text.IsNull()) return;
  width_ = ToFloat(text.DoubleValue());
  const std::u16string& units = text.Units();
  size_t blank = units.find(u' ');
  if (blank == std::u16string::npos) {
    height_ = width_;
    return;
  }
  height_ = ToFloat(CFString(units.substr(blank + 1)).DoubleValue());
}
