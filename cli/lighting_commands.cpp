#include "cli/lighting_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "cli/keyboard_session.h"
#include "core/key_buttons.h"
#include "core/key_selection.h"
#include "core/lighting_controller.h"
#include "model/key_table.h"
#include "skin/language.h"

namespace zarvel::cli {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "RRGGBB" or "#RRGGBB" in hexadecimal.
std::optional<LightingColour> ParseColour(std::string text) {
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
  }
  return LightingColour{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                        static_cast<std::uint8_t>(value)};
}

std::string ColourText(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", red, green, blue);
  return text;
}
std::string ColourText(const LightingColour& c) { return ColourText(c.red, c.green, c.blue); }
std::string ColourText(const SlotColour& c) { return ColourText(c.red, c.green, c.blue); }

constexpr const char* kChoiceNames[4] = {"red", "yellow", "green", "blue"};

std::string EffectName(int effect) {
  std::string name = LookupEffectName(effect);
  return name == kMissingText ? std::string() : name;
}

// The effect number named by `text`: a number, or an offered effect's name.
int FindEffect(const LightingState& state, const std::string& text) {
  if (auto number = ParseNumber(text, 1, 255)) return *number;
  for (const EffectEntry& entry : state.effects.entries()) {
    if (Lower(EffectName(entry.effect)) == Lower(text)) return entry.effect;
  }
  return -1;
}

std::optional<DirectionArrow> ParseDirection(const std::string& text) {
  const std::string word = Lower(text);
  if (word == "first" || word == "left" || word == "up" || word == "spread") return DirectionArrow::kFirst;
  if (word == "second" || word == "right" || word == "down" || word == "converge") return DirectionArrow::kSecond;
  return std::nullopt;
}

// The options of `lighting`, as "--name value" or "--name=value" pairs.
struct LightingOptions {
  std::vector<std::pair<std::string, std::string>> edits;  // in the order they are applied
};

constexpr const char* kEditOrder[] = {"effect", "brightness", "speed", "direction",
                                      "colour", "random",     "rate",  "choice"};

bool ParseLightingOptions(const std::vector<std::string>& operands, LightingOptions& options, std::string& error) {
  std::vector<std::pair<std::string, std::string>> given;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    const std::string& arg = operands[i];
    if (arg.rfind("--", 0) != 0) {
      error = "unexpected '" + arg + "'";
      return false;
    }
    std::string name = arg.substr(2);
    std::string value;
    if (auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.erase(eq);
    } else if (i + 1 < operands.size()) {
      value = operands[++i];
    } else {
      error = arg + " needs a value";
      return false;
    }
    if (name == "color") name = "colour";
    bool known = false;
    for (const char* option : kEditOrder) known = known || name == option;
    if (!known) {
      error = "unknown option '--" + name + "'";
      return false;
    }
    given.emplace_back(name, value);
  }
  for (const char* option : kEditOrder) {
    for (const auto& [name, value] : given) {
      if (name == option) options.edits.emplace_back(name, value);
    }
  }
  return true;
}

// The keyboard, the per-user lighting files and the lighting controller on
// the keyboard's active profile, read as the window shows it.
struct LightingRun {
  explicit LightingRun(CommandContext& c) : c(c), session(c) {}

  int Open() {
    if (!session.StartTrace(c.err)) return kExitUsage;
    if (const int status = session.Connect(c.err, c.prompter); status != kExitOk) return status;
    UserLightingFiles().SeedUserFolder();
    profile = session.Sync().GetActiveProfile();
    if (profile < 0) {
      c.err << "zarvelctl: the keyboard did not report its active profile\n";
      return kExitFailed;
    }
    LightingHost host;
    host.currentProfile = [this] { return profile; };
    host.activeProfile = [this] { return profile; };
    controller = std::make_unique<LightingController>(session.Link(), view, c.prompter, host);
    if (controller->ReadLightingArea() != kResultDone) {
      c.err << "zarvelctl: the keyboard did not answer the lighting read\n";
      return kExitFailed;
    }
    controller->FillSlotList();
    controller->LoadUserSlot(false);
    return kExitOk;
  }

  // Unless `check_only`, runs `send` (one write to the keyboard) and checks it.
  template <typename Write>
  int Send(bool check_only, Write send, const std::string& what) {
    return check_only ? kExitOk : Check(send(), what);
  }

  // kExitOk, or kExitFailed with the reason printed.
  int Check(int result, const std::string& what) {
    if (result == kResultDone) return kExitOk;
    c.err << "zarvelctl: the keyboard did not take the " << what << '\n';
    return kExitFailed;
  }

