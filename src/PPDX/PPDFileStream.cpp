#include "PPDX/PPDFileStream.h"

#include <new>

PPDFileStream::PPDFileStream(PPDFile* file, bool chunked) : file_(file), chunked_(chunked) {
  if (file_ == nullptr || !chunked_) return;  // bad: no data
  buffer_.reset(new (std::nothrow) char[kPPDChunkSize]);
  if (!buffer_) return;
  Setup();
}

PPDFileStream::~PPDFileStream() = default;

void PPDFileStream::Setup() {
  if (file_ == nullptr || !buffer_) {
    SetData(nullptr, 0);
    return;
  }
  if (!file_->IsOpen() && file_->Open() != kFileNoErr) {
    SetData(nullptr, 0);
    return;
  }
  unsigned long count = kPPDChunkSize;
  int16_t err = file_->Read(buffer_.get(), &count);
  if (err != kFileNoErr && err != kFileEOFErr) {
    SetData(nullptr, 0);
    return;
  }
  SetData(buffer_.get(), static_cast<long>(count));
  if (count > 0) {
    readAny_ = true;
  } else if (readAny_) {
    // The file ended exactly after the previous chunk: that is the end of the
    // data, not a failure.
    SetStatus(kEndOfData);
  }
}

bool PPDFileStream::FixLine(char* buffer, size_t used) {
  // A line longer than a small last chunk could span more than one boundary,
  // so keep reading chunks while the line is still open at the end of one.
  for (;;) {
    Setup();
    if (!Good()) return FinishLine(buffer, used, LineEnd::kEndOfData);
    LineEnd end = ReadLineBytes(buffer, used);
    if (end != LineEnd::kEndOfData) return FinishLine(buffer, used, end);
  }
}

bool PPDFileStream::GetLine(char* buffer) {
  if (!chunked_) return PPDStream::GetLine(buffer);
  if (buffer == nullptr) return false;
  if (Latched(buffer)) return false;
  BeginLine();
  if (!Good()) return FinishLine(buffer, 0, LineEnd::kEndOfData);
  size_t used = 0;
  LineEnd end = ReadLineBytes(buffer, used);
  if (end != LineEnd::kEndOfData) return FinishLine(buffer, used, end);
  return FixLine(buffer, used);
}
