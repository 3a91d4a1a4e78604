// Print settings: a dictionary of property-list values under string keys
// ("com.apple.print.PrintSettings.PMCopies", "InputSlot", the panel's own
// keys), with typed reads and writes and an XML form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/PMDefinitions.h"
#include "platform/PropertyList.h"

class PMPrintSettings {
 public:
  PMPrintSettings() : values_(PlistValue::MakeDict()) {}
  // The dictionary's entries become the settings; a value that is not a
  // dictionary gives empty settings.
  explicit PMPrintSettings(PlistValue dictionary);

  const PlistValue* GetValue(std::string_view key) const { return values_.Find(key); }
  // A None value removes the key.
  void SetValue(std::string_view key, PlistValue value);
  bool RemoveValue(std::string_view key) { return values_.Remove(key); }
  bool Contains(std::string_view key) const { return values_.Find(key) != nullptr; }

  // Typed reads: nullopt when the key is missing or holds another kind
  // (integers and reals read as each other).
  std::optional<std::string> GetString(std::string_view key) const;
  std::optional<int64_t> GetInteger(std::string_view key) const;
  std::optional<double> GetReal(std::string_view key) const;
  std::optional<bool> GetBool(std::string_view key) const;
  const PlistValue::Array* GetArray(std::string_view key) const;
  const PlistValue::Dict* GetDict(std::string_view key) const;

  void SetString(std::string_view key, std::string_view value);
  void SetInteger(std::string_view key, int64_t value);
  void SetReal(std::string_view key, double value);
  void SetBool(std::string_view key, bool value);

  // All values as one dictionary.
  const PlistValue& Dictionary() const { return values_; }

  std::string ToXml() const { return values_.ToXml(); }
  // Settings from an XML (or binary) property list whose root is a dictionary.
  static std::optional<PMPrintSettings> FromXml(std::string_view text,
                                                std::string* error = nullptr);

  bool operator==(const PMPrintSettings& other) const = default;

 private:
  PlistValue values_;
};

inline constexpr const char* kPMCopiesKey = "com.apple.print.PrintSettings.PMCopies";
inline constexpr const char* kPMJobNameKey = "com.apple.print.JobInfo.PMJobName";

// The classic calls over the settings; a null settings object answers
// kPMInvalidParameter.
OSStatus PMPrintSettingsSetValue(PMPrintSettings* settings, std::string_view key,
                                 const PlistValue* value, bool locked);
// `value` points into the settings until they change; kPMKeyNotFound when absent.
OSStatus PMPrintSettingsGetValue(const PMPrintSettings* settings, std::string_view key,
                                 const PlistValue** value);
// A copy of all values as a dictionary.
OSStatus PMPrintSettingsCopyAsDictionary(const PMPrintSettings* settings, PlistValue* dictionary);
// Copies; 1 when the settings hold none.
OSStatus PMGetCopies(const PMPrintSettings* settings, uint32_t* copies);
OSStatus PMSetCopies(PMPrintSettings* settings, uint32_t copies, bool locked);
