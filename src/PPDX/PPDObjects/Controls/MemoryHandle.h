// Relocatable-block handles as the saved-settings code hands them around: a
// handle is a pointer to a master pointer, and the block knows its own size.
// A handle from NewHandle is released with DisposeHandle only.
#pragma once

#include <cstddef>

// A new handle of `size` bytes (zero-filled), or null when memory runs out.
char** NewHandle(size_t size);
// The block's size in bytes; 0 for a null handle.
size_t GetHandleSize(char** handle);
// Releases the handle and its block; a null handle is ignored.
void DisposeHandle(char** handle);
