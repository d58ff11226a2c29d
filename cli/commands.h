#pragma once
// zarvelctl's commands. Each returns the exit status (keyboard_session.h).
#include <ostream>
#include <string>

#include "cli/arguments.h"
#include "model/prompter.h"

namespace zarvel::cli {

struct CommandContext {
  const CliOptions& options;
  std::ostream& out;
  std::ostream& err;
  Prompter& prompter;
  // A failure found after the command finished its work (the simulated
  // keyboard's state or the trace could not be written): the run's exit
  // status when the command itself succeeded.
  int late_status = 0;
};

// Keyboard commands (keyboard_commands.cpp).
int RunList(CommandContext& context);
int RunInfo(CommandContext& context);
int RunProfile(CommandContext& context);
int RunRead(CommandContext& context);
int RunWrite(CommandContext& context);
// Follows plugging, unplugging and the keyboard's announcements (watch_command.cpp).
int RunWatch(CommandContext& context);

// Profile-file commands (file_commands.cpp).
int RunNewFile(CommandContext& context);
int RunValidate(CommandContext& context);
int RunDump(CommandContext& context);

// True when `path` is a regular file that can be opened for reading; else
// says why ("cannot open PATH: REASON") and returns false. Never waits.
bool ReadableProfileFileOrSay(CommandContext& context, const std::string& path);

}  // namespace zarvel::cli