  // `status` of the keyboard write, turned into kExitFailed when the slot
  // file could not be saved (`unsaved`, "PATH: reason"): the keyboard forgets
  // nothing, but the next slot load would bring back the old colours.
  // `shown` says what the keyboard took, `what` what was not saved.
  int CheckSaved(int status, const std::string& unsaved, const std::string& shown, const std::string& what) {
    if (unsaved.empty()) return status;
    c.err << "zarvelctl: ";
    if (status == kExitOk && !shown.empty()) c.err << shown << ", but ";
    c.err << what << " could not be saved: " << unsaved << '\n';
    return kExitFailed;
  }

  CommandContext& c;
  KeyboardSession session;
  NullLightingView view;
  int profile = -1;
  std::unique_ptr<LightingController> controller;
};

// Checks one edit and, unless `check_only`, sends it. Every edit is checked
// before the first is sent, so a bad value later on the command line leaves
// the keyboard as it was.
int ApplyEdit(LightingRun& run, const std::string& name, const std::string& value, bool check_only) {
  LightingController& lighting = *run.controller;
  const LightingState& state = lighting.State();
  auto bad = [&](const char* expected) {
    run.c.err << "zarvelctl: --" << name << ": '" << value << "' is not " << expected << '\n';
    return kExitUsage;
  };
  // A number the keyboard has no setting for is a bad value like any other,
  // but the user is told the range rather than left to guess it.
  auto bad_number = [&](const char* expected, int low, int high) {
    if (!IsDigits(value)) return bad(expected);
    run.c.err << "zarvelctl: --" << name << ": " << value << " is out of range " << low << " to " << high << '\n';
    return kExitUsage;
  };
  if (name == "effect") {
    if (IsDigits(value) && !ParseNumber(value, 1, 255)) return bad_number("an effect", 1, 255);
    const int effect = FindEffect(state, value);
    const int position = effect < 0 ? -1 : state.effects.PositionOf(effect);
    if (position < 0) {
      run.c.err << "zarvelctl: the keyboard does not offer the effect '" << value << "'\n";
      return kExitFailed;
    }
    return run.Send(check_only, [&] { return lighting.SelectEffect(position); }, "effect");
  }
  if (name == "brightness") {
    auto level = ParseNumber(value, 0, 4);
    return level ? run.Send(check_only, [&] { return lighting.SetBrightness(*level); }, "brightness")
                 : bad_number("a brightness 0-4", 0, 4);
  }
  if (name == "speed") {
    auto speed = ParseNumber(value, 0, 3);
    // The slider shows the speed the other way round.
    return speed ? run.Send(check_only, [&] { return lighting.SetSpeedPosition(3 - *speed); }, "speed")
                 : bad_number("a speed 0-3", 0, 3);
  }
  if (name == "direction") {
    auto arrow = ParseDirection(value);
    return arrow ? run.Send(check_only, [&] { return lighting.SetDirection(*arrow); }, "direction")
                 : bad("a direction");
  }
  if (name == "colour") {
    auto colour = ParseColour(value);
    return colour ? run.Send(check_only, [&] { return lighting.SetColour(*colour); }, "colour")
                 : bad("a colour RRGGBB");
  }
  if (name == "random") {
    const std::string word = Lower(value);
    if (word != "on" && word != "off") return bad("on or off");
    if (check_only || (word == "on") == state.randomColour) return kExitOk;
    return run.Send(check_only, [&] { return lighting.ToggleRandomColour(); }, "random colour");
  }
  if (name == "rate") {
    auto rate = ParseNumber(value, 0, 3);
    return rate ? run.Send(check_only, [&] { return lighting.SetReportRate(*rate); }, "report rate")
                 : bad_number("a report rate 0-3", 0, 3);
  }
  // choice
  std::optional<int> choice = ParseNumber(value, 0, 3);
  for (int c = 0; c < 4 && !choice; ++c) {
    if (Lower(value) == kChoiceNames[c]) choice = c;
  }
  return choice ? run.Send(check_only, [&] { return lighting.SetColourChoice(*choice); }, "colour choice")
                 : bad_number("red, yellow, green or blue", 0, 3);
}

