// A fresh temporary folder for one test, removed with everything in it when
// the object goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/SystemSettings.h"

class TempDir {
 public:
  explicit TempDir(const char* prefix = "tavro-test") {
    std::string pattern = NSTemporaryDirectory() + prefix + "-XXXXXX";
    if (char* made = mkdtemp(pattern.data())) path_ = made;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  bool Ok() const { return !path_.empty(); }

 private:
  std::string path_;
};
