#pragma once
// The connection monitor: the thread that finds the keyboard, keeps its
// command interface open while it is present, notices when it goes away or
// comes back, and tells the rest of the program.
//
// Timing: with no keyboard it scans every 1000 ms; with one it probes the
// keyboard's presence every 100 ms, so an unplug is reported within about
// 100 ms. Every change of the connection state is reported exactly once:
//   connected     read the factory key matrix (a failure is shown with
//                 MAIN_DEFAULT_MATRIX_PROMPT and the previous matrix kept), read
//                 the device information for the macro capacity, send PROF to
//                 the window and wait for it, show the connected tray picture;
//   disconnected  forget the active profile, send the close-dialogs message,
//                 hide the window, show the not-connected tray picture.
// The first connection of a run posts OPEN unless the program started hidden;
// after the first report (or the first scan finding nothing) the program
// counts as started hidden, so a later plug-in never shows the window.
//
// Stopping: Stop() wakes the thread from its waits, closes the command
// interface (which cancels a command in progress on any thread) and joins. A
// failed enumeration of the HID interfaces is retried on the next scan.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/connection_context.h"
#include "device/device_link.h"
#include "device/device_variant.h"
#include "device/main_window_link.h"
#include "device/stop_signal.h"

namespace zarvel {

struct MonitorTiming {
  std::chrono::milliseconds scan_interval{1000};
  std::chrono::milliseconds probe_interval{100};
  // The pause before the first scan of a program started hidden.
  std::chrono::milliseconds start_hidden_delay{10};
};

class ConnectionMonitor {
 public:
  ConnectionMonitor(DeviceLink& link, ConnectionContext& context, MainWindowLink& window, MonitorTiming timing = {});
  ~ConnectionMonitor();
  ConnectionMonitor(const ConnectionMonitor&) = delete;
  ConnectionMonitor& operator=(const ConnectionMonitor&) = delete;

  // Starts the thread; nothing when it runs already.
  void Start();
  // Returns once the thread has ended. Never call it from the window's handler
  // of a message the monitor sends and waits for.
  void Stop();
  bool IsRunning() const;

  // Waits until the first scan has finished, whether it found a keyboard (and
  // the connection was reported) or not. False on timeout or stop.
  bool WaitForFirstScan(std::chrono::milliseconds timeout);

 private:
  void Run();
  void FirstProbe();
  // One scan for the keyboard; false when the HID interfaces could not be listed.
  bool Scan(bool first_pass);
  void ProbePresence();
  void ReportState(int state);
  void MarkFirstScanDone();

  DeviceLink& link_;
  ConnectionContext& context_;
  MainWindowLink& window_;
  MonitorTiming timing_;
  StopSignal stop_;
  std::thread thread_;

  std::mutex first_scan_lock_;
  std::condition_variable first_scan_cv_;
  bool first_scan_done_ = false;
};

// One-shot pieces of the monitor's work, for callers without the thread (the
// command-line tool). The path list of `link.CommandInterface()` must have been
// built by the caller.
//
// Walks the path list; for the first verified command interface sets the
// key-matrix geometry of its variant and the device-open flag, and leaves it
// open. nullptr when none passed.
const DeviceVariant* OpenCommandInterface(DeviceLink& link, ConnectionContext& context, StopSignal* stop = nullptr);

// The reads of a new connection: the factory key matrix into the context
// (kept as it was when the read fails) and the macro capacity from the device
// information (byte 11 x 128).
struct ConnectionReads {
  int default_matrix_result = 0;
  int device_info_result = 0;
};
ConnectionReads ReadConnectionData(DeviceLink& link, ConnectionContext& context);

}  // namespace zarvel
