#pragma once
// The program's run, from start to exit (the application object of the
// keyboard's program).
//
// Start-up, in this order: before any window exists (main, StartGate) the
// instance lock, then the switches (/Kill ends a running copy, /Start starts
// hidden) and a running copy gets OPEN and this copy ends; then the settings
// and the program folder; the skin check (a missing image ends the program
// before anything else exists); the instance socket; the keyboard link, the
// main window and the application core; the device threads (input listener,
// then connection monitor); the 208 named semaphores; the companion program
// "KbDaemon"; the tray icon (or a watch for a tray that comes later); INIT
// (hide) and LANG; session and clock events; the housekeeping timer 1052.
//
// Exit has one owner, this class, whatever asks for it (the window's Close,
// the tray's Exit, KILL from another copy, the firmware question's Cancel,
// SIGTERM, SIGINT, SIGHUP) and whatever loop it is asked from. RequestExit()
// only lets go: it hides the window, closes every modal thing as cancelled
// (a question answers No, a file dialog chooses nothing), answers a question
// the keyboard-write worker waits for with No, releases a blocking message
// the monitor waits in, closes the instance socket, removes the semaphores,
// hides the tray icon, and asks every event loop to return. Nothing is
// deleted there and no loop is run inside it.
//
// Then, from the top of the program once every nested loop has returned:
// the running keyboard write is waited for (kWriteWait from the request; then
// the keyboard link is closed as after an unplug, so its remaining reports
// fail at once, and kAbandonWait more), the monitor and the listener stop,
// the core and the window go, the lock is released. A write that still does
// not return is left: the process ends at once, with its socket, semaphores
// and lock already gone. Nothing is written to the keyboard or to files on
// the way out; unapplied changes are lost (the user's own Close and tray Exit
// ask about them first, in MainWindow::ExitByUser, before ever getting here).
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

#include "app/clock_watcher.h"
#include "app/command_line.h"
#include "app/named_semaphores.h"
#include "app/session_watcher.h"
#include "app/signal_watcher.h"
#include "app/single_instance.h"

namespace zarvel {

class AboutDialog;
class AppCore;
class ConnectionContext;
class ConnectionMonitor;
class DeviceLink;
class HidDevice;
class InputListener;
class InstanceLock;
class MainWindow;
class SimulatedKeyboard;
class TrayIcon;
class WindowTour;

// The housekeeping timer: first after 100 ms, then every 50 ms.
inline constexpr int kHousekeepingTimer = 1052;

// How long the way out waits for a running keyboard write, from the exit
// request; then the link is closed as after an unplug and the write gets
// kAbandonWait more. Together under the 2 s a desktop's logout allows.
inline constexpr std::chrono::milliseconds kWriteWait{1000};
inline constexpr std::chrono::milliseconds kAbandonWait{300};

class Application : public QObject {
  Q_OBJECT
 public:
  // `started` runs from the process's start (first paint report). `lock`:
  // the instance lock main() took and passed the start gate with (`listen`
  // from the gate); null for a run in a test process, which then takes the
  // lock and passes the gate itself.
  Application(WindowOptions options, QElapsedTimer started, InstanceLock* lock = nullptr, bool listen = false);
  ~Application() override;

  // The whole run; returns the exit status.
  int Run();

  // The exit request, from anywhere (see above); returns at once.
  void RequestExit();

  // For tests.
  MainWindow* Window() { return window_.get(); }
  TrayIcon* Tray() { return tray_.get(); }

 private:
  // Everything before the event loop; -1 to run it, else the exit status.
  int StartUp();
  void CreateDeviceSide();
  void StartDaemon();
  // Tells the user once why the simulated keyboard's memory is not kept.
  void TellStateFileError(SimulatedKeyboard& simulated);
  void ShowStateFileError();
  void ShowAbout();
  void ApplyLanguage();
  void WatchFirstScan();
  void ReportFirstPaint();
  // The way out from the top of the program, after the event loop.
  void Shutdown();
  // Waits for the keyboard-write worker within the time left; false when it
  // did not return.
  bool ReleaseWriteWorker();
  // A write that would not return: end now, leaving nothing behind.
  [[noreturn]] void EndNow();
  void StopDeviceSide();
  bool eventFilter(QObject* watched, QEvent* event) override;

  WindowOptions options_;
  QElapsedTimer started_;
  InstanceLock* lock_ = nullptr;
  std::unique_ptr<InstanceLock> own_lock_;
  bool listen_ = false;
  QElapsedTimer exit_requested_;
  SingleInstance instance_;
  SignalWatcher signals_;
  SessionWatcher session_;
  ClockWatcher clock_;
  NamedSemaphores semaphores_;
  QTimer housekeeping_;
  QTimer first_scan_poll_;

  struct DeviceSide;
  std::unique_ptr<DeviceSide> device_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<AppCore> core_;
  std::unique_ptr<InputListener> listener_;
  std::unique_ptr<ConnectionMonitor> monitor_;
  std::unique_ptr<TrayIcon> tray_;
  std::unique_ptr<WindowTour> tour_;
  AboutDialog* about_ = nullptr;  // a child of the window
  bool start_hidden_ = false;
  bool exiting_ = false;
  int exit_code_ = 0;
  bool first_paint_seen_ = false;
  // The simulated keyboard's state file trouble already told at start.
  std::string state_error_told_;
  bool state_prompt_pending_ = false;
};

}  // namespace zarvel
