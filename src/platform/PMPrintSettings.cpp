#include "platform/PMPrintSettings.h"

PMPrintSettings::PMPrintSettings(PlistValue dictionary)
    : values_(dictionary.IsDict() ? std::move(dictionary) : PlistValue::MakeDict()) {}

void PMPrintSettings::SetValue(std::string_view key, PlistValue value) {
  if (value.IsNone()) {
    values_.Remove(key);
  } else {
    values_.Set(key, std::move(value));
  }
}

std::optional<std::string> PMPrintSettings::GetString(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  if (!v || !v->AsString()) return std::nullopt;
  return *v->AsString();
}

std::optional<int64_t> PMPrintSettings::GetInteger(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  if (!v || !v->IsNumber()) return std::nullopt;
  return v->GetInteger();
}

std::optional<double> PMPrintSettings::GetReal(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  if (!v || !v->IsNumber()) return std::nullopt;
  return v->GetReal();
}

std::optional<bool> PMPrintSettings::GetBool(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  if (!v || v->Kind() != PlistKind::Bool) return std::nullopt;
  return v->GetBool();
}

const PlistValue::Array* PMPrintSettings::GetArray(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  return v ? v->AsArray() : nullptr;
}

const PlistValue::Dict* PMPrintSettings::GetDict(std::string_view key) const {
  const PlistValue* v = values_.Find(key);
  return v ? v->AsDict() : nullptr;
}

void PMPrintSettings::SetString(std::string_view key, std::string_view value) {
  values_.Set(key, PlistValue::String(value));
}
void PMPrintSettings::SetInteger(std::string_view key, int64_t value) {
  values_.Set(key, PlistValue::Integer(value));
}
void PMPrintSettings::SetReal(std::string_view key, double value) {
  values_.Set(key, PlistValue::Real(value));
}
void PMPrintSettings::SetBool(std::string_view key, bool value) {
  values_.Set(key, PlistValue::Bool(value));
}

std::optional<PMPrintSettings> PMPrintSettings::FromXml(std::string_view text, std::string* error) {
  auto value = PlistValue::FromXml(text, error);
  if (!value) return std::nullopt;
  if (!value->IsDict()) {
    if (error) *error = "print settings must be a dictionary";
    return std::nullopt;
  }
  return PMPrintSettings(std::move(*value));
}

OSStatus PMPrintSettingsSetValue(PMPrintSettings* settings, std::string_view key,
                                 const PlistValue* value, bool /*locked*/) {
  if (!settings || key.empty()) return kPMInvalidParameter;
  settings->SetValue(key, value ? *value : PlistValue());
  return noErr;
}

OSStatus PMPrintSettingsGetValue(const PMPrintSettings* settings, std::string_view key,
                                 const PlistValue** value) {
  if (!settings || !value) return kPMInvalidParameter;
  *value = settings->GetValue(key);
  return *value ? noErr : kPMKeyNotFound;
}

OSStatus PMPrintSettingsCopyAsDictionary(const PMPrintSettings* settings, PlistValue* dictionary) {
  if (!settings || !dictionary) return kPMInvalidParameter;
  *dictionary = settings->Dictionary();
  return noErr;
}

OSStatus PMGetCopies(const PMPrintSettings* settings, uint32_t* copies) {
  if (!settings || !copies) return kPMInvalidParameter;
  auto n = settings->GetInteger(kPMCopiesKey);
  *copies = n && *n > 0 && *n <= UINT32_MAX ? static_cast<uint32_t>(*n) : 1;
  return noErr;
}

OSStatus PMSetCopies(PMPrintSettings* settings, uint32_t copies, bool /*locked*/) {
  if (!settings || copies == 0) return kPMInvalidParameter;
  settings->SetInteger(kPMCopiesKey, copies);
  return noErr;
}
