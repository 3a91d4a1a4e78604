// The two-way data file and its section encoding: a payload is deflated,
// cut into pieces of at most 158 compressed bytes, each piece Base64-encoded
// on a line "<name><piece as %04x>: <base64>\n", and closed by an end line
// "<name><next piece>: \n". Readers take the pieces back in order and inflate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "serverlink/SectionCodec.h"

class CFileHdlr {
 public:
  static constexpr size_t kMaxPayload = kSectionMaxPayload;
  static constexpr size_t kPieceBytes = kSectionPieceBytes;

  // Opens the file for binary writing.
  explicit CFileHdlr(const char* path);
  // Keeps the path only (for reading).
  CFileHdlr(const char* path, const char* mode);
  ~CFileHdlr();
  CFileHdlr(const CFileHdlr&) = delete;
  CFileHdlr& operator=(const CFileHdlr&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Pending text, written by Commit.
  int AddString(const char* text);
  int AddInt(int value);
  int AddFloat(double value);
  // Writes the pending text to the file and clears it; its length, or -1 with
  // no file or no text.
  long Commit();
  // Clears the pending text; its length, or -1 when empty.
  long Discard();

  // Encodes a payload as the lines of section `name` and appends them to
  // `out`. Writes nothing (returns false) for more than 16 MiB, or a length
  // without data. Each ~1000-byte batch of lines is also echoed to stderr,
  // where the printing system's side reads it.
  static bool fileWriteData(const char* name, const void* data, size_t length, std::string& out);
  // Reads section `name` out of a text in memory. False when the section is
  // missing (no piece 0000 with decodable text) or memory runs out.
  static bool stringReadData(std::string_view text, const char* name, SectionPayload& out);
  // Same, from the file of this handler (constructed with a mode).
  bool fileReadData(const char* name, SectionPayload& out) const;

  // Tests and tools may silence the stderr echo of the writer.
  static void SetEchoToStderr(bool on);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  std::string pending_;
};

// Reads one line ending in LF, CR or CR LF (a last line without an end is
// accepted). False at the end of the stream with nothing read.
bool safeGetline(std::istream& in, std::string& line);
