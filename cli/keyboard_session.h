#pragma once
// The keyboard one zarvelctl run talks to: the real one through hidraw, or
// the simulated one; with the command trace, the connection and the profile
// operations on top.
#include <memory>
#include <ostream>
#include <string>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "core/profile_sync.h"
#include "device/connection_context.h"
#include "device/device_link.h"
#include "device/hid_device.h"
#include "device/keyboard_choice.h"
#include "device/simulated_keyboard.h"
#include "model/prompter.h"

namespace zarvel::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;  // also: a file that cannot be opened
inline constexpr int kExitNoKeyboard = 3;

class KeyboardSession {
 public:
  // The command's context receives failures found when the session ends
  // (late_status): the simulated keyboard's state or the trace not written.
  explicit KeyboardSession(CommandContext& command);
  ~KeyboardSession();
  KeyboardSession(const KeyboardSession&) = delete;
  KeyboardSession& operator=(const KeyboardSession&) = delete;

  // Opens the trace file when one was asked for; false (message printed) when
  // it cannot be opened.
  bool StartTrace(std::ostream& err);

  // Finds and opens the keyboard's command interface and reads what a new
  // connection reads. kExitOk, or kExitNoKeyboard with the reason printed
  // (none found, or found but not accessible), or kExitFailed when the
  // simulated keyboard's state file cannot be used.
  int Connect(std::ostream& err, Prompter& prompter);

  // A keyboard that reports no macro memory cannot take a write at all: even
  // an empty macro list has a header that must fit. True, with that said in
  // plain words, when the connected keyboard is such a one, or when it did
  // not answer the device information request at connection (its macro
  // memory is then unknown, and so is everything a write needs); the caller
  // then writes nothing.
  bool LacksMacroMemory(std::ostream& err);

  HidBackend& Backend() { return keyboard_.Backend(); }
  DeviceLink& Link() { return link_; }
  ConnectionContext& Context() { return context_; }
  ProfileSync& Sync() { return sync_; }
  bool IsSimulated() const { return keyboard_.IsSimulated(); }
  // Connect() refused the simulated keyboard's state file (unreadable, the
  // other variant, in use): no command may go on as if there were no keyboard.
  bool StateFileRefused() const { return state_error_reported_; }

 private:
  // Keyboard paths whose node exists but may not be opened by this user.
  bool AccessDenied(std::string& node);

  CommandContext& command_;
  ChosenKeyboard keyboard_;
  HidDevice device_;
  DeviceLink link_;
  ConnectionContext context_;
  ProfileSync sync_;
  int device_info_result_ = kResultNoReply;
  std::string trace_path_;
  ReportTrace trace_;
  bool state_error_reported_ = false;
};

}  // namespace zarvel::cli
