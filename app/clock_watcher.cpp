#include "app/clock_watcher.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <ctime>

namespace zarvel {

ClockWatcher::ClockWatcher(QObject* parent) : QObject(parent) {}

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
  return ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
}

void ClockWatcher::OnReadable() {
  std::uint64_t expirations = 0;
  const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
  const bool clock_set = n < 0 && errno == ECANCELED;
  // Once cancelled the timer stays readable until armed again.
  Arm();
  if (clock_set) Q_EMIT clockChanged();
}

}  // namespace zarvel
