#include "PPDX/PPDObjects/Controls/PPDXRangeControl.h"

#include <cstdio>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

namespace {

// "%d" of the value, as a 32-bit integer like the panel shows it.
void ValueText(int64_t value, char (&text)[16]) {
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
}

}  // namespace

PPDXRangeControl::PPDXRangeControl(const char* keyword, CFString userName, PointerList& flags,
                                   unsigned char* psData, long psLength, long minimum, long maximum,
                                   long increment, long defaultValue, bool visible)
    : PPDXControl(keyword, std::move(userName), flags, psData, psLength, visible, nullptr),
      value_(defaultValue),
      minimum_(minimum),
      maximum_(maximum),
      increment_(increment),
      defaultValue_(defaultValue) {
  SetType(kRangeControl);
}

PPDXRangeControl::PPDXRangeControl(Settings& settings, int id)
    : PPDXControl(settings, id, nullptr) {
  SetType(kRangeControl);
  ReadStoreInt64(settings, kRangeValueTag, id, value_);
  ReadStoreInt64(settings, kRangeMinimumTag, id, minimum_);
  ReadStoreInt64(settings, kRangeMaximumTag, id, maximum_);
  ReadStoreInt64(settings, kRangeIncrementTag, id, increment_);
  ReadStoreInt64(settings, kRangeDefaultTag, id, defaultValue_);
}

int16_t PPDXRangeControl::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const uint8_t marker = 1;
  if ((status = settings.Add(kRangeMarkerTag, id, &marker, 1)) != kSettingsNoErr) return status;
  const struct {
    unsigned int tag;
    const int64_t* field;
  } items[] = {{kRangeValueTag, &value_},
               {kRangeMinimumTag, &minimum_},
               {kRangeMaximumTag, &maximum_},
               {kRangeIncrementTag, &increment_},
               {kRangeDefaultTag, &defaultValue_}};
  for (const auto& item : items)
    if ((status = settings.Add(item.tag, id, item.field, 8)) != kSettingsNoErr) return status;
  return status;
}

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
  cache_.reset();
  cacheLength_ = 0;
}

void PPDXRangeControl::ResetToDefaultValue() {
  SetValue(static_cast<long>(defaultValue_));
}

int16_t PPDXRangeControl::Restore(Settings& settings, int id) {
  // The 8-byte value is read as it lies: the byte-order rule has no 8-byte
  // form and would answer 1000 for a good read, which stops the restore of
  // every control after this one.
  int16_t status = ReadStoreInt64(settings, kRangeValueTag, id, value_);
  cache_.reset();
  cacheLength_ = 0;
  return status;
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
  if (!Keyword()) return 0;
  if (!cache_) {
    unsigned char* out = nullptr;
    long length = Inject(Keyword(), PSData(), PSLength(), text, out);
    cache_.reset(out);
    cacheLength_ = out ? length : 0;
  }
  return GeneratePSOutputData(buffer, cache_.get(), static_cast<long>(cacheLength_), text, true);
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
