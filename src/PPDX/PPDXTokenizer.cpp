// The tokenizer operations of the document: tokens, quoted and PostScript
// values (which may run over several lines of the current stream), and the
// small white-space helpers.
#include <cstring>
#include <iterator>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"

namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t';
}

// The bytes that may end a token: LF, CR, NUL and the delimiters. Which of
// them really ends it is decided in the order of the token rules.
struct StopTable {
  bool stops[256] = {};
  bool crDelimits = false;  // CR ends a token even before an LF
  // How many distinct stop bytes, for scanning 16 bytes at a time; a set with
  // more than kMaxListed of them is scanned byte by byte.
  static constexpr int kMaxListed = 8;
  int listedCount = 0;
#if defined(__SSE2__)
  __m128i wanted[kMaxListed] = {};  // each listed byte in all 16 lanes
#endif
  explicit StopTable(const char* delimiters) {
    Add('\n');
    Add('\r');
    Add('\0');
    if (delimiters != nullptr) {
      for (const char* d = delimiters; *d != '\0'; ++d) Add(*d);
      crDelimits = std::strchr(delimiters, '\r') != nullptr;
    }
  }
  void Add(char c) {
    bool& stop = stops[static_cast<unsigned char>(c)];
    if (stop) return;
    stop = true;
    listedCount = listedCount < kMaxListed ? listedCount + 1 : kMaxListed + 1;
#if defined(__SSE2__)
    if (listedCount <= kMaxListed) wanted[listedCount - 1] = _mm_set1_epi8(c);
#endif
  }
  bool operator[](char c) const {
    return stops[static_cast<unsigned char>(c)];
  }

  // The first position in [at, limit) that holds a stop byte, or limit.
  size_t Scan(const char* bytes, size_t at, size_t limit) const {
#if defined(__SSE2__)
    if (listedCount <= kMaxListed) {
      while (at + 16 <= limit) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        __m128i hits = _mm_cmpeq_epi8(block, wanted[0]);
        for (int i = 1; i < listedCount; ++i)
          hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[i]));
        if (const int mask = _mm_movemask_epi8(hits)) return at + __builtin_ctz(mask);
        at += 16;
      }
    }
#endif
    while (at < limit && !(*this)[bytes[at]]) ++at;
    return at;
  }
};

// The parser's own delimiter sets (constants, so known by address) have
// their tables made once; null for any other set.
const StopTable* KnownStopTable(const char* delimiters) {
  static const char* const kSets[] = {
      kMainKeywordDelimiters, kOptionKeywordDelimiters, kTranslationStringDelimiters,
      kFlagKeywordDelimiters, kRangeStringDelimiters,   kFloatRangeStringDelimiters,
      kEndofLineDelimiters,   kWhiteSpaceDelimiters,    nullptr,
  };
  static const std::vector<StopTable> kTables = [] {
    std::vector<StopTable> tables;
    for (const char* set : kSets) tables.emplace_back(set);
    return tables;
  }();
  // The set of the previous call is most often the set of this one.
  static thread_local size_t last = 0;
  if (kSets[last] == delimiters) return &kTables[last];
  for (size_t i = 0; i < std::size(kSets); ++i) {
    if (kSets[i] == delimiters) {
      last = i;
      return &kTables[i];
    }
  }
  return nullptr;
}

// The token is the bytes before the first stop byte that ends it, at most
// kMaxTokenLength of them. A CR ends it unless an LF follows (then the LF
// ends it and the CR is dropped) or CR is itself a delimiter. The ending
// byte is consumed; a token cut at its limit leaves the rest unread.
bool ReadToken(PPDStream& stream, char* token, const StopTable& stops, bool strip) {
  size_t available = 0;
  const char* bytes = stream.Unread(available);
  const size_t limit = available < kMaxTokenLength ? available : kMaxTokenLength;
  size_t at = 0;  // bytes of the token so far
  bool ended = false;
  bool endedAtLineFeed = false;
  for (;;) {
    at = stops.Scan(bytes, at, limit);
    if (at == limit) break;
    const char c = bytes[at];
    if (c == '\r' && !stops.crDelimits && at + 1 < available && bytes[at + 1] == '\n') {
      ++at;  // part of the token; the LF after it ends it
      continue;
    }
    ended = true;
    endedAtLineFeed = c == '\n';
    break;
  }
  size_t count = at;
  stream.Consume(ended ? at + 1 : at);
  if (!ended && count < kMaxTokenLength) {
    char end;
    stream.GetChar(end);  // at the end: the stream records it as GetChar does
  }
  if (endedAtLineFeed && count > 0 && bytes[count - 1] == '\r') --count;
  size_t begin = 0;
  if (strip) {
    while (begin < count && IsWhite(bytes[begin])) ++begin;
    while (count - begin > 1 && IsWhite(bytes[count - 1])) --count;
  }
  // A stream without data has no bytes at all, not even an empty range.
  if (count > begin) std::memmove(token, bytes + begin, count - begin);
  token[count - begin] = '\0';
  return token[0] != '\0';
}

}  // namespace

