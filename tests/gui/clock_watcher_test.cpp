// The clock watcher tells a clock the user set from a wall clock that moved
// because the machine slept. Setting the clock needs the right to do so (the
// test sets it to the time it already has); without it the test is skipped.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <chrono>
#include <ctime>

#include "app/clock_watcher.h"

namespace zarvel {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// Sets the wall clock to the time it has: every timer cancelled on a clock
// change fires, and the time stays (but for the microseconds between the
// two calls).
bool SetClockToNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return ::clock_settime(CLOCK_REALTIME, &now) == 0;
}

void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(ClockWatcherTest, AClockSetAppliesAResumeDoesNot) {
  nanoseconds slept{0};
  ClockWatcher watcher(nullptr, [&] { return slept; });
  ASSERT_TRUE(watcher.Start());
  int changes = 0;
  int resumes = 0;
  QObject::connect(&watcher, &ClockWatcher::clockChanged, [&] { ++changes; });
  QObject::connect(&watcher, &ClockWatcher::resumed, [&] { ++resumes; });
  if (!SetClockToNow()) GTEST_SKIP() << "not allowed to set the clock here (errno " << errno << ")";
  RunEventsFor(100);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(resumes, 0);

  // The machine slept for a minute: the wall clock moves, nothing applies.
  slept += std::chrono::minutes(1);
  ASSERT_TRUE(SetClockToNow());
  RunEventsFor(100);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(resumes, 1);

  // Set again later, without a sleep in between: applies again.
  ASSERT_TRUE(SetClockToNow());
  RunEventsFor(100);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(resumes, 1);
}

TEST(ClockWatcherTest, TimeSleptIsBootTimeLessMonotonic) {
  // Never negative, and steady while the machine is awake.
  const nanoseconds first = ClockWatcher::TimeSlept();
  RunEventsFor(50);
  const nanoseconds second = ClockWatcher::TimeSlept();
  EXPECT_GE(first.count(), 0);
  EXPECT_LT(std::chrono::abs(second - first), milliseconds(20));
}

}  // namespace
}  // namespace zarvel
