#include "constraints/ConstraintForest.h"

ConstraintForest::~ConstraintForest() = default;

void ConstraintForest::insert(long key1, long option1, long key2, long option2, ConstraintType) {
  insert(key1, option1, KVPair(key2, option2));
}

void ConstraintForest::insert(long key1, long option1, const KVPair& pair) {
  auto& tree = trees_[key1];
  if (!tree) tree = std::make_unique<KeyConstraintTree>(key1);
  tree->insert(option1, pair);
  ++version_;
}

std::unique_ptr<ItemConstraintList> ConstraintForest::GetConstraintList(long key1,
                                                                        long option1) const {
  const KeyConstraintTree* tree = GetTree(key1);
  if (!tree) return nullptr;
  return tree->GetItemConstraintList(option1);
}

KVCache ConstraintForest::DisableConstraints(long key1, long option1, long key2, long option2) {
  auto it = trees_.find(key1);
  if (it == trees_.end()) return {};
  ++version_;
  return it->second->DisableConstraints(option1, key2, option2);
}

KVCache ConstraintForest::EnableConstraints(long key1, long option1, long key2, long option2) {
  auto it = trees_.find(key1);
  if (it == trees_.end()) return {};
  ++version_;
  return it->second->EnableConstraints(option1, key2, option2);
}

void ConstraintForest::clear() {
  trees_.clear();
  ++version_;
}

const KeyConstraintTree* ConstraintForest::GetTree(long key1) const {
  auto it = trees_.find(key1);
  return it == trees_.end() ? nullptr : it->second.get();
}
