// The panel's main-loop timers without a toolkit: one-shot timers with an
// interval, installed and removed on the dialog's thread. The loop can be
// stepped directly (tests, headless runs) or driven by a toolkit's main loop,
// which asks for the next deadline, sleeps until then and lets the due timers
// fire.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>

// Where the loop's time comes from. Real time by default; tests install one
// that advances when asked to sleep, so timers of any length fire at once.
class RunLoopClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~RunLoopClock() = default;
  virtual TimePoint Now();
  // Returns at `when` or later (at once when that has passed).
  virtual void SleepUntil(TimePoint when);
};

// A clock for tests: time moves only when the loop sleeps or Advance is called.
class ManualRunLoopClock : public RunLoopClock {
 public:
  TimePoint Now() override { return now_; }
  void SleepUntil(TimePoint when) override {
    if (when > now_) now_ = when;
  }
  void Advance(std::chrono::steady_clock::duration by) { now_ += by; }

 private:
  TimePoint now_{};
};

class RunLoop;

// A timer as a plain callback sees it: its loop and its number there. Valid
// for the duration of the callback.
class MainLoopTimer {
 public:
  RunLoop* loop = nullptr;
  uint64_t id = 0;
};
using MainLoopTimerProc = void (*)(MainLoopTimer* timer, void* userData);

// Not thread-safe: every call comes from the loop's own thread. Callbacks may
// install and remove timers, including their own again.
class RunLoop {
 public:
  using Clock = RunLoopClock;
  using TimePoint = RunLoopClock::TimePoint;
  using Duration = std::chrono::steady_clock::duration;
  using TimerId = uint64_t;  // 0 is never a timer
  using Callback = std::function<void(TimerId)>;

  // `clock` must outlive the loop; null uses real time.
  explicit RunLoop(Clock* clock = nullptr);
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // The loop of the dialog's thread: the one installed with SetMain, else a
  // loop in real time.
  static RunLoop& Main();
  // Installs the main loop (null: the real-time one again); answers the
  // previous one, null for the real-time one.
  static RunLoop* SetMain(RunLoop* loop);

  // A one-shot timer that fires once, `interval` from now (a negative
  // interval counts as 0), and is gone before its callback runs. Timers due at
  // the same moment fire in the order they were installed. 0 for an empty
  // callback.
  TimerId Install(Duration interval, Callback callback);
  template <class Rep, class Period>
  TimerId Install(std::chrono::duration<Rep, Period> interval, Callback callback) {
    return Install(std::chrono::duration_cast<Duration>(interval), std::move(callback));
  }
  // The same for a plain callback with its user data.
  template <class Rep, class Period>
  TimerId Install(std::chrono::duration<Rep, Period> interval, MainLoopTimerProc proc,
                  void* userData) {
    if (proc == nullptr) return 0;
    return Install(interval, [this, proc, userData](TimerId id) {
      MainLoopTimer timer{this, id};
      proc(&timer, userData);
    });
  }
  // False when the timer has fired already or never existed.
  bool Remove(TimerId id);
  bool IsInstalled(TimerId id) const;
  size_t PendingTimers() const { return timers_.size(); }

  // For a driving main loop: the earliest deadline (none without timers), and
  // firing of the timers due now. Timers that callbacks install while the due
  // ones fire wait for the next call, so a timer that re-arms itself with no
  // interval cannot starve the driving loop. Returns how many fired.
  std::optional<TimePoint> NextDeadline() const;
  size_t FireDueTimers();
  // Called whenever the earliest deadline moves earlier, so that a driving
  // loop sleeping on the old one can wake up. An empty function removes it.
  void SetWakeupHandler(std::function<void()> handler) { wakeup_ = std::move(handler); }

  // Stepping: sleeps until the next timer is due, but no longer than
  // `timeout`, then fires what is due. True when a timer fired.
  bool RunOnce(Duration timeout);
  // Runs timers until `done` answers true or `timeout` has passed; answers
  // `done()` at the end. The condition is checked after every timer and at
  // least every 10 ms, so it may also change without a timer.
  bool RunUntil(const std::function<bool()>& done, Duration timeout);

  Clock& GetClock() { return *clock_; }

 private:
  // Deadline, then installation order.
  using Key = std::pair<TimePoint, TimerId>;
  struct Timer {
    TimePoint deadline;
    Callback callback;
  };

  Clock* clock_;
  TimerId nextId_ = 1;
  std::set<Key> queue_;
  std::map<TimerId, Timer> timers_;
  std::function<void()> wakeup_;
};

// Installs a main loop for a scope and puts the previous one back.
class ScopedMainRunLoop {
 public:
  explicit ScopedMainRunLoop(RunLoop& loop) : saved_(RunLoop::SetMain(&loop)) {}
  ~ScopedMainRunLoop() { RunLoop::SetMain(saved_); }
  ScopedMainRunLoop(const ScopedMainRunLoop&) = delete;
  ScopedMainRunLoop& operator=(const ScopedMainRunLoop&) = delete;

 private:
  RunLoop* saved_;
};
