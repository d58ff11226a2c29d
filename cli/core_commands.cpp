#include "cli/core_commands.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

#include "cli/core_session.h"
#include "cli/json_writer.h"
#include "cli/store_file_guard.h"
#include "cli/arguments.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "device/report_frame.h"
#include "model/atomic_file.h"
#include "model/key_table.h"
#include "model/media_functions.h"

namespace zarvel::cli {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

bool ParseNumber(std::string_view text, unsigned long& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Mouse functions are key records naming the mouse rows of the key table.
struct MouseName {
  const char* name;
  KeyCode code;
};
constexpr MouseName kMouseNames[] = {
    {"left", 0x171}, {"right", 0x172}, {"middle", 0x173}, {"wheel-up", 0x161}, {"wheel-down", 0x162},
};

// The key buttons, then the G buttons, in the order the window lists them.
template <typename Visit>
void ForEachButton(Visit visit) {
  for (const KeyButton& b : KeyButtons()) visit(b.buttonId, b.key);
  for (int k = 0; k < static_cast<int>(kSpecialButtonCount); ++k)
    visit(SpecialKeyButtonId(k), SpecialKeyCode(static_cast<unsigned>(k)));
}

// The description of the key behind window button `id` in the profile shown.
std::string ButtonDescription(CoreSession& session, int id, const std::string& text) {
  AppCore& core = session.Core();
  const int record = KeyOfButton(id).record;
  const int profile = core.CurrentProfile();
  if (record < 0 || profile < 0 || profile >= static_cast<int>(kProfileCount)) return text;
  std::lock_guard lock(core.StoreLock());
  return CompleteKeyDescription(
      text, core.Store().Record(static_cast<std::size_t>(profile), static_cast<std::size_t>(record)).type);
}

void PrintStore(CommandContext& c, CoreSession& session) {
  const int active = session.Core().Sync().GetActiveProfile();
  const TerminalView& view = session.View();
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("active_profile", active + 1).Key("assigned").BeginArray();
    ForEachButton([&](int id, KeyCode) {
      const auto found = view.descriptions.find(id);
      if (found != view.descriptions.end() && found->second.assigned)
        json.String(ButtonDescription(session, id, found->second.text));
    });
    json.EndArray().Member("macros", static_cast<std::int64_t>(session.Core().Store().macros.size())).EndObject();
    c.out << json.Text() << '\n';
    return;
  }
  if (active >= 0) c.out << "Active profile: " << active + 1 << '\n';
  int assigned = 0;
  ForEachButton([&](int id, KeyCode) {
    const auto found = view.descriptions.find(id);
    if (found == view.descriptions.end() || !found->second.assigned) return;
    if (assigned++ == 0) c.out << "Assigned keys:\n";
    c.out << "  " << ButtonDescription(session, id, found->second.text) << '\n';
  });
  if (assigned == 0) c.out << "No key is assigned in this profile.\n";
  c.out << "Macros: " << session.Core().Store().macros.size() << '\n';
}

// Says what failed in a write of the store (Apply, RestoreDefaults, import)
// and what did happen; `what` names the change ("the change", "the defaults").
void ReportWriteFailure(CommandContext& c, AppCore& core, const std::string& what) {
  const AppCore::WriteOutcome& outcome = core.LastWrite();
  if (outcome.busy) return;  // the core said so already
  if (outcome.keyboard_took && !outcome.file_saved) {
    c.err << "zarvelctl: cannot save the profile store " << core.StoreFile() << ": "
          << (outcome.file_error != 0 ? std::strerror(outcome.file_error) : "the store file does not exist")
          << "; the keyboard holds " << what << '\n';
    return;
  }
  c.err << "zarvelctl: the keyboard did not take " << what << "; the profile store was left as it was\n";
}

}  // namespace

std::string CompleteKeyDescription(std::string text, std::uint16_t type) {
  switch (type) {
    case kFunctionDefault: return text + " - default";
    case kFunctionDisabled: return text + "disabled";
    case kFunctionLaunch: return text + "launch program";
    case kFunctionStopMacro: return text + "stop macro";
    case kFunctionText: return text + "text block";
    default: return text;
  }
}

int ParseKeyRecord(std::string_view name) {
  const KeyCode code = FindKeyByName(name);
  if (code == 0) return -1;
  int record = -1;
  ForEachButton([&](int id, KeyCode key) {
    if (key == code && record < 0) record = KeyOfButton(id).record;
  });
  return record;
}

