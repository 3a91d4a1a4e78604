#include "foundation/CStringSoup.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr size_t kReservedEntries = 512;
constexpr size_t kMinimumBuffer = 64;
}  // namespace

CStringSoup::CStringSoup() {
  entries_.reserve(kReservedEntries);
}

CStringSoup::~CStringSoup() = default;

long CStringSoup::Insert(const char* text) {
  if (!text) return -1;
  // Through the object, so that a derived table's look-up is honoured.
  long found = Find(text);
  if (found >= 0) return found;
  return Append(text);
}

long CStringSoup::Append(const char* text) {
  if (!text) return -1;
  size_t length = std::strlen(text);
  size_t bytes = std::max(kMinimumBuffer, length + 1);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[bytes]());
  if (!buffer) return -1;
  std::memcpy(buffer.get(), text, length + 1);
  entries_.push_back(Entry{std::move(buffer), bytes});
  return size() - 1;
}

long CStringSoup::Find(const char* text) const {
  if (!text) return -1;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (std::strcmp(entries_[i].text.get(), text) == 0) return static_cast<long>(i);
  return -1;
}

char* CStringSoup::Find(long index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return nullptr;
  return entries_[index].text.get();
}

void CStringSoup::Clear() {
  entries_.clear();
  ++generation_;
}

long CStringSoup::size() const {
  return static_cast<long>(entries_.size());
}

size_t CStringSoup::BufferSize(long index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return 0;
  return entries_[index].bufferSize;
}
