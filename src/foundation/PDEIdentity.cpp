#include "foundation/PDEIdentity.h"

void GetCreatorID(unsigned int& creator) {
  creator = kPDECreatorCode;
}

CFString GetBundleID() {
  return CFSTR(kPDEBundleIdentifier);
}

CFString CreateNIBFileName() {
  return CFSTR(kPDENibFileName);
}

CFString CreatePostscriptDataFileKey() {
  return CFSTR(std::string(kPDEPostScriptDataKeyPrefix) + kPDEBundleIdentifier);
}

CFString CreateClientIdentifier(const CFString& suffix) {
  std::u16string units = GetBundleID().Units();
  if (!suffix.IsNull()) units += suffix.Units();
  return CFString(std::move(units));
}
