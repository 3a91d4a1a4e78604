#include "platform/RunLoop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class RunLoopTest : public ::testing::Test {
 protected:
  ManualRunLoopClock clock_;
  RunLoop loop_{&clock_};
  std::vector<std::string> fired_;

  RunLoop::Callback Note(std::string name) {
    return [this, name](RunLoop::TimerId) { fired_.push_back(name); };
  }
};

TEST_F(RunLoopTest, TimersFireOnceInDeadlineThenInstallationOrder) {
  loop_.Install(30ms, Note("c"));
  loop_.Install(10ms, Note("a"));
  loop_.Install(20ms, Note("b1"));
  loop_.Install(20ms, Note("b2"));
  loop_.Install(-5ms, Note("now"));  // a negative interval is due at once
  EXPECT_EQ(loop_.NextDeadline(), clock_.Now());

  EXPECT_TRUE(loop_.RunOnce(1s));
  EXPECT_THAT(fired_, ElementsAre("now"));
  EXPECT_TRUE(loop_.RunOnce(1s));
  EXPECT_THAT(fired_, ElementsAre("now", "a"));
  EXPECT_EQ(clock_.Now().time_since_epoch(), 10ms);
  EXPECT_TRUE(loop_.RunOnce(1s));  // both timers of 20 ms
  EXPECT_THAT(fired_, ElementsAre("now", "a", "b1", "b2"));
  EXPECT_TRUE(loop_.RunOnce(1s));
  EXPECT_EQ(loop_.PendingTimers(), 0u);
  EXPECT_FALSE(loop_.NextDeadline());
  // Nothing left: one step waits out its timeout and fires nothing.
  EXPECT_FALSE(loop_.RunOnce(1s));
  EXPECT_EQ(clock_.Now().time_since_epoch(), 1030ms);
  EXPECT_THAT(fired_, ElementsAre("now", "a", "b1", "b2", "c"));
}

TEST_F(RunLoopTest, AStepEndsAtItsTimeoutBeforeALaterTimer) {
  loop_.Install(50ms, Note("late"));
  EXPECT_FALSE(loop_.RunOnce(20ms));
  EXPECT_TRUE(fired_.empty());
  EXPECT_EQ(loop_.FireDueTimers(), 0u);
  clock_.Advance(30ms);
  EXPECT_EQ(loop_.FireDueTimers(), 1u);
  EXPECT_THAT(fired_, ElementsAre("late"));
}

TEST_F(RunLoopTest, RemovedTimersNeverFire) {
  RunLoop::TimerId a = loop_.Install(10ms, Note("a"));
  RunLoop::TimerId b = loop_.Install(10ms, Note("b"));
  // The first one removes the second, which is due at the same moment.
  RunLoop::TimerId killer = loop_.Install(5ms, [&](RunLoop::TimerId) { loop_.Remove(b); });
  EXPECT_TRUE(loop_.Remove(a));
  EXPECT_FALSE(loop_.Remove(a));
  EXPECT_FALSE(loop_.IsInstalled(a));
  EXPECT_FALSE(loop_.Remove(0));
  EXPECT_FALSE(loop_.Remove(12345));
  EXPECT_FALSE(loop_.RunUntil([] { return false; }, 100ms));
  EXPECT_TRUE(fired_.empty());
  EXPECT_FALSE(loop_.IsInstalled(killer));  // gone once fired
  EXPECT_EQ(loop_.Install(1ms, RunLoop::Callback()), 0u);
  EXPECT_EQ(loop_.PendingTimers(), 0u);
}

