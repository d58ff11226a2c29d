#pragma once
// The stop request of a background thread of the device link.
//
// The threads wait on it instead of sleeping, so a stop wakes them at once, and
// they open interfaces through RunUnlessStopped(), so a stop can never slip in
// between "not stopping yet" and the Open() of an interface that would then
// stay open (and a read on it pending) after the stop closed it.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zarvel {

class StopSignal {
 public:
  // Marks the stop, runs `on_stop` (closing the thread's interface) under the
  // same lock RunUnlessStopped() holds, and wakes every wait.
  template <class F>
  void Request(F&& on_stop) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      on_stop();
    }
    wake_.notify_all();
  }
  void Request() {
    Request([] {});
  }

  bool Requested() const {
    std::lock_guard lock(mutex_);
    return stopping_;
  }

  // For a thread started again after a stop.
  void Reset() {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }

  // Waits `duration`; true when a stop was requested (at once or meanwhile).
  bool WaitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, duration, [this] { return stopping_; });
  }

  // Runs `f` under the lock unless a stop was requested; false when stopping.
  template <class F>
  bool RunUnlessStopped(F&& f) {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    f();
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace zarvel
