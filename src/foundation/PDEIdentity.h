// The plug-in's identity: its creator code, bundle identifier and the names
// derived from them. Values are fixed at build time; the reverse-domain prefix
// is this project's own.
#pragma once

#include <cstdint>

#include "platform/CFString.h"

// 'QZV2' as a 32-bit value.
inline constexpr uint32_t kPDECreatorCode = 0x515A5632u;
// The class-name suffix in 8-4-4-4-12 form; it keeps the identifier unique.
inline constexpr const char* kPDEClassUUID = "41E21128-26D6-4D35-B898-DBD8D5A9D932";
inline constexpr const char* kPDEBundleIdentifier =
    "org.tavro.print.pde.41E21128-26D6-4D35-B898-DBD8D5A9D932.PInf";
inline constexpr const char* kPDENibFileName = "PDEProject";
inline constexpr const char* kPDEPostScriptDataKeyPrefix = "QZV.PSData.";

void GetCreatorID(unsigned int& creator);
CFString GetBundleID();
CFString CreateNIBFileName();
// "QZV.PSData." followed by the bundle identifier.
CFString CreatePostscriptDataFileKey();
// The bundle identifier with the suffix appended; a null or empty suffix gives
// the bare identifier.
CFString CreateClientIdentifier(const CFString& suffix = CFString());
