// The PPD file on disk: a file object opened for reading by the PPD streams and
// by the PC-file-name check.
#pragma once

#include <filesystem>

#include "foundation/FileMac.h"

class PPDFile : public FileMac {
 public:
  explicit PPDFile(std::filesystem::path path) : FileMac(std::move(path)) {}

  int16_t Open() { return openDataFork(kFileReadPermission); }
  // count: in, the bytes wanted; out, the bytes read. kFileEOFErr when the
  // file ended first.
  int16_t Read(char* buffer, unsigned long* count) { return dataForkRead(buffer, count); }
  int16_t ReadAt(char* buffer, unsigned long* count, long long offset) {
    return dataForkReadWithOffset(buffer, count, offset);
  }
  bool IsOpen() const { return dataForkOpen(); }
  int16_t Close() { return closeDataFork(); }
};
