// watch: follows the keyboard the way the program does in the notification
// area, and prints what happens.
#include <cstdlib>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/keyboard_session.h"
#include "cli/stop_signals.h"
#include "core/headless_window.h"
#include "device/connection_monitor.h"
#include "device/input_listener.h"

namespace zarvel::cli {

int RunWatch(CommandContext& c) {
  long seconds = -1;
  if (!c.options.operands.empty()) {
    char* end = nullptr;
    seconds = std::strtol(c.options.operands[0].c_str(), &end, 10);
    if (end == c.options.operands[0].c_str() || *end != '\0' || seconds < 0 || seconds > 86400 * 365) {
      c.err << "zarvelctl: watch takes a number of seconds, not '" << c.options.operands[0] << "'\n";
      return kExitUsage;
    }
  }
  KeyboardSession session(c);
  if (!session.StartTrace(c.err)) return kExitUsage;

  auto print = [&](const char* event, int profile) {
    if (c.options.json) {
      JsonWriter json;
      json.BeginObject().Member("event", event);
      if (profile >= 0) json.Member("active_profile", profile + 1);
      json.EndObject();
      c.out << json.Text() << std::endl;
    } else {
      c.out << event;
      if (profile >= 0) c.out << ", active profile " << profile + 1;
      c.out << std::endl;
    }
  };
  ProfileSync& sync = session.Sync();
  HeadlessMainWindow::Handlers handlers;
  handlers.profile_message = [&] { print("connected", sync.GetActiveProfile()); };
  handlers.close_dialogs = [&] { print("disconnected", -1); };
  handlers.timer = [&](int timer_id) {
    // The keyboard announced a change: ask it again rather than trusting the cache.
    session.Context().SetActiveProfileCache(-1);
    print(timer_id == kProfileNotificationTimer ? "profile changed on the keyboard" : "keyboard reset",
          sync.GetActiveProfile());
  };
  HeadlessMainWindow window(c.prompter, handlers);
  HidDevice notifications(session.Backend());
  ConnectionMonitor monitor(session.Link(), session.Context(), window);
  InputListener listener(notifications, session.Context(), window);

  if (!c.options.json) c.out << "Watching for the keyboard" << (seconds < 0 ? " (Ctrl+C ends)" : "") << std::endl;
  listener.Start();
  monitor.Start();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds < 0 ? 0 : seconds);
  // Ctrl+C (or any stop signal) is the usual end of a watch.
  while (StopSignalNumber() == 0 && (seconds < 0 || std::chrono::steady_clock::now() < end))
    window.ProcessEvents(std::chrono::milliseconds(50));
  window.Shutdown();
  monitor.Stop();
  listener.Stop();
  return kExitOk;
}

}  // namespace zarvel::cli
