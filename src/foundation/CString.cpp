#include "foundation/CString.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/TextEncoding.h"

namespace {

std::unique_ptr<char[]> Allocate(size_t bytes) {
  return std::unique_ptr<char[]>(new (std::nothrow) char[bytes]);
}

// Offset of at within [begin, begin + limit], or -1; compared as addresses
// because at may point into another object altogether.
long OffsetIn(const char* begin, uint64_t limit, const char* at) {
  auto b = reinterpret_cast<uintptr_t>(begin);
  auto a = reinterpret_cast<uintptr_t>(at);
  if (a < b || a - b > limit) return -1;
  return static_cast<long>(a - b);
}

}  // namespace

CString::CString(const char* text) {
  SetBuffer(text);
}

CString::CString(const CString& other) {
  SetBuffer(other.text_.get());
}

CString::CString(CString&& other) noexcept : text_(std::move(other.text_)), length_(other.length_) {
  other.length_ = 0;
}

CString::CString(const CFString& text) {
  if (text.IsNull()) return;
  // Up to 6 bytes per UTF-16 unit covers every encoding in use.
  size_t size = text.Length() * 6 + 1;
  std::unique_ptr<char[]> scratch = Allocate(size);
  if (!scratch) return;
  if (!text.GetCString(scratch.get(), size, GetApplicationTextEncoding())) return;
  SetBuffer(scratch.get());
}

CString::~CString() = default;

CString& CString::operator=(const CString& other) {
  SetBuffer(other.text_.get());
  return *this;
}

CString& CString::operator=(CString&& other) noexcept {
  if (this != &other) {
    text_ = std::move(other.text_);
    length_ = other.length_;
    other.length_ = 0;
  }
  return *this;
}

CString& CString::operator=(const char* text) {
  SetBuffer(text);
  return *this;
}

CString& CString::operator=(const CFString& text) {
  if (text.IsNull()) {
    SetBuffer("");
    return *this;
  }
  TextEncoding encoding = GetApplicationTextEncoding();
  if (gQZUTF8Version >= 5 && !gPopupJobNotesLangIsJapanese && !gIsDocServerKey)
    encoding = kTextEncodingUTF8;
  AssignConverted(text, encoding);
  return *this;
}

void CString::AssignConverted(const CFString& text, TextEncoding encoding) {
  size_t size = text.Length() * 6 + 1;
  std::unique_ptr<char[]> scratch = Allocate(size);
  if (scratch && text.GetCString(scratch.get(), size, encoding)) {
    SetBuffer(scratch.get());
  } else {
    SetBuffer("");
  }
}

void CString::SetBuffer(const char* text) {
  if (text == text_.get()) return;
  // Copy before releasing: text may point into the current buffer.
  std::unique_ptr<char[]> copy;
  uint64_t length = 0;
  if (text) {
    length = std::strlen(text);
    copy = Allocate(length + 1);
    if (copy) std::memcpy(copy.get(), text, length + 1);
  }
  if (copy) {
    Adopt(std::move(copy), length);
  } else {
    ClearBuffer();
  }
}

void CString::Adopt(std::unique_ptr<char[]> buffer, uint64_t length) {
  text_ = std::move(buffer);
  length_ = text_ ? length : 0;
}

CString& CString::operator+(const char* text) {
  size_t added = text ? std::strlen(text) : 0;
  uint64_t total = length_ + added;
  if (total == 0 || added == 0) return *this;
  std::unique_ptr<char[]> joined = Allocate(total + 1);
  if (!joined) return *this;
  if (length_) std::memcpy(joined.get(), text_.get(), length_);
  std::memcpy(joined.get() + length_, text, added);
  joined[total] = '\0';
  Adopt(std::move(joined), total);
  return *this;
}

void CString::Replace(const CString& from, const CString& to) {
  if (!text_ || from.Empty()) return;
  const char* hit = std::strstr(text_.get(), from.text_.get());
  if (!hit) return;
  size_t at = hit - text_.get();
  size_t cut = from.length_;
  size_t put = to.text_ ? to.length_ : 0;
  uint64_t total = length_ - cut + put;
  std::unique_ptr<char[]> result = Allocate(total + 1);
  if (!result) return;
  std::memcpy(result.get(), text_.get(), at);
  if (put) std::memcpy(result.get() + at, to.text_.get(), put);
  std::memcpy(result.get() + at + put, text_.get() + at + cut, length_ - at - cut + 1);
  Adopt(std::move(result), total);
}

void CString::Remove(const char* at, unsigned long n) {
  if (!text_ || !at || n == 0) return;
  long found = OffsetIn(text_.get(), length_, at);
  if (found < 0 || static_cast<uint64_t>(found) == length_) return;
  size_t offset = found;
  size_t available = length_ - offset;
  if (n > available) n = available;
  // The move includes the terminating NUL.
  std::memmove(text_.get() + offset, text_.get() + offset + n, available - n + 1);
  length_ -= n;
}

void CString::Insert(const char* at, const char* text) {
  if (!text_ || !at || !text || text[0] == '\0') return;
  long found = OffsetIn(text_.get(), length_, at);
  if (found < 0) return;
  const char* begin = text_.get();
  size_t offset = found;
  size_t added = std::strlen(text);
  uint64_t total = length_ + added;
  std::unique_ptr<char[]> result = Allocate(total + 1);
  if (!result) return;
  std::memcpy(result.get(), begin, offset);
  std::memcpy(result.get() + offset, text, added);
  std::memcpy(result.get() + offset + added, begin + offset, length_ - offset + 1);
  Adopt(std::move(result), total);
}

bool CString::operator==(const CString& other) const {
  if (!other.text_) return true;
  return std::strcmp(text_ ? text_.get() : "", other.text_.get()) == 0;
}

bool CString::operator==(const char* text) const {
  return std::strcmp(text_ ? text_.get() : "", text ? text : "") == 0;
}

bool CString::operator==(const CFString& text) const {
  if (text.IsNull()) return false;
  size_t size = text.Length() * 4 + 1;
  std::unique_ptr<char[]> scratch = Allocate(size);
  if (!scratch) return false;
  if (!text.GetCString(scratch.get(), size, kTextEncodingUTF8)) return false;
  return std::strcmp(text_ ? text_.get() : "", scratch.get()) == 0;
}

bool CString::Contains(const char* text) const {
  if (!text_ || !text) return false;
  std::string_view hay(text_.get(), length_);
  std::string_view needle(text);
  if (needle.size() > hay.size()) return false;
  auto fold = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  for (size_t start = 0; start + needle.size() <= hay.size(); ++start) {
    size_t k = 0;
    while (k < needle.size() && fold(hay[start + k]) == fold(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

void CString::ClearBuffer() {
  text_.reset();
  length_ = 0;
}

void CString::Initialize() {
  ClearBuffer();
}
