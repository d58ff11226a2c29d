// Commands on profile files: new-file, validate, dump.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/commands.h"
#include "cli/core_commands.h"
#include "cli/json_writer.h"
#include "cli/keyboard_session.h"
#include "model/atomic_file.h"
#include "model/key_description.h"
#include "model/key_table.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "skin/language.h"
#include "skin/message_format.h"

namespace zarvel::cli {
namespace {

// A name from a file, safe to print on a terminal: control characters (an
// escape sequence hidden in a macro name could rewrite the screen) are shown
// as \xNN.
std::string Printable(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out;
}

// The key a record belongs to: a key-table row, a G key, or none (the records
// no key uses).
KeyCode RecordKey(std::size_t record_index) {
  if (record_index < kKeyTableSize) return TableIndexToKeyCode(static_cast<unsigned>(record_index));
  if (record_index < kFirstSecondSpecialRecord) return SpecialKeyCode(static_cast<unsigned>(record_index - kFirstSpecialRecord));
  return kNoKey;
}

std::string KeyName(std::size_t record_index) {
  const KeyCode key = RecordKey(record_index);
  if (key == kNoKey) return "record " + std::to_string(record_index);
  if (IsSpecialKey(key)) return "G" + std::to_string(key - kSpecialKeyBase + 1);
  return KeyDisplayName(key);
}

const char* TypeName(std::uint16_t type) {
  switch (type) {
    case kFunctionDisabled: return "disabled";
    case kFunctionKey: return "key";
    case kFunctionLaunch: return "launch";
    case kFunctionMacro: return "macro";
    case kFunctionStopMacro: return "stop-macro";
    case kFunctionText: return "text";
    case kFunctionMedia: return "multimedia";
    case kFunctionKeyboard: return "keyboard-function";
    default: return "unknown";
  }
}

std::string Describe(std::size_t record_index, const KeyFunction& record, const MacroSet& macros) {
  const KeyCode key = RecordKey(record_index);
  if (key == kNoKey) return CompleteKeyDescription(KeyName(record_index) + " - ", record.type);
  return CompleteKeyDescription(DescribeKeyFunction(key, record, macros).text, record.type);
}

// Validation as the import does it, with exit statuses: a file that is not
// there or cannot be read is 2, a bad one 1. A file whose header is right
// must also load whole (not shorter than its header says), as dump and
// import need it to.
int CheckFile(CommandContext& c, const std::string& path, int& result) {
  if (!ReadableProfileFileOrSay(c, path)) {
    result = -2;
    return kExitUsage;
  }
  result = ValidateProfileFile(path, c.prompter);
  if (result == 1) {
    auto store = std::make_unique<ProfileStore>();
    if (!LoadStoreFile(*store, path)) {
      c.err << "zarvelctl: " << path << " cannot be loaded whole: it is shorter than its header says\n";
      result = 0;
      return kExitFailed;
    }
    // What import refuses after loading is refused here too.
    if (HasDuplicateMacroIds(store->macros)) {
      c.prompter.ShowMessage("IMPORT_MACRO_DUPLICATE", FormatMessage(LookupText("IMPORT_MACRO_DUPLICATE"), {path}));
      result = 0;
      return kExitFailed;
    }
    return kExitOk;
  }
  if (result == -2) {
    c.err << "zarvelctl: cannot open " << path << '\n';
    return kExitUsage;
  }
  if (result == -3) {
    c.err << "zarvelctl: not enough memory to read " << path << '\n';
  } else if (struct stat info {}; ::stat(path.c_str(), &info) == 0 &&
             (static_cast<std::uint64_t>(info.st_size) < kProfileImageSize ||
              static_cast<std::uint64_t>(info.st_size) > kLargestProfileFile)) {
    // Refused on its size alone, before any header message: say why.
    c.err << "zarvelctl: " << path << " is not a profile file: " << info.st_size << " bytes is "
          << (static_cast<std::uint64_t>(info.st_size) < kProfileImageSize ? "smaller" : "larger")
          << " than any profile file\n";
  }
  return kExitFailed;
}

}  // namespace

bool ReadableProfileFileOrSay(CommandContext& c, const std::string& path) {
  const int reason = ProbeRegularFile(path);
  if (reason == 0) return true;
  c.err << "zarvelctl: cannot open " << path << ": " << ReadFailureText(reason) << '\n';
  return false;
}

int RunNewFile(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  if (!NewProfileFile(path)) {
    c.err << "zarvelctl: cannot write " << path << ": " << std::strerror(errno != 0 ? errno : EIO) << '\n';
    return kExitFailed;
  }
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("file", path).Member("created", true).EndObject();
    c.out << json.Text() << '\n';
  } else {
    c.out << "Wrote a profile file with default keys and no macros: " << path << '\n';
  }
  return kExitOk;
}

