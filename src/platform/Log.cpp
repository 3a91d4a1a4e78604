#include "platform/Log.h"

#include <syslog.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

bool gPause = true;
std::vector<std::string>* gCapture = nullptr;

void WriteLine(const std::string& line) {
  syslog(LOG_NOTICE, "%s", line.c_str());
  if (gCapture != nullptr) gCapture->push_back(line);
  if (gPause) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace

void myNSLogC(const char* text) {
  if (text == nullptr) {
    WriteLine("myNSLog msg nil");
  } else if (*text == '\0') {
    WriteLine("myNSLog msg [empty]");
  } else {
    WriteLine(std::string("myNSLog msg '") + text + "'");
  }
}

void myNSLog(char* text) {
  myNSLogC(text);
}

void myNSLog8(const CFString& text) {
  if (text.IsNull()) {
    WriteLine("myNSLog8 nil");
  } else {
    WriteLine("myNSLog8 '" + text.UTF8() + "'");
  }
}

char* myitoa(int value) {
  static char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

void SetLogPause(bool on) {
  gPause = on;
}

LogCapture::LogCapture() {
  static std::vector<std::string> lines;
  lines.clear();
  gCapture = &lines;
}

LogCapture::~LogCapture() {
  gCapture = nullptr;
}

const std::vector<std::string>& LogCapture::Lines() const {
  return *gCapture;
}
