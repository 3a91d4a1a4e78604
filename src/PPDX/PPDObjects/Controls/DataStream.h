// The byte stream a settings store is saved to and read from, and an
// in-memory stream for callers that keep the bytes themselves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class DataStream {
 public:
  virtual ~DataStream() = default;
  // False when the stream cannot be used (not open, failed).
  virtual bool Ready() const = 0;
  // Writes all `length` bytes; false when they could not all be written.
  virtual bool Write(const void* bytes, size_t length) = 0;
  // Reads up to `length` bytes from the current position; returns the count read.
  virtual size_t Read(void* bytes, size_t length) = 0;
  // The whole size of the stream in bytes.
  virtual size_t Size() const = 0;
};

// Writes append to the buffer; reads start at the front and move on.
class MemoryDataStream : public DataStream {
 public:
  MemoryDataStream() = default;
  explicit MemoryDataStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool Ready() const override { return true; }
  bool Write(const void* bytes, size_t length) override {
    if (length == 0) return true;
    if (!bytes) return false;
    const auto* p = static_cast<const uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), p, p + length);
    return true;
  }
  size_t Read(void* bytes, size_t length) override {
    size_t n = std::min(length, bytes_.size() - position_);
    if (n == 0 || !bytes) return 0;
    std::memcpy(bytes, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  size_t Size() const override { return bytes_.size(); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};
