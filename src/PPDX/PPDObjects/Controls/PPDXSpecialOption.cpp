#include "PPDX/PPDObjects/Controls/PPDXSpecialOption.h"

#include "PPDX/PPDObjects/Controls/PPDXControlStore.h"
#include "PPDX/PPDObjects/Controls/SettingsStrings.h"

PPDXSpecialOption::PPDXSpecialOption() : value_(std::make_unique<CString>("")) {
  SetType(kSpecialOptionControl);
}

PPDXSpecialOption::PPDXSpecialOption(const char* keyword, CFString userName, PointerList& flags,
                                     char* value, unsigned char* psData, long psLength,
                                     bool visible)
    : PPDXControl(keyword, std::move(userName), flags, psData, psLength, visible, nullptr),
      value_(std::make_unique<CString>(value ? value : "")) {
  SetType(kSpecialOptionControl);
}

PPDXSpecialOption::PPDXSpecialOption(Settings& settings, int id)
    : PPDXControl(settings, id, nullptr) {
  SetType(kSpecialOptionControl);
  value_ = GetSettingsString(settings, kSpecialOptionValueTag, id);
  if (!value_) value_ = std::make_unique<CString>("");
}

PPDXSpecialOption::~PPDXSpecialOption() = default;

int16_t PPDXSpecialOption::Save(Settings& settings, const int& id) {
  int16_t status = PPDXControl::Save(settings, id);
  if (status != kSettingsNoErr) return status;
  const uint8_t marker = 1;
  status = settings.Add(kSpecialOptionMarkerTag, id, &marker, 1);
  if (status != kSettingsNoErr) return status;
  const char* text = value_ ? static_cast<const char*>(*value_) : "";
  return WriteStoreText(settings, kSpecialOptionValueTag, id, text ? text : "");
}

void PPDXSpecialOption::ResetToDefaultValue() {
  value_ = std::make_unique<CString>("");
}

int16_t PPDXSpecialOption::Restore(Settings& settings, int id) {
  // A store without the value keeps the current one rather than losing it.
  int size = 0;
  if (settings.Get(kSpecialOptionValueTag, id, nullptr, size, false) != kSettingsNoErr) {
    return kSettingsNoErr;
  }
  value_ = GetSettingsString(settings, kSpecialOptionValueTag, id);
  if (!value_) value_ = std::make_unique<CString>("");
  return kSettingsNoErr;
}

CFString PPDXSpecialOption::CopyCurrentControlValueString() {
  const char* text = value_ ? static_cast<const char*>(*value_) : nullptr;
  if (!text || !*text) return CFSTR("");
  return CFString::FromUTF8(text);
}

void PPDXSpecialOption::SetCurrentControlWithCFString(const CFString& /*text*/) {}