void PrintLighting(LightingRun& run) {
  const LightingState& s = run.controller->State();
  std::ostream& out = run.c.out;
  if (run.c.options.json) {
    JsonWriter json;
    json.BeginObject()
        .Member("profile", run.profile + 1)
        .Member("effect", s.effect)
        .Member("effect_name", EffectName(s.effect))
        .Member("brightness", s.brightness)
        .Member("speed", s.speed)
        .Member("direction", s.direction == kDirectionFirst ? "first" : "second")
        .Member("random", s.randomColour)
        .Member("colour", ColourText(s.colour))
        .Member("rate", s.reportRate)
        .Member("choice", kChoiceNames[s.colourChoice & 3])
        .Member("switch", s.lightingSwitch)
        .EndObject();
    out << json.Text() << '\n';
    return;
  }
  out << "Profile:         " << run.profile + 1 << '\n';
  out << "Effect:          " << s.effect << (EffectName(s.effect).empty() ? "" : " " + EffectName(s.effect)) << '\n';
  out << "Brightness:      " << s.brightness << '\n';
  out << "Speed:           " << s.speed << '\n';
  out << "Direction:       " << (s.direction == kDirectionFirst ? "first" : "second") << '\n';
  out << "Random colour:   " << (s.randomColour ? "on" : "off") << '\n';
  out << "Colour:          " << ColourText(s.colour) << '\n';
  out << "Report rate:     " << s.reportRate << '\n';
  out << "Colour choice:   " << kChoiceNames[s.colourChoice & 3] << '\n';
  out << "Lighting switch: " << (s.lightingSwitch ? "on" : "off") << '\n';
}

void PrintSlots(LightingRun& run) {
  const UserSlotState& slot = run.controller->Colours().slot;
  std::ostream& out = run.c.out;
  const char* tool = slot.tool == 0 ? "paint" : slot.tool == 1 ? "base" : "none";
  if (run.c.options.json) {
    JsonWriter json;
    json.BeginObject()
        .Member("profile", run.profile + 1)
        .Member("slot", slot.currentSlot + 1)
        .Key("slots")
        .BeginArray();
    for (int i = 0; i < kUserSlotCount; ++i) json.String(slot.names[static_cast<std::size_t>(i)]);
    json.EndArray()
        .Member("tool", tool)
        .Member("paint_colour", ColourText(slot.paintColour))
        .Member("base_colour", ColourText(slot.baseColour))
        .EndObject();
    out << json.Text() << '\n';
    return;
  }
  out << "Profile " << run.profile + 1 << ", slot " << slot.currentSlot + 1 << " of " << kUserSlotCount << '\n';
  for (int i = 0; i < kUserSlotCount; ++i) {
    out << (i == slot.currentSlot ? " * " : "   ") << i + 1 << ": " << slot.names[static_cast<std::size_t>(i)] << '\n';
  }
  out << "Tool:            " << tool << '\n';
  out << "Paint colour:    " << ColourText(slot.paintColour) << '\n';
  out << "Base colour:     " << ColourText(slot.baseColour) << '\n';
}

// The lit button a key name stands for: a key button, a G button or Fn; -1
// when the name is no key or the key has no button.
int FindColourButton(const std::string& name) {
  if (Lower(name) == "fn") return kFnButtonId;
  const KeyCode key = FindKeyByName(name);
  if (key == 0) return -1;
  if (IsSpecialKey(key)) return SpecialKeyButtonId(key - kSpecialKeyBase);
  for (const KeyButton& button : KeyButtons()) {
    if (button.key == key) return button.buttonId;
  }
  return -1;
}

// The lit buttons of KEYS: one key, keys separated by commas, or a group's
// lit keys. False after saying why; `status` is then the exit status.
bool ParseKeys(LightingRun& run, const std::string& action, const std::string& text, std::vector<int>& buttons,
               int& status) {
  KeyGroup group;
  if (FindKeyGroup(text, group)) {
    for (int button : KeyGroupButtons(group)) {
      if (ColourIndexOfButton(button) >= 0) buttons.push_back(button);
    }
    if (buttons.empty()) {
      run.c.err << "zarvelctl: no key of the group '" << text << "' has a light of its own\n";
      status = kExitFailed;
      return false;
    }
    return true;
  }
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t comma = text.find(',', from);
    if (comma == std::string::npos) comma = text.size();
    const std::string keyName = text.substr(from, comma - from);
    const int button = FindColourButton(keyName);
    if (button < 0) {
      run.c.err << "zarvelctl: colours " << action << ": unknown key '" << keyName
                << "' (keys by name, e.g. Esc, F1, G3, Fn, or a group: letters, numbers, f-row, wasd, arrows, "
                   "g-keys)\n";
      status = kExitUsage;
      return false;
    }
    if (ColourIndexOfButton(button) < 0) {
      run.c.err << "zarvelctl: the key '" << keyName << "' has no light of its own\n";
      status = kExitFailed;
      return false;
    }
    buttons.push_back(button);
    from = comma + 1;
  }
  return true;
}

