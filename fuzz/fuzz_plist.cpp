// links: tavro_platform
// Arbitrary bytes read as a property list (XML or binary). Whatever is read
// must write back in both forms and read back equal.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/PropertyList.h"

namespace {

// True when some member answers the question.
template <typename F>
bool Any(const PlistValue& v, F f) {
  if (f(v)) return true;
  for (size_t i = 0; i < v.Count(); ++i) {
    if (const PlistValue* item = v.At(i); item && Any(*item, f)) return true;
  }
  if (const auto* dict = v.AsDict()) {
    for (const auto& [key, item] : *dict) {
      if (Any(item, f)) return true;
    }
  }
  return false;
}

// NaN never equals itself; such a value cannot take part in the equality check.
bool IsNaN(const PlistValue& v) {
  return v.Kind() == PlistKind::Real && std::isnan(v.GetReal());
}

// XML dates have whole seconds only.
bool HasFraction(const PlistValue& v) {
  auto date = v.GetDate();
  return date && date->seconds != std::floor(date->seconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto value = PlistValue::FromXml(text);
  if (!value || Any(*value, IsNaN)) return 0;
  auto fromBinary = PlistValue::FromXml(value->ToBinary());
  if (!fromBinary || *fromBinary != *value) abort();
  if (Any(*value, HasFraction)) return 0;
  auto fromXml = PlistValue::FromXml(value->ToXml());
  if (!fromXml || *fromXml != *value) abort();
  return 0;
}
