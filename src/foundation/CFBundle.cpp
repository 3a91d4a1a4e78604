#include "foundation/CFBundle.h"

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>

#include "platform/Log.h"

namespace {

constexpr const char* kBundleFolderName = "TavroFeatures.plugin";

// The language names older bundles use for their folders.
const char* LegacyLanguageName(std::string_view code) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"en", "English"}, {"fr", "French"},   {"de", "German"},    {"it", "Italian"},
      {"es", "Spanish"}, {"ja", "Japanese"}, {"nl", "Dutch"},     {"sv", "Swedish"},
      {"da", "Danish"},  {"fi", "Finnish"},  {"no", "Norwegian"}, {"pt", "Portuguese"},
  };
  for (const auto& [c, name] : kNames) {
    if (code == c) return name;
  }
  return nullptr;
}

void AddLanguage(std::vector<std::string>& out, const std::string& name) {
  if (name.empty()) return;
  for (const auto& existing : out) {
    if (existing == name) return;
  }
  out.push_back(name);
}

// "de_CH.UTF-8@euro" -> de_CH, de, German.
void AddLocale(std::vector<std::string>& out, std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return;
  std::string full(locale);
  std::string base = full.substr(0, full.find('_'));
  AddLanguage(out, full);
  AddLanguage(out, base);
  if (const char* legacy = LegacyLanguageName(base)) AddLanguage(out, legacy);
}

}  // namespace

CFBundleRef CFBundle::Open(const std::filesystem::path& folder) {
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder / "Contents", ec)) return nullptr;
  return CFBundleRef(new CFBundle(folder));
}

const PlistValue& CFBundle::InfoDictionary() const {
  if (!info_) {
    auto file = ContentsPath() / "Info.plist";
    std::error_code ec;
    std::optional<PlistValue> read;
    std::string error = "no such file";
    if (std::filesystem::is_regular_file(file, ec)) {
      std::ifstream in(file, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), {});
      read = PlistValue::FromXml(text, &error);
      if (read && !read->IsDict()) {
        error = "not a dictionary";
        read.reset();
      }
    }
    if (!read) {
      myNSLogC(("bundle information " + file.string() + ": " + error).c_str());
      read = PlistValue::MakeDict();
    }
    info_ = std::move(read);
  }
  return *info_;
}

const PlistValue* CFBundle::GetValueForInfoDictionaryKey(std::string_view key) const {
  return InfoDictionary().Find(key);
}

std::string CFBundle::Identifier() const {
  const PlistValue* id = GetValueForInfoDictionaryKey("CFBundleIdentifier");
  return id ? id->GetString() : std::string();
}

std::vector<std::string> CFBundle::PreferredLanguages() {
  std::vector<std::string> out;
  if (const char* list = std::getenv("LANGUAGE")) {
    std::string_view rest(list);
    while (!rest.empty()) {
      size_t colon = rest.find(':');
      AddLocale(out, rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      AddLocale(out, value);
      break;  // the first one set is the locale in force
    }
  }
  AddLanguage(out, "en");
  AddLanguage(out, "English");
  AddLanguage(out, "Base");
  return out;
}

const StringsTable* CFBundle::Table(const std::string& language, const std::string& table) const {
  auto key = std::make_pair(language, table);
  auto it = tables_.find(key);
  if (it == tables_.end()) {
    auto file = ResourcesPath() / (language + ".lproj") / (table + ".strings");
    it = tables_.emplace(std::move(key), StringsTable::Load(file)).first;
  }
  return it->second ? &*it->second : nullptr;
}

CFString CFBundle::CopyLocalizedString(const CFString& key, const CFString& value,
                                       const std::string& table) const {
  if (key.IsNull()) return value;
  const std::string name = table.empty() ? "Localizable" : table;
  for (const auto& language : PreferredLanguages()) {
    if (const StringsTable* t = Table(language, name)) {
      CFString found = t->Find(key);
      if (!found.IsNull()) return found;
    }
  }
  return (!value.IsNull() && !value.Empty()) ? value : key;
}

std::filesystem::path LocateBundleFolder() {
  std::error_code ec;
  auto usable = [&](const std::filesystem::path& p) {
    return !p.empty() && std::filesystem::is_directory(p / "Contents", ec);
  };
  // An explicit setting that is wrong gives no bundle rather than another one.
  if (const char* env = std::getenv("TAVRO_BUNDLE"); env && *env) {
    if (usable(env)) return env;
    myNSLogC((std::string("TAVRO_BUNDLE names no bundle: ") + env).c_str());
    return {};
  }
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LocateBundleFolder), &info) && info.dli_fname) {
    auto beside = std::filesystem::path(info.dli_fname).parent_path() / kBundleFolderName;
    if (usable(beside)) return beside;
  }
#ifdef TAVRO_BUNDLE_INSTALL_DIR
  if (usable(TAVRO_BUNDLE_INSTALL_DIR)) return TAVRO_BUNDLE_INSTALL_DIR;
#endif
#ifdef TAVRO_BUNDLE_SOURCE_DIR
  if (usable(TAVRO_BUNDLE_SOURCE_DIR)) return TAVRO_BUNDLE_SOURCE_DIR;
#endif
  return {};
}
