// Boyer-Moore byte-pattern search (bad-character rule) over caller-owned data.
// The virtual operations keep their classic order.
#pragma once

#include <cstdint>

class BoyerMoore {
 public:
  static constexpr short kMaxPatternLength = 255;

  BoyerMoore();
  // A null data pointer forces a data length of 0.
  BoyerMoore(const char* pattern, short patternLength, const void* data, long dataLength);
  virtual ~BoyerMoore();

  // Copies the pattern and rebuilds the skip table. A null pattern, or one
  // outside 0..255 bytes, is refused: the pattern becomes empty (every search
  // then yields -1) and false is returned.
  virtual bool SetSearchString(const char* pattern, short length);
  // Counted pattern: one length byte, then the bytes.
  virtual bool SetSearchString(const unsigned char* counted);
  // Writes the pattern bytes and a NUL (at most 256 bytes).
  virtual void GetSearchString(char* out);
  // Sets the data and resets the start offset to 0.
  virtual void SetSearchData(const void* data, long length);
  // Window index of the first match from the start offset, or -1.
  virtual long Search();
  // These take a new pattern when one is given, then search from offset.
  virtual long Search(long offset, const char* pattern, short length);
  virtual long Search(long offset, const unsigned char* counted);
  virtual void SetCaseSensitve(bool caseSensitive);
  virtual bool GetCaseSensitive();
  virtual short GetSearchStringLength();
  virtual void PrepareSearchData();
  virtual void CleanupSearchData();
  virtual void BuildSkipTable();

 private:
  unsigned char skip_[256] = {};
  unsigned char pattern_[256] = {};
  short patternLength_ = 0;
  const unsigned char* data_ = nullptr;
  long dataLength_ = 0;
  long start_ = 0;
  const unsigned char* window_ = nullptr;
  long windowLength_ = 0;
  bool caseInsensitive_ = false;
};
