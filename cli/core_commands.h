#pragma once
// zarvelctl's commands that drive the application core (core_commands.cpp).
// Each returns the exit status (keyboard_session.h).
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "model/key_function.h"

namespace zarvel::cli {

int RunSync(CommandContext& context);
int RunAssign(CommandContext& context);
int RunDefaults(CommandContext& context);
int RunCopyProfile(CommandContext& context);
int RunImport(CommandContext& context);
int RunExport(CommandContext& context);

// A key as the command line names it: a key table name or display name
// ("F1", "CapsLock", "Caps Lock") or "G1".."G9". The record it stands for in
// a profile, or -1 when the main window has no button for it.
int ParseKeyRecord(std::string_view name);

// A function as the command line names it:
//   default | disabled | key:NAME | mouse:left|right|middle|wheel-up|wheel-down
//   | media:NAME | function:N (1..11) | macro:ID
// False with `error` set when it cannot be understood. A macro id is not
// checked here (the store knows which macros exist).
bool ParseKeyFunction(std::string_view text, KeyFunction& function, std::string& error);

// A key's description as zarvelctl prints it: the window's tooltip `text`
// (DescribeKeyFunction) completed for the kinds the tooltip leaves bare. The
// window shows a default key as its name alone and a disabled, launch, stop
// macro or text block key as "NAME - " with nothing after it; in a listing or
// a script's output that reads as a missing value, so those get their kind.
std::string CompleteKeyDescription(std::string text, std::uint16_t type);

}  // namespace zarvel::cli
