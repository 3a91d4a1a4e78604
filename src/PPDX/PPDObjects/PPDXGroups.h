// The document's groups in PPD order, with a cursor and counters. The list
// only points: the groups belong to the feature document.
#pragma once

#include <cstdint>

#include "PPDX/PPDObjects/PPDXGroup.h"
#include "foundation/PointerList.h"

constexpr unsigned int kSavedGroupCountTag = 4000;
constexpr int kSavedGroupCountId = 4002;
constexpr int kSavedGroupFirstId = 4001;

class PPDXGroups {
 public:
  PPDXGroups();
  // Rebuilds the saved groups (roll-downs and scroll panes come back empty);
  // the new groups belong to the caller.
  explicit PPDXGroups(Settings& settings);
  ~PPDXGroups();
  PPDXGroups(const PPDXGroups&) = delete;
  PPDXGroups& operator=(const PPDXGroups&) = delete;

  void Add(PPDXGroup* group);  // null is ignored
  // Counts the listed groups again. The counters follow each group's parent
  // as it was when added; a rebuilt document links parents afterwards.
  void Recount();
  // Every group under display options 0..3, 0 under any other: the count
  // agrees with Empty(), so a list of only hidden or orphan groups is not
  // reported as holding none.
  long Count() const;
  bool Empty() const;  // no group, or a display option outside 0..3
  int64_t Total() const { return total_; }
  int64_t Orphans() const { return orphans_; }
  int64_t Invisible() const { return invisible_; }

  // Skips groups that do not show under the current display option.
  PPDXGroup* First();
  PPDXGroup* Next();
  // Over all groups, whatever the display option; null for a null name.
  PPDXGroup* Find(const char* name, const bool& exact);

  // The list count, then each displayable group under ids 4001, 4002, ...
  int16_t Save(Settings& settings);

 private:
  PPDXGroup* NextShown(bool first);

  PointerList groups_;
  PointerListItr cursor_;
  int64_t total_ = 0;
  int64_t orphans_ = 0;
  int64_t invisible_ = 0;
};

// Null-safe wrappers: a null list gives 0, false or null.
PPDXGroup* FirstGroup(PPDXGroups* groups);
PPDXGroup* NextGroup(PPDXGroups* groups);
PPDXGroup* FindGroup(PPDXGroups* groups, const char* name, const bool& exact);
bool IsGrouPointerListEmpty(PPDXGroups* groups);
long GroupCount(PPDXGroups* groups);
