#pragma once
// Calls from the device threads and the keyboard-write worker, run in order
// on the window's thread.
//
// Every call's data crosses through this queue's own mutex, and the window's
// event loop is woken through an eventfd watched by a QSocketNotifier. So the
// hand-over is ordered by synchronisation the thread checker sees (a mutex
// and a file descriptor), not only by Qt's internal event queue, which it
// cannot see into; a queued call's captured data is never read on the
// window's thread without a visible order.
//
// Calls posted from the window's thread itself also wait for the next turn
// of the event loop, so their order with calls from other threads is the
// order of posting.
#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace zarvel {

class WindowThreadQueue : public QObject {
  Q_OBJECT
 public:
  // Runs its calls on the thread that constructs it.
  explicit WindowThreadQueue(QObject* parent = nullptr);
  ~WindowThreadQueue() override;
  WindowThreadQueue(const WindowThreadQueue&) = delete;
  WindowThreadQueue& operator=(const WindowThreadQueue&) = delete;

  // From any thread.
  void Post(std::function<void()> call);
  // Runs `call` at once when on the window's thread, else posts it.
  void RunOrPost(std::function<void()> call);
  bool OnWindowThread() const;

  // Runs what is queued now (the window's thread only).
  void RunPending();

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
  int wake_fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zarvel