int RunValidate(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  int result = 0;
  const int status = CheckFile(c, path, result);
  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("file", path).Member("valid", status == kExitOk).Member("result", result).EndObject();
    c.out << json.Text() << '\n';
  } else if (status == kExitOk) {
    c.out << path << ": valid profile file\n";
  } else if (status == kExitFailed) {
    c.out << path << ": not a valid profile file\n";
  }
  return status;
}

int RunDump(CommandContext& c) {
  const std::string& path = c.options.operands[0];
  int result = 0;
  if (const int status = CheckFile(c, path, result); status != kExitOk) return status;
  auto store = std::make_unique<ProfileStore>();
  if (!LoadStoreFile(*store, path)) {
    c.err << "zarvelctl: " << path << " is shorter than its header says; it cannot be loaded\n";
    return kExitFailed;
  }
  const MacroSet& macros = store->macros;

  if (c.options.json) {
    JsonWriter json;
    json.BeginObject().Member("file", path).Key("profiles").BeginArray();
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      json.BeginObject().Member("profile", static_cast<int>(p + 1)).Key("keys").BeginArray();
      for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
        const KeyFunction& record = store->Record(p, r);
        if (record.type == kFunctionDefault) continue;
        json.BeginObject()
            .Member("record", static_cast<int>(r))
            .Member("key", KeyName(r))
            .Member("type", TypeName(record.type))
            .Member("value", static_cast<std::int64_t>(record.value))
            .Member("description", Describe(r, record, macros));
        if (record.type == kFunctionLaunch || record.type == kFunctionText)
          json.Member("text", Utf16ToUtf8(store->strings.Entry(GlobalRecordNumber(p, r)).text));
        json.EndObject();
      }
      json.EndArray().EndObject();
    }
    json.EndArray().Key("macros").BeginArray();
    for (const MacroRecord& macro : macros) {
      json.BeginObject()
          .Member("id", static_cast<int>(macro.id))
          .Member("name", MacroNameUtf8(macro))
          .Member("repeat", static_cast<int>(macro.repeat))
          .Key("actions")
          .BeginArray();
      for (const MacroAction& action : ValidActions(macro))
        json.BeginObject()
            .Member("key", KeyDisplayName(action.keyCode))
            .Member("key_code", static_cast<int>(action.keyCode))
            .Member("direction", action.direction == kRelease ? "release" : "press")
            .Member("delay_ms", static_cast<std::int64_t>(action.delay))
            .EndObject();
      json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
    c.out << json.Text() << '\n';
    return kExitOk;
  }

  c.out << path << ": " << macros.size() << " macros\n";
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    c.out << "Profile " << p + 1 << '\n';
    bool any = false;
    for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
      const KeyFunction& record = store->Record(p, r);
      if (record.type == kFunctionDefault) continue;
      any = true;
      c.out << "  " << Printable(Describe(r, record, macros));
      if (record.type == kFunctionLaunch || record.type == kFunctionText)
        c.out << " \"" << Printable(Utf16ToUtf8(store->strings.Entry(GlobalRecordNumber(p, r)).text)) << '"';
      c.out << '\n';
    }
    if (!any) c.out << "  (every key has its default function)\n";
  }
  c.out << "Macros\n";
  if (macros.empty()) c.out << "  (none)\n";
  for (std::size_t i = 0; i < macros.size(); ++i) {
    const MacroRecord& macro = macros[i];
    const std::span<const MacroAction> actions = ValidActions(macro);
    c.out << "  " << i + 1 << ". " << Printable(MacroNameUtf8(macro)) << " (id " << macro.id << ", played "
          << int{macro.repeat} << "x, " << actions.size() << " actions)\n";
    for (const MacroAction& action : actions)
      c.out << "       " << (action.direction == kRelease ? "release " : "press   ") << KeyDisplayName(action.keyCode)
            << ", then " << action.delay << " ms\n";
  }
  return kExitOk;
}

}  // namespace zarvel::cli
