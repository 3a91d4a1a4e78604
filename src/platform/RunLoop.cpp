#include "platform/RunLoop.h"

#include <thread>
#include <vector>

RunLoopClock::TimePoint RunLoopClock::Now() {
  return std::chrono::steady_clock::now();
}

void RunLoopClock::SleepUntil(TimePoint when) {
  std::this_thread::sleep_until(when);
}

namespace {

RunLoopClock& RealClock() {
  static RunLoopClock clock;
  return clock;
}

}  // namespace

RunLoop::RunLoop(Clock* clock) : clock_(clock != nullptr ? clock : &RealClock()) {}

namespace {

RunLoop* gMain = nullptr;

}  // namespace

RunLoop& RunLoop::Main() {
  static RunLoop realTime;
  return gMain != nullptr ? *gMain : realTime;
}

RunLoop* RunLoop::SetMain(RunLoop* loop) {
  RunLoop* previous = gMain;
  gMain = loop;
  return previous;
}

RunLoop::TimerId RunLoop::Install(Duration interval, Callback callback) {
  if (!callback) return 0;
  if (interval < Duration::zero()) interval = Duration::zero();
  std::optional<TimePoint> before = NextDeadline();
  TimerId id = nextId_++;
  TimePoint deadline = clock_->Now() + interval;
  timers_.emplace(id, Timer{deadline, std::move(callback)});
  queue_.emplace(deadline, id);
  if (wakeup_ && (!before || deadline < *before)) wakeup_();
  return id;
}

bool RunLoop::Remove(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  queue_.erase(Key{it->second.deadline, id});
  timers_.erase(it);
  return true;
}

bool RunLoop::IsInstalled(TimerId id) const {
  return timers_.count(id) != 0;
}

std::optional<RunLoop::TimePoint> RunLoop::NextDeadline() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.begin()->first;
}

size_t RunLoop::FireDueTimers() {
  TimePoint now = clock_->Now();
  std::vector<TimerId> due;
  for (const Key& key : queue_) {
    if (key.first > now) break;
    due.push_back(key.second);
  }
  size_t fired = 0;
  for (TimerId id : due) {
    // An earlier callback may have removed this one.
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    Callback callback = std::move(it->second.callback);
    Remove(id);
    callback(id);
    ++fired;
  }
  return fired;
}

bool RunLoop::RunOnce(Duration timeout) {
  TimePoint end = clock_->Now() + (timeout < Duration::zero() ? Duration::zero() : timeout);
  std::optional<TimePoint> next = NextDeadline();
  TimePoint wake = next && *next < end ? *next : end;
  clock_->SleepUntil(wake);
  return FireDueTimers() > 0;
}

bool RunLoop::RunUntil(const std::function<bool()>& done, Duration timeout) {
  TimePoint end = clock_->Now() + (timeout < Duration::zero() ? Duration::zero() : timeout);
  while (!done()) {
    TimePoint now = clock_->Now();
    if (now >= end) break;
    // The condition is looked at again at least this often, for conditions
    // that change without a timer.
    constexpr Duration kSlice = std::chrono::milliseconds(10);
    RunOnce(end - now < kSlice ? end - now : kSlice);
  }
  return done();
}
