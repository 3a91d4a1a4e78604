#include "constraints/KeyConstraintTree.h"

#include <algorithm>
#include <vector>

namespace {

bool Matches(const KVPair& p, long key2, long option2) {
  return p.first == key2 && (option2 == -1 || option2 == -2 || p.second == option2);
}

}  // namespace

KeyConstraintTree::~KeyConstraintTree() = default;

void KeyConstraintTree::insert(long option, const KVPair& pair) {
  auto& list = active_[option];
  if (!list) list = std::make_unique<ItemConstraintList>(option);
  list->insert(pair);
  // An option with switched-off pairs keeps its full list current too, so
  // that switching everything back on does not lose the new pair.
  auto saved = disabled_.find(option);
  if (saved != disabled_.end()) saved->second->insert(pair);
}

std::unique_ptr<ItemConstraintList> KeyConstraintTree::GetItemConstraintList(long option) const {
  auto result = std::make_unique<ItemConstraintList>(option);
  if (option == -1) {
    for (const auto& [o, list] : active_) *result += *list;
  } else if (const ItemConstraintList* list = FindList(option)) {
    *result += *list;
  }
  return result;
}

const ItemConstraintList* KeyConstraintTree::FindList(long option) const {
  auto it = active_.find(option);
  return it == active_.end() ? nullptr : it->second.get();
}

KVCache KeyConstraintTree::DisableConstraints(long option, long key2, long option2) {
  KVCache affected;
  if (option == -1) {
    std::vector<long> options;
    for (const auto& [o, list] : active_) options.push_back(o);
    for (long o : options) DisableOne(o, key2, option2, affected);
  } else {
    DisableOne(option, key2, option2, affected);
  }
  return affected;
}

void KeyConstraintTree::DisableOne(long option, long key2, long option2, KVCache& affected) {
  auto it = active_.find(option);
  if (it == active_.end()) return;
  // The saved list is the full one: a second switch-off must not replace it by
  // an already filtered list, or the first switch-off could never be undone.
  if (disabled_.find(option) == disabled_.end())
    disabled_[option] = std::make_unique<ItemConstraintList>(*it->second);
  if (key2 < 0) {
    for (const KVPair& p : it->second->Pairs()) affected.add(p);
    active_.erase(it);
    return;
  }
  auto& pairs = it->second->MutablePairs();
  std::vector<KVPair> kept;
  kept.reserve(pairs.size());
  for (const KVPair& p : pairs) {
    if (Matches(p, key2, option2))
      affected.add(p);
    else
      kept.push_back(p);
  }
  pairs.swap(kept);
}

KVCache KeyConstraintTree::EnableConstraints(long option, long key2, long option2) {
  KVCache affected;
  if (option == -1) {
    std::vector<long> options;
    for (const auto& [o, list] : disabled_) options.push_back(o);
    for (long o : options) EnableOne(o, key2, option2, affected);
  } else {
    EnableOne(option, key2, option2, affected);
  }
  return affected;
}

void KeyConstraintTree::EnableOne(long option, long key2, long option2, KVCache& affected) {
  auto saved = disabled_.find(option);
  if (saved == disabled_.end()) return;
  auto active = active_.find(option);
  // Rebuild the active list from the full one in its original order: a pair
  // stays when it is still active (counted, duplicates kept) or when it is
  // switched back on now. A pair that was never switched off is not added twice.
  std::vector<KVPair> stillActive;
  if (active != active_.end()) stillActive = active->second->Pairs();
  std::vector<KVPair> rebuilt;
  for (const KVPair& p : saved->second->Pairs()) {
    auto live = std::find(stillActive.begin(), stillActive.end(), p);
    if (live != stillActive.end()) {
      stillActive.erase(live);
      rebuilt.push_back(p);
    } else if (key2 < 0 || Matches(p, key2, option2)) {
      affected.add(p);
      rebuilt.push_back(p);
    }
  }
  const bool complete = rebuilt.size() == saved->second->size();
  if (!rebuilt.empty()) {
    if (active == active_.end())
      active = active_.emplace(option, std::make_unique<ItemConstraintList>(option)).first;
    active->second->MutablePairs().swap(rebuilt);
  }
  if (complete) disabled_.erase(saved);
}
