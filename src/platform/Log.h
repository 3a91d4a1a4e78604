// The panel's one-line log to the system log (syslog). Each call pauses 2 ms,
// as the original log calls did, so that bursts stay in order.
#pragma once

#include "platform/CFString.h"

void myNSLog(char* text);
void myNSLogC(const char* text);
void myNSLog8(const CFString& text);
// "%d" into one static buffer; the next call overwrites it.
char* myitoa(int value);

// Tests can capture what would be logged, and switch the pause off.
struct LogCapture {
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  const std::vector<std::string>& Lines() const;
};
// Lines written since the last capture started (only while a capture lives).
void SetLogPause(bool on);
