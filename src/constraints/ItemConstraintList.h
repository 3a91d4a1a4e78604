// The (K2, O2) pairs that one option O1 of a key forbids (or requires), in
// insertion order, duplicates kept.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "constraints/ConstraintType.h"
#include "constraints/KVCache.h"

class ItemConstraintList {
 public:
  explicit ItemConstraintList(long option = -1) : option_(option) {}
  ItemConstraintList(const ItemConstraintList&) = default;
  ItemConstraintList& operator=(const ItemConstraintList&) = default;
  virtual ~ItemConstraintList();

  long Option() const { return option_; }

  ItemConstraintList operator+(const ItemConstraintList& other) const;
  ItemConstraintList& operator+=(const ItemConstraintList& other);

  void insert(long key2, long option2, ConstraintType) { pairs_.emplace_back(key2, option2); }
  void insert(const KVPair& pair) { pairs_.push_back(pair); }
  size_t size() const { return pairs_.size(); }
  bool empty() const { return pairs_.empty(); }
  // A new pair owned by the caller; null for a position outside the list.
  std::unique_ptr<KVPair> operator[](long index) const;
  bool Contains(const KVPair& pair) const;

  // Direct read access for the engine, which must not allocate per pair.
  const std::vector<KVPair>& Pairs() const { return pairs_; }
  std::vector<KVPair>& MutablePairs() { return pairs_; }

 private:
  long option_;
  std::vector<KVPair> pairs_;
};
