// The check that a PPD's PC file name is one of the names a bundle serves.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "PPDX/PPDX.h"
#include "foundation/BoyerMoore.h"
#include "platform/TextEncoding.h"

namespace {

constexpr char kPCFileNameKeyword[] = "*PCFileName";
constexpr long kKeywordLength = sizeof kPCFileNameKeyword - 1;  // 11
constexpr long kPieceSize = 4096;
// The value is looked for from 12 bytes after the keyword's start (keyword
// and colon), after spaces and tabs, in the next 32 bytes.
constexpr long kValueOffset = 12;
constexpr long kNameWindow = 32;
// Spaces and tabs skipped at most before the value (a longer run is no value).
constexpr long kMaxWhiteRun = 4096;

// The names as the bytes the file would hold; a name that cannot be written
// in either encoding, or is longer than a counted string, is left out.
std::vector<std::string> NameBytes(const PCFileNameList& names) {
  std::vector<std::string> out;
  for (const CFString& name : names) {
    std::optional<std::string> bytes = name.GetBytes(GetSystemScriptEncoding());
    if (!bytes) bytes = name.GetBytes(kTextEncodingUTF8);
    if (bytes && !bytes->empty() && bytes->size() <= 255) out.push_back(*bytes);
  }
  return out;
}

// Reads up to n bytes at offset; the bytes actually read.
long ReadAt(PPDFile& file, char* buffer, long n, long long offset) {
  unsigned long count = static_cast<unsigned long>(n);
  int16_t err = file.ReadAt(buffer, &count, offset);
  if (err != kFileNoErr && err != kFileEOFErr) return -1;
  return static_cast<long>(count);
}

// Whether one of the names lies in the 32 bytes that follow the spaces and
// tabs after the keyword found at `at`.
bool NameFollows(PPDFile& file, long long at, const std::vector<std::string>& names) {
  char window[kMaxWhiteRun + kNameWindow];
  long got = ReadAt(file, window, sizeof window, at + kValueOffset);
  if (got <= 0) return false;
  long start = 0;
  while (start < got && (window[start] == ' ' || window[start] == '\t')) ++start;
  if (start >= got || start >= kMaxWhiteRun) return false;
  long length = got - start < kNameWindow ? got - start : kNameWindow;
  BoyerMoore searcher;
  searcher.SetSearchData(window + start, length);
  for (const std::string& name : names) {
    searcher.SetSearchString(name.data(), static_cast<short>(name.size()));
    if (searcher.Search() >= 0) return true;
  }
  return false;
}

}  // namespace

bool PPDX::ValidateAgainstPCFilename(const PCFileNameList* names, PPDFile* file) {
  if (names == nullptr || file == nullptr) return false;
  const bool wasOpen = file->IsOpen();
  if (!wasOpen && file->Open() != kFileNoErr) return false;
  const std::vector<std::string> wanted = NameBytes(*names);
  bool found = false;
  if (!wanted.empty()) {
    std::vector<char> piece(kPieceSize);
    BoyerMoore searcher;
    // Successive pieces overlap by the keyword's length less one, so a
    // keyword across a boundary lies whole in the later piece.
    const long step = kPieceSize - (kKeywordLength - 1);
    for (long long offset = 0; !found; offset += step) {
      long got = ReadAt(*file, piece.data(), kPieceSize, offset);
      if (got < kKeywordLength) break;
      searcher.SetSearchData(piece.data(), got);
      searcher.SetSearchString(kPCFileNameKeyword, static_cast<short>(kKeywordLength));
      for (long from = 0; !found;) {
        long hit = searcher.Search(from, kPCFileNameKeyword, static_cast<short>(kKeywordLength));
        if (hit < 0) break;
        found = NameFollows(*file, offset + from + hit, wanted);
        from += hit + 1;
      }
      if (got < kPieceSize) break;
    }
  }
  if (!wasOpen) file->Close();
  return found;
}
