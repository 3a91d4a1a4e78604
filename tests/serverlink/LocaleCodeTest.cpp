#include "serverlink/LocaleCode.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LanguageCode, TableOfLanguages) {
  struct Case {
    const char* id;
    const char* code;
  } cases[] = {{"en", "en"},         {"ko", "ko_KR"}, {"ja", "ja"},    {"fr", "fr"},
               {"de", "de"},         {"sv", "sv"},    {"nl", "nl"},    {"zh-Hans", "zh_CN"},
               {"zh-Hant", "zh_TW"}, {"tr", "tr"},    {"es", "es"},    {"fi", "fi"},
               {"no", "no"},         {"nb", "no"},    {"nn", "no"},    {"ru", "ru"},
               {"pt-BR", "pt"},      {"pt", "pt"},    {"it", "it"},    {"da", "da"},
               {"pl", "pl"},         {"cs", "cs_CZ"}, {"pt-PT", "en"}, {"el", "en"},
               {"", "en"},           {"zh", "en"}};
  for (const Case& c : cases) EXPECT_EQ(LanguageCodeFor(c.id), c.code) << c.id;
}

class PreferredLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }
  static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(PreferredLanguage, FromTheEnvironmentInItsOrder) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> env;
    const char* code;
  } cases[] = {
      {{}, "en"},
      {{{"LANG", "C.UTF-8"}}, "en"},
      {{{"LANG", "de_DE.UTF-8"}}, "de"},
      {{{"LANG", "pt_BR.UTF-8"}}, "pt"},
      {{{"LANG", "pt_PT.UTF-8"}}, "en"},
      {{{"LANG", "zh_TW.UTF-8"}}, "zh_TW"},
      {{{"LANG", "zh_CN.GB18030"}}, "zh_CN"},
      {{{"LANG", "sr_RS@latin"}}, "en"},
      {{{"LANGUAGE", "nb_NO:en"}, {"LANG", "fr_FR.UTF-8"}}, "no"},
      {{{"LANGUAGE", ""}, {"LANG", "fr_FR.UTF-8"}}, "fr"},
      {{{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "ko_KR"}, {"LANG", "fr_FR"}}, "ja"},
      {{{"LC_MESSAGES", "ko_KR.UTF-8"}, {"LANG", "fr_FR"}}, "ko_KR"},
      {{{"LANG", "cs_CZ.UTF-8"}}, "cs_CZ"},
  };
  for (const Case& c : cases) {
    for (const char* name : kNames) unsetenv(name);
    std::string trace;
    for (auto [name, value] : c.env) {
      setenv(name, value, 1);
      trace += std::string(name) + "=" + value + " ";
    }
    SCOPED_TRACE(trace);
    EXPECT_EQ(getCurrentLocaleCode(), c.code);
    EXPECT_EQ(ServerLanguage(), c.code);
  }
}

}  // namespace
