// An owning, NUL-terminated byte string. It has two empty states: no buffer
// at all (unset) and a buffer holding the empty text. Operations that cannot
// allocate leave the string as it was; nothing here throws.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/EncodingSwitches.h"
#include "platform/CFString.h"

class CString {
 public:
  CString() = default;
  CString(const char* text);  // NOLINT: callers rely on the implicit conversion
  CString(const CString& other);
  CString(CString&& other) noexcept;
  // Converts in the system (application) text encoding; unset on failure.
  explicit CString(const CFString& text);
  virtual ~CString();

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(const char* text);
  // A null platform string gives the empty text. The encoding is UTF-8 from
  // gQZUTF8Version 5 on, unless Japanese pop-up notes or a document-server
  // queue ask for the application encoding; the empty text on failure.
  CString& operator=(const CFString& text);

  // Replaces the buffer with a copy of text (none for null). Copying the
  // string's own buffer, or a part of it, is safe.
  void SetBuffer(const char* text);

  // Appends in place and returns this string (it makes no new string).
  CString& operator+(const char* text);

  // Replaces the first occurrence of from only; an empty to removes it.
  void Replace(const CString& from, const CString& to);
  // Deletes up to n bytes at a position inside the buffer; a position outside
  // it does nothing, and n is cut at the end of the text.
  void Remove(const char* at, unsigned long n);
  // Inserts text before a position inside the buffer (the end included).
  void Insert(const char* at, const char* text);

  // True when other is unset: callers rely on an unset string matching anything.
  bool operator==(const CString& other) const;
  // Byte comparison; a null pointer and an unset string count as the empty text.
  bool operator==(const char* text) const;
  // Compares with the UTF-8 form of the platform string; false for a null one.
  bool operator==(const CFString& text) const;

  // Case-insensitive substring test (tolower on both sides).
  bool Contains(const char* text) const;
  bool Empty() const { return !text_ || text_[0] == '\0'; }
  uint64_t Size() const { return length_; }
  operator const char*() const { return text_.get(); }  // NOLINT: the classic interface
  // The buffer itself, for callers that compute positions for Remove/Insert.
  char* Buffer() { return text_.get(); }
  const char* Buffer() const { return text_.get(); }

  void ClearBuffer();  // releases the buffer
  void Initialize();   // forgets the buffer (the same here: the buffer is owned)

 private:
  void Adopt(std::unique_ptr<char[]> buffer, uint64_t length);
  void AssignConverted(const CFString& text, TextEncoding encoding);

  std::unique_ptr<char[]> text_;
  uint64_t length_ = 0;
};