bool ParseKeyFunction(std::string_view text, KeyFunction& function, std::string& error) {
  function = KeyFunction{};
  const std::size_t colon = text.find(':');
  const std::string kind = Lower(text.substr(0, colon));
  const std::string_view arg = colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
  if (colon == std::string_view::npos) {
    if (kind == "default") return true;
    if (kind == "disabled") {
      function.type = kFunctionDisabled;
      return true;
    }
  } else if (kind == "key") {
    const KeyCode code = FindKeyByName(arg);
    if (code == 0 || IsSpecialKey(code)) {
      error = "unknown key '" + std::string(arg) + "'";
      return false;
    }
    function = KeyFunction{kFunctionKey, 0, code, 0, 0};
    return true;
  } else if (kind == "mouse") {
    for (const MouseName& m : kMouseNames) {
      if (Lower(arg) == m.name) {
        function = KeyFunction{kFunctionKey, 0, m.code, 0, 0};
        return true;
      }
    }
    error = "mouse function must be left, right, middle, wheel-up or wheel-down";
    return false;
  } else if (kind == "media") {
    const int index = MediaIndexOfKeyCode(FindKeyByName(arg));
    if (index < 0) {
      error = "unknown multimedia function '" + std::string(arg) + "'";
      return false;
    }
    function = KeyFunction{kFunctionMedia, 0, static_cast<std::uint32_t>(index), 0, 0};
    return true;
  } else if (kind == "function") {
    unsigned long n = 0;
    if (!ParseNumber(arg, n) || n < 1 || n > kKeyboardFunctionCount) {
      error = "keyboard function must be 1.." + std::to_string(kKeyboardFunctionCount);
      return false;
    }
    function = KeyFunction{kFunctionKeyboard, 0, static_cast<std::uint32_t>(n - 1), 0, 0};
    return true;
  } else if (kind == "macro") {
    unsigned long id = 0;
    if (!ParseNumber(arg, id) || id > 0xFFFF) {
      error = "macro id must be a number";
      return false;
    }
    function = KeyFunction{kFunctionMacro, 0, static_cast<std::uint32_t>(id), 0, 0};
    return true;
  }
  error = "unknown function '" + std::string(text) +
          "' (use default, disabled, key:NAME, mouse:BUTTON, media:NAME, function:N or macro:ID)";
  return false;
}

int RunSync(CommandContext& c) {
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kKeyboard); status != kExitOk) return status;
  // The keyboard's own profiles must have reached the store file; a fresh
  // store shown instead would look like a keyboard with every key default.
  if (session.Core().Sync().GetActiveProfile() < 0) {
    c.err << "zarvelctl: the keyboard reports an active profile other than 1-4; nothing was read\n";
    return kExitFailed;
  }
  if (const AppCore::KeyboardRead& read = session.Core().LastKeyboardRead(); !read.saved) {
    c.err << "zarvelctl: cannot save the profile store " << session.Core().StoreFile() << ": "
          << (read.error != 0 ? std::strerror(read.error) : "the keyboard's profiles could not be read") << '\n';
    return kExitFailed;
  }
  PrintStore(c, session);
  return kExitOk;
}

int RunAssign(CommandContext& c) {
  const std::string& key_name = c.options.operands[0];
  const int record = ParseKeyRecord(key_name);
  if (record < 0) {
    c.err << "zarvelctl: unknown key '" << key_name << "'\n";
    return kExitUsage;
  }
  KeyFunction function;
  std::string error;
  if (!ParseKeyFunction(c.options.operands[1], function, error)) {
    c.err << "zarvelctl: " << error << '\n';
    return kExitUsage;
  }
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  AppCore& core = session.Core();
  if (function.type == kFunctionMacro) {
    bool known = false;
    for (const MacroRecord& m : core.Store().macros) known = known || m.id == function.value;
    if (!known) {
      c.err << "zarvelctl: there is no macro with id " << function.value << '\n';
      return kExitUsage;
    }
  }
  // A key the keyboard's matrix has no place for would keep the function in
  // the store file only, and the next sync would take it away again.
  const bool resets = function.type == kFunctionDefault;
  if (!resets && !core.KeyboardCanStore(static_cast<std::size_t>(record))) {
    c.err << "zarvelctl: the keyboard cannot store a function for " << key_name
          << ": its key matrix has no place for that key; nothing was changed\n";
    return kExitFailed;
  }
  if (session.Keyboard().LacksMacroMemory(c.err)) return kExitFailed;
  StoreFileGuard guard(core.StoreFile());
  core.AssignKey(static_cast<std::size_t>(record), function);
  if (!core.Apply()) {
    ReportWriteFailure(c, core, "the change");
    if (!core.LastWrite().keyboard_took) guard.Restore();
    return kExitFailed;
  }
  std::string description;
  for (const auto& [id, d] : session.View().descriptions) {
    if (KeyOfButton(id).record == record) {
      description = ButtonDescription(session, id, d.text);
      break;
    }
  }
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject()
        .Member("key", key_name)
        .Member("profile", core.Sync().GetActiveProfile() + 1)
        .Member("description", description)
        .EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << description << '\n';
  }
  return kExitOk;
}

