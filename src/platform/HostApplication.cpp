#include "platform/HostApplication.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace {
std::string& Identifier() {
  static std::string identifier = kDefaultHostApplicationIdentifier;
  return identifier;
}

std::string& ShortVersion() {
  static std::string version;
  return version;
}

std::string& ProcessName() {
  static std::string name = program_invocation_short_name ? program_invocation_short_name : "";
  return name;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}
}  // namespace

const std::string& HostApplicationIdentifier() {
  return Identifier();
}

void SetHostApplicationIdentifier(const std::string& identifier) {
  Identifier() = identifier;
}

bool HostApplicationIdentifierContains(const char* text) {
  if (!text) return false;
  return Lower(Identifier()).find(Lower(text)) != std::string::npos;
}

const std::string& HostApplicationShortVersion() {
  return ShortVersion();
}

void SetHostApplicationShortVersion(const std::string& version) {
  ShortVersion() = version;
}

const std::string& HostProcessName() {
  return ProcessName();
}

void SetHostProcessName(const std::string& name) {
  ProcessName() = name;
}
