#include "device/keyboard_choice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "device/hidraw_backend.h"
#include "device/simulated_backend.h"

namespace zarvel {
namespace {

bool StartsWith(const std::string& text, std::string_view prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

const DeviceVariant* ParseVariant(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const DeviceVariant& v : kDeviceVariants) {
    char name[16];
    std::snprintf(name, sizeof name, "%04x:%04x", v.vendor_id, v.product_id);
    if (lower == name) return &v;
  }
  return nullptr;
}

bool ParseSimulatedFaults(const std::string& spec, SimulatedFaults& faults, std::string& error) {
  struct Field {
    const char* name;
    int SimulatedFaults::*member;
    long max;
  };
  static constexpr Field kFields[] = {
      {"unplug-after", &SimulatedFaults::unplug_after, 1000000}, {"lose", &SimulatedFaults::lose, 1000000},
      {"refuse", &SimulatedFaults::refuse, 1000000},             {"delay", &SimulatedFaults::delay_ms, 10000},
      {"latency", &SimulatedFaults::latency_us, 100000},     {"no-echo", &SimulatedFaults::no_echo, 1},
      {"virtual-clock", &SimulatedFaults::virtual_clock, 1},
  };
  SimulatedFaults parsed = faults;
  std::size_t start = 0;
  while (start <= spec.size()) {
    const std::size_t comma = std::min(spec.find(',', start), spec.size());
    const std::string item = spec.substr(start, comma - start);
    const std::size_t eq = item.find('=');
    const std::string name = item.substr(0, eq);
    const Field* field = nullptr;
    for (const Field& f : kFields)
      if (name == f.name) field = &f;
    if (field == nullptr) {
      error = "unknown fault '" + name + "' (use unplug-after, lose, refuse, delay, latency, no-echo or virtual-clock)";
      return false;
    }
    const std::string number = eq == std::string::npos ? std::string() : item.substr(eq + 1);
    char* end = nullptr;
    errno = 0;
    const long value = number.empty() ? -1 : std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || errno != 0 || value < 0 || value > field->max) {
      error = "fault " + name + " needs a number from 0 to " + std::to_string(field->max);
      return false;
    }
    parsed.*(field->member) = static_cast<int>(value);
    start = comma + 1;
  }
  faults = parsed;
  return true;
}

void ApplySimulatedFaults(const SimulatedFaults& faults, SimulatedKeyboard& keyboard) {
  if (faults.unplug_after >= 0) keyboard.UnplugAfter(faults.unplug_after);
  if (faults.lose > 0) keyboard.LoseNextReplies(faults.lose);
  if (faults.refuse > 0) keyboard.RefuseNextCommands(faults.refuse);
  if (faults.delay_ms > 0) keyboard.SetReplyDelay(std::chrono::milliseconds(faults.delay_ms));
  if (faults.latency_us > 0) keyboard.SetTransferLatency(std::chrono::microseconds(faults.latency_us));
  if (faults.no_echo > 0) keyboard.SetEchoesRequests(false);
  if (faults.virtual_clock > 0) keyboard.UseVirtualClock(true);
}

KeyboardOption ParseKeyboardOption(const std::string& arg, KeyboardChoice& choice, std::string& error) {
  if (StartsWith(arg, "--simulate-faults=")) {
    if (!ParseSimulatedFaults(arg.substr(18), choice.faults, error)) return KeyboardOption::kBad;
    choice.faults_given = true;
  } else if (arg == "--simulate") {
    choice.simulate = true;
  } else if (StartsWith(arg, "--simulate=")) {
    choice.simulate = true;
    choice.state_file = arg.substr(11);
    if (choice.state_file.empty()) {
      error = "--simulate= needs a state file name (or use --simulate alone)";
      return KeyboardOption::kBad;
    }
  } else if (StartsWith(arg, "--variant=")) {
    choice.variant = ParseVariant(arg.substr(10));
    choice.variant_given = true;
    if (choice.variant == nullptr) {
      error = "unknown keyboard variant '" + arg.substr(10) + "' (use 0c45:5004 or 320f:5000)";
      return KeyboardOption::kBad;
    }
  } else if (StartsWith(arg, "--trace=")) {
    choice.trace_file = arg.substr(8);
    if (choice.trace_file.empty()) {
      error = "--trace= needs a file name";
      return KeyboardOption::kBad;
    }
  } else if (arg == "--trace" || arg == "--variant" || arg == "--simulate-faults") {
    error = arg + " needs a value: " + arg + "=...";
    return KeyboardOption::kBad;
  } else {
    return KeyboardOption::kNotOurs;
  }
  return KeyboardOption::kTaken;
}

bool CheckKeyboardChoice(const KeyboardChoice& choice, std::string& error) {
  if (choice.variant_given && !choice.simulate) {
    error = "--variant only applies to the simulated keyboard (add --simulate)";
    return false;
  }
  if (choice.faults_given && !choice.simulate) {
    error = "--simulate-faults only applies to the simulated keyboard (add --simulate)";
    return false;
  }
  return true;
}

std::string KeyboardOptionsHelp() {
  return R"(  --simulate[=STATE_FILE]  use the simulated keyboard instead of a real one; with
                           STATE_FILE its memory is kept there between runs (the
                           file is created when missing)
  --variant=0c45:5004|320f:5000
                           the simulated keyboard's variant (default 0c45:5004)
  --trace=FILE             append every report exchanged with the keyboard to
                           FILE: "> " and the 64 request bytes, "< " and the 64
                           reply bytes (two lower-case hex digits each),
                           "< timeout", or "< late " and a reply thrown away
                           because it answered an earlier request; FILE must be
                           a regular file or a terminal
  --simulate-faults=SPEC   faults of the simulated keyboard, comma-separated:
                           unplug-after=N, lose=N (replies), refuse=N (commands),
                           delay=MS (per reply), latency=US (per report),
                           no-echo=1 (replies do not repeat the request),
                           virtual-clock=1 (delays take no wall time)
)";
}

