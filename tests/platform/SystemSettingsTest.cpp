#include "platform/SystemSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace {

// Sets an environment variable for a scope (unset when nullopt).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) saved_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(SystemSettings, RootComesFromSettingThenEnvironmentThenDefault) {
  {
    ScopedEnv env("TAVRO_ROOT", std::nullopt);
    EXPECT_EQ(TavroRoot(), kDefaultTavroRoot);
  }
  ScopedEnv env("TAVRO_ROOT", "/srv/tavro//");
  EXPECT_EQ(TavroRoot(), "/srv/tavro");
  {
    ScopedTavroRoot root("/tmp/run1/");
    EXPECT_EQ(TavroRoot(), "/tmp/run1");
  }
  EXPECT_EQ(TavroRoot(), "/srv/tavro");
}

TEST(SystemSettings, SystemPathsMapUnderTheRoot) {
  ScopedTavroRoot root("/r");
  const std::pair<const char*, const char*> cases[] = {
      {"/Library/Caches/QZV/x.txt", "/r/Library/Caches/QZV/x.txt"},
      {"Library/Caches/QZV/mail", "/r/Library/Caches/QZV/mail"},
      {"/Library/Preferences/QZV.UnisorPrinterV2.plist",
       "/r/Library/Preferences/QZV.UnisorPrinterV2.plist"},
      {"/tmp/qzvcopy.ppd", "/tmp/qzvcopy.ppd"},
      {"/LibraryX/a", "/LibraryX/a"},
      {"/Library", "/Library"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(SystemPath(in), out) << in;
  ScopedTavroRoot top("/");
  EXPECT_EQ(SystemPath("/Library/Caches/QZV/x"), "/Library/Caches/QZV/x");
}

TEST(SystemSettings, TemporaryDirectoryEndsInSlash) {
  {
    ScopedEnv env("TMPDIR", std::nullopt);
    EXPECT_EQ(NSTemporaryDirectory(), "/tmp/");
  }
  {
    ScopedEnv env("TMPDIR", "/var/tmp");
    EXPECT_EQ(NSTemporaryDirectory(), "/var/tmp/");
  }
  ScopedEnv env("TMPDIR", "/var/tmp/");
  EXPECT_EQ(NSTemporaryDirectory(), "/var/tmp/");
}

TEST(SystemSettings, MinorVersionDefaultsToNewestAndScopes) {
  EXPECT_EQ(SystemMinorVersion(), kNewestSystemMinorVersion);
  {
    ScopedSystemMinorVersion v(6);
    EXPECT_EQ(SystemMinorVersion(), 6);
  }
  EXPECT_EQ(SystemMinorVersion(), kNewestSystemMinorVersion);
}

}  // namespace
