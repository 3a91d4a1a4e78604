#include "TextConverter/HexLanguageExceptions.h"

HexLanguageExceptions::HexLanguageExceptions() {
  // "Russian" appears twice in the list as shipped; a set keeps one.
  static const char* const kNames[] = {
      "Japanese", "ChineseTrad", "ChineseSimp", "Chinese",  "Korean", "Czech",
      "Russian",  "Bulg",        "Estonian",    "Russian",  "Greek",  "Hungarian",
      "Latvian",  "Lithuanian",  "Polish",      "Romanian", "Slovak", "Slovenian"};
  for (const char* name : kNames) names_.insert(name);
}

bool HexLanguageExceptions::IsException(const char* language) const {
  return language != nullptr && names_.count(language) != 0;
}
