#include "constraints/ConstraintsEngine.h"

#include <algorithm>

namespace {

// The pairs stored under (key, option), all options of key in option-id order
// for option -1, copied into scratch only when they span several lists.
const std::vector<KVPair>* ListOf(const ConstraintForest* forest, long key, long option,
                                  std::vector<KVPair>& scratch) {
  if (!forest) return nullptr;
  const KeyConstraintTree* tree = forest->GetTree(key);
  if (!tree) return nullptr;
  if (option != -1) {
    const ItemConstraintList* list = tree->FindList(option);
    return list ? &list->Pairs() : nullptr;
  }
  scratch.clear();
  for (const auto& [o, list] : tree->Active())
    scratch.insert(scratch.end(), list->Pairs().begin(), list->Pairs().end());
  return &scratch;
}

bool SortedContains(const std::vector<KVPair>& sorted, const KVPair& pair) {
  return std::binary_search(sorted.begin(), sorted.end(), pair);
}

}  // namespace

ConstraintsEngine::ConstraintsEngine(const KVCache* current, const ConstraintForest* constraints,
                                     const KeyForest* declared, const KVCache* locked)
    : current_(current), constraints_(constraints), declared_(declared), locked_(locked) {}

ConstraintsEngine::~ConstraintsEngine() = default;

long ConstraintsEngine::FirstOfKey(long key) const {
  if (key >= 0 && key < static_cast<long>(firstOfKey_.size()))
    return firstOfKey_[static_cast<size_t>(key)];
  if (key >= 0 && key < kDirectKeys) return -1;
  auto it = firstOfBigKey_.find(key);
  return it == firstOfBigKey_.end() ? -1 : it->second;
}

void ConstraintsEngine::SetFirstOfKey(long key, long position) {
  if (key >= 0 && key < kDirectKeys) {
    if (key >= static_cast<long>(firstOfKey_.size()))
      firstOfKey_.resize(static_cast<size_t>(key) + 1, -1);
    firstOfKey_[static_cast<size_t>(key)] = position;
    touched_.push_back(key);
  } else {
    firstOfBigKey_[key] = position;
  }
}

void ConstraintsEngine::BuildMerged(const KVCache& delta) {
  for (long key : touched_) firstOfKey_[static_cast<size_t>(key)] = -1;
  touched_.clear();
  firstOfBigKey_.clear();
  merged_.clear();
  mergedHasDuplicateKeys_ = false;
  if (current_) {
    for (const KVPair& p : *current_) {
      if (FirstOfKey(p.first) < 0)
        SetFirstOfKey(p.first, static_cast<long>(merged_.size()));
      else
        mergedHasDuplicateKeys_ = true;
      merged_.push_back(p);
    }
  }
  // KVCache::Insert rules: a negative key is ignored, the first pair of a key
  // present gets the new option, else the pair is appended.
  for (const KVPair& p : delta) {
    if (p.first < 0) continue;
    const long at = FirstOfKey(p.first);
    if (at >= 0) {
      merged_[static_cast<size_t>(at)].second = p.second;
    } else {
      SetFirstOfKey(p.first, static_cast<long>(merged_.size()));
      merged_.push_back(p);
    }
  }
}

bool ConstraintsEngine::InMerged(const KVPair& pair) const {
  const long at = FirstOfKey(pair.first);
  if (at < 0) return false;
  if (merged_[static_cast<size_t>(at)].second == pair.second) return true;
  if (!mergedHasDuplicateKeys_) return false;
  return std::find(merged_.begin(), merged_.end(), pair) != merged_.end();
}

ConstraintResult ConstraintsEngine::Test(const KVCache* delta) {
  ConstraintResult result;
  ++stats_.tests;
  if (!delta || !constraints_) return result;
  BuildMerged(*delta);
  for (const KVPair& d : *delta) {
    const std::vector<KVPair>* list = ListOf(constraints_, d.first, d.second, listScratch_);
    if (!list || list->empty()) continue;
    bool sorted = false;
    for (size_t i = list->size(); i-- > 0;) {
      const KVPair forbidden = (*list)[i];
      if (!InMerged(forbidden)) continue;
      result.first.add(forbidden);
      const std::vector<long>* options = declared_ ? declared_->GetItems(forbidden.first) : nullptr;
      if (!options) continue;
      if (!sorted) {
        listSorted_.assign(list->begin(), list->end());
        std::sort(listSorted_.begin(), listSorted_.end());
        sorted = true;
      }
      for (size_t j = options->size(); j-- > 0;) {
        const long x = (*options)[j];
        if (x == forbidden.second) continue;
        if (!SortedContains(listSorted_, KVPair(forbidden.first, x)))
          result.second.add(forbidden.first, x);
      }
    }
  }
  return result;
}

ConstraintResult ConstraintsEngine::Solve(KVCache* assignment, bool keepGivenKeys) {
  purge();
  stats_ = SolveStats();
  if (!assignment) return {};
  ConstraintResult result = RSolve(assignment, keepGivenKeys);
  stats_.depth = depth_;
  stats_.queueFull = queueFull_;
  purge();
  return result;
}

