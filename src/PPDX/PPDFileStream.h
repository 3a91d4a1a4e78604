// The PPD stream over a file: the file is read in chunks of 1,000,000 bytes
// into one buffer, and the stream is set up anew over each chunk. A line that
// a chunk boundary cuts comes out whole.
#pragma once

#include <memory>

#include "PPDX/PPDFile.h"
#include "PPDX/PPDStream.h"

constexpr unsigned long kPPDChunkSize = 1000000;

class PPDFileStream : public PPDStream {
 public:
  // Chunked: takes the buffer and reads the first chunk. Unchunked: takes no
  // buffer and stays without data. A null file makes the stream bad.
  PPDFileStream(PPDFile* file, bool chunked);
  ~PPDFileStream() override;

  // Reads the next chunk (opening the file first when needed) and sets the
  // stream over the bytes read: bad on a failed open or read; at the end of
  // the file (no more bytes after a chunk) the stream reports end of data.
  void Setup();

  bool GetLine(char* buffer) override;

  bool Chunked() const { return chunked_; }
  bool TemporaryMemory() const { return tempMemory_; }

 private:
  // Reads the start of the next chunk onto the partial line of `used` bytes.
  bool FixLine(char* buffer, size_t used);

  PPDFile* file_;
  std::unique_ptr<char[]> buffer_;
  bool tempMemory_ = false;  // there is no separate temporary heap here
  bool chunked_;
  bool readAny_ = false;  // a chunk with bytes has been read
};
