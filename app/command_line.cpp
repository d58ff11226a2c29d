#include "app/command_line.h"

#include <cctype>

#include "core/version.h"

namespace zarvel {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

bool IsSwitch(std::string_view arg, std::string_view name) {
  if (arg.size() != name.size()) return false;
  for (std::size_t i = 0; i < arg.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(arg[i])) != std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

bool ParseWindowCommandLine(const std::vector<std::string>& args, WindowOptions& options, std::string& error) {
  for (const std::string& arg : args) {
    if (IsSwitch(arg, "/Kill")) {
      options.switches.push_back(StartSwitch::kKill);
    } else if (IsSwitch(arg, "/Start")) {
      options.switches.push_back(StartSwitch::kStart);
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--report-first-paint") {
      options.report_first_paint = true;
    } else if (StartsWith(arg, "--tour=")) {
      options.tour_folder = arg.substr(7);
      if (options.tour_folder.empty()) {
        error = "--tour= needs a folder for the screenshots";
        return false;
      }
    } else if (ParseKeyboardOption(arg, options.keyboard, error) == KeyboardOption::kBad) {
      return false;
    }
  }
  return CheckKeyboardChoice(options.keyboard, error);
}

std::string WindowUsageText() {
  return "zarvel " + std::string(ZarvelVersion()) + R"(

Usage: zarvel [/Start] [/Kill] [OPTIONS]

Sets up a Varnok Z7Q3RGB keyboard: what each key does in each of its four
profiles, macros, lighting and key colours. The program lives in the
notification area; its window opens when the keyboard is plugged in, from the
notification area's menu, or when zarvel is started again.

  /Start                   stay in the notification area when the keyboard is
                           found, instead of opening the window
  /Kill                    end the running copy (and this one)

Options:
)" + KeyboardOptionsHelp() +
         R"(                           With --simulate, the signals USR1 and USR2 unplug and
                           plug in the simulated keyboard.
  --tour=FOLDER            take a short tour of the window on the simulated
                           keyboard, save screenshots in FOLDER, print their
                           paths and exit
  --report-first-paint     print the milliseconds from start to the window's
                           first paint and the peak memory, then exit
  -h, --help               show this help
  --version                print the program's version
)";
}

}  // namespace zarvel
