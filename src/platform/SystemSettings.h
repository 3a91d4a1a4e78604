// Settings of the system the panel runs on: the operating-system minor
// version that selects between older and newer behaviours, the root folder
// under which the system folders ("/Library/Caches/QZV/", "/Library/
// Preferences/", the plug-in folders) live, and the temporary folder.
//
// The root defaults to /var/lib/tavro; the environment variable TAVRO_ROOT
// overrides it, and SetTavroRoot overrides both (tests give each run its own).
#pragma once

#include <string>
#include <string_view>

// The newest system branch; Linux runs the newest behaviours unless a test
// asks for an older one.
inline constexpr int kNewestSystemMinorVersion = 15;
inline constexpr const char* kDefaultTavroRoot = "/var/lib/tavro";

int SystemMinorVersion();
void SetSystemMinorVersion(int minor);

// The root folder, without a trailing slash.
std::string TavroRoot();
// An empty root goes back to TAVRO_ROOT or the default.
void SetTavroRoot(std::string_view root);

// Maps a system path such as "/Library/Caches/QZV/x" (or the relative
// "Library/Caches/QZV/x") to the real file under the root. Other paths are
// returned unchanged.
std::string SystemPath(std::string_view path);

// $TMPDIR or /tmp, always with a trailing "/".
std::string NSTemporaryDirectory();

// Set for a scope, restored on every way out.
class ScopedSystemMinorVersion {
 public:
  explicit ScopedSystemMinorVersion(int minor) : saved_(SystemMinorVersion()) {
    SetSystemMinorVersion(minor);
  }
  ~ScopedSystemMinorVersion() { SetSystemMinorVersion(saved_); }
  ScopedSystemMinorVersion(const ScopedSystemMinorVersion&) = delete;
  ScopedSystemMinorVersion& operator=(const ScopedSystemMinorVersion&) = delete;

 private:
  int saved_;
};

class ScopedTavroRoot {
 public:
  explicit ScopedTavroRoot(std::string_view root);
  ~ScopedTavroRoot();
  ScopedTavroRoot(const ScopedTavroRoot&) = delete;
  ScopedTavroRoot& operator=(const ScopedTavroRoot&) = delete;

 private:
  std::string saved_;  // the explicit setting before, empty when there was none
};
