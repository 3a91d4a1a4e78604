// Every block the component hands out or that callers allocate with
// SDMAllocMemory is registered under its context, so that JP1_1Free frees only
// the component's own blocks and ending a session frees what is left of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jp {
int32_t Allocate(void* context, void** out, size_t size);
// 0 when the block was the component's and is now freed; 7100 otherwise.
int32_t Release(void* block);
// Frees every block of a context (null: every block); answers how many.
size_t ReleaseContext(const void* context, bool all = false);
size_t LiveBlocks();
}  // namespace jp
