#pragma once
// A main window without a screen: the window side of the device threads for
// the command-line tool and for tests of the application core.
//
// It keeps the window's threading rules. Whatever the device threads send,
// post or start runs on the thread that calls ProcessEvents() (the "window
// thread"): sends wait until it has run there, posts and timers do not. A
// timer started again while it is still pending fires once, as the window's
// timers do, because its handler takes it off the pending list before acting.
//
// Shutdown: call Shutdown() before stopping the monitor from the window
// thread; a send the monitor is waiting in then returns without running, so
// the stop cannot wait for a window thread that waits for the stop.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

#include "device/main_window_link.h"
#include "model/prompter.h"

namespace zarvel {

class HeadlessMainWindow final : public MainWindowLink {
 public:
  struct Handlers {
    std::function<void()> profile_message;   // PROF: read the keyboard's profiles
    std::function<void()> close_dialogs;
    std::function<void()> open;              // OPEN: show request
    std::function<void(int timer_id)> timer;
    std::function<void(int icon_resource)> tray_icon;
  };

  // Message boxes go to `prompter` with their language text.
  HeadlessMainWindow(Prompter& prompter, Handlers handlers);

  // Runs what is queued, waiting up to `timeout` for the first item. Returns
  // how many items ran. Call from one thread only: the window thread.
  int ProcessEvents(std::chrono::milliseconds timeout);
  void Shutdown();

  bool IsVisible() const { return visible_; }
  int TrayIcon() const { return tray_icon_; }

  void SendProfileMessage() override;
  void SendCloseDialogsMessage() override;
  void PostOpenMessage() override;
  void HideWindow() override;
  void StartTimer(int timer_id, int period_ms) override;
  void ShowTrayIcon(int icon_resource) override;
  void ShowMessageBox(std::string_view language_key) override;

 private:
  struct Item {
    std::function<void()> run;
    std::shared_ptr<bool> done;  // set for sends, which wait for it
  };
  void Post(std::function<void()> run);
  void Send(std::function<void()> run);

  Prompter& prompter_;
  Handlers handlers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> queue_;
  std::set<int> pending_timers_;
  bool shut_down_ = false;
  std::atomic<bool> visible_{false};
  std::atomic<int> tray_icon_{kNotConnectedTrayIcon};
};

}  // namespace zarvel
