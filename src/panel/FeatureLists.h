// The extra features of a job that are no PPD controls (mixed media, pad
// covers, cover pages, slip sheets) and the paper-catalog pairs: wide-text
// key/value pairs in lists of fixed capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct FeaturePair {
  std::wstring key;
  std::wstring value;
};

template <size_t N>
class FeatureList {
 public:
  static constexpr size_t kCapacity = N;

  FeatureList() : entries_(N) {}
  int32_t Count() const { return count_; }
  bool Full() const { return static_cast<size_t>(count_) >= N; }
  // Null past the count.
  const FeaturePair* At(size_t index) const {
    return index < static_cast<size_t>(count_) ? &entries_[index] : nullptr;
  }
  // False, and nothing stored, when the list is full.
  bool Append(std::wstring_view key, std::wstring_view value) {
    if (Full()) return false;
    FeaturePair& entry = entries_[static_cast<size_t>(count_++)];
    entry.key.assign(key);
    entry.value.assign(value);
    return true;
  }
  // The count set, held to 0..N; every slot keeps its strings.
  void SetCount(int64_t count) {
    count_ = static_cast<int32_t>(count < 0 ? 0 : (count > static_cast<int64_t>(N) ? N : count));
  }
  // Any slot below the capacity, whatever the count; null past it.
  FeaturePair* Slot(size_t index) { return index < N ? &entries_[index] : nullptr; }
  void Clear() {
    for (FeaturePair& entry : entries_) entry = FeaturePair();
    count_ = 0;
  }

 private:
  std::vector<FeaturePair> entries_;
  int32_t count_ = 0;
};

constexpr size_t kMixedMediaCapacity = 2048;
constexpr size_t kFinishingListCapacity = 16;
using MixedMediaList = FeatureList<kMixedMediaCapacity>;
using FinishingFeatureList = FeatureList<kFinishingListCapacity>;

// A paper-catalog pair: a key of up to 18 and a value of up to 511 wide
// characters, each NUL-terminated in its field.
struct PaperCatalogPair {
  static constexpr size_t kKeySize = 19;
  static constexpr size_t kValueSize = 512;
  wchar_t key[kKeySize] = {};
  wchar_t value[kValueSize] = {};

  // Each cut to its field; false when it had to be cut.
  bool SetKey(std::wstring_view text);
  bool SetValue(std::wstring_view text);
};

constexpr int kPaperCatalogPairs = 4;
// The fixed keys, in order, and the value meaning "none".
extern const wchar_t* const kPaperCatalogKeys[kPaperCatalogPairs];
constexpr const wchar_t* kPaperCatalogNone = L"-1";
