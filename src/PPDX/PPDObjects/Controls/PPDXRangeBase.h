// What the integer and the real range controls share: the five numbers
// (value, minimum, maximum, increment, default), their store items and the
// fragment with the value substituted, built once per value.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "PPDX/PPDObjects/Controls/PPDXControl.h"
#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"

// The store tags of one range kind: a 1-byte marker, then the five numbers.
struct RangeTags {
  unsigned int marker, value, minimum, maximum, increment, defaultValue;
};

// 8-byte integers are read as they lie: the byte-order rule has no 8-byte
// form and would answer 1000 for a good read, which stops the restore of
// every control after this one.
inline int16_t ReadRangeItem(Settings& settings, unsigned int tag, int id, int64_t& value) {
  return ReadStoreInt64(settings, tag, id, value);
}
inline int16_t ReadRangeItem(Settings& settings, unsigned int tag, int id, float& value) {
  return ReadStoreFixed(settings, tag, id, &value, 4, true);
}

template <typename Number, RangeTags kTags>
class PPDXRangeBase : public PPDXControl {
 public:
  // Control items, the marker, then the five numbers (sizeof(Number) bytes
  // each); stops at the first store error.
  int16_t Save(Settings& settings, const int& id) override {
    int16_t status = PPDXControl::Save(settings, id);
    if (status != kSettingsNoErr) return status;
    const uint8_t marker = 1;
    if ((status = settings.Add(kTags.marker, id, &marker, 1)) != kSettingsNoErr) return status;
    const struct {
      unsigned int tag;
      const Number* field;
    } items[] = {{kTags.value, &value_},
                 {kTags.minimum, &minimum_},
                 {kTags.maximum, &maximum_},
                 {kTags.increment, &increment_},
                 {kTags.defaultValue, &defaultValue_}};
    for (const auto& item : items)
      if ((status = settings.Add(item.tag, id, item.field, sizeof(Number))) != kSettingsNoErr)
        return status;
    return status;
  }

  // Reads the value item only, as stored (no rounding or clamping), and
  // drops the substituted fragment so the next job carries the new value.
  int16_t Restore(Settings& settings, int id) override {
    const int16_t status = ReadRangeItem(settings, kTags.value, id, value_);
    DropFragment();
    return status;
  }

 protected:
  // Takes over the flag words and the malloc'ed fragment; the value is the
  // default as given.
  PPDXRangeBase(CNTL_TYPE type, const char* keyword, CFString userName, PointerList& flags,
                unsigned char* psData, long psLength, bool visible, Number minimum, Number maximum,
                Number increment, Number defaultValue)
      : PPDXControl(keyword, std::move(userName), flags, psData, psLength, visible, nullptr),
        value_(defaultValue),
        minimum_(minimum),
        maximum_(maximum),
        increment_(increment),
        defaultValue_(defaultValue) {
    SetType(type);
  }
  // Control items, then the five numbers; a missing or wrongly sized item
  // leaves its field at 0.
  PPDXRangeBase(CNTL_TYPE type, Settings& settings, int id) : PPDXControl(settings, id, nullptr) {
    SetType(type);
    ReadRangeItem(settings, kTags.value, id, value_);
    ReadRangeItem(settings, kTags.minimum, id, minimum_);
    ReadRangeItem(settings, kTags.maximum, id, maximum_);
    ReadRangeItem(settings, kTags.increment, id, increment_);
    ReadRangeItem(settings, kTags.defaultValue, id, defaultValue_);
  }

  // The wrapped fragment with "<keyword>" replaced by text.
  long SubstitutedPostScript(unsigned char* buffer, const char* text) {
    if (!Keyword()) return 0;
    if (!cache_) {
      unsigned char* out = nullptr;
      long length = Inject(Keyword(), PSData(), PSLength(), text, out);
      cache_.reset(out);
      cacheLength_ = out ? length : 0;
    }
    return GeneratePSOutputData(buffer, cache_.get(), static_cast<long>(cacheLength_), text, true);
  }
  void DropFragment() {
    cache_.reset();
    cacheLength_ = 0;
  }

  Number value_{};
  Number minimum_{};
  Number maximum_{};
  Number increment_{};
  Number defaultValue_{};

 private:
  struct Free {
    void operator()(unsigned char* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char, Free> cache_;  // substituted fragment, built on demand
  int64_t cacheLength_ = 0;
};
