// links: tavro_platform
// Arbitrary bytes read as a property list (XML or binary). Whatever is read
// must write back in both forms and read back equal.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/PropertyList.h"

namespace {

// NaN never equals itself; such a value cannot take part in the equality check.
bool HasNaN(const PlistValue& v) {
  if (v.Kind() == PlistKind::Real) return std::isnan(v.GetReal());
  if (v.Kind() == PlistKind::Date) return std::isnan(v.GetDate()->seconds);
  for (size_t i = 0; i < v.Count(); ++i) {
    if (const PlistValue* item = v.At(i); item && HasNaN(*item)) return true;
  }
  if (const auto* dict = v.AsDict()) {
    for (const auto& [key, item] : *dict) {
      if (HasNaN(item)) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto value = PlistValue::FromXml(text);
  if (!value || HasNaN(*value)) return 0;
  auto fromBinary = PlistValue::FromXml(value->ToBinary());
  if (!fromBinary || *fromBinary != *value) abort();
  return 0;
}
