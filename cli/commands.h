#pragma once
// zarvelctl's commands. Each returns the exit status (keyboard_session.h).
#include <ostream>

#include "cli/arguments.h"
#include "model/prompter.h"

namespace zarvel::cli {

struct CommandContext {
  const CliOptions& options;
  std::ostream& out;
  std::ostream& err;
  Prompter& prompter;
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

}  // namespace zarvel::cli
