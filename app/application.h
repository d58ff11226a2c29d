#pragma once
// The program's run, from start to exit (the application object of the
// keyboard's program).
//
// Start-up, in this order: the settings and the program folder; the two
// switches (/Kill ends a running copy, /Start starts hidden); a running copy
// gets OPEN and this copy ends; the skin check (a missing image ends the
// program before anything else exists); the instance socket; the keyboard
// link, the main window and the application core; the device threads (input
// listener, then connection monitor); the 208 named semaphores; the companion
// program "KbDaemon"; the tray icon; INIT (hide) and LANG; session and clock
// events; the housekeeping timer 1052.
//
// Exit (the window's Close, the tray's Exit, KILL from another copy, the
// firmware question's Cancel, SIGTERM): hide the window, close its dialogs as
// cancelled, close the instance socket, remove the semaphores and the tray
// icon, disable Apply, release a blocking message the monitor waits in, and
// leave the event loop. Then, outside every handler: stop the monitor, stop
// the listener, destroy the core and the window. Nothing is written to the
// keyboard or to files on the way out; unapplied changes are lost.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
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
class MainWindow;
class SimulatedKeyboard;
class TrayIcon;
class WindowTour;

// The housekeeping timer: first after 100 ms, then every 50 ms.
inline constexpr int kHousekeepingTimer = 1052;

class Application : public QObject {
  Q_OBJECT
 public:
  // `started` runs from the process's start (first paint report).
  Application(WindowOptions options, QElapsedTimer started);
  ~Application() override;

  // The whole run; returns the exit status.
  int Run();

  // The exit request: the shutdown sequence, then the event loop ends.
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
  void StopDeviceSide();
  bool eventFilter(QObject* watched, QEvent* event) override;

  WindowOptions options_;
  QElapsedTimer started_;
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