ChosenKeyboard::ChosenKeyboard(const KeyboardChoice& choice) {
  if (!choice.simulate) {
    const char* root = std::getenv(kDeviceRootVariable);
    if (root != nullptr && *root != '\0') {
      backend_ = std::make_unique<HidrawBackend>(std::string(root) + "/sys/class/hidraw", std::string(root) + "/dev");
    } else {
      backend_ = std::make_unique<HidrawBackend>();
    }
    return;
  }
  keyboard_ = std::make_unique<SimulatedKeyboard>(*choice.variant, choice.state_file);
  ApplySimulatedFaults(choice.faults, *keyboard_);
  backend_ = std::make_unique<SimulatedBackend>(*keyboard_);
}

// The backend refers to the keyboard: it goes first.
ChosenKeyboard::~ChosenKeyboard() { backend_.reset(); }

ReportTrace::~ReportTrace() {
  if (fd_ >= 0) ::close(fd_);
}

bool ReportTrace::Open(const std::string& path) {
  std::lock_guard lock(lock_);
  open_failure_.clear();
  // O_NONBLOCK: opening a named pipe for writing would otherwise wait for a
  // reader for ever; without one the open fails with ENXIO instead.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) {
    const int error = errno;
    open_failure_ = error == ENXIO ? "it is a named pipe or socket nobody reads" : std::strerror(error);
    errno = error;
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || ::isatty(fd))) {
    ::close(fd);
    open_failure_ = "it is not a regular file or a terminal";
    errno = EINVAL;
    return false;
  }
  // Lines are written whole; a terminal that is slow to take them may make
  // the program wait, as any output to it would.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  return true;
}

void ReportTrace::WriteLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      error_ = n < 0 ? errno : EIO;
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

void ReportTrace::Attach(DeviceLink& link) {
  link.SetTraceHook([this](std::string_view line) {
    std::lock_guard lock(lock_);
    if (failed_ || fd_ < 0) return;
    WriteLine(line);
  });
}

bool ReportTrace::Failed() {
  std::lock_guard lock(lock_);
  return failed_;
}

int ReportTrace::Error() {
  std::lock_guard lock(lock_);
  return error_;
}

}  // namespace zarvel
