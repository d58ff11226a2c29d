#pragma once
// How the connection monitor and the input listener reach the main window.
//
// Both run on threads of their own; the window lives on its event loop. The
// window side (the Qt main window, or the headless stand-in of the command-line
// tool and the tests) implements this interface and decides how each call
// crosses over to its thread. The message numbers, four-character codes, timer
// numbers and tray pictures below are the ones the window reacts to.
//
// Blocking rules: SendProfileMessage() and SendCloseDialogsMessage() return
// only once the window has handled them, so the window's handlers for them must
// never wait for the monitor (stopping the monitor from inside one of them, for
// instance, would never return). Everything else returns at once.
#include <cstdint>
#include <string_view>

namespace zarvel {

// Sent on connection: read the keyboard's profiles into the working store and
// refresh every view; the monitor waits until that is done.
inline constexpr unsigned kProfileMessage = 0x5452;
inline constexpr std::uint32_t kProfileMessageCode = 0x50524F46;  // "PROF"
// Sent on disconnection: close every open child dialog as if cancelled.
inline constexpr unsigned kCloseDialogsMessage = 0x4753;
// Posted on the first connection of a run when the program was not started
// hidden (a second copy of the program posts it too): show the window, then
// check the firmware version.
inline constexpr unsigned kOpenMessage = 0x5350;
inline constexpr std::uint32_t kOpenMessageCode = 0x4F50454E;  // "OPEN"

// Main-window timers the keyboard's announcements start with a 0 ms period.
// Each handler stops its timer before acting, so announcements that arrive
// before the window gets to the first one merge into one.
inline constexpr int kProfileNotificationTimer = 1051;  // the keyboard changed its active profile
inline constexpr int kReloadNotificationTimer = 1053;   // the keyboard reset itself; reload everything

// Tray pictures (icon resource numbers).
inline constexpr int kNotConnectedTrayIcon = 128;
inline constexpr int kConnectedTrayIcon = 141;
inline constexpr int kIndicatorTrayIcon = 142;

class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;

  // kProfileMessage with kProfileMessageCode; returns once handled.
  virtual void SendProfileMessage() = 0;
  // kCloseDialogsMessage; returns once handled.
  virtual void SendCloseDialogsMessage() = 0;
  // kOpenMessage with kOpenMessageCode; queued, not waited for.
  virtual void PostOpenMessage() = 0;
  virtual void HideWindow() = 0;
  // Starts the window timer `timer_id`; starting a timer that is already
  // pending restarts it, so it fires once.
  virtual void StartTimer(int timer_id, int period_ms) = 0;
  virtual void ShowTrayIcon(int icon_resource) = 0;
  // A message box with the language text of `language_key` and an OK button.
  virtual void ShowMessageBox(std::string_view language_key) = 0;
};

}  // namespace zarvel
