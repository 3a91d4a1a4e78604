#include "constraints/UIConstraints.h"

#include <cstdint>
#include <cstring>

UIConstraints::UIConstraints() = default;
UIConstraints::~UIConstraints() = default;

namespace {

// Eight bytes at a time: constraint names are short and many are interned.
size_t HashText(const char* text, size_t length) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t h = length * kMul;
  while (length > 0) {
    uint64_t word = 0;
    const size_t n = length < 8 ? length : 8;
    std::memcpy(&word, text, n);
    h = (h ^ word) * kMul;
    h ^= h >> 29;
    text += n;
    length -= n;
  }
  return static_cast<size_t>(h);
}

}  // namespace

long UIConstraints::Lookup(const char* text, size_t hash) const {
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.id < 0) return -1;
    if (slot.hash != hash) continue;
    if (std::strcmp(slot.text, text) == 0) return slot.id;
  }
}

void UIConstraints::Place(const Slot& slot) {
  const size_t mask = slots_.size() - 1;
  size_t at = slot.hash & mask;
  while (slots_[at].id >= 0) at = (at + 1) & mask;
  slots_[at] = slot;
}

void UIConstraints::IndexEntry(long id, const char* text) {
  const size_t hash = HashText(text, std::strlen(text));
  if (Lookup(text, hash) >= 0) return;  // keeps the first
  if ((indexedStrings_ + 1) * 2 > static_cast<long>(slots_.size())) {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.id >= 0) Place(slot);
  }
  Place(Slot{id, hash, text});
}

void UIConstraints::SyncIndex() {
  // Entries only go all at once, and every Clear counts a generation.
  if (strings_.Generation() != indexedGeneration_) {
    slots_.clear();
    indexedStrings_ = 0;
    indexedGeneration_ = strings_.Generation();
  }
  const long n = strings_.size();
  for (long i = indexedStrings_; i < n; ++i) {
    if (const char* text = strings_.Find(i)) IndexEntry(i, text);
    indexedStrings_ = i + 1;
  }
}

long UIConstraints::FindId(const char* text) {
  if (!text) return -1;
  SyncIndex();
  return Lookup(text, HashText(text, std::strlen(text)));
}

long UIConstraints::Intern(const char* text) {
  if (!text) return -1;
  SyncIndex();
  const long id = Lookup(text, HashText(text, std::strlen(text)));
  if (id >= 0) return id;
  const long added = strings_.Append(text);  // known not to be held
  SyncIndex();
  return added;
}

long UIConstraints::CurrentOption(long key) const {
  if (key >= 0 && key < static_cast<long>(currentByKey_.size()))
    return currentByKey_[static_cast<size_t>(key)];
  if (key < kDirectKeys || currentOverflow_.empty()) return kAbsent;
  auto it = currentOverflow_.find(key);
  return it == currentOverflow_.end() ? kAbsent : it->second;
}

void UIConstraints::SetCurrentOption(long key, long option) {
  if (key < kDirectKeys) {
    if (key >= static_cast<long>(currentByKey_.size()))
      currentByKey_.resize(static_cast<size_t>(key) + 1, kAbsent);
    currentByKey_[static_cast<size_t>(key)] = option;
  } else {
    currentOverflow_[key] = option;
  }
}

void UIConstraints::KVSInsert(const char* key, const char* option) {
  if (!key || !option) return;
  KVSInsert(Intern(key), Intern(option));
}

void UIConstraints::KVSInsert(long key, long option) {
  if (key < 0 || option < 0) return;
  declared_.insert(key, option);
}

void UIConstraints::UpdateKVCache(const char* key, const char* option) {
  if (!key || !option) return;
  const long k = Intern(key);
  const long o = Intern(option);
  UpdateKVCache(k, o);
}

void UIConstraints::UpdateKVCache(long key, long option) {
  if (key < 0) return;  // as KVCache::Insert
  current_.Insert(key, option);
  SetCurrentOption(key, option);
}

void UIConstraints::Add(const char* k1, const char* o1, const char* k2, const char* o2,
                        bool required) {
  if (!k1 || !o1 || !k2 || !o2) return;
  const long key1 = Intern(k1), option1 = Intern(o1);
  const long key2 = Intern(k2), option2 = Intern(o2);
  if (key1 < 0 || option1 < 0 || key2 < 0 || option2 < 0) return;  // out of memory
  if (*o1 == '\0' || *o2 == '\0') {
    deferred_.push_back({key1, option1, key2, option2, required});
    return;
  }
  (required ? requires_ : constraints_)
      .insert(key1, option1, key2, option2, required ? kRequireConstraint : kForbidConstraint);
}

void UIConstraints::Resolve() {
  const long empty = FindId("");
  if (empty < 0 || deferred_.empty()) {
    deferred_.clear();
    return;
  }
  // "None" and "False" are the options that switch a feature off; a
  // constraint against every option never means those.
  const long none = Intern("None");
  const long off = Intern("False");
  auto usable = [&](long option) { return option != none && option != off; };
  static const std::vector<long> kNoOptions;
  auto optionsOf = [&](long key) -> const std::vector<long>& {
    const std::vector<long>* options = declared_.GetItems(key);
    return options ? *options : kNoOptions;
  };
  for (const Deferred& d : deferred_) {
    ConstraintForest& target = d.required ? requires_ : constraints_;
    const ConstraintType type = d.required ? kRequireConstraint : kForbidConstraint;
    const bool any1 = d.option1 == empty;
    const bool any2 = d.option2 == empty;
    if (any1 && any2) {
      for (long a : optionsOf(d.key1)) {
        if (!usable(a)) continue;
        for (long b : optionsOf(d.key2))
          if (usable(b)) target.insert(d.key1, a, d.key2, b, type);
      }
    } else if (any1) {
      for (long a : optionsOf(d.key1))
        if (usable(a)) target.insert(d.key1, a, d.key2, d.option2, type);
    } else if (any2) {
      for (long b : optionsOf(d.key2))
        if (usable(b)) target.insert(d.key1, d.option1, d.key2, b, type);
    }
  }
  deferred_.clear();
}

ConstraintsEngine* UIConstraints::Engine() {
  if (!engine_) engine_ = std::make_unique<ConstraintsEngine>(&current_, &constraints_, &declared_);
  return engine_.get();
}

bool UIConstraints::ValidateDelta(KVCache delta) {
  return Engine()->Test(&delta).first.empty();
}

bool UIConstraints::IsKVConstrained(const char* key, const char* option) {
  if (!key) return false;
  const long k = FindId(key);
  if (k < 0) return false;
  return IsKVConstrained(k, option ? FindId(option) : -1);
}

bool UIConstraints::IsKVConstrained(long key, long option) {
  // Same answer as !ValidateDelta({(key, option)}), but on the flat copies:
  // the work is the number of pairs that (key, option) forbids.
  if (key < 0) return false;  // the delta stays empty
  Engine();
  if (!index_.IsCurrent(constraints_)) index_.Build(constraints_);
  for (const KVPair& forbidden : index_.Lookup(key, option)) {
    if (forbidden.first == key) {
      // The tested pair replaces the key's current option.
      if (forbidden.second == option) return true;
      continue;
    }
    const long now = CurrentOption(forbidden.first);
    if (now != kAbsent && now == forbidden.second) return true;
  }
  return false;
}
