#include "PPDX/PPDObjects/Controls/PPDXFloatRangeControl.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

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
    : PPDXControl(keyword, std::move(userName), flags, psData, FragmentLength(psLength), visible,
                  nullptr),
      value_(ToFloat(defaultValue)),
      minimum_(ToFloat(minimum)),
      maximum_(ToFloat(maximum)),
      increment_(ToFloat(increment)),
      defaultValue_(ToFloat(defaultValue)) {
  SetType(kFloatRangeControl);
}

PPDXFloatRangeControl::PPDXFloatRangeControl(Settings& settings, int id)
    : PPDXControl(settings, id, nullptr) {
  SetType(kFloatRangeControl);
  ReadStoreFixed(settings, kFloatRangeValueTag, id, &value_, 4, true);
  ReadStoreFixed(settings, kFloatRangeMinimumTag, id, &minimum_, 4, true);
  ReadStoreFixed(settings, kFloatRangeMaximumTag, id, &maximum_, 4, true);
  ReadStoreFixed(settings, kFloatRangeIncrementTag, id, &increment_, 4, true);
  ReadStoreFixed(settings, kFloatRangeDefaultTag, id, &defaultValue_, 4, true);
}

int16_t PPDXFloatRangeControl::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const uint8_t marker = 1;
  if ((status = settings.Add(kFloatRangeMarkerTag, id, &marker, 1)) != kSettingsNoErr)
    return status;
  const struct {
    unsigned int tag;
    const float* field;
  } items[] = {{kFloatRangeValueTag, &value_},
               {kFloatRangeMinimumTag, &minimum_},
               {kFloatRangeMaximumTag, &maximum_},
               {kFloatRangeIncrementTag, &increment_},
               {kFloatRangeDefaultTag, &defaultValue_}};
  for (const auto& item : items)
    if ((status = settings.Add(item.tag, id, item.field, 4)) != kSettingsNoErr) return status;
  return status;
}

void PPDXFloatRangeControl::SetValue(float value) {
  value_ = value;
  if (minimum_ > value_) value_ = minimum_;
  if (value_ > maximum_) value_ = maximum_;
  cache_.reset();
  cacheLength_ = 0;
}

void PPDXFloatRangeControl::ResetToDefaultValue() {
  SetValue(defaultValue_);
}

int16_t PPDXFloatRangeControl::Restore(Settings& settings, int id) {
  int16_t status = ReadStoreFixed(settings, kFloatRangeValueTag, id, &value_, 4, true);
  cache_.reset();
  cacheLength_ = 0;
  return status;
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
  if (!Keyword()) return 0;
  if (!cache_) {
    unsigned char* out = nullptr;
    long length = Inject(Keyword(), PSData(), PSLength(), text, out);
    cache_.reset(out);
    cacheLength_ = out ? length : 0;
  }
  return GeneratePSOutputData(buffer, cache_.get(), static_cast<long>(cacheLength_), text, true);
}