bool PPDX::NextToken(PPDStream& stream, char* token, const char* delimiters, bool strip) {
  if (token == nullptr) return false;
  if (const StopTable* known = KnownStopTable(delimiters))
    return ReadToken(stream, token, *known, strip);
  const StopTable own(delimiters);
  return ReadToken(stream, token, own, strip);
}

int PPDX::NextWords(PPDStream& stream, std::span<char[kPPDLineBufferSize]> words) {
  // Space and tab end a word, so no word has white space to strip.
  const StopTable& stops = *KnownStopTable(kWhiteSpaceDelimiters);
  int found = 0;
  for (char* word : words) {
    stream.SkipWhiteSpace();
    if (ReadToken(stream, word, stops, false)) ++found;
  }
  return found;
}

void PPDX::StripLeadingWhiteSpace(char* text) {
  if (text == nullptr) return;
  size_t skip = 0;
  while (IsWhite(text[skip])) ++skip;
  if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

void PPDX::StripTrailingWhiteSpace(char* text) {
  if (text == nullptr) return;
  size_t n = std::strlen(text);
  while (n > 1 && IsWhite(text[n - 1])) --n;
  text[n] = '\0';
}

void PPDX::ParseMainKeyword(const char* text, char* after) {
  if (after == nullptr) return;
  after[0] = '\0';
  if (text == nullptr) return;
  const char* slash = std::strchr(text, '/');
  if (slash == nullptr) return;
  size_t n = strnlen(slash + 1, kMaxTokenLength);
  std::memcpy(after, slash + 1, n);
  after[n] = '\0';
}

// Collects the bytes of one value. Once size-1 bytes are stored the value is
// cut, but the reader still walks to the value's end, so that the lines of an
// over-long value are consumed here and never parsed as keywords.
struct PPDX::ValueReader {
  char* buffer;
  size_t limit;  // size - 1
  size_t count = 0;
  bool cut = false;

  void Put(char c) {
    if (cut) return;
    buffer[count++] = c;
    if (count >= limit) cut = true;
  }
  // Put for each of n bytes.
  void PutAll(const char* bytes, size_t n) {
    if (cut || n == 0) return;
    const size_t take = n < limit - count ? n : limit - count;
    std::memcpy(buffer + count, bytes, take);
    count += take;
    if (count >= limit) cut = true;
  }
};

unsigned long PPDX::ReadValue(PPDStream& line, char* buffer, unsigned long size, bool postscript) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  ValueReader value{buffer, size - 1};
  if (value.limit == 0) value.cut = true;

  // 1. Up to and including the opening quote.
  bool opened = false;
  char c;
  while (line.GetChar(c)) {
    if (c == '"') {
      opened = true;
      break;
    }
  }
  if (!opened && postscript) return 0;

  // 2. The rest of this line, up to the closing quote.
  bool closed = false;
  if (opened) {
    for (;;) {
      int next = line.PeekChar();
      if (next < 0 || next == 0xFF || next == '\r' || next == '\n') break;
      line.GetChar(c);
      if (c == '"') {
        closed = true;
        break;
      }
      value.Put(c);
    }
  }

  // 3. Further lines of the current stream. A line cut at 255 bytes goes on
  // in the next one: no line break is stored between the two pieces.
  bool fileEnded = false;
  bool starLine = false;
  if (!closed) {
    PPDStream* stream = currentStream_;
    bool joined = stream != nullptr && stream->LastLineCut();
    bool separate = opened;  // no break before the first line when nothing opened
    char next[kPPDLineBufferSize];
    while (!closed) {
      if (stream == nullptr) {
        fileEnded = true;
        break;
      }
      bool whole = stream->GetLine(next);
      const size_t length = stream->LastLineLength();
      if (!whole && length == 0 && !stream->Good()) {
        fileEnded = true;
        break;
      }
      const bool piece = joined;
      joined = stream->LastLineCut();
      if (length == 0) continue;  // empty lines are skipped
      size_t at = 0;
      if (!piece && next[0] == '*') {
        if (!postscript || length < 2 || next[1] != '%') {
          starLine = true;
          break;
        }
        at = 2;
      }
      if (!piece && separate) value.Put(postscript ? '\n' : '\0');
      separate = true;
      const void* quote = std::memchr(next + at, '"', length - at);
      const size_t end =
          quote ? static_cast<size_t>(static_cast<const char*>(quote) - next) : length;
      value.PutAll(next + at, end - at);
      if (quote) closed = true;
    }
  }

  if (postscript) {
    if (value.count == 0) return 0;
    if (value.cut) {
      buffer[value.count - 1] = '\n';
    } else if (buffer[value.count - 1] != '\n') {
      buffer[value.count++] = '\n';
    }
    buffer[value.count] = '\0';  // not part of the value; keeps C-string readers safe
    return value.count;
  }
  buffer[value.count] = '\0';
  if (value.cut) return value.count;
  if (starLine) return value.count + 1;
  if (fileEnded) return 0;
  return value.count == 0 ? 0 : value.count + 1;
}

unsigned long PPDX::GetQuotedString(PPDStream& line, char* buffer, const unsigned long& size) {
  return ReadValue(line, buffer, size, false);
}

unsigned long PPDX::GetPostscriptString(PPDStream& line, char* buffer, const unsigned long& size) {
  return ReadValue(line, buffer, size, true);
}
