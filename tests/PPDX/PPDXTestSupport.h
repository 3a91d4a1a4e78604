// Helpers shared by the PPD reader tests: scratch files and a fixture that
// clears the process-wide end-of-PPD latch around each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "PPDX/PPDStream.h"

inline std::filesystem::path PPDXFixture(const std::string& name) {
  return std::filesystem::path(TAVRO_TEST_DATA) / "PPDX" / name;
}

// A file in a folder of its own, removed with the object.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& bytes, const std::string& name = "test.ppd") {
    dir_ = std::filesystem::temp_directory_path() /
           ("tavro-ppdx-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    path_ = dir_ / name;
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path dir_;
  std::filesystem::path path_;
};

class LatchClearedTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearEndOfPPDLatch(); }
  void TearDown() override { ClearEndOfPPDLatch(); }
};

// A stream over a string the test keeps alive.
class StringStream : public PPDStream {
 public:
  explicit StringStream(std::string text) : text_(std::move(text)) {
    SetData(text_.data(), static_cast<long>(text_.size()));
  }

 private:
  std::string text_;
};
