#include "JPAllocator.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "serverlink/SDMTypes.h"

namespace jp {
namespace {

std::mutex gLock;

std::unordered_map<void*, const void*>& Blocks() {
  static std::unordered_map<void*, const void*> blocks;
  return blocks;
}

}  // namespace

int32_t Allocate(void* context, void** out, size_t size) {
  if (out == nullptr) return kSDMInvalidArgument;
  *out = nullptr;
  // Callers ask for what a section needs; a request beyond this is hostile.
  if (size > (size_t{256} << 20)) return kSDMNoData;
  void* block = std::calloc(1, size == 0 ? 1 : size);
  if (block == nullptr) return kSDMNoData;
  std::lock_guard<std::mutex> hold(gLock);
  Blocks().emplace(block, context);
  *out = block;
  return kSDMSuccess;
}

int32_t Release(void* block) {
  if (block == nullptr) return kSDMInvalidArgument;
  std::lock_guard<std::mutex> hold(gLock);
  auto it = Blocks().find(block);
  if (it == Blocks().end()) return kSDMInvalidArgument;
  std::free(block);
  Blocks().erase(it);
  return kSDMSuccess;
}

size_t ReleaseContext(const void* context, bool all) {
  std::lock_guard<std::mutex> hold(gLock);
  size_t n = 0;
  for (auto it = Blocks().begin(); it != Blocks().end();) {
    if (all || it->second == context) {
      std::free(it->first);
      it = Blocks().erase(it);
      ++n;
    } else {
      ++it;
    }
  }
  return n;
}

size_t LiveBlocks() {
  std::lock_guard<std::mutex> hold(gLock);
  return Blocks().size();
}

}  // namespace jp
