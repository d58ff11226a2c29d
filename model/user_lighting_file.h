#pragma once
// The user lighting files: per profile, the ten user slots of the user effect
// (effect 20) with their names, painting tool, base and paint colours and the
// colour of every key; and the one-key user settings file holding the
// lighting switch. The keyboard never reports its per-key colours, so these
// files are the only record of them.
//
// Files, under the per-user data folder:
//   "UserDengColor_<p>.userd" (p = 0..3)   slots of profile p
//   "qnkb.ini"                              section "KEYCOLOR", key "DengCheck"
// and, read only, the shipped template "Skins/UserDengColor_4.userd" in the
// program folder.
//
// Layout of a lighting file (INI; colours are red,green,blue in decimal):
//   [PRESENTMODE] mode=<current slot>
//   [MODENAME]    0..9=<slot name>
//   [Mode<s>]     tool=<0 paint colour, 1 base colour>
//                 jcolor=<r,g,b base colour>  color=<r,g,b paint colour>
//                 <colour index>=<r,g,b,mark>  (mark 1: the key wears the base colour)
//
// Reads never fail: anything missing or unreadable takes its default (slot 0,
// name "0", tool 0, colours 0,0,0, key entry 255,0,0 with mark 1). A value with
// too few numbers takes the default's numbers for the missing ones; each colour
// number is taken as its low eight bits; a mark other than 0 reads as 1.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarvel {

inline constexpr int kUserSlotCount = 10;
inline constexpr int kLightingFileProfiles = 4;
// The template is "lighting file number 4", the number after the profiles'.
inline constexpr int kLightingTemplateNumber = 4;
// Longest slot name returned, in characters.
inline constexpr std::size_t kMaxSlotNameChars = 259;

struct SlotColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const SlotColour&) const = default;
};

struct SlotSettings {
  int tool = 0;  // 0 paints the paint colour, 1 the base colour
  SlotColour baseColour;
  SlotColour paintColour;
  bool operator==(const SlotSettings&) const = default;
};

struct KeyColourEntry {
  SlotColour colour{255, 0, 0};
  bool mark = true;  // the key wears the slot's base colour
  bool operator==(const KeyColourEntry&) const = default;
};

class UserLightingFiles {
 public:
  // The per-user data folder and the program folder of this process.
  UserLightingFiles();
  // Explicit folders (each ending with '/'), for tests and tools.
  UserLightingFiles(std::string userFolder, std::string programFolder);

  std::string LightingFilePath(int profile) const;
  std::string TemplatePath() const;
  std::string SettingsFilePath() const;

  // Profiles outside 0..3 and slots outside 0..9 name no file or section:
  // reads give the defaults, writes return false and touch nothing.

  // The current slot; a stored number outside 0..9 reads as slot 0.
  int ReadCurrentSlot(int profile) const;
  bool WriteCurrentSlot(int profile, int slot) const;

  std::string ReadSlotName(int profile, int slot) const;
  // False when the name holds a line break (it would split the file's line).
  bool WriteSlotName(int profile, int slot, std::string_view name) const;

  SlotSettings ReadSlotSettings(int profile, int slot) const;
  // Writes "tool", "jcolor" and "color", in that order.
  bool WriteSlotSettings(int profile, int slot, const SlotSettings& settings) const;

  KeyColourEntry ReadKeyEntry(int profile, int slot, int colourIndex) const;
  bool WriteKeyEntry(int profile, int slot, int colourIndex, const KeyColourEntry& entry) const;
  // The entries of several keys of one slot (entry i for colourIndexes[i])
  // from a single read of the file: loading a slot reads every lit key.
  std::vector<KeyColourEntry> ReadKeyEntries(int profile, int slot, std::span<const int> colourIndexes) const;
  // The ten slot names from a single read of the file.
  std::array<std::string, kUserSlotCount> ReadSlotNames(int profile) const;
  // Several keys of one slot with a single replacement of the file (a base
  // colour change repaints dozens of keys at once).
  struct IndexedEntry {
    int colourIndex;
    KeyColourEntry entry;
  };
  bool WriteKeyEntries(int profile, int slot, std::span<const IndexedEntry> entries) const;
  // The slot's settings and several keys with one replacement of the file:
  // an edit of many keys (or its undo) is saved once, whole or not at all.
  bool WriteSlot(int profile, int slot, const SlotSettings& settings, std::span<const IndexedEntry> entries) const;

  // Replaces the profile's file by a copy of the shipped template, with CRLF
  // line ends. Returns 1 on success, 0 when the template cannot be read or
  // the file cannot be replaced; the user's file is then left as it was.
  int RestoreFromTemplate(int profile) const;

  // First start for a user: when the per-user folder does not exist, creates
  // it and makes files 0..3 from the template. An existing folder is left
  // untouched. Returns 1 when the folder was created, 0 when it existed, -1
  // when it could not be created.
  int SeedUserFolder() const;

  // The lighting switch: "DengCheck" is "1" for on; anything else is off.
  bool ReadLightingSwitch() const;
  bool WriteLightingSwitch(bool on) const;

 private:
  std::string userFolder_;
  std::string programFolder_;
};

}  // namespace zarvel