ConstraintResult ConstraintsEngine::RSolve(KVCache* assignment, bool keepGivenKeys) {
  // Each pass of this loop is one level of the search; going one level deeper
  // is the last thing a level does, so it runs as a loop and not on the stack.
  for (;;) {
    ++depth_;
    ConstraintResult last = Test(assignment);
    if (last.first.empty()) return last;
    if (depth_ > kMaxDepth) return last;

    KVCache alternatives = last.second;
    KVCache locked = TestLockedStatus(alternatives);
    if (depth_ == 1 && !locked.empty()) return {locked, KVCache()};

    std::vector<long> givenKeys;
    if (keepGivenKeys) {
      for (const KVPair& p : *assignment) givenKeys.push_back(p.first);
      std::sort(givenKeys.begin(), givenKeys.end());
    }
    while (!alternatives.empty()) {
      const KVPair alt = alternatives.pop_front();
      if (keepGivenKeys && std::binary_search(givenKeys.begin(), givenKeys.end(), alt.first))
        continue;
      assignment->Insert(alt.first, alt.second);
      last = Test(assignment);
      if (last.first.empty()) return last;
      if (queueFull_ || IsExpanded(*assignment)) continue;
      queue_.push_back(*assignment);
      stats_.maxQueued = std::max(stats_.maxQueued, queue_.size());
      if (queue_.size() >= kMaxQueued) queueFull_ = true;
    }
    if (queue_.empty()) return last;
    KVCache next = std::move(queue_.front());
    queue_.pop_front();
    RecordExpanded(next);
    *assignment = std::move(next);
  }
}

KVCache ConstraintsEngine::TestLockedStatus(KVCache& alternatives) const {
  KVCache report;
  if (!locked_) return report;
  KVCache kept;
  for (const KVPair& alt : alternatives) {
    const bool isLocked = locked_->Lookup(KVPair(alt.first, -1)) >= 0 || locked_->Lookup(alt) >= 0;
    if (isLocked)
      report.Insert(alt.first, current_ ? current_->GetItem(alt.first) : -1);
    else
      kept.add(alt);
  }
  alternatives = std::move(kept);
  return report;
}

void ConstraintsEngine::purge() {
  queue_.clear();
  expanded_.clear();
  expandedIndex_.clear();
  queueFull_ = false;
  depth_ = 0;
}

std::vector<KVPair> ConstraintsEngine::Canonical(const KVCache& assignment) {
  std::vector<KVPair> c(assignment.begin(), assignment.end());
  std::sort(c.begin(), c.end());
  return c;
}

uint64_t ConstraintsEngine::Hash(const std::vector<KVPair>& canonical) {
  uint64_t h = 1469598103934665603ull;
  for (const KVPair& p : canonical) {
    h = (h ^ static_cast<uint64_t>(p.first)) * 1099511628211ull;
    h = (h ^ static_cast<uint64_t>(p.second)) * 1099511628211ull;
  }
  return h;
}

bool ConstraintsEngine::IsExpanded(const KVCache& assignment) const {
  if (expandedIndex_.empty()) return false;
  const std::vector<KVPair> c = Canonical(assignment);
  auto [first, last] = expandedIndex_.equal_range(Hash(c));
  for (auto it = first; it != last; ++it)
    if (it->second == c) return true;
  return false;
}

void ConstraintsEngine::RecordExpanded(const KVCache& assignment) {
  expanded_.push_front(assignment);
  std::vector<KVPair> c = Canonical(assignment);
  const uint64_t h = Hash(c);
  expandedIndex_.emplace(h, std::move(c));
}

KVCache ConstraintsEngine::ListCurrentConstraints(long key) const {
  KVCache result;
  if (key < 0 || !declared_ || !constraints_) return result;
  const std::vector<long>* options = declared_->GetItems(key);
  if (!options) return result;
  std::vector<KVPair> scratch;
  for (long option : *options) {
    const std::vector<KVPair>* list = ListOf(constraints_, key, option, scratch);
    if (!list || !current_) continue;
    for (const KVPair& p : *list) {
      if (current_->Lookup(p) >= 0) {
        result.add(key, option);
        break;
      }
    }
  }
  return result;
}

KVCache ConstraintsEngine::ListScreenedConstraints(const KVCache& screen, bool exact,
                                                   long key) const {
  KVCache result;
  if (!declared_ || !constraints_) return result;
  const std::vector<long>* options = declared_->GetItems(key);
  if (!options) return result;
  std::vector<KVPair> scratch;
  for (long option : *options) {
    const std::vector<KVPair>* list = ListOf(constraints_, key, option, scratch);
    if (!list) continue;
    KVCache collected;
    for (const KVPair& p : *list)
      if (screen.Lookup(p) >= 0) collected.add(p);
    if (collected.empty()) continue;
    if (exact && !(collected == screen)) continue;
    // Every screened option is listed; keying the result by the key would keep
    // only the last one.
    result.add(key, option);
  }
  return result;
}

KVCache ConstraintsEngine::ListBlockingConstraints(long key1, long skipOption, long key2) const {
  KVCache result;
  if (key1 < 0 || skipOption < 0 || key2 < 0 || !declared_ || !constraints_) return result;
  const std::vector<long>* options1 = declared_->GetItems(key1);
  const std::vector<long>* options2 = declared_->GetItems(key2);
  if (!options2) return result;
  std::vector<long> others;
  if (options1)
    for (long o : *options1)
      if (o != skipOption && o >= 0) others.push_back(o);
  std::sort(others.begin(), others.end());
  others.erase(std::unique(others.begin(), others.end()), others.end());
  // A key with no option besides skip is not blocked by anything; matching the
  // empty set would list every option of key2, even those forbidding nothing.
  if (others.empty()) return result;
  std::vector<KVPair> scratch;
  for (long b : *options2) {
    std::vector<long> forbidden;
    if (const std::vector<KVPair>* list = ListOf(constraints_, key2, b, scratch))
      for (const KVPair& p : *list)
        if (p.first == key1) forbidden.push_back(p.second);
    std::sort(forbidden.begin(), forbidden.end());
    forbidden.erase(std::unique(forbidden.begin(), forbidden.end()), forbidden.end());
    if (forbidden == others) result.add(key2, b);
  }
  return result;
}
