// Null-safe wrappers of the element members for code that holds plain
// pointers: a null element yields null, false or 0 (IsOrphan of null: true).
#pragma once

#include "PPDX/PPDObjects/PPDXElement.h"
#include "foundation/CString.h"
#include "platform/CFString.h"

const char* Keyword(const PPDXElement* element);
const char* UserName(PPDXElement* element);
bool IsVisible(const PPDXElement* element);
bool IsOrphan(const PPDXElement* element);
PPDXElement* GetParent(const PPDXElement* element);
bool EqualsElement(const PPDXElement* element, const PPDXElement* other);
bool EqualsKeyWord(const PPDXElement* element, const char* keyword);

// A new byte string in the system encoding (a buffer of 4 bytes per
// character); unset for a null string or when the conversion fails.
CString CFStringToCString(const CFString& text);
