#include "cli/keyboard_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "cli/stop_signals.h"
#include "device/connection_monitor.h"
#include "device/device_discovery.h"
#include "model/default_matrix.h"
#include "skin/language.h"

namespace zarvel::cli {

KeyboardSession::KeyboardSession(CommandContext& command)
    : command_(command),
      keyboard_(command.options),
      device_(keyboard_.Backend()),
      link_(device_),
      context_(BuiltInDefaultMatrix()),
      sync_(link_, context_),
      trace_path_(command.options.trace_file) {
  // A command-line run never shows the window.
  context_.SetStartHidden(true);
  link_.SetStopFlag(&StopSignalFlag());
}

KeyboardSession::~KeyboardSession() {
  ReportTrace::Detach(link_);
  link_.SetDeviceOpen(false);
  device_.Close();
  // Failures found only now still fail the run: a script must not take a
  // keyboard whose memory was not kept, or a cut-off trace, for a good run.
  if (SimulatedKeyboard* keyboard = keyboard_.Simulated()) {
    keyboard->SaveStateIfChanged();
    if (const std::string error = keyboard->StateFileError(); !error.empty() && !state_error_reported_) {
      command_.err << "zarvelctl: " << error << '\n';
      command_.late_status = kExitFailed;
    }
  }
  if (trace_.Failed()) {
    command_.err << "zarvelctl: cannot write the trace file " << trace_path_ << ": " << std::strerror(trace_.Error())
                 << '\n';
    command_.late_status = kExitFailed;
  }
}

bool KeyboardSession::StartTrace(std::ostream& err) {
  if (trace_path_.empty()) return true;
  if (!trace_.Open(trace_path_)) {
    err << "zarvelctl: cannot open the trace file " << trace_path_ << ": " << trace_.OpenFailure() << '\n';
    return false;
  }
  trace_.Attach(link_);
  return true;
}

bool KeyboardSession::AccessDenied(std::string& node) {
  HidDevice device(keyboard_.Backend());
  if (!device.BuildPathList()) return false;
  while (std::optional<std::string> path = device.NextPath()) {
    if (IdentifyDevicePath(*path) == nullptr) continue;
    const std::string candidate = path->substr(0, path->find('#'));
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
      ::close(fd);
      continue;
    }
    if (errno == EACCES || errno == EPERM) {
      node = candidate;
      return true;
    }
  }
  return false;
}

bool KeyboardSession::LacksMacroMemory(std::ostream& err) {
  if (device_info_result_ != kResultDone) {
    err << "zarvelctl: the keyboard did not answer the device information request; nothing was written\n";
    return true;
  }
  if (context_.MacroCapacity() != 0) return false;
  err << "zarvelctl: the keyboard reports a macro capacity of 0 bytes: it has no memory for macros, so it cannot "
         "take macros or key functions; nothing was written\n";
  return true;
}

int KeyboardSession::Connect(std::ostream& err, Prompter& prompter) {
  if (SimulatedKeyboard* keyboard = keyboard_.Simulated()) {
    if (const std::string error = keyboard->StateFileError(); !error.empty()) {
      err << "zarvelctl: " << error << '\n';
      state_error_reported_ = true;
      return kExitFailed;
    }
  }
  if (!device_.BuildPathList()) {
    err << "zarvelctl: the system's HID devices cannot be listed\n";
    return kExitNoKeyboard;
  }
  const DeviceVariant* variant = OpenCommandInterface(link_, context_);
  device_.FreePathList();
  if (variant == nullptr) {
    std::string node;
    if (!IsSimulated() && AccessDenied(node)) {
      err << "zarvelctl: a Varnok Z7Q3RGB keyboard is connected, but " << node
          << " may not be opened by this user (permission denied).\n"
          << "Install the udev rule assets/udev/70-zarvel.rules as described in the README, then unplug and "
             "replug the keyboard.\n";
    } else {
      err << "zarvelctl: no Varnok Z7Q3RGB keyboard found (looked for 0c45:5004 and 320f:5000)\n";
    }
    return kExitNoKeyboard;
  }
  const ConnectionReads reads = ReadConnectionData(link_, context_);
  device_info_result_ = reads.device_info_result;
  if (reads.default_matrix_result != kResultDone)
    prompter.ShowMessage("MAIN_DEFAULT_MATRIX_PROMPT", LookupText("MAIN_DEFAULT_MATRIX_PROMPT"));
  return kExitOk;
}

}  // namespace zarvel::cli
