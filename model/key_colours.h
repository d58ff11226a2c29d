#pragma once
// Per-key colours of the user effect (effect 20): the colour array of the four
// profiles, the base-colour marks of the key buttons, the user slot state, and
// every edit of the user colour group expressed as the exact colour writes it
// makes.
//
// The array is 4 × 512 bytes; colour index i of profile p is red, green, blue
// at p × 512 + 3i. The keyboard's per-key colour area has the same layout and
// is written with command 0x11, always into the current profile. Only the
// first 432 bytes of a profile's block (colour indexes 0..143) are ever sent.
//
// Nothing here touches the keyboard or a file. An edit returns the colour
// writes of ONE transfer bracket (empty: send nothing, open no bracket) and
// the slot-file writes the caller makes through UserLightingFiles.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/user_lighting_file.h"

namespace zarvel {

inline constexpr int kKeyColourProfiles = 4;
inline constexpr std::size_t kKeyColourBlockBytes = 512;
inline constexpr std::size_t kKeyColourArrayBytes = kKeyColourBlockBytes * kKeyColourProfiles;
// Colour indexes whose three bytes lie inside a profile's block.
inline constexpr int kColourIndexLimit = static_cast<int>(kKeyColourBlockBytes / 3);
// A whole profile goes out as eight writes of 18 colour entries.
inline constexpr std::size_t kKeyColourChunkEntries = 18;
inline constexpr std::size_t kKeyColourChunkBytes = kKeyColourChunkEntries * 3;
inline constexpr std::size_t kKeyColourChunks = 8;
inline constexpr std::size_t kKeyColourSentBytes = kKeyColourChunkBytes * kKeyColourChunks;
static_assert(kKeyColourSentBytes == 432 && kKeyColourSentBytes <= kKeyColourBlockBytes,
              "432 bytes of the 512-byte block are sent");

inline constexpr int kFnButtonId = 1174;
inline constexpr int kFnColourIndex = 85;

enum class LitButtonKind { kKey, kSpecial, kFn };

// A button of the main window that has a light: 48 key buttons, G1..G9 and
// Fn. Key buttons of unlit keys and the spare buttons have no entry.
struct LitButton {
  int buttonId;
  int colourIndex;
  LitButtonKind kind;
};
inline constexpr std::size_t kColourButtonCount = 58;
std::span<const LitButton, kColourButtonCount> LitButtons();
// The colour index of a button, or -1 when its key has no light.
int ColourIndexOfButton(int buttonId);

using KeyColourArray = std::array<std::uint8_t, kKeyColourArrayBytes>;

// One WriteKeyColours request: `bytes` at colour index `firstColourIndex` of
// the current profile, which is byte `offset` of the 2048-byte colour area.
struct KeyColourWrite {
  std::uint16_t offset = 0;
  int firstColourIndex = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const KeyColourWrite&) const = default;
};
using KeyColourWrites = std::vector<KeyColourWrite>;

// p × 512 + 3i.
std::uint16_t KeyColourOffset(int profile, int colourIndex);

// The user colour group's values for the current profile.
struct UserSlotState {
  std::array<std::string, kUserSlotCount> names;
  int currentSlot = 0;
  int tool = 0;  // 0 paint colour, 1 base colour; a file may hold another value
  SlotColour paintColour;
  SlotColour baseColour;
  SlotSettings Settings() const { return {tool, baseColour, paintColour}; }
};

struct KeyColourState {
  KeyColourArray colours{};
  // Base-colour marks per profile, in LitButtons() order.
  std::array<std::array<bool, kColourButtonCount>, kKeyColourProfiles> marks{};
  UserSlotState slot;
};

SlotColour ColourAt(const KeyColourState& state, int profile, int colourIndex);
// The mark of a button in a profile; false for a button without a light.
bool BaseMark(const KeyColourState& state, int profile, int buttonId);

