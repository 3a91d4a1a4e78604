// An ordered run of (key id, option id) pairs. Used as a map with one pair per
// key (Insert) or as a plain list (add); a deque so that the solver can take
// alternatives from the front and collect results at the back.
#pragma once

#include <cstddef>
#include <deque>
#include <utility>

// Key id first, option id second; -1 means not known (or any option).
using KVPair = std::pair<long, long>;

// Key descending, then option descending.
bool KeyOptionGreater(const KVPair& a, const KVPair& b);

class KVCache {
 public:
  using const_iterator = std::deque<KVPair>::const_iterator;

  KVCache() = default;
  KVCache(const KVCache&) = default;
  KVCache(KVCache&&) noexcept = default;
  KVCache& operator=(const KVCache&) = default;
  KVCache& operator=(KVCache&&) noexcept = default;
  virtual ~KVCache();

  // Position of the first equal pair, -1 when absent.
  long Lookup(const KVPair& pair) const;
  // Map use: a negative key is ignored; an existing key gets the new option in place.
  void Insert(long key, long option);
  void Insert(const KVPair& pair) { Insert(pair.first, pair.second); }
  // List use: appends without any check.
  void add(const KVPair& pair) { pairs_.push_back(pair); }
  void add(long key, long option) { pairs_.emplace_back(key, option); }

  // Option of the first pair with this key, -1 when absent.
  long GetItem(long key) const;
  // Pair at a position; (-1, -1) for a position outside the cache.
  KVPair GetKV(long index) const;
  size_t size() const { return pairs_.size(); }
  bool empty() const { return pairs_.empty(); }
  void clear() { pairs_.clear(); }

  // The removed pair, (0, 0) when empty.
  KVPair pop_front();
  KVPair pop_back();

  // A copy of this followed by every pair of other with a non-negative key.
  KVCache operator+(const KVCache& other) const;
  KVCache& operator+=(const KVCache& other);
  // Insert of every pair of other with a non-negative key.
  void merge(const KVCache& other);

  // Equal as multisets: same pairs the same number of times, in any order.
  bool operator==(const KVCache& other) const;

  const_iterator begin() const { return pairs_.begin(); }
  const_iterator end() const { return pairs_.end(); }

 private:
  std::deque<KVPair> pairs_;
};
