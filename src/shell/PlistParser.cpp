#include "shell/PlistParser.h"

#include <cstdlib>

#include "foundation/AtomicFile.h"
#include "foundation/PropertyListFile.h"
#include "platform/SystemSettings.h"

std::string PlistParser::FilePath(const std::string& path) {
  // Never the machine's own root folder: unattended runs of one root must not
  // see another's presets.
  std::string root = TavroRoot();
  while (!root.empty() && root.back() == '/') root.pop_back();
  return root + (path.empty() || path.front() != '/' ? "/" : "") + path;
}

bool PlistParser::isValidAutomationFile(const std::string& path) {
  file_ = FilePath(path);
  std::string error;
  std::optional<PlistValue> list =
      PropertyListFile::CreatePropertyListFromFile(file_, kCFPropertyListMutableContainers, &error);
  if (!list || !list->IsDict()) return false;
  myDictionary = std::move(*list);
  const PlistValue* key = myDictionary.Find(kAutomationKeyName);
  return key && key->AsString() && *key->AsString() == kAutomationKeyValue;
}

std::string PlistParser::NextPresetName(const PlistValue* lastUsed) {
  const std::string last = lastUsed && lastUsed->AsString() ? *lastUsed->AsString() : std::string();
  int n = 1;
  if (!last.empty()) {
    std::string digits = last;
    if (digits.rfind("Preset ", 0) == 0) digits.erase(0, 7);
    // intValue: leading digits, 0 when there are none; bounded so that the
    // next number cannot overflow.
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    n = static_cast<int>(value < 0 ? 0 : (value > 999999 ? 999999 : value)) + 1;
  }
  return (n > 9 ? "Preset " : "Preset 0") + std::to_string(n);
}

std::optional<PlistValue> PlistParser::currentPreset() {
  if (!myDictionary.IsDict()) return std::nullopt;
  const std::string name = NextPresetName(myDictionary.Find(kLastUsedPresetKey));
  myDictionary.Set(kLastUsedPresetKey, PlistValue::String(name));
  if (!file_.empty()) WriteFileAtomically(file_, myDictionary.ToXml());
  const PlistValue* preset = myDictionary.Find(name);
  if (!preset) return std::nullopt;
  return *preset;
}
