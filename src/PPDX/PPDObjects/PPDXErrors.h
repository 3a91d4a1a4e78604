// The document's error list: errors in the order added, with a cursor for
// First/Next. The list itself does not delete its errors; DeleteAll does.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXErrorObj.h"
#include "foundation/PointerList.h"

class PPDXErrors {
 public:
  PPDXErrors() = default;
  virtual ~PPDXErrors();
  PPDXErrors(const PPDXErrors&) = delete;
  PPDXErrors& operator=(const PPDXErrors&) = delete;

  // Appends (null is refused); false when no node could be had.
  bool Add(PPDXErrorObj* error);
  uint64_t Count() const { return list_.Size(); }
  bool Empty() const { return list_.Empty(); }
  // The first error (the cursor is reset to it); null when empty.
  PPDXErrorObj* First();
  // Advances the cursor; null at the end.
  PPDXErrorObj* Next();
  // True when any error is fatal.
  bool AnyFatal() const;
  // Deletes every error object and empties the list (for the owner).
  void DeleteAll();

 private:
  PointerList list_;
  PointerListItr cursor_;
};
