#include "PPDX/PPDStream.h"

#include <cstdio>
#include <cstring>

#include "platform/Log.h"

bool gVectorWorksFix = false;

void ClearEndOfPPDLatch() {
  gVectorWorksFix = false;
}

namespace {

constexpr char kEndOfPPDMarker[] = "*% End of PPD file";
constexpr size_t kEndOfPPDMarkerLength = sizeof kEndOfPPDMarker - 1;  // 18

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

bool PPDStream::GetChar(char& c) {
  if (pos_ == nullptr || pos_ >= end_) {
    if (pos_ != nullptr) status_ = kEndOfData;  // a stream without data stays bad
    c = static_cast<char>(0xFF);
    return false;
  }
  c = *pos_++;
  status_ = kGood;
  return true;
}

int PPDStream::PeekChar() const {
  if (pos_ == nullptr || pos_ >= end_) return -1;
  return static_cast<unsigned char>(*pos_);
}

void PPDStream::SkipWhiteSpace() {
  while (pos_ != nullptr && pos_ < end_ && (*pos_ == ' ' || *pos_ == '\t')) ++pos_;
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
  while (used < kPPDMaxLineLength) {
    char c;
    if (!GetChar(c)) return LineEnd::kEndOfData;
    if (c == '\r' || c == '\n') return LineEnd::kNewline;
    if (static_cast<unsigned char>(c) == 0xFF) {
      char text[64];
      std::snprintf(text, sizeof text, "PPDStream::GetLine theChar == EOF, i %d \n",
                    static_cast<int>(used));
      myNSLogC(text);
      return LineEnd::kFF;
    }
    buffer[used++] = c;
  }
  return LineEnd::kCut;
}

bool PPDStream::FinishLine(char* buffer, size_t used, LineEnd end) {
  buffer[used] = '\0';
  lastLineCut_ = end == LineEnd::kCut;
  lastLineLength_ = used;
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
  size_t used = 0;
  LineEnd end = ReadLineBytes(buffer, used);
  return FinishLine(buffer, used, end);
}
