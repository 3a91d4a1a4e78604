// Free functions over 8-bit, NUL-terminated text and counted (length-byte)
// strings. Buffers these functions return are plain heap blocks: release them
// with std::free.
#pragma once

#include <cstddef>
#include <cstdint>

// Counted string from text: one length byte, then the bytes. A counted string
// holds at most 255 bytes, so longer text is cut there; dst needs 256 bytes.
unsigned char* ctoPStr(const char* src, unsigned char* dst);
// Text from a counted string (dst needs src[0] + 1 bytes).
char* ptoCStr(const unsigned char* src, char* dst);

// "%d"; dst needs 12 bytes.
char* num2String(int n, char* dst);
// "%9.4f" (width 9, 4 decimals, space padded); dst needs kFloat2StringSize bytes.
constexpr size_t kFloat2StringSize = 48;
char* float2String(char* dst, float f);

// The integer value of the text read as Mac Roman; 0 when nothing parses.
int32_t string2Number(const char* text);

// Deletes bytes from..to-1 in place and returns the new length. The text is
// left alone, and its length returned, when from equals to or the range does
// not lie inside the text (negative, reversed or past the end).
long deleteCharRangeInStr(char* str, short from, short to);

// First position of byte c before the terminating NUL, or null.
char* findChar(const char* str, char c);

// n bytes equal to c and a NUL; null for negative n or when memory runs out.
char* newInitalizedCString(long n, char c);

// 1 when no run of decimal digits is longer than maxDigits, else 0.
short validateRangeValues(const char* str, short maxDigits);

// Wide text to multibyte in the current locale, then atoi; 0 when it cannot convert.
int wtoi(const wchar_t* wide);

// A new copy of src with every occurrence of pattern replaced, scanning again
// from the start after each replacement, so text that the replacement forms
// with its surroundings is replaced too. When the replacement contains the
// pattern that would never end, so the scan goes on after each inserted
// replacement instead. An empty pattern yields a plain copy. Null when an
// argument is null, memory runs out, or the rewriting does not settle.
char* _replace(const char* src, const char* pattern, const char* replacement);
