#pragma once
// The window program's command line.
//
// The two switches of the keyboard's program, compared case-insensitively and
// as whole arguments, and acted on from left to right by the caller:
//   /Kill    end a running copy (and this one); nothing when none runs
//   /Start   start hidden in the notification area (the desktop's autostart
//            entry passes it)
// Anything that only looks like a switch ("-Kill", "/Killer") is ignored, as
// every argument the program does not know is.
//
// Our own options: the keyboard options zarvelctl has too (--simulate,
// --variant, --trace), --help, --version, and two for tools: --tour=FOLDER (the scripted
// tour `make run` shows without a display) and --report-first-paint (the
// start-up benchmark).
#include <string>
#include <string_view>
#include <vector>

#include "device/keyboard_choice.h"

namespace zarvel {

enum class StartSwitch { kKill, kStart };

struct WindowOptions {
  KeyboardChoice keyboard;
  // The switches in the order given.
  std::vector<StartSwitch> switches;
  bool help = false;
  bool version = false;
  // Print the milliseconds from process start to the main window's first
  // paint and the peak memory on standard output, then exit.
  bool report_first_paint = false;
  // Take the scripted tour and save its screenshots in this folder, then exit.
  std::string tour_folder;
};

// Exit status of a command line that cannot be understood.
inline constexpr int kExitBadCommandLine = 2;

// `args` excludes the program name. False with `error` set only for one of
// our own options with an unusable value; unknown arguments are ignored.
bool ParseWindowCommandLine(const std::vector<std::string>& args, WindowOptions& options, std::string& error);

// True when `arg` is the switch `name` ("/Kill") in any mix of case.
bool IsSwitch(std::string_view arg, std::string_view name);

std::string WindowUsageText();

}  // namespace zarvel
