// The server language the job properties component is told, from the user's
// preferred language.
#pragma once

#include <string>
#include <string_view>

// The code for a language identifier ("en", "pt-BR", "zh-Hans" ...); "en" for
// any language the table does not list.
std::string LanguageCodeFor(std::string_view languageId);
// The user's first preferred language as an identifier: the first entry of
// LANGUAGE, else LC_ALL, LC_MESSAGES, LANG ("pt_BR.UTF-8" gives "pt-BR",
// "zh_TW" "zh-Hant", "de_DE" "de"); "en" when none is set.
std::string PreferredLanguageId();
// Sets the server language from the user's preferred language and answers it.
std::string getCurrentLocaleCode();
// The server language last set ("en" before the first call).
const std::string& ServerLanguage();
