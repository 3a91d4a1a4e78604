#include "constraints/KeyForest.h"

KeyForest::~KeyForest() = default;

void KeyForest::insert(long key, long option) {
  auto& options = keys_[key];
  if (!options) options = std::make_unique<std::vector<long>>();
  options->push_back(option);
}

const std::vector<long>* KeyForest::GetItems(long key) const {
  auto it = keys_.find(key);
  return it == keys_.end() ? nullptr : it->second.get();
}

void KeyForest::GetKeys(KVCache** out) const {
  if (!out) return;
  if (*out)
    (*out)->clear();
  else
    *out = new KVCache();  // handed to the caller, who owns it
  for (const auto& [key, options] : keys_)
    for (long option : *options) (*out)->add(key, option);
}
