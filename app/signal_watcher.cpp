#include "app/signal_watcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace zarvel {
namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2};

// The write end, for the handler; one watcher per process.
std::atomic<int> g_write_fd{-1};

extern "C" void OnSignal(int signal_number) {
  const int saved_errno = errno;
  const int fd = g_write_fd.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal_number);
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {}

SignalWatcher::~SignalWatcher() {
  if (read_fd_ < 0) return;
  for (int signal_number : kWatchedSignals) ::signal(signal_number, SIG_DFL);
  const int write_fd = g_write_fd.exchange(-1);
  notifier_.reset();
  ::close(read_fd_);
  ::close(write_fd);
}

bool SignalWatcher::Start() {
  if (read_fd_ >= 0) return true;
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  read_fd_ = fds[0];
  g_write_fd = fds[1];
  notifier_ = std::make_unique<QSocketNotifier>(read_fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalWatcher::OnReadable);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : kWatchedSignals) ::sigaction(signal_number, &action, nullptr);
  return true;
}

void SignalWatcher::OnReadable() {
  unsigned char byte = 0;
  while (::read(read_fd_, &byte, 1) == 1) {
    switch (byte) {
      case SIGUSR1:
        Q_EMIT unplugRequested();
        break;
      case SIGUSR2:
        Q_EMIT plugRequested();
        break;
      default:
        Q_EMIT exitRequested();
        break;
    }
  }
}

}  // namespace zarvel
