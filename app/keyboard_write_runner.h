#pragma once
// Runs the window's long keyboard work (Apply, OK, Default, restore from a
// file, the connection's profile read, profile switches) on a worker thread,
// so the window keeps painting and its progress picture really turns while
// hundreds of reports go to the keyboard.
//
// While the work runs:
// - the user's input to every window that existed when it started is
//   swallowed (a message box the work asks through the prompter opens later
//   and can be answered), so nothing else edits the store or starts a second
//   write behind the first one's back;
// - work that would replace the store (a new connection's profile read, the
//   keyboard's profile and reload announcements) waits: WhenIdle() queues it
//   and runs it once the write has ended, merging repeats of one kind.
// The application core is used by one thread at a time: the window's thread
// hands it to the worker and gets it back when the worker has finished.
//
// Calls from the window's thread only.
#include <QObject>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zarvel {

class InputBlock;
class WindowThreadQueue;

class KeyboardWriteRunner : public QObject {
  Q_OBJECT
 public:
  // The worker's end is reported through `queue`, behind the view calls the
  // work made.
  explicit KeyboardWriteRunner(WindowThreadQueue& queue, QObject* parent = nullptr);
  // Waits for a running write (without running the window's events: by
  // then nothing the worker waits for needs them).
  ~KeyboardWriteRunner() override;

  // Runs `work` on a worker, then `done` on the window's thread. While
  // another write runs, this one starts after it.
  void Run(std::function<void()> work, std::function<void()> done = {});
  // Runs `task` now when no write runs, else when the running one ended. A
  // task with a non-zero `merge_key` is dropped while one with the same key
  // is already waiting.
  void WhenIdle(std::function<void()> task, int merge_key = 0);

  bool Running() const { return running_; }
  // Returns once no write runs, running the window's events meanwhile so the
  // worker's questions and view updates get through. Never on the way out:
  // a loop spun here would sit inside whatever loop called it.
  void WaitUntilIdle();
  // Shutdown, first step, safe from inside any event loop: waiting tasks are
  // dropped and nothing new starts. Does not wait.
  void Stop();
  // Shutdown, second step, from the top of the program only (no event loop
  // runs): waits up to `timeout` for a running write's work to return
  // without running the window's events, so everything the work may still
  // wait for (its questions, blocking sends) must have been released. True
  // when no worker is left; false when it still runs.
  bool WaitForWorker(std::chrono::milliseconds timeout);

 Q_SIGNALS:
  // A write ended (after its `done` ran).
  void finished();

 private:
  void Finish();
  void RunWaitingTasks();

  struct Task {
    std::function<void()> run;
    int merge_key = 0;
  };
  WindowThreadQueue& queue_;
  bool running_ = false;
  bool stopped_ = false;
  std::thread worker_;
  // Set by the worker when its work has returned; the window's thread may
  // wait for it without an event loop.
  std::mutex worker_mutex_;
  std::condition_variable worker_returned_;
  bool work_returned_ = false;
  std::function<void()> done_;
  std::unique_ptr<InputBlock> input_block_;
  std::deque<Task> waiting_;
};

}  // namespace zarvel
