#include "constraints/ConstraintIndex.h"

#include <algorithm>

void ConstraintIndex::Build(const ConstraintForest& forest) {
  entries_.clear();
  pairs_.clear();
  keyEntries_.clear();
  long maxDirect = -1;
  for (const auto& [key, tree] : forest.Trees()) {
    for (const auto& [option, list] : tree->Active()) {
      if (list->empty()) continue;
      Entry e{key, option, static_cast<uint32_t>(pairs_.size()), 0};
      pairs_.insert(pairs_.end(), list->Pairs().begin(), list->Pairs().end());
      e.end = static_cast<uint32_t>(pairs_.size());
      entries_.push_back(e);
      if (key >= 0 && key < kDirectKeys) maxDirect = std::max(maxDirect, key);
    }
  }
  keyEntries_.assign(static_cast<size_t>(maxDirect + 1), {0, 0});
  for (size_t i = 0; i < entries_.size();) {
    size_t j = i;
    while (j < entries_.size() && entries_[j].key == entries_[i].key) ++j;
    const long key = entries_[i].key;
    if (key >= 0 && key < kDirectKeys)
      keyEntries_[static_cast<size_t>(key)] = {static_cast<uint32_t>(i), static_cast<uint32_t>(j)};
    i = j;
  }
  version_ = forest.Version();
  built_ = true;
}

std::span<const KVPair> ConstraintIndex::Lookup(long key, long option) const {
  const Entry* first;
  const Entry* last;
  if (key >= 0 && key < static_cast<long>(keyEntries_.size())) {
    const auto& range = keyEntries_[static_cast<size_t>(key)];
    first = entries_.data() + range.first;
    last = entries_.data() + range.second;
  } else if (key >= 0 && key < kDirectKeys) {
    return {};
  } else {
    auto lo = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const Entry& e, long k) { return e.key < k; });
    auto hi =
        std::upper_bound(lo, entries_.end(), key, [](long k, const Entry& e) { return k < e.key; });
    first = entries_.data() + (lo - entries_.begin());
    last = entries_.data() + (hi - entries_.begin());
  }
  if (first == last) return {};
  if (option == -1) return {pairs_.data() + first->begin, pairs_.data() + (last - 1)->end};
  const Entry* e =
      std::lower_bound(first, last, option, [](const Entry& x, long o) { return x.option < o; });
  if (e == last || e->option != option) return {};
  return {pairs_.data() + e->begin, pairs_.data() + e->end};
}
