// Evaluates the constraint forest against the current values: the conflict
// test the panel asks for every choice, a bounded search for a conflict-free
// assignment, and listings of what constrains a key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

#include "constraints/ConstraintForest.h"
#include "constraints/KVCache.h"
#include "constraints/KeyForest.h"

// (conflicts, alternatives)
using ConstraintResult = std::pair<KVCache, KVCache>;

class ConstraintsEngine {
 public:
  // Bounds of the search: queuing stops once this many assignments wait, and
  // the level after this many returns at once.
  static constexpr size_t kMaxQueued = 128;
  static constexpr int kMaxDepth = 128;

  // None of the pointers is owned; the engine reads them on every call, so it
  // always sees the latest values. Null pointers stand for empty sets.
  ConstraintsEngine(const KVCache* current, const ConstraintForest* constraints,
                    const KeyForest* declared, const KVCache* locked = nullptr);
  ConstraintsEngine(const ConstraintsEngine&) = delete;
  ConstraintsEngine& operator=(const ConstraintsEngine&) = delete;
  virtual ~ConstraintsEngine();

  // Conflicts of current overridden by delta, and the options of the
  // conflicting keys that would lift them.
  ConstraintResult Test(const KVCache* delta);
  // Searches for a conflict-free assignment, changing *assignment (with
  // keepGivenKeys, keys it already holds are not changed). Empty conflicts
  // mean *assignment is a solution.
  ConstraintResult Solve(KVCache* assignment, bool keepGivenKeys);
  // Drops the alternatives whose key the locked list forbids changing and
  // returns (key, current option) for each such key.
  KVCache TestLockedStatus(KVCache& alternatives) const;
  void purge();

  KVCache ListCurrentConstraints(long key) const;
  KVCache ListScreenedConstraints(const KVCache& screen, bool exact, long key) const;
  KVCache ListBlockingConstraints(long key1, long skipOption, long key2) const;

  // What the last Solve did, for checking its bounds.
  struct SolveStats {
    int depth = 0;           // levels entered
    size_t maxQueued = 0;    // largest queue length seen
    size_t tests = 0;        // conflict tests run
    bool queueFull = false;  // queuing stopped
  };
  const SolveStats& LastSolveStats() const { return stats_; }

 private:
  ConstraintResult RSolve(KVCache* assignment, bool keepGivenKeys);
  // Fills merged_ with current overridden by delta (KVCache::Insert rules).
  void BuildMerged(const KVCache& delta);
  bool InMerged(const KVPair& pair) const;
  long FirstOfKey(long key) const;
  void SetFirstOfKey(long key, long position);
  // Canonical (sorted) form of an assignment and its hash, for the
  // already-expanded check without pairwise multiset comparisons.
  static std::vector<KVPair> Canonical(const KVCache& assignment);
  static uint64_t Hash(const std::vector<KVPair>& canonical);
  bool IsExpanded(const KVCache& assignment) const;
  void RecordExpanded(const KVCache& assignment);

  std::deque<KVCache> queue_;
  std::deque<KVCache> expanded_;
  const KVCache* current_;
  const ConstraintForest* constraints_;
  const KeyForest* declared_;
  const KVCache* locked_;
  bool queueFull_ = false;
  int depth_ = 0;

  // Canonical forms of expanded_, by hash.
  std::unordered_multimap<uint64_t, std::vector<KVPair>> expandedIndex_;
  // Scratch of Test, kept to avoid allocating on every call.
  // merged_ in order; the position of each key's first pair, directly by id
  // for small ids (reset through touched_) and hashed for the rest; whether a
  // key occurs twice, in which case membership needs a scan.
  static constexpr long kDirectKeys = 1L << 20;
  std::vector<KVPair> merged_;
  std::vector<long> firstOfKey_;
  std::vector<long> touched_;
  std::unordered_map<long, long> firstOfBigKey_;
  bool mergedHasDuplicateKeys_ = false;
  std::vector<KVPair> listScratch_;
  std::vector<KVPair> listSorted_;
  SolveStats stats_;
};
