#pragma once
// zarvelctl's command line: global options anywhere, one command, its operands.
#include <string>
#include <vector>

#include "device/device_variant.h"

namespace zarvel::cli {

struct CliOptions {
  bool help = false;
  bool simulate = false;
  std::string state_file;  // --simulate=FILE; empty: the simulated keyboard lives in memory only
  const DeviceVariant* variant = &kDeviceVariants[0];
  bool variant_given = false;
  std::string trace_file;
  bool json = false;
  bool save_store = false;
  std::string command;
  std::vector<std::string> operands;
};

// False with `error` set when the command line cannot be understood.
bool ParseArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// "0c45:5004" (any case) -> the variant; nullptr for anything else.
const DeviceVariant* ParseVariant(const std::string& text);

// A profile as users count it, "1".."4", to the keyboard's 0..3; -1 otherwise.
int ParseProfileNumber(const std::string& text);

std::string UsageText();

}  // namespace zarvel::cli
