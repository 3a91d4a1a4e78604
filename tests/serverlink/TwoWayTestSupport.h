// A private root per test and a clock whose sleeps only move time on (and
// can make things happen at given moments).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/SystemSettings.h"
#include "serverlink/WaitClock.h"

class TestRoot {
 public:
  TestRoot() : path_(Make()), scoped_(path_.string()) {}
  ~TestRoot() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Cache() const { return path_ / "Library/Caches/QZV"; }

  static void Write(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  static std::filesystem::path Make() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavro-2way-XXXXXX").string();
    return mkdtemp(pattern.data());
  }
  std::filesystem::path path_;
  ScopedTavroRoot scoped_;
};

class FakeClock : public WaitClock {
 public:
  void SleepMs(int milliseconds) override {
    now_ += milliseconds / 1000.0;
    ++sleeps_;
    if (onSleep) onSleep(now_);
  }
  double NowSeconds() override { return now_; }
  double Now() const { return now_; }
  int Sleeps() const { return sleeps_; }

  // Called after each sleep with the new time.
  std::function<void(double)> onSleep;

 private:
  double now_ = 1000.0;
  int sleeps_ = 0;
};
