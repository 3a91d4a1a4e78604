// A plug-in bundle on disk: a folder "<name>.plugin/Contents" holding
// Info.plist, the bundle's other files and Resources/<language>.lproj/ with
// the localized string tables ("<table>.strings"). Tables are read on first
// use and kept for the bundle's lifetime.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/StringsTable.h"
#include "platform/CFString.h"
#include "platform/PropertyList.h"

class CFBundle;
// Bundles are shared, as retained bundle references were.
using CFBundleRef = std::shared_ptr<const CFBundle>;

class CFBundle {
 public:
  // The bundle at a ".plugin" folder; null when it has no Contents folder.
  static CFBundleRef Open(const std::filesystem::path& folder);

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path ContentsPath() const { return path_ / "Contents"; }
  std::filesystem::path ResourcesPath() const { return ContentsPath() / "Resources"; }

  // Contents/Info.plist as a dictionary (read once); an empty dictionary when
  // the file is missing or is no dictionary (logged).
  const PlistValue& InfoDictionary() const;
  // One entry of it; null when absent.
  const PlistValue* GetValueForInfoDictionaryKey(std::string_view key) const;
  // "CFBundleIdentifier"; empty when absent.
  std::string Identifier() const;

  // The localized text for a key from a table ("Localizable" when the table
  // is empty). Languages are tried in order (see PreferredLanguages); a key
  // found nowhere gives `value` when that is not empty, else the key itself.
  CFString CopyLocalizedString(const CFString& key, const CFString& value,
                               const std::string& table) const;

  // Folder names tried under Resources/, most preferred first: from the
  // LANGUAGE, LC_ALL, LC_MESSAGES and LANG variables ("de_CH.UTF-8" gives
  // de_CH, de and German), then English.
  static std::vector<std::string> PreferredLanguages();

 private:
  explicit CFBundle(std::filesystem::path path) : path_(std::move(path)) {}
  const StringsTable* Table(const std::string& language, const std::string& table) const;

  std::filesystem::path path_;
  mutable std::optional<PlistValue> info_;
  // (language folder, table) -> table, or nullopt when missing or bad.
  mutable std::map<std::pair<std::string, std::string>, std::optional<StringsTable>> tables_;
};

// Where the plug-in's bundle is: the TAVRO_BUNDLE variable, else
// "TavroFeatures.plugin" beside the shared library or program that holds this
// code, else the installed copy, else the source tree's copy (for tests and
// the build tree). Empty when none of these exists.
std::filesystem::path LocateBundleFolder();
