#include "foundation/BoyerMoore.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
inline int Fold(unsigned char c) {
  return std::tolower(c);
}
}  // namespace

BoyerMoore::BoyerMoore() {
  BuildSkipTable();
}

BoyerMoore::BoyerMoore(const char* pattern, short patternLength, const void* data,
                       long dataLength) {
  SetSearchString(pattern, patternLength);
  SetSearchData(data, dataLength);
}

BoyerMoore::~BoyerMoore() = default;

bool BoyerMoore::SetSearchString(const char* pattern, short length) {
  bool ok = length >= 0 && length <= kMaxPatternLength && (pattern || length == 0);
  patternLength_ = ok ? length : 0;
  if (patternLength_) std::memcpy(pattern_, pattern, patternLength_);
  BuildSkipTable();
  return ok;
}

bool BoyerMoore::SetSearchString(const unsigned char* counted) {
  if (!counted) return SetSearchString(nullptr, -1);
  return SetSearchString(reinterpret_cast<const char*>(counted + 1), counted[0]);
}

void BoyerMoore::GetSearchString(char* out) {
  if (!out) return;
  std::memcpy(out, pattern_, patternLength_);
  out[patternLength_] = '\0';
}

void BoyerMoore::SetSearchData(const void* data, long length) {
  data_ = static_cast<const unsigned char*>(data);
  dataLength_ = data_ && length > 0 ? length : 0;
  start_ = 0;
}

void BoyerMoore::PrepareSearchData() {
  if (start_ < 0 || start_ > dataLength_) {
    window_ = nullptr;
    windowLength_ = 0;
    return;
  }
  window_ = data_ ? data_ + start_ : nullptr;
  windowLength_ = dataLength_ - start_;
}

void BoyerMoore::CleanupSearchData() {}

long BoyerMoore::Search() {
  PrepareSearchData();
  const long m = patternLength_;
  if (m == 0 || !window_ || m > windowLength_) return -1;
  long i = m - 1;
  long j = m - 1;
  while (true) {
    unsigned char w = window_[i];
    bool same = caseInsensitive_ ? Fold(w) == Fold(pattern_[j]) : w == pattern_[j];
    if (same) {
      if (j == 0) {
        CleanupSearchData();
        return i;
      }
      --i;
      --j;
      continue;
    }
    i += std::max<long>(m - j, skip_[w]);
    j = m - 1;
    if (i >= windowLength_) return -1;
  }
}

long BoyerMoore::Search(long offset, const char* pattern, short length) {
  if (pattern && !SetSearchString(pattern, length)) return -1;
  start_ = offset;
  return Search();
}

long BoyerMoore::Search(long offset, const unsigned char* counted) {
  if (counted && !SetSearchString(counted)) return -1;
  start_ = offset;
  return Search();
}

void BoyerMoore::SetCaseSensitve(bool caseSensitive) {
  bool insensitive = !caseSensitive;
  if (insensitive == caseInsensitive_) return;
  caseInsensitive_ = insensitive;
  BuildSkipTable();
}

bool BoyerMoore::GetCaseSensitive() {
  return !caseInsensitive_;
}

short BoyerMoore::GetSearchStringLength() {
  return patternLength_;
}

void BoyerMoore::BuildSkipTable() {
  const int m = patternLength_;
  std::memset(skip_, static_cast<unsigned char>(m), sizeof skip_);
  if (!caseInsensitive_) {
    for (int i = 0; i < m; ++i) skip_[pattern_[i]] = static_cast<unsigned char>(m - 1 - i);
    return;
  }
  // The skip is looked up with the raw data byte, so every byte that folds to
  // a pattern byte needs that byte's distance; otherwise a case variant would
  // be skipped over and its match missed.
  for (int c = 0; c < 256; ++c) {
    int folded = Fold(static_cast<unsigned char>(c));
    for (int i = 0; i < m; ++i)
      if (Fold(pattern_[i]) == folded) skip_[c] = static_cast<unsigned char>(m - 1 - i);
  }
}
