#include "model/user_lighting_file.h"

#include <sys/stat.h>

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "model/atomic_file.h"
#include "skin/ini_file.h"
#include "skin/ini_text.h"
#include "skin/int_list.h"
#include "skin/program_paths.h"

namespace zarvel {

namespace {

constexpr std::string_view kCurrentSlotSection = "PRESENTMODE";
constexpr std::string_view kCurrentSlotKey = "mode";
constexpr std::string_view kSlotNameSection = "MODENAME";
constexpr std::string_view kToolKey = "tool";
constexpr std::string_view kBaseColourKey = "jcolor";
constexpr std::string_view kPaintColourKey = "color";
constexpr std::string_view kSwitchSection = "KEYCOLOR";
constexpr std::string_view kSwitchKey = "DengCheck";
constexpr std::string_view kDefaultSlotName = "0";
// Values in these files are a few numbers; a longer value is no value of ours.
constexpr std::size_t kMaxNumberValueChars = 259;
// A template larger than this is no lighting file.
constexpr std::size_t kMaxTemplateBytes = 4u * 1024u * 1024u;

bool ValidProfile(int profile) { return profile >= 0 && profile < kLightingFileProfiles; }
bool ValidSlot(int slot) { return slot >= 0 && slot < kUserSlotCount; }

std::string SlotSection(int slot) { return "Mode" + std::to_string(slot); }

std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback) {
  return ReadProfileString(path, section, key, fallback, kMaxNumberValueChars);
}

// Reads up to out.size() numbers; the ones not present keep the defaults
// the caller put into `out`.
void ReadNumbers(const std::string& path, std::string_view section, std::string_view key, std::span<int> out) {
  std::array<int, 4> read{};
  std::size_t count = ScanIntList(ReadValue(path, section, key, ""), std::span<int>(read).first(out.size()));
  for (std::size_t i = 0; i < count; ++i) out[i] = read[i];
}

std::uint8_t Low8(int value) { return static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFu); }

SlotColour ColourOf(const int* numbers) { return {Low8(numbers[0]), Low8(numbers[1]), Low8(numbers[2])}; }

std::string ColourText(const SlotColour& colour) {
  std::array<int, 3> numbers = {colour.red, colour.green, colour.blue};
  return FormatIntList(numbers);
}

std::string EntryText(const KeyColourEntry& entry) {
  std::array<int, 4> numbers = {entry.colour.red, entry.colour.green, entry.colour.blue, entry.mark ? 1 : 0};
  return FormatIntList(numbers);
}

// The template's bytes with every bare LF turned into CRLF.
std::vector<std::uint8_t> WithCrLf(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out.push_back('\r');
    out.push_back(bytes[i]);
  }
  return out;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

UserLightingFiles::UserLightingFiles() : UserLightingFiles(UserDataFolder(), ProgramFolder()) {}

UserLightingFiles::UserLightingFiles(std::string userFolder, std::string programFolder)
    : userFolder_(std::move(userFolder)), programFolder_(std::move(programFolder)) {}

std::string UserLightingFiles::LightingFilePath(int profile) const {
  return userFolder_ + "UserDengColor_" + std::to_string(profile) + ".userd";
}

std::string UserLightingFiles::TemplatePath() const {
  return programFolder_ + "Skins/UserDengColor_" + std::to_string(kLightingTemplateNumber) + ".userd";
}

std::string UserLightingFiles::SettingsFilePath() const { return userFolder_ + "qnkb.ini"; }

int UserLightingFiles::ReadCurrentSlot(int profile) const {
  if (!ValidProfile(profile)) return 0;
  std::array<int, 1> slot = {0};
  ReadNumbers(LightingFilePath(profile), kCurrentSlotSection, kCurrentSlotKey, slot);
  // The slot indexes the slot list; a number from the file outside it is no slot.
  return ValidSlot(slot[0]) ? slot[0] : 0;
}

bool UserLightingFiles::WriteCurrentSlot(int profile, int slot) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return false;
  return WriteProfileString(LightingFilePath(profile), kCurrentSlotSection, kCurrentSlotKey, std::to_string(slot));
}

std::string UserLightingFiles::ReadSlotName(int profile, int slot) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return std::string(kDefaultSlotName);
  return ReadProfileString(LightingFilePath(profile), kSlotNameSection, std::to_string(slot), kDefaultSlotName,
                           kMaxSlotNameChars);
}

bool UserLightingFiles::WriteSlotName(int profile, int slot, std::string_view name) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return false;
  return WriteProfileString(LightingFilePath(profile), kSlotNameSection, std::to_string(slot), name);
}

SlotSettings UserLightingFiles::ReadSlotSettings(int profile, int slot) const {
  SlotSettings settings;
  if (!ValidProfile(profile) || !ValidSlot(slot)) return settings;
  std::string path = LightingFilePath(profile);
  std::string section = SlotSection(slot);
  std::array<int, 1> tool = {0};
  ReadNumbers(path, section, kToolKey, tool);
  settings.tool = tool[0];
  std::array<int, 3> base = {0, 0, 0};
  ReadNumbers(path, section, kBaseColourKey, base);
  settings.baseColour = ColourOf(base.data());
  std::array<int, 3> paint = {0, 0, 0};
  ReadNumbers(path, section, kPaintColourKey, paint);
  settings.paintColour = ColourOf(paint.data());
  return settings;
}

