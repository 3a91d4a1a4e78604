#include "platform/SystemSettings.h"

#include <cstdlib>
#include <mutex>

namespace {

std::mutex gMutex;
int gMinorVersion = kNewestSystemMinorVersion;
std::string gRoot;  // explicit setting; empty: environment or default

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

int SystemMinorVersion() {
  std::lock_guard lock(gMutex);
  return gMinorVersion;
}

void SetSystemMinorVersion(int minor) {
  std::lock_guard lock(gMutex);
  gMinorVersion = minor;
}

std::string TavroRoot() {
  {
    std::lock_guard lock(gMutex);
    if (!gRoot.empty()) return gRoot;
  }
  const char* env = std::getenv("TAVRO_ROOT");
  if (env && *env) return StripTrailingSlashes(env);
  return kDefaultTavroRoot;
}

void SetTavroRoot(std::string_view root) {
  std::lock_guard lock(gMutex);
  gRoot = root.empty() ? std::string() : StripTrailingSlashes(std::string(root));
}

std::string SystemPath(std::string_view path) {
  constexpr std::string_view kAbsolute = "/Library/";
  constexpr std::string_view kRelative = "Library/";
  std::string root = TavroRoot();
  if (root == "/") root.clear();
  if (path.substr(0, kAbsolute.size()) == kAbsolute) return root + std::string(path);
  if (path.substr(0, kRelative.size()) == kRelative) return root + "/" + std::string(path);
  return std::string(path);
}

std::string NSTemporaryDirectory() {
  const char* env = std::getenv("TMPDIR");
  std::string dir = env && *env ? env : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

ScopedTavroRoot::ScopedTavroRoot(std::string_view root) {
  std::lock_guard lock(gMutex);
  saved_ = gRoot;
  gRoot = root.empty() ? std::string() : StripTrailingSlashes(std::string(root));
}

ScopedTavroRoot::~ScopedTavroRoot() {
  std::lock_guard lock(gMutex);
  gRoot = saved_;
}
