// A flat, read-only copy of the active constraint lists, laid out so that the
// pairs of one (key, option) -- or of all options of a key -- are one
// contiguous run found without allocating. Rebuilt when the forest changes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "constraints/ConstraintForest.h"
#include "constraints/KVCache.h"

class ConstraintIndex {
 public:
  void Build(const ConstraintForest& forest);
  bool IsCurrent(const ConstraintForest& forest) const {
    return built_ && version_ == forest.Version();
  }
  // The pairs of (key, option) in insertion order; option -1 gives every
  // option of key in option-id order, as ConstraintForest::GetConstraintList.
  std::span<const KVPair> Lookup(long key, long option) const;

 private:
  struct Entry {
    long key;
    long option;
    uint32_t begin;
    uint32_t end;
  };
  // Keys below this get a direct slot; larger ids fall back to a binary search.
  static constexpr long kDirectKeys = 1L << 20;

  bool built_ = false;
  uint64_t version_ = 0;
  std::vector<Entry> entries_;  // sorted by (key, option)
  std::vector<KVPair> pairs_;
  // For each directly indexed key: [first entry, last entry + 1).
  std::vector<std::pair<uint32_t, uint32_t>> keyEntries_;
};
