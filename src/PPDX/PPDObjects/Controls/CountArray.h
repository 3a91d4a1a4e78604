// Counters of one kind of control in the collection, kept as controls are
// added so that counts under any display option need no walk.
#pragma once

#include <cstdint>

struct CountArray {
  int64_t total = 0;
  int64_t orphans = 0;             // no parent group
  int64_t invisible = 0;           // not visible
  int64_t orphanAndInvisible = 0;  // both
};
