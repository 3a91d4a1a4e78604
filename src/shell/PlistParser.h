// The automation presets file: a property list that unattended runs leave
// at the system root, holding numbered presets of print settings. Each
// reading advances the file's pointer to the next preset and writes it back.
#pragma once

#include <optional>
#include <string>

#include "platform/PropertyList.h"

inline constexpr const char* kAutomationFile = "/PresetsFile.xml";
inline constexpr const char* kAutomationKeyName = "QZVKey";
inline constexpr const char* kAutomationKeyValue = "UnattendedOnly_KEY_58317206";
inline constexpr const char* kLastUsedPresetKey = "LastUsedPreset";
inline constexpr const char* kPresetSettingsKey = "com.apple.print.preset.settings";

class PlistParser {
 public:
  // Reads the file (a path from the system's root, taken below the panel's
  // root folder); true when it is a dictionary whose "QZVKey" is the
  // automation key. The file is remembered for currentPreset.
  bool isValidAutomationFile(const std::string& path);
  // Where such a path lives: "/PresetsFile.xml" is "<root>/PresetsFile.xml".
  static std::string FilePath(const std::string& path);
  // Advances "LastUsedPreset" ("" or missing: "Preset 01"; "Preset 09":
  // "Preset 10"), writes the whole list back atomically and answers the entry
  // of that name (nullopt when the file holds none).
  std::optional<PlistValue> currentPreset();
  // The name that follows a "LastUsedPreset" value.
  static std::string NextPresetName(const PlistValue* lastUsed);

  const PlistValue& Dictionary() const { return myDictionary; }

 private:
  PlistValue myDictionary;
  std::string file_;
};
