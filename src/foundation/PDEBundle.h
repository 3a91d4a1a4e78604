// The plug-in's own bundle, set once for the whole process, and the localized
// string helpers over it.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/CFBundle.h"
#include "platform/CFString.h"
#include "platform/TextEncoding.h"

class PDEBundle {
 public:
  // Keeps the bundle the first time; later calls change nothing.
  static void InitBundle(CFBundleRef bundle);
  static bool Initialized();
  static CFBundleRef Bundle();
  // Forgets the bundle (tests that need the state before InitBundle).
  static void Reset();
};

// The plug-in's bundle: the one given to InitBundle, else the one found by
// LocateBundleFolder (looked up once). Null when there is none.
CFBundleRef GetBundleRef();

// Localized text for the key from the bundle (the class-wide one when null),
// converted into the application text encoding, NUL-terminated. Returns its
// length; 0 with an empty buffer when there is no bundle, no key, or the text
// cannot be converted or does not fit.
unsigned int GetLocalizedString(const CFString& key, char* buffer, unsigned int size,
                                const CFBundleRef& bundle = nullptr);
// The string converted into the buffer; its length, 0 (buffer empty) when it
// cannot be converted or does not fit.
unsigned int ConvertCFString(const CFString& text, char* buffer, unsigned int size,
                             TextEncoding encoding);
// Localized text from the "Localizable" table; the key when missing; null
// without a bundle.
CFString CopyLocalizedCFString(const CFString& key, const CFBundleRef& bundle = nullptr);
// The same from the named table.
CFString CopyLocalizedCFStringFromFile(const CFString& key, const std::string& table,
                                       const CFBundleRef& bundle = nullptr);
