#include "model/key_colours.h"

#include <algorithm>

#include "model/byte_io.h"
#include "model/lighting_record.h"

namespace zarvel {

namespace {

using Kind = LitButtonKind;

// The lit buttons of the main window. Most keys of the right half and the
// number pad have no light of their own and are absent.
constexpr std::array<LitButton, kColourButtonCount> kColourButtons = {{
    {1010, 8, Kind::kKey},   {1011, 16, Kind::kKey},  {1012, 24, Kind::kKey},  {1013, 32, Kind::kKey},   // F1..F4
    {1022, 0, Kind::kKey},                                                                             // Esc
    {1029, 1, Kind::kKey},                                                                             // grave
    {1030, 9, Kind::kKey},   {1031, 17, Kind::kKey},  {1032, 25, Kind::kKey},  {1033, 33, Kind::kKey},   // 1..4
    {1034, 41, Kind::kKey},  {1035, 49, Kind::kKey},  {1036, 57, Kind::kKey},  {1037, 65, Kind::kKey},   // 5..8
    {1038, 73, Kind::kKey},  {1039, 81, Kind::kKey},                                                   // 9, 0
    {1044, 10, Kind::kKey},  {1045, 18, Kind::kKey},  {1046, 26, Kind::kKey},  {1047, 34, Kind::kKey},   // Q..R
    {1048, 42, Kind::kKey},  {1049, 50, Kind::kKey},  {1050, 58, Kind::kKey},  {1051, 66, Kind::kKey},   // T..I
    {1052, 74, Kind::kKey},  {1053, 82, Kind::kKey},                                                   // O, P
    {1056, 2, Kind::kKey},                                                                             // Tab
    {1058, 11, Kind::kKey},  {1059, 19, Kind::kKey},  {1060, 27, Kind::kKey},  {1061, 35, Kind::kKey},   // A..F
    {1062, 43, Kind::kKey},  {1063, 51, Kind::kKey},  {1064, 59, Kind::kKey},  {1065, 67, Kind::kKey},   // G..K
    {1066, 75, Kind::kKey},                                                                            // L
    {1069, 3, Kind::kKey},                                                                             // Caps Lock
    {1071, 20, Kind::kKey},  {1072, 28, Kind::kKey},  {1073, 36, Kind::kKey},  {1074, 44, Kind::kKey},   // Z..V
    {1075, 52, Kind::kKey},  {1076, 60, Kind::kKey},  {1077, 40, Kind::kKey},                          // B, N, M
    {1082, 4, Kind::kKey},   {1083, 5, Kind::kKey},   {1085, 21, Kind::kKey},  {1090, 45, Kind::kKey},   // Shift, Ctrl, Alt, Space
    {1000, 39, Kind::kSpecial}, {1001, 7, Kind::kSpecial}, {1002, 15, Kind::kSpecial},                 // G1..G3
    {1003, 23, Kind::kSpecial}, {1004, 31, Kind::kSpecial},                                            // G4, G5
    {1140, 125, Kind::kSpecial}, {1141, 125, Kind::kSpecial}, {1142, 125, Kind::kSpecial},             // G6..G8
    {1143, 125, Kind::kSpecial},                                                                       // G9
    {kFnButtonId, kFnColourIndex, Kind::kFn},
}};

constexpr bool IndexesFitTheSentPart() {
  for (const LitButton& button : kColourButtons) {
    if (button.colourIndex < 0 || static_cast<std::size_t>(button.colourIndex) * 3 + 3 > kKeyColourSentBytes) {
      return false;
    }
  }
  return true;
}
static_assert(IndexesFitTheSentPart(), "every lit button's colour is inside the part of the block that is sent");

constexpr int kUserEffectNumber = kUserEffect;

bool ValidProfile(int profile) { return profile >= 0 && profile < kKeyColourProfiles; }

// Position of the button in kColourButtons, or -1.
int ButtonSlot(int buttonId) {
  for (std::size_t i = 0; i < kColourButtons.size(); ++i) {
    if (kColourButtons[i].buttonId == buttonId) return static_cast<int>(i);
  }
  return -1;
}

std::size_t ColourByte(int profile, int colourIndex) {
  return static_cast<std::size_t>(profile) * kKeyColourBlockBytes + 3 * static_cast<std::size_t>(colourIndex);
}

void StoreColour(KeyColourState& state, int profile, int colourIndex, const SlotColour& colour) {
  ByteWriter writer(state.colours);
  std::size_t at = ColourByte(profile, colourIndex);
  writer.U8(at, colour.red);
  writer.U8(at + 1, colour.green);
  writer.U8(at + 2, colour.blue);
}

}  // namespace

std::span<const LitButton, kColourButtonCount> LitButtons() { return kColourButtons; }

int ColourIndexOfButton(int buttonId) {
  int slot = ButtonSlot(buttonId);
  return slot < 0 ? -1 : kColourButtons[static_cast<std::size_t>(slot)].colourIndex;
}

std::uint16_t KeyColourOffset(int profile, int colourIndex) {
  return static_cast<std::uint16_t>(ColourByte(profile, colourIndex));
}

SlotColour ColourAt(const KeyColourState& state, int profile, int colourIndex) {
  if (!ValidProfile(profile) || colourIndex < 0 || colourIndex >= kColourIndexLimit) return {};
  ByteReader reader(state.colours);
  std::size_t at = ColourByte(profile, colourIndex);
  return {reader.U8(at), reader.U8(at + 1), reader.U8(at + 2)};
}

bool BaseMark(const KeyColourState& state, int profile, int buttonId) {
  int slot = ButtonSlot(buttonId);
  if (!ValidProfile(profile) || slot < 0) return false;
  return state.marks[static_cast<std::size_t>(profile)][static_cast<std::size_t>(slot)];
}

PaintResult PaintKey(KeyColourState& state, int profile, int buttonId, int selectedEffect) {
  PaintResult result;
  int slot = ButtonSlot(buttonId);
  // A button without a light has no place in the colour area: painting it
  // would write some other key's colour.
  if (selectedEffect != kUserEffectNumber || !ValidProfile(profile) || slot < 0) return result;
  bool mark;
  SlotColour colour;
  if (state.slot.tool == 1) {
    colour = state.slot.baseColour;
    mark = true;
  } else if (state.slot.tool == 0) {
    colour = state.slot.paintColour;
    mark = false;
  } else {
    return result;
  }
  int colourIndex = kColourButtons[static_cast<std::size_t>(slot)].colourIndex;
  state.marks[static_cast<std::size_t>(profile)][static_cast<std::size_t>(slot)] = mark;
  StoreColour(state, profile, colourIndex, colour);
  result.painted = true;
  result.colourIndex = colourIndex;
  result.colour = colour;
  result.entry = {colour, mark};
  result.writes.push_back({KeyColourOffset(profile, colourIndex), colourIndex, {colour.red, colour.green, colour.blue}});
  return result;
}

PaintManyResult PaintKeys(KeyColourState& state, int profile, const std::vector<int>& buttonIds, int selectedEffect) {
  PaintManyResult result;
  PaintResult last;
  for (int buttonId : buttonIds) {
    PaintResult paint = PaintKey(state, profile, buttonId, selectedEffect);
    if (!paint.painted) continue;
    result.frames.push_back({buttonId, paint.colour});
    // G6..G9 share one light: its entry is written once.
    bool listed = std::any_of(result.entries.begin(), result.entries.end(),
                              [&](const auto& e) { return e.colourIndex == paint.colourIndex; });
    if (!listed) result.entries.push_back({paint.colourIndex, paint.entry});
    last = std::move(paint);
  }
  if (result.entries.size() == 1)
    result.writes = std::move(last.writes);
  else if (!result.entries.empty())
    result.writes = SendKeyColours(state, profile);
  return result;
}

KeyColourWrites SendKeyColours(const KeyColourState& state, int profile) {
  KeyColourWrites writes;
  if (!ValidProfile(profile)) return writes;
  for (std::size_t chunk = 0; chunk < kKeyColourChunks; ++chunk) {
    int firstIndex = static_cast<int>(chunk * kKeyColourChunkEntries);
    std::size_t from = ColourByte(profile, firstIndex);
    writes.push_back({KeyColourOffset(profile, firstIndex), firstIndex,
                      std::vector<std::uint8_t>(state.colours.begin() + static_cast<std::ptrdiff_t>(from),
                                                state.colours.begin() +
                                                    static_cast<std::ptrdiff_t>(from + kKeyColourChunkBytes))});
  }
  return writes;
}

KeyColourWrites LoadUserSlot(KeyColourState& state, int profile, int slot, const SlotSettings& settings,
                             const KeyEntryReader& readEntry, bool send) {
  if (!ValidProfile(profile)) return {};
  state.slot.currentSlot = std::clamp(slot, 0, kUserSlotCount - 1);
  state.slot.tool = settings.tool;
  state.slot.baseColour = settings.baseColour;
  state.slot.paintColour = settings.paintColour;
  for (std::size_t i = 0; i < kColourButtons.size(); ++i) {
    const LitButton& button = kColourButtons[i];
    KeyColourEntry entry = readEntry ? readEntry(button.colourIndex) : KeyColourEntry{};
    StoreColour(state, profile, button.colourIndex, entry.colour);
    state.marks[static_cast<std::size_t>(profile)][i] = entry.mark;
  }
  return send ? SendKeyColours(state, profile) : KeyColourWrites{};
}

bool SelectUserSlot(KeyColourState& state, int slot) {
  if (slot < 0 || slot >= kUserSlotCount) return false;
  state.slot.currentSlot = slot;
  return true;
}

std::string RenameUserSlot(KeyColourState& state, std::string_view text) {
  // Count characters, not bytes: a name is UTF-8 and must not end in half a
  // character.
  std::size_t characters = 0;
  std::size_t end = 0;
  while (end < text.size()) {
    auto lead = static_cast<unsigned char>(text[end]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (characters == kMaxSlotNameChars || end + length > text.size()) break;
    end += length;
    ++characters;
  }
  std::string name(text.substr(0, end));
  state.slot.names[static_cast<std::size_t>(std::clamp(state.slot.currentSlot, 0, kUserSlotCount - 1))] = name;
  return name;
}

SlotSettings SetPaintColour(KeyColourState& state, SlotColour colour) {
  state.slot.paintColour = colour;
  return state.slot.Settings();
}

bool SetTool(KeyColourState& state, int tool) {
  if (tool != 0 && tool != 1) return false;
  state.slot.tool = tool;
  return true;
}

BaseColourChange SetBaseColour(KeyColourState& state, int profile, SlotColour colour) {
  BaseColourChange change;
  if (!ValidProfile(profile) || colour == state.slot.baseColour) return change;
  change.changed = true;
  state.slot.baseColour = colour;
  change.settings = state.slot.Settings();
  for (std::size_t i = 0; i < kColourButtons.size(); ++i) {
    if (!state.marks[static_cast<std::size_t>(profile)][i]) continue;
    const LitButton& button = kColourButtons[i];
    StoreColour(state, profile, button.colourIndex, colour);
    change.repaintedButtons.push_back(button.buttonId);
    // G6..G9 share one light: its entry is written once.
    bool written = std::any_of(change.entries.begin(), change.entries.end(),
                               [&](const auto& e) { return e.colourIndex == button.colourIndex; });
    if (!written) change.entries.push_back({button.colourIndex, KeyColourEntry{colour, true}});
  }
  change.writes = SendKeyColours(state, profile);
  return change;
}

void RecomputeBaseMarks(KeyColourState& state) {
  for (int profile = 0; profile < kKeyColourProfiles; ++profile) {
    for (std::size_t i = 0; i < kColourButtons.size(); ++i) {
      state.marks[static_cast<std::size_t>(profile)][i] =
          ColourAt(state, profile, kColourButtons[i].colourIndex) == state.slot.baseColour;
    }
  }
}

std::vector<ButtonFrame> KeyColourFrames(const KeyColourState& state, int profile) {
  std::vector<ButtonFrame> frames;
  if (!ValidProfile(profile)) return frames;
  for (const LitButton& button : kColourButtons) {
    frames.push_back({button.buttonId, ColourAt(state, profile, button.colourIndex)});
  }
  return frames;
}

ToolPictures ToolPicturesFor(int tool) {
  if (tool == 0) return {"user1down.bmp", "user2up.bmp"};
  if (tool == 1) return {"user1up.bmp", "user2down.bmp"};
  return {"user1up.bmp", "user2up.bmp"};
}

}  // namespace zarvel
