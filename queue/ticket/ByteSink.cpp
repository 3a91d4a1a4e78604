#include "queue/ticket/ByteSink.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

FdSink::FdSink(int fd, size_t bufferBytes) : fd_(fd), buffer_(bufferBytes) {}

FdSink::~FdSink() {
  Flush();
}

bool FdSink::WriteAll(const char* data, size_t size) {
  while (size > 0 && !failed_) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return !failed_;
}

bool FdSink::Write(std::string_view bytes) {
  if (failed_) return false;
  // Large pieces go straight out instead of through the buffer.
  if (bytes.size() >= buffer_.size() / 2) return Flush() && WriteAll(bytes.data(), bytes.size());
  if (used_ + bytes.size() <= buffer_.size()) {
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return true;
  }
  if (!Flush()) return false;
  std::memcpy(buffer_.data(), bytes.data(), bytes.size());
  used_ = bytes.size();
  return true;
}

bool FdSink::Flush() {
  size_t n = used_;
  used_ = 0;
  return WriteAll(buffer_.data(), n);
}
