// The panel's one-line log to the system log (syslog). Each call pauses 2 ms,
// as the original log calls did, so that bursts stay in order.
#pragma once

#include <string>
#include <vector>

#include "platform/CFString.h"

void myNSLog(char* text);
void myNSLogC(const char* text);
void myNSLog8(const CFString& text);
// "%d" into one static buffer; the next call overwrites it.
char* myitoa(int value);

// While a LogCapture lives, log lines are also kept in it (tests read them).
struct LogCapture {
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  const std::vector<std::string>& Lines() const;
};
// The 2 ms pause after each line; tools and tests may switch it off.
void SetLogPause(bool on);
