// The tokenizer operations of the document: tokens, quoted and PostScript
// values (which may run over several lines of the current stream), and the
// small white-space helpers.
#include <cstring>

#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"

namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool PPDX::NextToken(PPDStream& stream, char* token, const char* delimiters, bool strip) {
  if (token == nullptr) return false;
  size_t count = 0;
  bool endedAtLineFeed = false;
  while (count < kMaxTokenLength) {
    char c;
    if (!stream.GetChar(c)) break;
    if (c == '\n') {
      endedAtLineFeed = true;
      break;
    }
    if (c == '\r' && stream.PeekChar() != '\n') break;
    // A NUL ends the token as well: the token is a C string.
    if (c == '\0') break;
    if (delimiters != nullptr && std::strchr(delimiters, c) != nullptr) break;
    token[count++] = c;
  }
  if (endedAtLineFeed && count > 0 && token[count - 1] == '\r') --count;
  token[count] = '\0';
  if (strip) {
    StripLeadingWhiteSpace(token);
    StripTrailingWhiteSpace(token);
  }
  return token[0] != '\0';
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
      for (; at < length; ++at) {
        if (next[at] == '"') {
          closed = true;
          break;
        }
        value.Put(next[at]);
      }
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
