#include "app/start_gate.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/instance_lock.h"
#include "app/single_instance.h"
#include "device/main_window_link.h"

namespace zarvel {
namespace {

constexpr std::chrono::milliseconds kRetryEvery{20};

bool Has(const std::vector<StartSwitch>& switches, StartSwitch wanted) {
  for (StartSwitch s : switches)
    if (s == wanted) return true;
  return false;
}

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool HaveDisplay() {
  if (EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") || EnvSet("QT_QPA_PLATFORM")) return true;
  // A Wayland compositor's default socket is found without WAYLAND_DISPLAY.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  return runtime != nullptr && *runtime != '\0' &&
         ::stat((std::string(runtime) + "/wayland-0").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

StartGateResult PassStartGate(const std::vector<StartSwitch>& switches, InstanceLock& lock,
                              const SingleInstance& instance) {
  const bool kill = Has(switches, StartSwitch::kKill);
  const std::uint32_t message = kill ? kKillMessage : kOpenMessage;
  const std::uint32_t code = kill ? kKillMessageCode : kOpenMessageCode;

  LockResult taken = lock.TryTake();
  if (taken == LockResult::kHeld) {
    // A first copy runs or is starting: reach it. Should it end before it
    // listens (a broken skin), its lock comes free and this copy goes on.
    const auto give_up = std::chrono::steady_clock::now() + kReachFirstCopyFor;
    for (;;) {
      if (instance.SendToRunningCopy(message, code)) return {false, 0, false};
      taken = lock.TryTake();
      if (taken != LockResult::kHeld) break;
      if (std::chrono::steady_clock::now() >= give_up) {
        std::fprintf(stderr, "zarvel: a running copy holds %s but does not answer on %s\n", lock.Path().c_str(),
                     instance.SocketPath().toLocal8Bit().constData());
        return {false, 1, false};
      }
      std::this_thread::sleep_for(kRetryEvery);
    }
  }
  // The lock is ours, or there is no lock to be had (no runtime folder):
  // then the socket alone tells whether a copy runs.
  const ProbeResult probe = instance.Probe();
  if (probe == ProbeResult::kCopyRuns) {
    instance.SendToRunningCopy(message, code);
    lock.Release();
    return {false, 0, false};
  }
  if (!HaveDisplay()) {
    lock.Release();
    // /Kill with no copy running has nothing to end.
    if (kill) return {false, 0, false};
    std::fprintf(stderr, "zarvel: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n");
    return {false, 1, false};
  }
  return {true, 0, probe == ProbeResult::kNoCopy};
}

}  // namespace zarvel
