#include "app/window_thread_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>
#include <cstdint>
#include <utility>

namespace zarvel {

WindowThreadQueue::WindowThreadQueue(QObject* parent) : QObject(parent) {
  wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ >= 0) {
    notifier_ = new QSocketNotifier(wake_fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &WindowThreadQueue::RunPending);
  }
}

WindowThreadQueue::~WindowThreadQueue() {
  delete notifier_;
  if (wake_fd_ >= 0) ::close(wake_fd_);
}

bool WindowThreadQueue::OnWindowThread() const { return QThread::currentThread() == thread(); }

void WindowThreadQueue::Post(std::function<void()> call) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  if (wake_fd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_fd_, &one, sizeof one);
  } else {
    // No eventfd to be had: Qt's own queue wakes the loop instead.
    QMetaObject::invokeMethod(this, &WindowThreadQueue::RunPending, Qt::QueuedConnection);
  }
}

void WindowThreadQueue::RunOrPost(std::function<void()> call) {
  if (OnWindowThread())
    call();
  else
    Post(std::move(call));
}

void WindowThreadQueue::RunPending() {
  if (wake_fd_ >= 0) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(wake_fd_, &count, sizeof count);
  }
  // One at a time: a call may open a nested event loop (a message box) that
  // runs this again; each call still runs once and in order.
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard lock(mutex_);
      if (calls_.empty()) return;
      call = std::move(calls_.front());
      calls_.pop_front();
    }
    call();
  }
}

}  // namespace zarvel
