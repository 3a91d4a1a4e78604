#include "serverlink/WaitClock.h"

#include <chrono>
#include <thread>

namespace {

WaitClock gRealClock;
WaitClock* gClock = &gRealClock;

}  // namespace

void WaitClock::SleepMs(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

double WaitClock::NowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

WaitClock& CurrentWaitClock() {
  return *gClock;
}

ScopedWaitClock::ScopedWaitClock(WaitClock& clock) : saved_(gClock) {
  gClock = &clock;
}

ScopedWaitClock::~ScopedWaitClock() {
  gClock = saved_;
}
