#include "cli/arguments.h"

#include "core/version.h"

namespace zarvel::cli {
namespace {

// Commands with options of their own ("lighting --effect 20"); these take
// any option they are given after their name as an operand.
bool CommandTakesOptions(const std::string& command) {
  return command == "lighting" || command == "colours" || command == "defaults" || command == "copy-profile";
}

}  // namespace

int ParseProfileNumber(const std::string& text) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '4') return -1;
  return text[0] - '1';
}

bool ParseArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
  bool options_done = false;
  for (const std::string& arg : args) {
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      if (options.command.empty())
        options.command = arg;
      else
        options.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--save-store") {
      options.save_store = true;
    } else if (const KeyboardOption taken = ParseKeyboardOption(arg, options, error);
               taken != KeyboardOption::kNotOurs) {
      if (taken == KeyboardOption::kBad) return false;
    } else if (CommandTakesOptions(options.command)) {
      // The command reads its own options from its operands.
      options.operands.push_back(arg);
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
  }
  return CheckKeyboardChoice(options, error);
}

std::string UsageText() {
  return std::string("zarvelctl ") + ZarvelVersion() + R"(
Usage: zarvelctl [OPTIONS] COMMAND [ARGUMENTS]

Configures a Varnok Z7Q3RGB keyboard (USB 0c45:5004 or 320f:5000).

Commands:
  list              list the supported keyboard interfaces found
  info              show the keyboard's firmware, active profile, macro capacity
                    and lighting effects
  profile [N]       show the active profile, or make profile N active
  read FILE         copy the keyboard's four profiles and its macros into the
                    profile file FILE (replaced atomically)
  write FILE        load the profile file FILE and write all four profiles and
                    the macros into the keyboard
  new-file FILE     write a profile file with default keys and no macros
  validate FILE     check a profile file's header
  dump FILE         print a profile file: the keys that are not default, per
                    profile, and the macros
  watch [SECONDS]   follow the keyboard: print when it is plugged in or out and
                    when its profile is changed on the keyboard itself (until
                    interrupted, or for SECONDS)
  sync              read the keyboard into the program's profile store, as a
                    new connection does, and show the active profile's keys
  assign KEY FUNCTION
                    give KEY (F1, CapsLock, G3, ...) in the active profile a
                    FUNCTION and apply it: default, disabled, key:NAME,
                    mouse:left|right|middle|wheel-up|wheel-down, media:NAME,
                    function:N (1-11), macro:ID
  defaults [--yes]  restore the default keys of the active profile (--yes
                    answers the question) and apply
  import FILE       load the profile file FILE into the store and write all
                    four profiles and the macros into the keyboard
  export FILE       save the program's profile store as the profile file FILE
  lighting [OPTIONS] show the active profile's lighting; the options change it
                    first, each written at once: --effect N|NAME, --brightness
                    0-4, --speed 0-3, --direction first|second (or left, right,
                    up, down, spread, converge), --colour RRGGBB, --random
                    on|off, --rate 0-3, --choice red|yellow|green|blue
  colours [ACTION]  the user effect's per-key colours of the active profile:
                    no ACTION shows the user slot; paint KEYS RRGGBB, slot [N]
                    (1-10), base [KEYS] RRGGBB, tool paint|base, send. KEYS is
                    a key (Esc, F1, G3, Fn), keys separated by commas (W,A,S,D)
                    or a group: letters, numbers, f-row, wasd, arrows, g-keys;
                    all of them are painted at once
  copy-profile FROM TO [--lighting]
                    copy the keys of profile FROM into profile TO and write
                    them into the keyboard; with the option --lighting also
                    the lighting and the user colours

Profiles are numbered 1 to 4, as on the keyboard's profile buttons.

While the window runs, zarvelctl and the window take turns on the keyboard and
the profile store (each waits up to 10 s, or ZARVEL_LOCK_WAIT seconds, for the
other). The window shows what zarvelctl changed at once; its own unapplied
changes are kept on top, its change wins a key both changed, and it names such
keys. With --simulate=STATE_FILE both use one simulated keyboard: the first
program on STATE_FILE serves it to the others through STATE_FILE.sock.

Options:
)" + KeyboardOptionsHelp() + R"(  --json                   print results as JSON
  --save-store             write: also save the loaded profiles into the
                           program's store file (left alone otherwise)
  -h, --help               show this help
  --version                print zarvelctl's version

Exit status:
  0  success (validate: the file is valid)
  1  the command failed (validate: the file is not a valid profile file)
  2  bad command line, or a file that cannot be opened
  3  no keyboard found, or no permission to open it
)";
}

}  // namespace zarvel::cli