TEST_F(RunLoopTest, ATimerReArmsItselfUntilItsConditionHolds) {
  int status = -1;
  int polls = 0;
  std::vector<RunLoop::TimerId> ids;
  std::function<void(RunLoop::TimerId)> poll = [&](RunLoop::TimerId self) {
    ids.push_back(self);
    EXPECT_FALSE(loop_.IsInstalled(self));  // gone before its callback runs
    EXPECT_FALSE(loop_.Remove(self));
    if (++polls == 5) status = 0;
    if (status == -1) loop_.Install(10ms, poll);
  };
  loop_.Install(10ms, poll);
  EXPECT_TRUE(loop_.RunUntil([&] { return status != -1; }, 1s));
  EXPECT_EQ(polls, 5);
  EXPECT_EQ(clock_.Now().time_since_epoch(), 50ms);
  EXPECT_EQ(loop_.PendingTimers(), 0u);
  for (size_t i = 1; i < ids.size(); ++i) EXPECT_NE(ids[i], ids[i - 1]);
}

TEST_F(RunLoopTest, ATimerReArmedWithoutIntervalWaitsForTheNextRound) {
  int fires = 0;
  std::function<void(RunLoop::TimerId)> again = [&](RunLoop::TimerId) {
    ++fires;
    loop_.Install(0ms, again);
  };
  loop_.Install(0ms, again);
  EXPECT_EQ(loop_.FireDueTimers(), 1u);
  EXPECT_EQ(loop_.FireDueTimers(), 1u);
  EXPECT_EQ(fires, 2);
  EXPECT_EQ(loop_.PendingTimers(), 1u);
}

TEST_F(RunLoopTest, RunUntilGivesUpAtItsTimeout) {
  int fires = 0;
  std::function<void(RunLoop::TimerId)> tick = [&](RunLoop::TimerId) {
    ++fires;
    loop_.Install(100ms, tick);
  };
  loop_.Install(100ms, tick);
  EXPECT_FALSE(loop_.RunUntil([] { return false; }, 1s));
  EXPECT_EQ(fires, 10);
  EXPECT_EQ(clock_.Now().time_since_epoch(), 1s);
  EXPECT_TRUE(loop_.RunUntil([] { return true; }, 0s));
}

TEST_F(RunLoopTest, TheWakeupHandlerHearsOfEarlierDeadlinesOnly) {
  int wakeups = 0;
  loop_.SetWakeupHandler([&] { ++wakeups; });
  loop_.Install(50ms, Note("a"));
  EXPECT_EQ(wakeups, 1);
  loop_.Install(80ms, Note("b"));
  EXPECT_EQ(wakeups, 1);
  loop_.Install(20ms, Note("c"));
  EXPECT_EQ(wakeups, 2);
  EXPECT_EQ(loop_.NextDeadline(), clock_.Now() + 20ms);
}

TEST_F(RunLoopTest, APlainCallbackGetsItsTimerAndUserData) {
  struct Seen {
    RunLoop* loop = nullptr;
    uint64_t id = 0;
    int calls = 0;
  } seen;
  RunLoop::TimerId id = loop_.Install(
      10ms,
      [](MainLoopTimer* timer, void* data) {
        auto* s = static_cast<Seen*>(data);
        s->loop = timer->loop;
        s->id = timer->id;
        ++s->calls;
      },
      &seen);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(loop_.Install(10ms, MainLoopTimerProc(nullptr), &seen), 0u);
  EXPECT_TRUE(loop_.RunOnce(1s));
  EXPECT_EQ(seen.loop, &loop_);
  EXPECT_EQ(seen.id, id);
  EXPECT_EQ(seen.calls, 1);
}

TEST_F(RunLoopTest, AnInstalledMainLoopStandsInForTheRealOneWithinItsScope) {
  RunLoop& real = RunLoop::Main();
  {
    ScopedMainRunLoop scope(loop_);
    EXPECT_EQ(&RunLoop::Main(), &loop_);
  }
  EXPECT_EQ(&RunLoop::Main(), &real);
}

TEST(RunLoopRealTime, ATimerFiresAfterItsInterval) {
  RunLoop loop;
  bool fired = false;
  auto start = std::chrono::steady_clock::now();
  loop.Install(10ms, [&](RunLoop::TimerId) { fired = true; });
  EXPECT_TRUE(loop.RunUntil([&] { return fired; }, 5s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms);
}

}  // namespace
