#include "PPDX/PPDObjects/PPDXElementFunctions.h"

#include <vector>

#include "platform/TextEncoding.h"

const char* Keyword(const PPDXElement* element) {
  return element ? element->Keyword() : nullptr;
}

const char* UserName(PPDXElement* element) {
  return element ? element->UserName() : nullptr;
}

bool IsVisible(const PPDXElement* element) {
  return element ? element->IsVisible() : false;
}

bool IsOrphan(const PPDXElement* element) {
  return element ? element->IsOrphan() : true;
}

PPDXElement* GetParent(const PPDXElement* element) {
  return element ? element->GetParent() : nullptr;
}

bool EqualsElement(const PPDXElement* element, const PPDXElement* other) {
  return element && other && *element == *other;
}

bool EqualsKeyWord(const PPDXElement* element, const char* keyword) {
  return element && *element == keyword;
}

CString CFStringToCString(const CFString& text) {
  if (text.IsNull()) return CString();
  std::vector<char> buffer(text.Length() * 4 + 1);
  if (!text.GetCString(buffer.data(), buffer.size(), GetSystemScriptEncoding())) return CString();
  return CString(buffer.data());
}
