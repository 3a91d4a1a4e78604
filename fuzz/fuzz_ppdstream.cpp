// links: tavro_ppdx tavro_textconverter
// The line, token, quoted-value and PostScript-value readers over arbitrary
// bytes. Byte 0 picks the value buffer size; the first line of the rest is
// the keyword line, the remainder the stream that values continue on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "PPDX/PPDStream.h"
#include "PPDX/PPDTokenLimits.h"
#include "PPDX/PPDX.h"
#include "platform/Log.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Every line of the stream; each must be terminated within its 256 bytes.
void ReadLines(PPDStream& stream, size_t limit) {
  char line[kPPDLineBufferSize + 1];
  line[kPPDLineBufferSize] = '\x5A';
  for (size_t i = 0; i <= limit + 1; ++i) {
    bool whole = stream.GetLine(line);
    Check(stream.LastLineLength() <= kPPDMaxLineLength);
    Check(line[stream.LastLineLength()] == '\0');
    Check(line[kPPDLineBufferSize] == '\x5A');
    if (!whole && stream.LastLineLength() == 0 && !stream.Good()) return;
  }
  Check(false);  // a stream that yields more lines than bytes would hang a parser
}

class BytesDocument : public PPDX {
 public:
  using PPDX::PPDX;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = [] {
    SetLogPause(false);
    return true;
  }();
  (void)once;
  if (size == 0) return 0;
  ClearEndOfPPDLatch();
  const unsigned long valueSize = 1 + data[0] % 64 * 8;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  {
    PPDStream stream(bytes, static_cast<long>(length));
    ReadLines(stream, length);
  }

  ClearEndOfPPDLatch();
  const void* eol = std::memchr(bytes, '\n', length);
  const size_t first = eol ? static_cast<size_t>(static_cast<const char*>(eol) - bytes) : length;
  const std::string keywordLine(bytes, first);
  const std::string rest = eol ? std::string(bytes + first + 1, length - first - 1) : std::string();

  BytesDocument doc;
  const char* sets[] = {kMainKeywordDelimiters, kOptionKeywordDelimiters, kFlagKeywordDelimiters,
                        kRangeStringDelimiters, kEndofLineDelimiters, nullptr};
  for (int mode = 0; mode < 3; ++mode) {
    PPDStream continuation(rest.data(), static_cast<long>(rest.size()));
    doc.SetCurrentStream(&continuation);
    PPDStream line(keywordLine.data(), static_cast<long>(keywordLine.size()));
    char token[kMaxTokenLength + 1];
    for (const char* set : sets) {
      doc.NextToken(line, token, set, (data[0] & 1) != 0);
      Check(std::strlen(token) <= kMaxTokenLength);
    }
    std::vector<char> value(valueSize + 1, '\x5A');
    unsigned long count = 0;
    if (mode == 0) count = doc.GetQuotedString(line, value.data(), valueSize);
    if (mode == 1) count = doc.GetPostscriptString(line, value.data(), valueSize);
    if (mode == 2) {
      // The identity keywords, as the document's own loop reads them.
      if (doc.NextToken(line, token, kMainKeywordDelimiters, true)) {
        delete doc.ParsePSKeywords(line, token);
      }
      ReadLines(continuation, rest.size());
    }
    Check(count <= valueSize);
    Check(value[valueSize] == '\x5A');
    doc.SetCurrentStream(nullptr);
  }
  char after[kMaxTokenLength + 1];
  PPDX::ParseMainKeyword(keywordLine.c_str(), after);
  ClearEndOfPPDLatch();
  return 0;
}
