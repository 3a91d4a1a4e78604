#include "PPDX/PPDObjects/Controls/MemoryHandle.h"

#include <cstdlib>
#include <new>

namespace {

// The master pointer comes first, so a handle is the record's own address.
struct HandleRecord {
  char* master;
  size_t size;
};

HandleRecord* RecordOf(char** handle) {
  return reinterpret_cast<HandleRecord*>(handle);
}

}  // namespace

char** NewHandle(size_t size) {
  auto* record = new (std::nothrow) HandleRecord{nullptr, size};
  if (!record) return nullptr;
  // A zero-byte block still gets a valid master pointer.
  record->master = static_cast<char*>(std::calloc(size ? size : 1, 1));
  if (!record->master) {
    delete record;
    return nullptr;
  }
  return &record->master;
}

size_t GetHandleSize(char** handle) {
  return handle ? RecordOf(handle)->size : 0;
}

void DisposeHandle(char** handle) {
  if (!handle) return;
  HandleRecord* record = RecordOf(handle);
  std::free(record->master);
  delete record;
}
