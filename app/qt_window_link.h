#pragma once
// The Qt side of the device threads' messages to the main window.
//
// The connection monitor and the input listener call this from their own
// threads; every call crosses to the thread the link object lives on (the
// window's) as a queued call, and only the window's handlers touch widgets or
// the application core.
//
// Blocking sends (PROF, the close-dialogs message) wait until the window has
// finished with them. Finishing may come later than the handler's return:
// the profile read runs on a worker so the window keeps painting, and its
// handler reports the end through the `done` callback it is given. Release()
// (the first step of shutdown) makes a waiting send return and every later
// one return at once, so stopping the monitor can never wait for a window
// that waits for the monitor.
//
// Timers 1051 and 1053: starting one that is still pending does nothing, so
// announcements that arrive while the window is busy merge into one run.
// Tray pictures reach the window only when they differ from the last one.
// Message boxes are handed over and never waited for: the monitor goes on
// with its connection while the user reads the box.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "app/window_thread_queue.h"
#include "device/main_window_link.h"

namespace zarvel {

class QtWindowLink final : public QObject, public MainWindowLink {
  Q_OBJECT
 public:
  // Called once the send's work is complete; safe to call from any thread,
  // and more than once.
  using Done = std::function<void()>;

  struct Handlers {
    std::function<void(Done done)> profile_message;  // PROF
    std::function<void()> close_dialogs;             // 0x4753
    std::function<void()> open;                      // OPEN
    std::function<void()> hide;
    std::function<void(int timer_id)> timer;
    std::function<void(int icon_resource)> tray_icon;
    std::function<void(const std::string& language_key)> message_box;
  };

  // Lives on the calling thread, which must be the window's.
  explicit QtWindowLink(Handlers handlers, QObject* parent = nullptr);
  ~QtWindowLink() override;

  // Shutdown: a send being waited for returns, later ones return at once,
  // queued calls not yet run are dropped.
  void Release();
  bool Released() const;

  void SendProfileMessage() override;
  void SendCloseDialogsMessage() override;
  void PostOpenMessage() override;
  void HideWindow() override;
  void StartTimer(int timer_id, int period_ms) override;
  void ShowTrayIcon(int icon_resource) override;
  void ShowMessageBox(std::string_view language_key) override;

 private:
  struct Waiter;
  void Post(std::function<void()> run);
  // Queues `run` (which gets a Done) and waits for the Done or Release().
  void Send(std::function<void(Done)> run);

  Handlers handlers_;
  WindowThreadQueue queue_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
  std::set<int> pending_timers_;
  int last_tray_icon_ = -1;
};

}  // namespace zarvel
