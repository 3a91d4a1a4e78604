// The feature document's constraint facade. Keys and options are interned once
// and handled as ids from then on; the parser declares options and adds
// constraints, the controls report every value change, and the panel asks
// whether choosing an option would conflict with the current values.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "constraints/ConstraintForest.h"
#include "constraints/ConstraintIndex.h"
#include "constraints/ConstraintsEngine.h"
#include "constraints/KVCache.h"
#include "constraints/KeyForest.h"
#include "foundation/CStringSoup.h"

class UIConstraints {
 public:
  UIConstraints();
  UIConstraints(const UIConstraints&) = delete;
  UIConstraints& operator=(const UIConstraints&) = delete;
  virtual ~UIConstraints();

  // Declares option as one of key's options (interning both).
  void KVSInsert(const char* key, const char* option);
  void KVSInsert(long key, long option);
  // The control of key now has option (interning both).
  void UpdateKVCache(const char* key, const char* option);
  void UpdateKVCache(long key, long option);
  // (k1, o1) forbids (k2, o2), or requires it when required is set. An empty
  // o1 or o2 stands for every declared option and waits for Resolve.
  void Add(const char* k1, const char* o1, const char* k2, const char* o2, bool required);
  // Expands the constraints with empty options; called once after parsing.
  void Resolve();

  // Would choosing option for key conflict with the current values? The text
  // form interns nothing: an unknown key is never constrained, an unknown
  // option of a known key tests every option of the key.
  bool IsKVConstrained(const char* key, const char* option);
  bool IsKVConstrained(long key, long option);
  // True when delta, laid over the current values, has no conflict.
  bool ValidateDelta(KVCache delta);

  ConstraintForest* GetConstraintForest() { return &constraints_; }
  ConstraintForest* GetRequiresForest() { return &requires_; }
  CStringSoup* GetConstraintStrings() { return &strings_; }

  // Id of an interned text, -1 when it was never interned (interns nothing).
  long FindId(const char* text);
  const KVCache& Current() const { return current_; }
  const KeyForest& Declared() const { return declared_; }
  size_t DeferredCount() const { return deferred_.size(); }
  // The engine over current, the constraints and the declared options.
  ConstraintsEngine* Engine();

 private:
  struct Deferred {
    long key1, option1, key2, option2;
    bool required;
  };
  // One slot of the text index: a string table index and its text's hash.
  struct Slot {
    long id = -1;  // -1: empty
    size_t hash = 0;
    const char* text = nullptr;  // the table's copy, valid until it is cleared
  };
  static constexpr long kAbsent = -0x7fffffffffffffffL - 1;
  static constexpr long kDirectKeys = 1L << 20;

  long Intern(const char* text);
  // Brings the text index in step with the table (which others may fill).
  void SyncIndex();
  long CurrentOption(long key) const;
  void SetCurrentOption(long key, long option);

  ConstraintForest constraints_;
  ConstraintForest requires_;
  CStringSoup strings_;
  std::unique_ptr<ConstraintsEngine> engine_;
  KVCache current_;
  KeyForest declared_;
  std::vector<Deferred> deferred_;

  // Speed-ups over the members above, never the source of truth: text -> id,
  // the current option of each key by id, and a flat copy of the forest.
  // Open addressing over the string table (first entry of each text wins),
  // at most half full; rebuilt when the table was cleared.
  std::vector<Slot> slots_;
  long indexedStrings_ = 0;
  unsigned long indexedGeneration_ = 0;
  void IndexEntry(long id, const char* text);
  void Place(const Slot& slot);  // into the first free slot of its probe run
  long Lookup(const char* text, size_t hash) const;
  std::vector<long> currentByKey_;
  std::unordered_map<long, long> currentOverflow_;
  ConstraintIndex index_;
};