int RunDefaults(CommandContext& c) {
  bool yes = false;
  for (const std::string& option : c.options.operands) {
    if (option != "--yes") {
      if (option.size() > 1 && option[0] == '-')
        c.err << "zarvelctl: defaults: unknown option '" << option << "'\n";
      else
        c.err << "zarvelctl: defaults takes only --yes, not '" << option << "'\n";
      return kExitUsage;
    }
    yes = true;
  }
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  if (session.Keyboard().LacksMacroMemory(c.err)) return kExitFailed;
  session.Prompts().AnswerYes(yes);
  StoreFileGuard guard(session.Core().StoreFile());
  if (!session.Core().RestoreDefaults()) {
    if (!yes) {
      c.err << "zarvelctl: nothing changed (add --yes to restore the defaults)\n";
    } else {
      ReportWriteFailure(c, session.Core(), "the defaults");
      if (!session.Core().LastWrite().keyboard_took) guard.Restore();
    }
    return kExitFailed;
  }
  const int profile = session.Core().Sync().GetActiveProfile() + 1;
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("restored_profile", profile).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Restored the keys of profile " << profile << ".\n";
  }
  return kExitOk;
}

int RunImport(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  if (!ReadableProfileFileOrSay(c, path)) return kExitUsage;
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  if (session.Keyboard().LacksMacroMemory(c.err)) return kExitFailed;
  StoreFileGuard guard(session.Core().StoreFile());
  const int result = session.Core().ImportProfileFile(path);
  if (result == kCoreImportDone) {
    if (c.options.json) {
      JsonWriter json;
      json.BeginObject()
          .Member("file", path)
          .Member("profiles", 4)
          .Member("macros", static_cast<std::int64_t>(session.Core().Store().macros.size()))
          .EndObject();
      c.out << json.Text() << '\n';
    } else {
      c.out << "Imported " << path << " into all four profiles.\n";
    }
    return kExitOk;
  }
  if (result == kCoreImportWriteFailed) {
    ReportWriteFailure(c, session.Core(), "the imported profiles");
    if (!session.Core().LastWrite().keyboard_took) guard.Restore();
  }
  // Refused, not sent or busy: the message said why and nothing was saved.
  return kExitFailed;
}

int RunExport(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFileOnly); status != kExitOk) return status;
  AppCore& core = session.Core();
  if (!session.Connected()) {
    // Without a keyboard the store file is all there is; a missing or broken
    // one must not turn into an exported file of default keys.
    const std::string store = core.StoreFile();
    const int reason = ProbeRegularFile(store);
    auto check = std::make_unique<ProfileStore>();
    if (reason != 0 || !LoadStoreFile(*check, store)) {
      c.err << "zarvelctl: nothing to export: the profile store " << store << " cannot be loaded ("
            << (reason != 0 ? ReadFailureText(reason) : std::string("damaged or cut short"))
            << ") and no keyboard is connected\n";
      return kExitFailed;
    }
  }
  errno = 0;
  if (!core.ExportProfileFile(path)) {
    c.err << "zarvelctl: cannot write " << path << ": " << std::strerror(errno != 0 ? errno : EIO) << '\n';
    return kExitFailed;
  }
  const auto macros = static_cast<std::int64_t>(core.Store().macros.size());
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("file", path).Member("profiles", 4).Member("macros", macros).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Exported 4 profiles and " << macros << " macros to " << path << '\n';
  }
  return kExitOk;
}

}  // namespace zarvel::cli

namespace zarvel::cli {

int RunCopyProfile(CommandContext& c) {
  const std::vector<std::string>& args = c.options.operands;
  std::vector<std::string> profiles;
  bool lighting = false;
  for (const std::string& arg : args) {
    if (arg == "--lighting") {
      lighting = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      c.err << "zarvelctl: copy-profile: unknown option '" << arg << "'\n";
      return kExitUsage;
    } else {
      profiles.push_back(arg);
    }
  }
  const int from = profiles.size() == 2 ? ParseProfileNumber(profiles[0]) : -1;
  const int to = profiles.size() == 2 ? ParseProfileNumber(profiles[1]) : -1;
  if (from < 0 || to < 0) {
    c.err << "zarvelctl: usage: zarvelctl [OPTIONS] copy-profile FROM TO [--lighting] (profiles 1 to 4)\n";
    return kExitUsage;
  }
  if (from == to) {
    c.err << "zarvelctl: copy-profile: profile " << from + 1 << " is already itself\n";
    return kExitUsage;
  }
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  if (session.Keyboard().LacksMacroMemory(c.err)) return kExitFailed;
  AppCore& core = session.Core();
  // The profile's lighting record is copied as the keyboard holds it now.
  if (lighting && core.Lighting().ReadLightingArea() != kResultDone) {
    c.err << "zarvelctl: the keyboard's lighting could not be read; nothing was copied\n";
    return kExitFailed;
  }
  // The command line is the user's answer to the window's question.
  session.Prompts().AnswerYes(true);
  StoreFileGuard guard(core.StoreFile());
  if (!core.CopyProfile(from, to, lighting)) {
    ReportWriteFailure(c, core, "the copied profile");
    if (!core.LastWrite().keyboard_took) guard.Restore();
    return kExitFailed;
  }
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("from", from + 1).Member("to", to + 1).Member("lighting", lighting).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Copied profile " << from + 1 << " into profile " << to + 1 << (lighting ? " with its lighting" : "")
          << ".\n";
  }
  return kExitOk;
}

}  // namespace zarvel::cli
