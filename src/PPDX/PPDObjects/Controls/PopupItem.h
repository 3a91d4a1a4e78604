// One entry of a pop-up menu: its option keyword, the user name shown for
// it, its PostScript fragment and whether it is selected.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/CString.h"
#include "platform/CFString.h"

struct _PopupItem {
  _PopupItem() = default;  // all zero
  // Copies the keyword and takes over the malloc'ed fragment.
  _PopupItem(const char* keyword, CFString userName, unsigned char* psData, long psLength);
  ~_PopupItem();
  _PopupItem(const _PopupItem&) = delete;
  _PopupItem& operator=(const _PopupItem&) = delete;

  // Null when the item has no keyword (or an empty one).
  const char* Keyword() const {
    return keyword && !keyword->Empty() ? static_cast<const char*>(*keyword) : nullptr;
  }
  // The fragment length, 0 for a negative length or no fragment.
  long PSLength() const { return psData && psLength > 0 ? psLength : 0; }
  // Replaces the fragment with a malloc'ed one (taken over).
  void AdoptPSData(unsigned char* data, long length);
  // The user name in the system encoding, made on first use and kept; the
  // empty text without a user name.
  const char* displayName();

  std::unique_ptr<CString> keyword;
  CFString userName;
  unsigned char* psData = nullptr;  // malloc'ed, owned; not terminated
  long psLength = 0;
  int32_t selected = 0;

 private:
  std::unique_ptr<CString> displayName_;
};

// What FirstItem/NextItem of a pop-up hand out: the keyword (kept by the
// model) and the user name.
struct PopupItemInfo {
  const char* keyword = nullptr;
  CFString userName;
};
