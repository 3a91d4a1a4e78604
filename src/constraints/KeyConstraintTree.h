// The constraints under one key K1: for each of its options O1 the list of
// (K2, O2) pairs that option forbids, plus the saved full lists of options
// whose constraints have been partly or wholly switched off.
#pragma once

#include <map>
#include <memory>

#include "constraints/ItemConstraintList.h"
#include "constraints/KVCache.h"

class KeyConstraintTree {
 public:
  using ListMap = std::map<long, std::unique_ptr<ItemConstraintList>>;

  explicit KeyConstraintTree(long key) : key_(key) {}
  KeyConstraintTree(const KeyConstraintTree&) = delete;
  KeyConstraintTree& operator=(const KeyConstraintTree&) = delete;
  virtual ~KeyConstraintTree();

  long Key() const { return key_; }

  void insert(long option, const KVPair& pair);
  // A new list owned by the caller: the pairs of option, or of every option in
  // option-id order when option is -1; an empty list when nothing matches.
  std::unique_ptr<ItemConstraintList> GetItemConstraintList(long option) const;
  // The active list of one option without copying it; null when it has none.
  const ItemConstraintList* FindList(long option) const;

  // Switch off the pairs (key2, option2) of option (every option for -1;
  // option2 -1 or -2 matches any option; key2 < 0 switches off the whole list).
  // Returns the pairs switched off.
  KVCache DisableConstraints(long option, long key2, long option2);
  // Switch back on what DisableConstraints took away (key2 < 0: everything;
  // otherwise the saved pairs matching key2 and option2). Returns them.
  KVCache EnableConstraints(long option, long key2, long option2);

  const ListMap& Active() const { return active_; }
  const ListMap& Disabled() const { return disabled_; }

 private:
  void DisableOne(long option, long key2, long option2, KVCache& affected);
  void EnableOne(long option, long key2, long option2, KVCache& affected);

  long key_;
  ListMap active_;
  // Full lists (active and switched-off pairs, in insertion order) of the
  // options that have pairs switched off.
  ListMap disabled_;
};
