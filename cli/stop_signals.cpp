#include "cli/stop_signals.h"

#include <csignal>

namespace zarvel::cli {
namespace {

std::atomic<int> g_stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only store to a lock-free atomic");

struct Named {
  int number;
  const char* name;
};
constexpr Named kStopSignals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"},   {SIGHUP, "SIGHUP"},
                                  {SIGPIPE, "SIGPIPE"}, {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"}};

extern "C" void OnStopSignal(int signal_number) {
  // The first signal names the stop; later ones change nothing.
  int none = 0;
  g_stop_signal.compare_exchange_strong(none, signal_number, std::memory_order_relaxed);
}

}  // namespace

void InstallStopSignalHandlers() {
  for (const Named& s : kStopSignals) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted file and terminal I/O carries on; the keyboard's waits are
    // bounded anyway and look at the flag between attempts.
    action.sa_flags = SA_RESTART;
    sigaction(s.number, &action, nullptr);
  }
}

const std::atomic<int>& StopSignalFlag() { return g_stop_signal; }

int StopSignalNumber() { return g_stop_signal.load(std::memory_order_relaxed); }

std::string StopSignalName(int signal_number) {
  for (const Named& s : kStopSignals)
    if (s.number == signal_number) return s.name;
  return "signal " + std::to_string(signal_number);
}

}  // namespace zarvel::cli