bool UserLightingFiles::WriteSlotSettings(int profile, int slot, const SlotSettings& settings) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return false;
  return WriteProfileStrings(LightingFilePath(profile), SlotSection(slot),
                             {{std::string(kToolKey), std::to_string(settings.tool)},
                              {std::string(kBaseColourKey), ColourText(settings.baseColour)},
                              {std::string(kPaintColourKey), ColourText(settings.paintColour)}});
}

KeyColourEntry UserLightingFiles::ReadKeyEntry(int profile, int slot, int colourIndex) const {
  KeyColourEntry entry;
  if (!ValidProfile(profile) || !ValidSlot(slot)) return entry;
  std::array<int, 4> numbers = {255, 0, 0, 1};
  ReadNumbers(LightingFilePath(profile), SlotSection(slot), std::to_string(colourIndex), numbers);
  entry.colour = ColourOf(numbers.data());
  entry.mark = numbers[3] != 0;
  return entry;
}

std::vector<KeyColourEntry> UserLightingFiles::ReadKeyEntries(int profile, int slot,
                                                              std::span<const int> colourIndexes) const {
  std::vector<KeyColourEntry> entries(colourIndexes.size());
  std::vector<std::uint8_t> bytes;
  if (!ValidProfile(profile) || !ValidSlot(slot) || !ReadWholeFile(LightingFilePath(profile), bytes) ||
      bytes.size() > kMaxIniFileBytes) {
    return entries;
  }
  const IniText ini = IniText::Parse(bytes);
  const std::string section = SlotSection(slot);
  for (std::size_t i = 0; i < colourIndexes.size(); ++i) {
    std::optional<std::string_view> value = ini.Find(section, std::to_string(colourIndexes[i]));
    if (!value) continue;
    std::array<int, 4> numbers = {255, 0, 0, 1};
    ScanIntList(CutToChars(*value, kMaxNumberValueChars), numbers);
    entries[i].colour = ColourOf(numbers.data());
    entries[i].mark = numbers[3] != 0;
  }
  return entries;
}

std::array<std::string, kUserSlotCount> UserLightingFiles::ReadSlotNames(int profile) const {
  std::array<std::string, kUserSlotCount> names;
  names.fill(std::string(kDefaultSlotName));
  std::vector<std::uint8_t> bytes;
  if (!ValidProfile(profile) || !ReadWholeFile(LightingFilePath(profile), bytes) || bytes.size() > kMaxIniFileBytes) {
    return names;
  }
  const IniText ini = IniText::Parse(bytes);
  for (int slot = 0; slot < kUserSlotCount; ++slot) {
    if (auto value = ini.Find(kSlotNameSection, std::to_string(slot))) {
      names[static_cast<std::size_t>(slot)] = CutToChars(*value, kMaxSlotNameChars);
    }
  }
  return names;
}

bool UserLightingFiles::WriteKeyEntry(int profile, int slot, int colourIndex, const KeyColourEntry& entry) const {
  IndexedEntry one{colourIndex, entry};
  return WriteKeyEntries(profile, slot, std::span<const IndexedEntry>(&one, 1));
}

bool UserLightingFiles::WriteKeyEntries(int profile, int slot, std::span<const IndexedEntry> entries) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return false;
  std::vector<std::pair<std::string, std::string>> values;
  values.reserve(entries.size());
  for (const IndexedEntry& item : entries) values.emplace_back(std::to_string(item.colourIndex), EntryText(item.entry));
  return WriteProfileStrings(LightingFilePath(profile), SlotSection(slot), values);
}

bool UserLightingFiles::WriteSlot(int profile, int slot, const SlotSettings& settings,
                                  std::span<const IndexedEntry> entries) const {
  if (!ValidProfile(profile) || !ValidSlot(slot)) return false;
  std::vector<std::pair<std::string, std::string>> values = {
      {std::string(kToolKey), std::to_string(settings.tool)},
      {std::string(kBaseColourKey), ColourText(settings.baseColour)},
      {std::string(kPaintColourKey), ColourText(settings.paintColour)}};
  for (const IndexedEntry& item : entries) values.emplace_back(std::to_string(item.colourIndex), EntryText(item.entry));
  return WriteProfileStrings(LightingFilePath(profile), SlotSection(slot), values);
}

int UserLightingFiles::RestoreFromTemplate(int profile) const {
  if (!ValidProfile(profile)) return 0;
  std::vector<std::uint8_t> bytes;
  // Without the template the user's slots stay as they are: an emptied file
  // would lose them and still not hold the factory slots.
  if (!ReadWholeFile(TemplatePath(), bytes) || bytes.size() > kMaxTemplateBytes) return 0;
  std::vector<std::uint8_t> copy = WithCrLf(bytes);
  return WriteFileAtomically(LightingFilePath(profile), std::span<const std::uint8_t>(copy)) ? 1 : 0;
}

int UserLightingFiles::SeedUserFolder() const {
  if (IsDirectory(userFolder_)) return 0;
  if (!EnsureFolder(userFolder_)) return -1;
  for (int profile = 0; profile < kLightingFileProfiles; ++profile) RestoreFromTemplate(profile);
  return 1;
}

bool UserLightingFiles::ReadLightingSwitch() const {
  return ReadProfileString(SettingsFilePath(), kSwitchSection, kSwitchKey, "0", kMaxNumberValueChars) == "1";
}

bool UserLightingFiles::WriteLightingSwitch(bool on) const {
  return WriteProfileString(SettingsFilePath(), kSwitchSection, kSwitchKey, on ? "1" : "0");
}

}  // namespace zarvel
