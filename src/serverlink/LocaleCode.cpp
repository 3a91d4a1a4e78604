#include "serverlink/LocaleCode.h"

#include <cstdlib>
#include <utility>

namespace {

std::string gServerLanguage = "en";

std::string_view EnvEntry(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

// "ll_CC.codeset@modifier" as a language identifier. The language alone,
// except where the table tells regions or scripts apart.
std::string PosixToLanguageId(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.empty() || locale == "C" || locale == "POSIX") return "en";
  size_t sep = locale.find_first_of("_-");
  std::string language(locale.substr(0, sep));
  std::string region(sep == std::string_view::npos ? "" : locale.substr(sep + 1));
  if (language == "zh") {
    if (region == "TW" || region == "HK" || region == "MO" || region == "Hant") return "zh-Hant";
    return "zh-Hans";
  }
  if (language == "pt" && !region.empty()) return "pt-" + region;
  return language;
}

}  // namespace

std::string LanguageCodeFor(std::string_view id) {
  static const std::pair<std::string_view, std::string_view> kTable[] = {
      {"en", "en"}, {"ko", "ko_KR"}, {"ja", "ja"},         {"fr", "fr"},         {"de", "de"},
      {"sv", "sv"}, {"nl", "nl"},    {"zh-Hans", "zh_CN"}, {"zh-Hant", "zh_TW"}, {"tr", "tr"},
      {"es", "es"}, {"fi", "fi"},    {"no", "no"},         {"nb", "no"},         {"nn", "no"},
      {"ru", "ru"}, {"pt-BR", "pt"}, {"pt", "pt"},         {"it", "it"},         {"da", "da"},
      {"pl", "pl"}, {"cs", "cs_CZ"}};
  for (const auto& [language, code] : kTable)
    if (language == id) return std::string(code);
  return "en";
}

std::string PreferredLanguageId() {
  std::string_view languages = EnvEntry("LANGUAGE");
  std::string_view first = languages.substr(0, languages.find(':'));
  if (!first.empty()) return PosixToLanguageId(first);
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string_view value = EnvEntry(name);
    if (!value.empty()) return PosixToLanguageId(value);
  }
  return "en";
}

std::string getCurrentLocaleCode() {
  gServerLanguage = LanguageCodeFor(PreferredLanguageId());
  return gServerLanguage;
}

const std::string& ServerLanguage() {
  return gServerLanguage;
}
