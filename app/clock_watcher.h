#pragma once
// Notices when the system clock is set (by the user, NTP stepping it). The
// keyboard's program writes its unapplied changes then, so the window
// connects clockChanged() to Apply.
//
// A timerfd on the real-time clock armed far in the future with
// TFD_TIMER_CANCEL_ON_SET: setting the clock cancels it, which makes the
// descriptor readable; it is then armed again.
//
// A resume from suspend also moves the wall clock, and cancels the timer the
// same way; half-made edits must not be written because the lid was opened.
// The time the machine slept is CLOCK_BOOTTIME - CLOCK_MONOTONIC (the first
// counts a suspend, the second does not): when it grew since the timer was
// armed, the machine slept, and the cancel is not taken for a clock change.
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace zarvel {

class ClockWatcher : public QObject {
  Q_OBJECT
 public:
  // The time slept so far; tests replace it.
  using SleptClock = std::function<std::chrono::nanoseconds()>;
  static std::chrono::nanoseconds TimeSlept();

  explicit ClockWatcher(QObject* parent = nullptr, SleptClock slept = &ClockWatcher::TimeSlept);
  ~ClockWatcher() override;

  // False when the system offers no such timer; the program then runs without.
  bool Start();
  bool IsWatching() const { return fd_ >= 0; }

 Q_SIGNALS:
  void clockChanged();
  // The wall clock moved because the machine slept (no Apply).
  void resumed();

 private:
  bool Arm();
  void OnReadable();

  SleptClock slept_;
  std::chrono::nanoseconds slept_when_armed_{0};
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zarvel
