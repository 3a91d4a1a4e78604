#include "platform/HostApplication.h"

#include <algorithm>
#include <cctype>

namespace {
std::string& Identifier() {
  static std::string identifier = kDefaultHostApplicationIdentifier;
  return identifier;
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
