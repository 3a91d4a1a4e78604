// Allocation of what the panel hands to the job properties component: every
// block comes from the component's own allocator (SDMAllocMemory) with the
// context the component gave the callback, so that the component can free it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serverlink/SDMTypes.h"

struct SDMAllocator {
  SDMAllocMemoryFn fn = nullptr;
  void* context = nullptr;

  // 0 with *out set to a zeroed block, else the allocator's code (7100 when
  // there is no allocator or no out pointer). A zero-byte request gets one byte.
  int32_t Allocate(void** out, size_t size) const;
  template <typename T>
  int32_t AllocateArray(T** out, size_t count) const {
    if (count > SIZE_MAX / sizeof(T)) return kSDMNoData;
    void* block = nullptr;
    int32_t rc = Allocate(&block, count * sizeof(T));
    *out = static_cast<T*>(block);
    return rc;
  }
};

// Room for the text and its terminator from the allocator, the text copied in.
bool AllocAndAssignValue(const SDMAllocator& alloc, wchar_t** out, std::wstring_view text);

using SDMPairs = std::vector<std::pair<std::wstring, std::wstring>>;

// A list of the given pairs, allocated piece by piece: the list, its array,
// then each key and each value. False when an allocation fails (pieces made
// before stay with the component's context).
bool SDMAllocKeyValueList(const SDMAllocator& alloc, const SDMPairs& pairs, SDMKeyValueList** out);

// A list of n pairs from n lines "key=value" (the key before the first "=",
// the value after it; a line without "=" is all key, with an empty value).
// False when fewer than n lines are given or an allocation fails.
bool SDMAllocKeyValueListFromKeyValueSetWChar(const std::vector<std::wstring_view>& lines,
                                              const SDMAllocator& alloc, size_t n,
                                              SDMKeyValueList** out);
// The same from the next n lines of an open file (UTF-8 text).
bool SDMAllocKeyValueListFromKeyValueSet(std::FILE* file, const SDMAllocator& alloc, size_t n,
                                         SDMKeyValueList** out);
// Splits "key=value" at the first "=".
std::pair<std::wstring_view, std::wstring_view> SplitKeyValue(std::wstring_view line);

// The server-data layer's diagnostic lines go to the standard error stream;
// tools and fuzzers may switch them off.
void SetSDMLogToStderr(bool on);
void SDMLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs every pair of a list to the standard error stream.
void PrintSDMKeyValueList(const SDMKeyValueList* list);

// Lists the panel builds for the component live on the plain heap; this owns
// one with its texts (copies), and frees it whole.
class HeapSDMList {
 public:
  HeapSDMList() = default;
  explicit HeapSDMList(SDMPairs pairs);
  HeapSDMList(HeapSDMList&&) noexcept = default;
  HeapSDMList& operator=(HeapSDMList&&) noexcept = default;

  void Add(std::wstring key, std::wstring value);
  // The record the component reads; valid until the next Add or destruction.
  const SDMKeyValueList* Get();
  size_t Count() const { return pairs_.size(); }
  const SDMPairs& Pairs() const { return pairs_; }

 private:
  SDMPairs pairs_;
  std::vector<SDMKeyValue> items_;
  SDMKeyValueList list_{};
};

// The pairs of a list the component returned, read defensively: at most
// `limit` pairs, null texts as empty, each text at most `textLimit` long.
SDMPairs ReadSDMPairs(const SDMKeyValueList* list, size_t limit, size_t textLimit = 1u << 20);
