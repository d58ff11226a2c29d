#include "app/clock_watcher.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <utility>

namespace zarvel {

namespace {

// Two readings of the time slept taken a moment apart differ by the few
// microseconds between the clock reads; a real suspend is far longer.
constexpr std::chrono::milliseconds kSleepNoise{20};

std::chrono::nanoseconds Read(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

std::chrono::nanoseconds ClockWatcher::TimeSlept() { return Read(CLOCK_BOOTTIME) - Read(CLOCK_MONOTONIC); }

ClockWatcher::ClockWatcher(QObject* parent, SleptClock slept) : QObject(parent), slept_(std::move(slept)) {}

ClockWatcher::~ClockWatcher() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

bool ClockWatcher::Start() {
  if (fd_ >= 0) return true;
  fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) return false;
  if (!Arm()) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &ClockWatcher::OnReadable);
  return true;
}

bool ClockWatcher::Arm() {
  // An absolute expiry a century from now: the timer itself never fires,
  // only the clock being set wakes it. (Not a fixed date: the kernel refuses
  // dates past 2262, and a date that has passed would fire at once, for ever.)
  constexpr time_t kCentury = time_t{100} * 365 * 24 * 3600;
  itimerspec far{};
  far.it_value.tv_sec = ::time(nullptr) + kCentury;
  slept_when_armed_ = slept_();
  return ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
}

void ClockWatcher::OnReadable() {
  std::uint64_t expirations = 0;
  const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
  const bool clock_set = n < 0 && errno == ECANCELED;
  const std::chrono::nanoseconds slept_before = slept_when_armed_;
  // Once cancelled the timer stays readable until armed again.
  Arm();
  if (!clock_set) return;
  if (slept_when_armed_ - slept_before > kSleepNoise)
    Q_EMIT resumed();
  else
    Q_EMIT clockChanged();
}

}  // namespace zarvel
