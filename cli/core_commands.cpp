#include "cli/core_commands.h"

#include <cctype>
#include <charconv>

#include "cli/core_session.h"
#include "cli/json_writer.h"
#include "core/key_buttons.h"
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

void PrintStore(CommandContext& c, CoreSession& session) {
  const int active = session.Core().Sync().GetActiveProfile();
  const TerminalView& view = session.View();
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("active_profile", active + 1).Key("assigned").BeginArray();
    ForEachButton([&](int id, KeyCode) {
      const auto found = view.descriptions.find(id);
      if (found != view.descriptions.end() && found->second.assigned) json.String(found->second.text);
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
    c.out << "  " << found->second.text << '\n';
  });
  if (assigned == 0) c.out << "No key is assigned in this profile.\n";
  c.out << "Macros: " << session.Core().Store().macros.size() << '\n';
}

}  // namespace

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
  core.AssignKey(static_cast<std::size_t>(record), function);
  if (!core.Apply()) {
    c.err << "zarvelctl: the keyboard did not take the change\n";
    return kExitFailed;
  }
  for (const auto& [id, d] : session.View().descriptions) {
    if (KeyOfButton(id).record == record) {
      c.out << d.text << '\n';
      break;
    }
  }
  return kExitOk;
}

int RunDefaults(CommandContext& c) {
  bool yes = false;
  for (const std::string& option : c.options.operands) {
    if (option != "--yes") {
      c.err << "zarvelctl: defaults takes only --yes, not '" << option << "'\n";
      return kExitUsage;
    }
    yes = true;
  }
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  session.Prompts().AnswerYes(yes);
  if (!session.Core().RestoreDefaults()) {
    if (!yes) {
      c.err << "zarvelctl: nothing changed (add --yes to restore the defaults)\n";
    } else {
      c.err << "zarvelctl: the keyboard did not take the defaults\n";
    }
    return kExitFailed;
  }
  c.out << "Restored the keys of profile " << session.Core().Sync().GetActiveProfile() + 1 << ".\n";
  return kExitOk;
}

int RunImport(CommandContext& c) {
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFile); status != kExitOk) return status;
  switch (session.Core().ImportProfileFile(c.options.operands[0])) {
    case kCoreImportDone:
      c.out << "Imported " << c.options.operands[0] << " into all four profiles.\n";
      return kExitOk;
    case kCoreImportRefused:
      return kExitFailed;
    default:
      c.err << "zarvelctl: the keyboard did not take the imported profiles\n";
      return kExitFailed;
  }
}

int RunExport(CommandContext& c) {
  CoreSession session(c);
  if (const int status = session.Open(StoreSource::kStoreFileOnly); status != kExitOk) return status;
  if (!session.Core().ExportProfileFile(c.options.operands[0])) {
    c.err << "zarvelctl: cannot write " << c.options.operands[0] << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace zarvel::cli
