#include "app/keyboard_write_runner.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include "app/window_thread_queue.h"
#include <QSet>
#include <QWidget>
#include <exception>
#include <utility>

namespace zarvel {

// Swallows the user's input to the windows open when it was made, for as
// long as it lives.
class InputBlock final : public QObject {
 public:
  InputBlock() {
    for (QWidget* window : QApplication::topLevelWidgets()) blocked_.insert(window);
    qApp->installEventFilter(this);
  }
  ~InputBlock() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!IsUserInput(event->type())) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && blocked_.contains(widget->window());
  }

 private:
  static bool IsUserInput(QEvent::Type type) {
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
        return true;
      default:
        return false;
    }
  }

  QSet<QWidget*> blocked_;
};

KeyboardWriteRunner::KeyboardWriteRunner(WindowThreadQueue& queue, QObject* parent) : QObject(parent), queue_(queue) {}

KeyboardWriteRunner::~KeyboardWriteRunner() {
  Stop();
  if (worker_.joinable()) worker_.join();
}

void KeyboardWriteRunner::Run(std::function<void()> work, std::function<void()> done) {
  if (stopped_) return;
  if (running_) {
    waiting_.push_back(Task{[this, work = std::move(work), done = std::move(done)]() mutable {
                              Run(std::move(work), std::move(done));
                            },
                            0});
    return;
  }
  running_ = true;
  done_ = std::move(done);
  input_block_ = std::make_unique<InputBlock>();
  {
    std::lock_guard lock(worker_mutex_);
    work_returned_ = false;
  }
  worker_ = std::thread([this, work = std::move(work)] {
    try {
      work();
    } catch (const std::exception&) {
      // A write that ran out of memory has failed; the window goes on.
    }
    {
      std::lock_guard lock(worker_mutex_);
      work_returned_ = true;
    }
    worker_returned_.notify_all();
    // The runner outlives the worker: its destructor waits for this one.
    queue_.Post([this] { Finish(); });
  });
}

void KeyboardWriteRunner::Finish() {
  // Already joined by WaitForWorker() on the way out: nothing more to do.
  if (!running_) return;
  if (worker_.joinable()) worker_.join();
  input_block_.reset();
  running_ = false;
  std::function<void()> done = std::move(done_);
  done_ = nullptr;
  if (done) done();
  Q_EMIT finished();
  RunWaitingTasks();
}

void KeyboardWriteRunner::WhenIdle(std::function<void()> task, int merge_key) {
  if (stopped_) return;
  if (!running_) {
    task();
    return;
  }
  if (merge_key != 0)
    for (const Task& waiting : waiting_)
      if (waiting.merge_key == merge_key) return;
  waiting_.push_back(Task{std::move(task), merge_key});
}

void KeyboardWriteRunner::RunWaitingTasks() {
  // A task may start the next write; the rest wait for that one in turn.
  while (!running_ && !stopped_ && !waiting_.empty()) {
    Task task = std::move(waiting_.front());
    waiting_.pop_front();
    task.run();
  }
}

void KeyboardWriteRunner::WaitUntilIdle() {
  while (running_) {
    QEventLoop loop;
    connect(this, &KeyboardWriteRunner::finished, &loop, &QEventLoop::quit);
    if (running_) loop.exec();
  }
}

void KeyboardWriteRunner::Stop() {
  stopped_ = true;
  waiting_.clear();
}

bool KeyboardWriteRunner::WaitForWorker(std::chrono::milliseconds timeout) {
  if (!worker_.joinable()) return true;
  {
    std::unique_lock lock(worker_mutex_);
    if (!worker_returned_.wait_for(lock, timeout, [this] { return work_returned_; })) return false;
  }
  worker_.join();
  // The worker's end, posted to the window's thread, is not run any more:
  // its `done` belongs to a window that is going away.
  input_block_.reset();
  running_ = false;
  done_ = nullptr;
  return true;
}

}  // namespace zarvel
