#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"

#include <cstdio>

namespace {

// "%d" of the value, as a 32-bit integer like the panel shows it.
void ValueText(int64_t value, char (&text)[16]) {
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
}

}  // namespace

PPDXRangeControl::PPDXRangeControl(const char* keyword, CFString userName, PointerList& flags,
                                   unsigned char* psData, long psLength, long minimum, long maximum,
                                   long increment, long defaultValue, bool visible)
    : PPDXRangeBase(kRangeControl, keyword, std::move(userName), flags, psData, psLength, visible,
                    minimum, maximum, increment, defaultValue) {}

PPDXRangeControl::PPDXRangeControl(Settings& settings, int id)
    : PPDXRangeBase(kRangeControl, settings, id) {}

int64_t PPDXRangeControl::Constrain(int64_t value, int64_t minimum, int64_t maximum,
                                    int64_t increment) {
  // Increments 0, 1 and -1 leave every value on the grid; testing them first
  // also keeps INT64_MIN % -1 (undefined) out of reach.
  if (increment != 0 && increment != 1 && increment != -1) {
    int64_t r = value % increment;  // sign of value: the grid pulls toward 0
    if (r != 0) value -= r;
  }
  if (value < minimum) value = minimum;
  if (value > maximum) value = maximum;
  return value;
}

void PPDXRangeControl::SetValue(long value) {
  value_ = Constrain(value, minimum_, maximum_, increment_);
  DropFragment();
}

void PPDXRangeControl::ResetToDefaultValue() {
  SetValue(static_cast<long>(defaultValue_));
}

CFString PPDXRangeControl::CopyCurrentControlValueString() {
  char text[16];
  ValueText(value_, text);
  return CFSTR(text);
}

void PPDXRangeControl::SetCurrentControlWithCFString(const CFString& text) {
  if (text.IsNull()) return;
  SetValue(text.IntValue());
}

long PPDXRangeControl::PostScript(unsigned char* buffer) {
  char text[16];
  ValueText(value_, text);
  return SubstitutedPostScript(buffer, text);
}

long GetRangeValue(PPDXRangeControl* control) {
  return control ? control->GetValue() : 0;
}
void SetRangeValue(PPDXRangeControl* control, long value) {
  if (control) control->SetValue(value);
}
long GetRangeMinimum(PPDXRangeControl* control) {
  return control ? control->MinVal() : 0;
}
long GetRangeMaximum(PPDXRangeControl* control) {
  return control ? control->MaxVal() : 0;
}
long GetRangeIncrement(PPDXRangeControl* control) {
  return control ? control->Increment() : 0;
}
long GetRangeDefaultVal(PPDXRangeControl* control) {
  return control ? control->DefaultValue() : 0;
}
long RangePostScript(PPDXRangeControl* control, unsigned char* buffer) {
  return control ? control->PostScript(buffer) : 0;
}
