#include "foundation/PDEBundle.h"

#include <cstring>

namespace {

struct BundleState {
  CFBundleRef bundle;
  bool initialized = false;
  bool located = false;
  CFBundleRef found;
};

BundleState& State() {
  static BundleState state;
  return state;
}

CFBundleRef Choose(const CFBundleRef& given) {
  return given ? given : GetBundleRef();
}

}  // namespace

void PDEBundle::InitBundle(CFBundleRef bundle) {
  BundleState& s = State();
  if (s.initialized || !bundle) return;
  s.bundle = std::move(bundle);
  s.initialized = true;
}

bool PDEBundle::Initialized() {
  return State().initialized;
}

CFBundleRef PDEBundle::Bundle() {
  return State().bundle;
}

void PDEBundle::Reset() {
  State() = BundleState{};
}

CFBundleRef GetBundleRef() {
  BundleState& s = State();
  if (s.initialized) return s.bundle;
  if (!s.located) {
    s.found = CFBundle::Open(LocateBundleFolder());
    s.located = true;
  }
  return s.found;
}

unsigned int ConvertCFString(const CFString& text, char* buffer, unsigned int size,
                             TextEncoding encoding) {
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  if (text.IsNull() || !text.GetCString(buffer, size, encoding)) return 0;
  return static_cast<unsigned int>(std::strlen(buffer));
}

unsigned int GetLocalizedString(const CFString& key, char* buffer, unsigned int size,
                                const CFBundleRef& bundle) {
  if (buffer && size > 0) buffer[0] = '\0';
  CFString text = CopyLocalizedCFString(key, bundle);
  if (text.IsNull()) return 0;
  return ConvertCFString(text, buffer, size, GetApplicationTextEncoding());
}

CFString CopyLocalizedCFString(const CFString& key, const CFBundleRef& bundle) {
  return CopyLocalizedCFStringFromFile(key, std::string(), bundle);
}

CFString CopyLocalizedCFStringFromFile(const CFString& key, const std::string& table,
                                       const CFBundleRef& bundle) {
  CFBundleRef b = Choose(bundle);
  if (!b || key.IsNull()) return CFString();
  return b->CopyLocalizedString(key, CFString(), table);
}
