#include "PPDX/PPDObjects/Controls/PopupItem.h"

#include <cstdlib>
#include <new>

_PopupItem::_PopupItem(const char* kw, CFString name, unsigned char* data, long length)
    : userName(std::move(name)) {
  if (kw) keyword.reset(new (std::nothrow) CString(kw));
  AdoptPSData(data, length);
}

_PopupItem::~_PopupItem() {
  std::free(psData);
}

void _PopupItem::AdoptPSData(unsigned char* data, long length) {
  if (data != psData) std::free(psData);
  psData = data;
  psLength = data ? length : 0;
}

const char* _PopupItem::displayName() {
  if (!displayName_) {
    displayName_.reset(new (std::nothrow)
                           CString(userName.IsNull() ? CString("") : CString(userName)));
    if (!displayName_) return "";
  }
  const char* text = *displayName_;
  return text ? text : "";
}
