#include "device/hid_backend.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace zarvel {

CancelEvent::CancelEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancelEvent::~CancelEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void CancelEvent::Signal() {
  const std::uint64_t one = 1;
  // A full counter is still readable, which is all a waiter looks at.
  [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void CancelEvent::Reset() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd_, &value, sizeof value);
}

WaitResult WaitReadable(int fd, int cancel_fd, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait_ms = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd fds[2] = {{cancel_fd, POLLIN, 0}, {fd, POLLIN, 0}};
    const int n = ::poll(fds, 2, wait_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      return WaitResult::kHangup;
    }
    // The cancel event comes first, as a pending cancel must win over data.
    if (fds[0].revents & POLLIN) return WaitResult::kCancelled;
    if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return WaitResult::kHangup;
    if (fds[1].revents & POLLIN) return WaitResult::kReady;
    if (n == 0 && wait_ms >= 0 && Clock::now() >= deadline) return WaitResult::kTimeout;
  }
}

}  // namespace zarvel
