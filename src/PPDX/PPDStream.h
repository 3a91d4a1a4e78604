// A read cursor over a byte range that it does not own: the lexical layer of
// the PPD reader (bytes, lines, white space).
#pragma once

#include <cstddef>
#include <cstdint>

// Process-wide end-of-PPD latch: set when a line beginning with the end
// marker is read; from then on no stream yields another line until it is
// cleared (the panel clears it when it is created).
extern bool gVectorWorksFix;
void ClearEndOfPPDLatch();

// Capacity that every line buffer handed to GetLine must have.
constexpr size_t kPPDLineBufferSize = 256;
// Bytes a line holds at most; the rest of a longer line comes as the next line.
constexpr size_t kPPDMaxLineLength = 255;

class PPDStream {
 public:
  enum StreamStatus : int16_t { kGood = 0, kBad = 1, kEndOfData = 2 };

  PPDStream() = default;
  // Bad from the start over a null pointer or a length below 1.
  PPDStream(const char* data, long length) { SetData(data, length); }
  virtual ~PPDStream() = default;
  PPDStream(const PPDStream&) = delete;
  PPDStream& operator=(const PPDStream&) = delete;

  // At the end: status 2, c = 0xFF, false. Otherwise the next byte, status 0.
  // Inline: the tokenizer calls these once per byte.
  bool GetChar(char& c) {
    if (pos_ == nullptr || pos_ >= end_) {
      if (pos_ != nullptr) status_ = kEndOfData;  // a stream without data stays bad
      c = static_cast<char>(0xFF);
      return false;
    }
    c = *pos_++;
    status_ = kGood;
    return true;
  }
  // The next byte (0..255) without consuming it, or -1 at the end.
  int PeekChar() const {
    if (pos_ == nullptr || pos_ >= end_) return -1;
    return static_cast<unsigned char>(*pos_);
  }
  void SkipWhiteSpace() {  // spaces and tabs
    while (pos_ != nullptr && pos_ < end_ && (*pos_ == ' ' || *pos_ == '\t')) ++pos_;
  }

  // For scanners that look at many bytes at once: the bytes not read yet
  // (null with a count of 0 when the stream has no data), and Consume(n),
  // which leaves the stream as n successful GetChar calls would.
  const char* Unread(size_t& count) const {
    count = pos_ != nullptr && pos_ < end_ ? static_cast<size_t>(end_ - pos_) : 0;
    return pos_;
  }
  void Consume(size_t n) {
    if (n == 0) return;
    pos_ += n;
    status_ = kGood;
  }

  // Reads one line (without its CR or LF) into a buffer of at least 256 bytes
  // and terminates it. True only when the line ended with CR or LF; a line
  // ended by a 0xFF byte or cut at 255 bytes gives false with its bytes in the
  // buffer, and so does the end of the data (status 2) or the latch.
  virtual bool GetLine(char* buffer);

  // How the last GetLine ended: true when it stopped at 255 bytes, so the next
  // line is the rest of the same line in the file.
  bool LastLineCut() const { return lastLineCut_; }
  // Bytes the last GetLine stored (NUL bytes inside the line included).
  size_t LastLineLength() const { return lastLineLength_; }
  // The line of the data (from 1) on which the last GetLine that found bytes
  // or a line end began: a line cut at 255 bytes or by a 0xFF byte goes on
  // under the same number, and CR LF ends one line. 0 before any line.
  long LineNumber() const { return lineNumber_; }

  bool EndOfFile() const { return status_ == kEndOfData; }
  bool Good() const { return status_ == kGood; }
  bool Bad() const { return status_ == kBad; }
  int16_t Status() const { return status_; }

 protected:
  enum class LineEnd { kNewline, kFF, kCut, kEndOfData };

  void SetData(const char* data, long length);
  void SetStatus(StreamStatus status) { status_ = status; }
  // Appends the bytes of one line to buffer[used..]; used is updated.
  LineEnd ReadLineBytes(char* buffer, size_t& used);
  // The end-marker test, termination and result of a line read into buffer.
  bool FinishLine(char* buffer, size_t used, LineEnd end);
  // True (with an empty line stored) while the end-of-PPD latch is set.
  bool Latched(char* buffer);
  // Called as a GetLine starts: the line it reads begins here.
  void BeginLine() { lineStart_ = lineEnds_ + 1; }

 private:
  const char* start_ = nullptr;
  const char* end_ = nullptr;
  const char* pos_ = nullptr;
  int16_t status_ = kBad;
  bool lastLineCut_ = false;
  size_t lastLineLength_ = 0;
  long lineEnds_ = 0;   // line ends read so far, CR LF once
  long lineStart_ = 0;  // the line the current GetLine began on
  long lineNumber_ = 0;
  bool afterCR_ = false;  // the last byte read ended a line with CR
};
