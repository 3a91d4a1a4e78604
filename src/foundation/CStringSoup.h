// An interned string table: each distinct text is held once, in a buffer the
// table owns, and is identified by its index. Entries are only cleared together.
#pragma once

#include <memory>
#include <vector>

class CStringSoup {
 public:
  CStringSoup();
  CStringSoup(const CStringSoup&) = delete;
  CStringSoup& operator=(const CStringSoup&) = delete;
  virtual ~CStringSoup();

  // Index of an equal text already held, else of a new copy in a buffer of
  // max(64, length + 1) bytes; -1 for null or when no buffer can be had.
  virtual long Insert(const char* text);
  // Index of the first entry equal to text (exact bytes), or -1.
  virtual long Find(const char* text) const;
  // Appends a copy of a text the caller knows is not held (sized as Insert
  // does) without searching; -1 for null or when no buffer can be had.
  long Append(const char* text);
  // The entry at an index; null outside 0..size()-1.
  virtual char* Find(long index) const;
  char* Find(int index) const {
    return Find(static_cast<long>(index));
  }  // Find(0) stays unambiguous
  virtual void Clear();
  virtual long size() const;

  // Bytes allocated for the entry at an index (0 outside the range).
  size_t BufferSize(long index) const;
  // Grows by one with every Clear, so that an index kept beside the table
  // can tell that its entries are no longer the ones it saw.
  unsigned long Generation() const { return generation_; }

 private:
  struct Entry {
    std::unique_ptr<char[]> text;
    size_t bufferSize;
  };
  std::vector<Entry> entries_;
  unsigned long generation_ = 0;
};
