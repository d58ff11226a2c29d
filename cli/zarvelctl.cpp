#include "cli/zarvelctl.h"

#include <functional>
#include <map>
#include <optional>

#include "cli/commands.h"
#include "cli/core_commands.h"
#include "cli/keyboard_session.h"
#include "cli/lighting_commands.h"
#include "cli/stop_signals.h"
#include "cli/stream_prompter.h"
#include "core/store_lock_file.h"
#include "core/version.h"

namespace zarvel::cli {
namespace {

struct CommandEntry {
  std::function<int(CommandContext&)> run;
  std::size_t min_operands;
  std::size_t max_operands;
  const char* synopsis;
  // Reads or changes the profile store or the keyboard: runs under the store
  // lock, so two runs (or a run and the window) never interleave.
  bool locks_store = true;
  // A stop signal is how the command normally ends (watch), not a failure.
  bool ends_on_stop_signal = false;
};

const std::map<std::string, CommandEntry>& Commands() {
  static const std::map<std::string, CommandEntry> commands{
      {"list", {RunList, 0, 0, "list", false}},
      {"info", {RunInfo, 0, 0, "info"}},
      {"profile", {RunProfile, 0, 1, "profile [1-4]"}},
      {"read", {RunRead, 1, 1, "read FILE"}},
      {"write", {RunWrite, 1, 1, "write FILE"}},
      {"new-file", {RunNewFile, 1, 1, "new-file FILE", false}},
      {"validate", {RunValidate, 1, 1, "validate FILE", false}},
      {"dump", {RunDump, 1, 1, "dump FILE", false}},
      {"watch", {RunWatch, 0, 1, "watch [SECONDS]", false, true}},
      {"sync", {RunSync, 0, 0, "sync"}},
      {"assign", {RunAssign, 2, 2, "assign KEY FUNCTION"}},
      {"defaults", {RunDefaults, 0, 1, "defaults [--yes]"}},
      {"import", {RunImport, 1, 1, "import FILE"}},
      {"export", {RunExport, 1, 1, "export FILE"}},
      {"lighting", {RunLighting, 0, 32, "lighting [--effect N] [--brightness N] [--speed N] ..."}},
      {"colours", {RunColours, 0, 3,
                   "colours [paint KEYS RRGGBB | slot [N] | base [KEYS] RRGGBB | tool paint|base | send]"}},
      {"copy-profile", {RunCopyProfile, 2, 3, "copy-profile FROM TO [--lighting]"}},
  };
  return commands;
}

}  // namespace

int RunZarvelctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CliOptions options;
  std::string error;
  if (!ParseArguments(args, options, error)) {
    err << "zarvelctl: " << error << "\nTry 'zarvelctl --help'.\n";
    return kExitUsage;
  }
  if (options.help) {
    out << UsageText();
    return kExitOk;
  }
  if (options.version) {
    out << "zarvelctl " << ZarvelVersion() << '\n';
    return kExitOk;
  }
  if (options.command.empty()) {
    err << "zarvelctl: no command given\n" << UsageText();
    return kExitUsage;
  }
  const auto found = Commands().find(options.command);
  if (found == Commands().end()) {
    err << "zarvelctl: unknown command '" << options.command << "'\nTry 'zarvelctl --help'.\n";
    return kExitUsage;
  }
  const CommandEntry& entry = found->second;
  if (options.operands.size() < entry.min_operands || options.operands.size() > entry.max_operands) {
    err << "zarvelctl: usage: zarvelctl [OPTIONS] " << entry.synopsis << '\n';
    return kExitUsage;
  }
  StreamPrompter prompter(err);
  CommandContext context{options, out, err, prompter};
  std::optional<StoreLockFile> store_lock;
  if (entry.locks_store) {
    store_lock.emplace();
    if (store_lock->Busy()) {
      err << "zarvelctl: " << kStoreLockBusyText << "; try again later\n";
      return kExitFailed;
    }
  }
  const int status = entry.run(context);
  if (const int signal_number = StopSignalNumber(); signal_number != 0 && !entry.ends_on_stop_signal) {
    // The command has said what failed; this says why, and whether anything
    // was left undone.
    err << "zarvelctl: stopped by " << StopSignalName(signal_number)
        << (status == kExitOk ? " after the command had finished" : "; the command did not finish") << '\n';
    return 128 + signal_number;
  }
  return status == kExitOk && context.late_status != 0 ? context.late_status : status;
}

}  // namespace zarvel::cli
