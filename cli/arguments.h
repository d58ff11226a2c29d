#pragma once
// zarvelctl's command line: global options anywhere, one command, its operands.
#include <string>
#include <vector>

#include "device/keyboard_choice.h"

namespace zarvel::cli {

// The keyboard options (--simulate, --variant, --trace) are the window
// program's too.
struct CliOptions : KeyboardChoice {
  bool help = false;
  bool version = false;
  bool json = false;
  bool save_store = false;
  std::string command;
  std::vector<std::string> operands;
};

// False with `error` set when the command line cannot be understood.
bool ParseArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// A profile as users count it, "1".."4", to the keyboard's 0..3; -1 otherwise.
int ParseProfileNumber(const std::string& text);

std::string UsageText();

}  // namespace zarvel::cli
