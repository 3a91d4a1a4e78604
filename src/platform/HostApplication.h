// The identity of the application the panel runs inside (its bundle
// identifier). Some hosts need special handling while a PPD is read, so the
// value is a process-wide setting: Linux has no host bundle to ask, and tests
// set it to play a particular host.
#pragma once

#include <string>

// The identifier used when nothing was set: the generic print dialog host.
inline constexpr const char* kDefaultHostApplicationIdentifier = "org.tavro.printdialog";

// The current host's bundle identifier.
const std::string& HostApplicationIdentifier();
void SetHostApplicationIdentifier(const std::string& identifier);

// True when the identifier contains text, ignoring letter case.
bool HostApplicationIdentifierContains(const char* text);

// The host's "CFBundleShortVersionString" (empty when not set: Linux hosts
// have no bundle to read it from) and its process name (the program's short
// name unless set).
const std::string& HostApplicationShortVersion();
void SetHostApplicationShortVersion(const std::string& version);
const std::string& HostProcessName();
void SetHostProcessName(const std::string& name);

// Sets the host identifier for the lifetime of the object and puts the previous
// one back on every way out of the scope.
class ScopedHostApplication {
 public:
  explicit ScopedHostApplication(const std::string& identifier)
      : saved_(HostApplicationIdentifier()) {
    SetHostApplicationIdentifier(identifier);
  }
  ~ScopedHostApplication() { SetHostApplicationIdentifier(saved_); }
  ScopedHostApplication(const ScopedHostApplication&) = delete;
  ScopedHostApplication& operator=(const ScopedHostApplication&) = delete;

 private:
  std::string saved_;
};
