// The declared options of each key, in declaration order (a key declaring the
// same option twice keeps both).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "constraints/KVCache.h"

class KeyForest {
 public:
  KeyForest() = default;
  KeyForest(const KeyForest&) = delete;
  KeyForest& operator=(const KeyForest&) = delete;
  virtual ~KeyForest();

  void insert(long key, long option);
  // The key's options, or null when it declared none.
  const std::vector<long>* GetItems(long key) const;
  // Every (key, option) pair, keys ascending, options in declaration order. A
  // null *out gets a new cache (owned by the caller); otherwise it is cleared.
  void GetKeys(KVCache** out) const;
  void clear() { keys_.clear(); }
  size_t size() const { return keys_.size(); }

 private:
  std::map<long, std::unique_ptr<std::vector<long>>> keys_;
};
