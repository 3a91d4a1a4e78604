#include "PPDX/PPDStream.h"

#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Log.h"

bool gVectorWorksFix = false;

void ClearEndOfPPDLatch() {
  gVectorWorksFix = false;
}

namespace {

constexpr char kEndOfPPDMarker[] = "*% End of PPD file";
constexpr size_t kEndOfPPDMarkerLength = sizeof kEndOfPPDMarker - 1;  // 18

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r' || c == static_cast<char>(0xFF);
}

// The first CR, LF or 0xFF in [from, stop), or stop: 16 bytes at a time.
const char* FirstLineEnd(const char* from, const char* stop) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i ff = _mm_set1_epi8(static_cast<char>(0xFF));
  while (stop - from >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)),
                     _mm_cmpeq_epi8(block, ff));
    if (const int mask = _mm_movemask_epi8(hits)) return from + __builtin_ctz(mask);
    from += 16;
  }
#endif
  while (from < stop && !IsLineEnd(*from)) ++from;
  return from;
}

}  // namespace

void PPDStream::SetData(const char* data, long length) {
  if (data == nullptr || length < 1) {
    start_ = end_ = pos_ = nullptr;
    status_ = kBad;
    return;
  }
  start_ = pos_ = data;
  end_ = data + length;
  status_ = kGood;
}

bool PPDStream::Latched(char* buffer) {
  if (!gVectorWorksFix) return false;
  myNSLogC("FIT208051");
  buffer[0] = '\0';
  lastLineCut_ = false;
  lastLineLength_ = 0;
  // Nothing after the end marker is read; marking the stream ended keeps
  // callers that loop until the end from spinning on it.
  status_ = kEndOfData;
  return true;
}

PPDStream::LineEnd PPDStream::ReadLineBytes(char* buffer, size_t& used) {
  if (used >= kPPDMaxLineLength) return LineEnd::kCut;
  if (pos_ == nullptr) return LineEnd::kEndOfData;  // no data: the status stays bad
  // One pass over the bytes that can still belong to this line, then one
  // copy; the status ends as the byte-by-byte reading would leave it.
  const size_t room = kPPDMaxLineLength - used;
  const size_t available = pos_ < end_ ? static_cast<size_t>(end_ - pos_) : 0;
  const char* const from = pos_;
  const char* const stop = from + (available < room ? available : room);
  const char* p = FirstLineEnd(from, stop);
  const size_t stored = static_cast<size_t>(p - from);
  std::memcpy(buffer + used, from, stored);
  used += stored;
  if (stored > 0) afterCR_ = false;
  if (p < stop) {
    const char c = *p;
    pos_ = p + 1;
    status_ = kGood;
    if (c == '\r' || c == '\n') {
      // The LF of a CR LF pair ends no further line; the empty line it
      // gives belongs to the line the CR ended.
      if (c == '\n' && afterCR_) {
        afterCR_ = false;
        lineStart_ = lineEnds_;
      } else {
        ++lineEnds_;
        afterCR_ = c == '\r';
      }
      return LineEnd::kNewline;
    }
    afterCR_ = false;
    char text[64];
    std::snprintf(text, sizeof text, "PPDStream::GetLine theChar == EOF, i %d \n",
                  static_cast<int>(used));
    myNSLogC(text);
    return LineEnd::kFF;
  }
  pos_ = p;
  if (available >= room) {
    if (stored > 0) status_ = kGood;
    return LineEnd::kCut;
  }
  status_ = kEndOfData;
  return LineEnd::kEndOfData;
}

bool PPDStream::FinishLine(char* buffer, size_t used, LineEnd end) {
  buffer[used] = '\0';
  lastLineCut_ = end == LineEnd::kCut;
  lastLineLength_ = used;
  if (used > 0 || end != LineEnd::kEndOfData) lineNumber_ = lineStart_;
  if (end == LineEnd::kEndOfData) return false;
  if (end != LineEnd::kCut && used >= kEndOfPPDMarkerLength &&
      std::memcmp(buffer, kEndOfPPDMarker, kEndOfPPDMarkerLength) == 0) {
    myNSLogC(kEndOfPPDMarker);
    gVectorWorksFix = true;
    buffer[0] = '\0';
    lastLineLength_ = 0;
  }
  return end == LineEnd::kNewline;
}

bool PPDStream::GetLine(char* buffer) {
  if (buffer == nullptr) return false;
  if (Latched(buffer)) return false;
  BeginLine();
  size_t used = 0;
  LineEnd end = ReadLineBytes(buffer, used);
  return FinishLine(buffer, used, end);
}
