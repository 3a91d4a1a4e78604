// Token delimiter sets and text limits of the PPD syntax.
#pragma once

#include <cstddef>

inline constexpr const char* kMainKeywordDelimiters = " \t:";
inline constexpr const char* kOptionKeywordDelimiters = "/:";
inline constexpr const char* kTranslationStringDelimiters = ":";
inline constexpr const char* kFlagKeywordDelimiters = "|:\"";
inline constexpr const char* kRangeStringDelimiters = ";()";
inline constexpr const char* kFloatRangeStringDelimiters = ";()";
inline constexpr const char* kEndofLineDelimiters = "\n\r";
// The words of a constraint line.
inline constexpr const char* kWhiteSpaceDelimiters = " \t";

// Capacity of a PostScript value buffer.
constexpr unsigned long kQuotesStringSizeLimit = 4096;
// Capacity of a quoted value read from a keyword line.
constexpr unsigned long kLineSizeLimit = 256;
// Bytes a token holds at most (its buffer holds one more).
constexpr size_t kMaxTokenLength = 255;
