#pragma once
// The input listener: the thread that reads the keyboard's notification
// interface and turns its announcements into actions of the main window.
//
// The first usage of a notification report decides:
//   0x0401  the keyboard changed its active profile  start timer 1051 (0 ms)
//   0x0402  the keyboard reset itself                start timer 1053 (0 ms)
//   0x1810  indicator off   tray picture of the connection state again
//   0x1811  indicator on    the indicator tray picture (142)
//   other   ignored (usage 0 is the release that follows every announcement)
// The tray changes run on short-lived threads of their own, one at a time.
//
// The listener is independent of the connection monitor: it finds the
// notification interface by itself, reads until a read fails (the keyboard
// went away), then looks again every 1000 ms. It never sends commands.
//
// Stopping: Stop() wakes the thread, closes the notification interface (which
// ends the read pending on it) and joins the listener and its tray threads. A
// failed enumeration of the HID interfaces is retried at the next look.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/connection_context.h"
#include "device/hid_device.h"
#include "device/main_window_link.h"
#include "device/stop_signal.h"

namespace zarvel {

struct ListenerTiming {
  std::chrono::milliseconds rescan_interval{1000};
  // How often a tray thread looks whether another one is still changing the picture.
  std::chrono::milliseconds indicator_poll{1};
  // How long a tray thread keeps the change marked as running.
  std::chrono::milliseconds indicator_hold{1};
};

// The usage a decoded notification report announces: the first entry of the
// first input field's usage list, when that field is a button field and
// travels in this report; 0 otherwise.
std::uint16_t FirstNotificationUsage(const HidDevice& notification_interface, std::uint8_t report_id);

class InputListener {
 public:
  // `notification_interface` belongs to the listener alone.
  InputListener(HidDevice& notification_interface, ConnectionContext& context, MainWindowLink& window,
                ListenerTiming timing = {});
  ~InputListener();
  InputListener(const InputListener&) = delete;
  InputListener& operator=(const InputListener&) = delete;

  void Start();
  void Stop();
  bool IsRunning() const;

  // True while the notification interface is open and being read.
  bool IsListening() const { return listening_; }

  // Acts on one announced usage, as a report carrying it would.
  void HandleUsage(std::uint16_t usage);

 private:
  void Run();
  void ReadReports();
  void ChangeIndicator(int icon_resource);
  void ReapIndicatorThreads(bool all);

  struct IndicatorThread {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  HidDevice& device_;
  ConnectionContext& context_;
  MainWindowLink& window_;
  ListenerTiming timing_;
  StopSignal stop_;
  std::thread thread_;
  std::atomic<bool> listening_{false};

  std::atomic<bool> indicator_running_{false};
  std::mutex indicators_lock_;
  std::vector<IndicatorThread> indicators_;
};

}  // namespace zarvel
