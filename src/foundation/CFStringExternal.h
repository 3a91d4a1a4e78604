// Platform strings to and from their external representation: UTF-16 with a
// byte-order mark, the form stored in saved settings.
#pragma once

#include "platform/CFString.h"

// A new buffer (release with std::free) and its byte count through length;
// null, and a length of 0, for a null string.
unsigned char* CFStringToExternal(const CFString& text, long* length);
// The reverse; null for a null buffer, a negative length or bytes it cannot read.
CFString ExtenalToCFString(const unsigned char* bytes, long length);
