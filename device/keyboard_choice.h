#pragma once
// Which keyboard a run of the program talks to: the real one through hidraw or
// the simulated one (optionally keeping its memory in a state file), and
// whether every report exchanged with it is traced to a file.
//
// zarvelctl and the window program understand the same four options:
//   --simulate[=STATE_FILE]   the simulated keyboard; with STATE_FILE its memory
//                             survives between runs (created when missing)
//   --variant=VVVV:PPPP       the simulated keyboard's variant (0c45:5004 or
//                             320f:5000); only together with --simulate
//   --trace=FILE              append every report moved to FILE
//   --simulate-faults=SPEC    the simulated keyboard's faults (SimulatedFaults)
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "device/device_link.h"
#include "device/device_variant.h"
#include "device/hid_backend.h"
#include "device/simulated_keyboard.h"

namespace zarvel {

// Faults the simulated keyboard shows from its start, for scripts and
// end-to-end tests (--simulate-faults=SPEC). SPEC is a comma-separated list:
//   unplug-after=N   the first N requests are answered, then the keyboard is gone
//   lose=N           the replies to the next N requests never arrive
//   refuse=N         the next N commands are refused (not carried out)
//   delay=MS         every reply comes MS milliseconds late (0..10000)
//   latency=US       every report takes US microseconds on the wire (0..100000;
//                    1000 is a full-speed keyboard)
//   no-echo=1        replies do not repeat the request's command, length and offset
//   virtual-clock=1  delays and latency pass on the keyboard's own clock, so a
//                    run with late replies takes no wall time (for tests)
struct SimulatedFaults {
  int unplug_after = -1;
  int lose = 0;
  int refuse = 0;
  int delay_ms = 0;
  int latency_us = 0;
  int no_echo = 0;
  int virtual_clock = 0;
};
// False with `error` set for an unknown name, a missing or bad number, or one
// out of range; `faults` is then unchanged.
bool ParseSimulatedFaults(const std::string& spec, SimulatedFaults& faults, std::string& error);
void ApplySimulatedFaults(const SimulatedFaults& faults, SimulatedKeyboard& keyboard);

struct KeyboardChoice {
  bool simulate = false;
  std::string state_file;  // --simulate=FILE; empty: the simulated keyboard lives in memory only
  const DeviceVariant* variant = &kDeviceVariants[0];
  bool variant_given = false;
  std::string trace_file;  // empty: no trace
  SimulatedFaults faults;  // --simulate-faults=SPEC
  bool faults_given = false;
};

enum class KeyboardOption {
  kNotOurs,  // not one of the three options: the caller handles it
  kTaken,    // understood and stored
  kBad,      // one of ours, but unusable; `error` says why
};

// Looks at one command-line argument.
KeyboardOption ParseKeyboardOption(const std::string& arg, KeyboardChoice& choice, std::string& error);
// Checks the options together once all arguments are read. False with `error` set.
bool CheckKeyboardChoice(const KeyboardChoice& choice, std::string& error);

// "0c45:5004" (any case) -> the variant; nullptr for anything else.
const DeviceVariant* ParseVariant(const std::string& text);

// The help lines of the three options, indented as the usage texts show options.
std::string KeyboardOptionsHelp();

// Where the real keyboard is looked for: with ZARVEL_DEVICE_ROOT=DIR in the
// environment, DIR/sys/class/hidraw and DIR/dev stand in for the system's
// (a device tree laid out by a test, or copied from a user's machine).
inline constexpr const char* kDeviceRootVariable = "ZARVEL_DEVICE_ROOT";

// The HID backend of the choice: hidraw, or the simulated keyboard with its
// backend. Lives as long as every HidDevice opened through it.
class ChosenKeyboard {
 public:
  explicit ChosenKeyboard(const KeyboardChoice& choice);
  ~ChosenKeyboard();
  ChosenKeyboard(const ChosenKeyboard&) = delete;
  ChosenKeyboard& operator=(const ChosenKeyboard&) = delete;

  HidBackend& Backend() { return *backend_; }
  // The simulated keyboard; nullptr for the real one.
  SimulatedKeyboard* Simulated() { return keyboard_.get(); }
  bool IsSimulated() const { return keyboard_ != nullptr; }

 private:
  std::unique_ptr<SimulatedKeyboard> keyboard_;
  std::unique_ptr<HidBackend> backend_;
};

// The trace file: one line per report, appended and written at once, so a
// trace survives a crash of the program. Lines come from any thread.
class ReportTrace {
 public:
  ReportTrace() = default;
  ~ReportTrace();
  ReportTrace(const ReportTrace&) = delete;
  ReportTrace& operator=(const ReportTrace&) = delete;

  // Opens `path` for appending (created when missing) without ever waiting:
  // a named pipe nobody reads, a device or a folder would hold the program
  // up or take the lines nowhere, so only a regular file or a terminal is
  // taken. False when it cannot be opened; OpenFailure() then says why.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& OpenFailure() const { return open_failure_; }
  // Traces `link` into the file; the trace must outlive the link's use of it
  // (Detach it first).
  void Attach(DeviceLink& link);
  static void Detach(DeviceLink& link) { link.SetTraceHook({}); }
  // Whether a line could not be written (a full disk): the trace is then
  // incomplete, and the caller must say so. Error() is the system's reason.
  bool Failed();
  int Error();

 private:
  void WriteLine(std::string_view line);

  std::mutex lock_;
  int fd_ = -1;
  std::string open_failure_;
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace zarvel
