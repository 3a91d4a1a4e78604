// Time for the two-way layer's waits (for files, for command jobs, for a busy
// printer). Real time by default; tests install a clock that advances without
// sleeping, so that waits of many seconds run in microseconds.
#pragma once

class WaitClock {
 public:
  virtual ~WaitClock() = default;
  virtual void SleepMs(int milliseconds);
  // Monotonic seconds.
  virtual double NowSeconds();
};

WaitClock& CurrentWaitClock();

// Installs a clock for a scope and puts the previous one back.
class ScopedWaitClock {
 public:
  explicit ScopedWaitClock(WaitClock& clock);
  ~ScopedWaitClock();
  ScopedWaitClock(const ScopedWaitClock&) = delete;
  ScopedWaitClock& operator=(const ScopedWaitClock&) = delete;

 private:
  WaitClock* saved_;
};