// colours paint KEYS RRGGBB (tool 0) and colours base KEYS RRGGBB (tool 1):
// every key in one bracket and one save of the slot file.
int Paint(LightingRun& run, const std::string& action, const std::string& keys, const std::string& colourText) {
  LightingController& lighting = *run.controller;
  std::vector<int> buttons;
  int status = kExitOk;
  if (!ParseKeys(run, action, keys, buttons, status)) return status;
  auto colour = ParseColour(colourText);
  if (!colour) {
    run.c.err << "zarvelctl: colours " << action << ": '" << colourText << "' is not a colour RRGGBB\n";
    return kExitUsage;
  }
  if (lighting.State().effect != kUserEffect) {
    run.c.err << "zarvelctl: keys can be painted only in the user effect (lighting --effect " << int{kUserEffect}
              << ")\n";
    return kExitFailed;
  }
  const int tool = action == "base" ? 1 : 0;
  status = run.Check(lighting.PaintKeys(buttons, SlotColour{colour->red, colour->green, colour->blue}, tool),
                     buttons.size() == 1 ? "key colour" : "key colours");
  return run.CheckSaved(status, lighting.LastFileError(), "the keyboard shows " + keys + " in " + colourText,
                        buttons.size() == 1 ? "the key's colour" : "the keys' colours");
}

}  // namespace

int RunLighting(CommandContext& c) {
  LightingOptions options;
  std::string error;
  if (!ParseLightingOptions(c.options.operands, options, error)) {
    c.err << "zarvelctl: lighting: " << error << '\n';
    return kExitUsage;
  }
  LightingRun run(c);
  if (const int status = run.Open(); status != kExitOk) return status;
  for (const bool check_only : {true, false}) {
    for (const auto& [name, value] : options.edits) {
      if (const int status = ApplyEdit(run, name, value, check_only); status != kExitOk) return status;
    }
  }
  PrintLighting(run);
  return kExitOk;
}

int RunColours(CommandContext& c) {
  const std::vector<std::string>& args = c.options.operands;
  const std::string action = args.empty() ? std::string() : Lower(args[0]);
  const std::size_t n = args.size();
  for (const std::string& arg : args) {
    // No colour, key name or number starts with a dash, so this is an option
    // the command does not have rather than a misplaced operand.
    if (arg.size() > 1 && arg[0] == '-') {
      c.err << "zarvelctl: colours: unknown option '" << arg << "'\n";
      return kExitUsage;
    }
  }
  const bool fits = action.empty() || (action == "send" && n == 1) || (action == "paint" && n == 3) ||
                    (action == "slot" && (n == 1 || n == 2)) || ((action == "base" || action == "tool") && n == 2) ||
                    (action == "base" && n == 3);
  if (!fits) {
    c.err << "zarvelctl: usage: colours [paint KEYS RRGGBB | slot [N] | base [KEYS] RRGGBB | tool paint|base | "
             "send]\n";
    return kExitUsage;
  }
  LightingRun run(c);
  if (const int status = run.Open(); status != kExitOk) return status;
  LightingController& lighting = *run.controller;
  int status = kExitOk;
  if (action == "paint" || (action == "base" && n == 3)) {
    status = Paint(run, action, args[1], args[2]);
  } else if (action == "slot" && args.size() == 2) {
    auto slot = ParseNumber(args[1], 1, kUserSlotCount);
    if (!slot) {
      c.err << "zarvelctl: colours slot: the slots are numbered 1 to " << kUserSlotCount << '\n';
      return kExitUsage;
    }
    status = run.Check(lighting.SelectUserSlot(*slot - 1), "slot's colours");
    status = run.CheckSaved(status, lighting.LastFileError(), "the keyboard shows slot " + std::to_string(*slot),
                            "its settings");
  } else if (action == "base") {
    auto colour = ParseColour(args[1]);
    if (!colour) {
      c.err << "zarvelctl: colours base: '" << args[1] << "' is not a colour RRGGBB\n";
      return kExitUsage;
    }
    status = run.Check(lighting.SetBaseColour({colour->red, colour->green, colour->blue}), "key colours");
    status = run.CheckSaved(status, lighting.LastFileError(), "the keyboard shows base colour " + args[1],
                            "the slot's colours");
  } else if (action == "tool") {
    const std::string tool = Lower(args[1]);
    if (tool != "paint" && tool != "base") {
      c.err << "zarvelctl: colours tool: paint or base\n";
      return kExitUsage;
    }
    lighting.SetTool(tool == "paint" ? 0 : 1);
    status = run.CheckSaved(status, lighting.LastFileError(), "", "the slot's tool");
  } else if (action == "send") {
    status = run.Check(lighting.SendKeyColours(), "key colours");
  }
  if (status == kExitOk) PrintSlots(run);
  return status;
}

}  // namespace zarvel::cli
