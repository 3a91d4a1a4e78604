#include "constraints/KVCache.h"

#include <algorithm>
#include <vector>

bool KeyOptionGreater(const KVPair& a, const KVPair& b) {
  if (a.first != b.first) return a.first > b.first;
  return a.second > b.second;
}

KVCache::~KVCache() = default;

long KVCache::Lookup(const KVPair& pair) const {
  auto it = std::find(pairs_.begin(), pairs_.end(), pair);
  return it == pairs_.end() ? -1 : static_cast<long>(it - pairs_.begin());
}

void KVCache::Insert(long key, long option) {
  if (key < 0) return;
  for (KVPair& p : pairs_) {
    if (p.first == key) {
      p.second = option;
      return;
    }
  }
  pairs_.emplace_back(key, option);
}

long KVCache::GetItem(long key) const {
  for (const KVPair& p : pairs_)
    if (p.first == key) return p.second;
  return -1;
}

KVPair KVCache::GetKV(long index) const {
  if (index < 0 || static_cast<size_t>(index) >= pairs_.size()) return {-1, -1};
  return pairs_[static_cast<size_t>(index)];
}

KVPair KVCache::pop_front() {
  if (pairs_.empty()) return {0, 0};
  KVPair p = pairs_.front();
  pairs_.pop_front();
  return p;
}

KVPair KVCache::pop_back() {
  if (pairs_.empty()) return {0, 0};
  KVPair p = pairs_.back();
  pairs_.pop_back();
  return p;
}

KVCache KVCache::operator+(const KVCache& other) const {
  KVCache sum(*this);
  sum += other;
  return sum;
}

KVCache& KVCache::operator+=(const KVCache& other) {
  // Counted first so that c += c appends each pair once.
  const size_t n = other.pairs_.size();
  for (size_t i = 0; i < n; ++i) {
    const KVPair p = other.pairs_[i];
    if (p.first >= 0) pairs_.push_back(p);
  }
  return *this;
}

void KVCache::merge(const KVCache& other) {
  if (&other == this) {
    const KVCache copy(other);
    merge(copy);
    return;
  }
  for (const KVPair& p : other.pairs_)
    if (p.first >= 0) Insert(p.first, p.second);
}

bool KVCache::operator==(const KVCache& other) const {
  if (pairs_.size() != other.pairs_.size()) return false;
  if (std::equal(pairs_.begin(), pairs_.end(), other.pairs_.begin())) return true;
  std::vector<KVPair> a(pairs_.begin(), pairs_.end());
  std::vector<KVPair> b(other.pairs_.begin(), other.pairs_.end());
  std::sort(a.begin(), a.end(), KeyOptionGreater);
  std::sort(b.begin(), b.end(), KeyOptionGreater);
  return a == b;
}
