// The constraint relation: key K1 with option O1 forbids (or, in the requires
// forest, requires) key K2 with option O2. One tree per K1.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "constraints/ConstraintType.h"
#include "constraints/ItemConstraintList.h"
#include "constraints/KVCache.h"
#include "constraints/KeyConstraintTree.h"

class ConstraintForest {
 public:
  using TreeMap = std::map<long, std::unique_ptr<KeyConstraintTree>>;

  ConstraintForest() = default;
  ConstraintForest(const ConstraintForest&) = delete;
  ConstraintForest& operator=(const ConstraintForest&) = delete;
  virtual ~ConstraintForest();

  void insert(long key1, long option1, long key2, long option2, ConstraintType type);
  void insert(long key1, long option1, const KVPair& pair);

  // A new list owned by the caller with the pairs of (key1, option1), or of
  // every option of key1 (option-id order) when option1 is -1; null when key1
  // has no constraints at all.
  std::unique_ptr<ItemConstraintList> GetConstraintList(long key1, long option1) const;

  KVCache DisableConstraints(long key1, long option1, long key2, long option2);
  KVCache EnableConstraints(long key1, long option1, long key2, long option2);
  void clear();

  const KeyConstraintTree* GetTree(long key1) const;
  const TreeMap& Trees() const { return trees_; }
  // Grows on every change, so that indexes built over the forest know when
  // they are stale.
  uint64_t Version() const { return version_; }

 private:
  TreeMap trees_;
  uint64_t version_ = 0;
};
