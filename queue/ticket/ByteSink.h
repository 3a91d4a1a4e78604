// Where the filtered job goes: a file descriptor (the filter's standard
// output) through a buffer, or a string in tests and in-process callers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False once the bytes could not be delivered; later writes keep failing.
  virtual bool Write(std::string_view bytes) = 0;
  virtual bool Flush() { return true; }
};

class StringSink : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    data.append(bytes);
    return true;
  }
  std::string data;
};

class FdSink : public ByteSink {
 public:
  explicit FdSink(int fd, size_t bufferBytes = 128 * 1024);
  ~FdSink() override;
  FdSink(const FdSink&) = delete;
  FdSink& operator=(const FdSink&) = delete;

  bool Write(std::string_view bytes) override;
  bool Flush() override;

 private:
  bool WriteAll(const char* data, size_t size);

  int fd_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  bool failed_ = false;
};
