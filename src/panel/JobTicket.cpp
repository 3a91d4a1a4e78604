#include "panel/JobTicket.h"

#include <limits>

int JobTicket::Get(const CFString& key, int& value) const {
  const PlistValue* found = settings_ ? settings_->GetValue(key.UTF8()) : nullptr;
  if (!found || !found->IsNumber()) return kPMKeyNotFound;
  const int64_t number = found->GetInteger();
  if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
    return kPMKeyNotFound;
  value = static_cast<int>(number);
  return 0;
}

void JobTicket::Set(const CFString&, const CFString&,
                    const std::vector<std::pair<CFString, CFString>>& values) {
  for (const auto& [key, value] : values) {
    if (key.IsNull() || value.IsNull()) continue;
    const PlistValue text = PlistValue::String(value.UTF8());
    PMPrintSettingsSetValue(settings_, key.UTF8(), &text, false);
  }
}
