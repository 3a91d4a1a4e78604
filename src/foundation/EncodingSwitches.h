// Process-wide switches that choose how CString converts platform strings.
// Other subsystems set them; the foundation only reads them.
#pragma once

#include <cstdint>

// Level from the special option "*QZUTF8_Version"; 5 and above means UTF-8.
extern int32_t gQZUTF8Version;
// Accounting pop-up job notes are shown in Japanese (keep the system encoding).
extern bool gPopupJobNotesLangIsJapanese;
// The queue is a document-server queue (keep the system encoding).
extern bool gIsDocServerKey;