struct ButtonFrame {
  int buttonId;
  SlotColour colour;
  bool operator==(const ButtonFrame&) const = default;
};

struct PaintResult {
  bool painted = false;
  int colourIndex = -1;
  SlotColour colour;      // the button's new frame
  KeyColourEntry entry;   // WriteKeyEntry(profile, slot.currentSlot, colourIndex, entry)
  KeyColourWrites writes; // 3 bytes at the key's colour index
};
// A key click while the lighting switch is on. Paints only when the selected
// effect is the user effect, the button has a light and the tool is 0 (paint
// colour, mark 0) or 1 (base colour, mark 1); otherwise nothing changes.
PaintResult PaintKey(KeyColourState& state, int profile, int buttonId, int selectedEffect);

// Paints several buttons at once with the slot's tool, as PaintKey does
// each; buttons without a light are skipped. The keyboard gets them in one
// bracket: the single key's write when one light changed, else the
// profile's eight writes (SendKeyColours). Nothing painted: no writes.
struct PaintManyResult {
  std::vector<ButtonFrame> frames;                       // the painted buttons' new frames
  std::vector<UserLightingFiles::IndexedEntry> entries;  // WriteKeyEntries, one per colour index
  KeyColourWrites writes;
};
PaintManyResult PaintKeys(KeyColourState& state, int profile, const std::vector<int>& buttonIds, int selectedEffect);

// The eight 54-byte writes of the profile's block, at colour indexes 0, 18,
// ..., 126. Empty for a profile outside 0..3.
KeyColourWrites SendKeyColours(const KeyColourState& state, int profile);

// Reads the entry of one key of the slot being loaded.
using KeyEntryReader = std::function<KeyColourEntry(int colourIndex)>;
// Loads a slot of `profile`: the slot state takes `slot` and `settings`, and
// every lit button (keys, G buttons and Fn) takes its entry's colour and
// mark: a G button painted in a slot keeps its colour across a restart.
// Returns SendKeyColours when `send`.
KeyColourWrites LoadUserSlot(KeyColourState& state, int profile, int slot, const SlotSettings& settings,
                             const KeyEntryReader& readEntry, bool send);

// A new selection in the slot list; false (nothing changed) outside 0..9. The
// caller then writes the current slot and runs LoadUserSlot with send.
bool SelectUserSlot(KeyColourState& state, int slot);
// An edit of the current slot's name: the name as stored (at most 259
// characters, never cut inside a character). The current slot is unchanged.
std::string RenameUserSlot(KeyColourState& state, std::string_view text);
// These return the slot settings to write.
SlotSettings SetPaintColour(KeyColourState& state, SlotColour colour);
// Tool 0 or 1; false (nothing changed) for another value.
bool SetTool(KeyColourState& state, int tool);

struct BaseColourChange {
  bool changed = false;
  SlotSettings settings;                                 // WriteSlotSettings
  std::vector<int> repaintedButtons;                     // frames now in the base colour
  std::vector<UserLightingFiles::IndexedEntry> entries;  // WriteKeyEntries, one per colour index
  KeyColourWrites writes;                                // SendKeyColours
};
// A new base colour: every marked button of `profile` takes it. Nothing
// happens when the colour is the current one.
BaseColourChange SetBaseColour(KeyColourState& state, int profile, SlotColour colour);

// After a connection: in every profile, a button is marked when its colour
// equals the current base colour.
void RecomputeBaseMarks(KeyColourState& state);

// The frames shown by the key colour display of `profile`.
std::vector<ButtonFrame> KeyColourFrames(const KeyColourState& state, int profile);

// Pictures of the two tool buttons; both up for a tool other than 0 and 1, so
// the group never shows a tool that painting would not use.
struct ToolPictures {
  std::string_view first;
  std::string_view second;
  bool operator==(const ToolPictures&) const = default;
};
ToolPictures ToolPicturesFor(int tool);

}  // namespace zarvel
