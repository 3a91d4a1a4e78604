// links: tavro_foundation
// Input: [pattern length][flags][start offset][pattern bytes][data bytes].
// flags bit 0: case-insensitive; bit 1: use the counted-pattern form; bit 2:
// first offer an over-long pattern, which must be refused. The search result
// must equal a naive scan's.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/BoyerMoore.h"

static long NaiveSearch(const std::vector<uint8_t>& data, long from,
                        const std::vector<uint8_t>& pattern, bool insensitive) {
  long n = static_cast<long>(data.size()), m = static_cast<long>(pattern.size());
  if (m == 0 || from < 0 || from > n) return -1;
  for (long s = from; s + m <= n; ++s) {
    long k = 0;
    while (k < m && (insensitive ? std::tolower(data[s + k]) == std::tolower(pattern[k])
                                 : data[s + k] == pattern[k]))
      ++k;
    if (k == m) return s - from;
  }
  return -1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 3) return 0;
  size_t patternLength = bytes[0];
  uint8_t flags = bytes[1];
  long offset = bytes[2];
  bytes += 3;
  size -= 3;
  if (patternLength > size) patternLength = size;
  // Separate exact-size blocks, so that a read outside either one is caught.
  std::vector<uint8_t> pattern(bytes, bytes + patternLength);
  std::vector<uint8_t> data(bytes + patternLength, bytes + size);
  bool insensitive = flags & 1;

  BoyerMoore bm;
  bm.SetCaseSensitve(!insensitive);
  bm.SetSearchData(data.empty() ? nullptr : data.data(), static_cast<long>(data.size()));
  if (flags & 4) {
    std::vector<char> tooLong(256 + patternLength, 'x');
    if (bm.Search(0, tooLong.data(), static_cast<short>(tooLong.size())) != -1) std::abort();
    if (bm.GetSearchStringLength() != 0) std::abort();
  }
  long got;
  if (flags & 2) {
    std::vector<unsigned char> counted(1 + patternLength);
    counted[0] = static_cast<unsigned char>(patternLength);
    if (patternLength) std::memcpy(counted.data() + 1, pattern.data(), patternLength);
    got = bm.Search(offset, counted.data());
  } else {
    got = bm.Search(offset, reinterpret_cast<const char*>(pattern.data()),
                    static_cast<short>(patternLength));
  }
  if (got != NaiveSearch(data, offset, pattern, insensitive)) std::abort();

  std::vector<char> copy(BoyerMoore::kMaxPatternLength + 1);
  bm.GetSearchString(copy.data());
  if (bm.GetSearchStringLength() != static_cast<short>(patternLength) ||
      (patternLength && std::memcmp(copy.data(), pattern.data(), patternLength) != 0))
    std::abort();
  return 0;
}
