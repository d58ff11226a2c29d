#pragma once
// A main window for the device threads' tests: it records every call as a
// short event line ("prof", "close", "open", "hide", "timer 1051 0",
// "tray 141", "box MAIN_DEFAULT_MATRIX_PROMPT") and lets a test wait for one.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/main_window_link.h"

namespace zarvel::testing {

class RecordingWindow : public MainWindowLink {
 public:
  void SendProfileMessage() override { Add("prof"); }
  void SendCloseDialogsMessage() override { Add("close"); }
  void PostOpenMessage() override { Add("open"); }
  void HideWindow() override { Add("hide"); }
  void StartTimer(int timer_id, int period_ms) override {
    Add("timer " + std::to_string(timer_id) + " " + std::to_string(period_ms));
  }
  void ShowTrayIcon(int icon_resource) override { Add("tray " + std::to_string(icon_resource)); }
  void ShowMessageBox(std::string_view language_key) override { Add("box " + std::string(language_key)); }

  std::vector<std::string> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  int Count(const std::string& event) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }
  // Waits (generously) until `event` has been seen `times` times.
  bool WaitFor(const std::string& event, int times = 1,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] {
      return std::count(events_.begin(), events_.end(), event) >= times;
    });
  }

 private:
  void Add(std::string event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(std::move(event));
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

}  // namespace zarvel::testing
