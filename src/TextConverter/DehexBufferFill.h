// Decoding of the hexadecimal substrings of PPD text: a group such as <4A 61>
// stands for the bytes 0x4A 0x61.
#pragma once

#include <cstddef>

// Decodes every well-formed group of the NUL-terminated text `in` into `out`
// and copies the rest; at the first malformed or unclosed group the rest of
// the text is copied unchanged. `out` must hold strlen(in) + 1 bytes. Returns
// the bytes written, the terminating NUL included (0 for a null argument).
size_t DehexBufferFill(const char* in, char* out);
