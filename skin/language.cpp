#include "skin/language.h"

#include <array>
#include <cstdio>

#include "skin/ini_file.h"
#include "skin/program_paths.h"
#include "skin/settings.h"

namespace zarvel {

namespace {

// Language index -> identifier of the language file it reads. Only the first
// two entries can ever be chosen; both are English.
constexpr std::array<std::uint16_t, 3> kLanguageTable = {0x0409, 0x0409, 0x0C04};

struct LanguageMapping {
  std::uint16_t from;
  std::uint16_t to;
};

// Regional variants folded onto the language whose file would serve them.
// First match wins.
constexpr std::array<LanguageMapping, 31> kSystemLanguageMapping = {{
    {0x0C04, 0x0409}, {0x1004, 0x0409},
    {0x0809, 0x0409}, {0x0C09, 0x0409}, {0x1009, 0x0409}, {0x1409, 0x0409}, {0x1809, 0x0409},
    {0x1C09, 0x0409}, {0x2009, 0x0409}, {0x2409, 0x0409}, {0x2809, 0x0409}, {0x2C09, 0x0409},
    {0x080C, 0x040C}, {0x2C0C, 0x040C}, {0x0C0C, 0x040C}, {0x240C, 0x040C}, {0x300C, 0x040C},
    {0x3C0C, 0x040C}, {0x140C, 0x040C}, {0x340C, 0x040C}, {0x180C, 0x040C}, {0x380C, 0x040C},
    {0xE40C, 0x040C}, {0x200C, 0x040C}, {0x280C, 0x040C}, {0x100C, 0x040C}, {0x1C0C, 0x040C},
    {0x0C07, 0x0407}, {0x1407, 0x0407}, {0x1007, 0x0407}, {0x0807, 0x0407},
}};

std::string Lookup(std::string_view section, std::string_view key, int languageIndex) {
  return ReadProfileString(LanguageFilePath(languageIndex), section, key, kMissingText, kMaxLanguageTextChars);
}

}  // namespace

std::uint16_t LanguageTableId(int languageIndex) {
  if (languageIndex < 0 || languageIndex > 2) languageIndex = 0;
  return kLanguageTable[static_cast<std::size_t>(languageIndex)];
}

std::uint16_t MapSystemLanguage(std::uint16_t languageId) {
  for (const LanguageMapping& row : kSystemLanguageMapping) {
    if (row.from == languageId) return row.to;
  }
  return languageId;
}

std::uint16_t GetLanguageId(Settings& settings) {
  std::int64_t stored = settings.GetInt(kApplicationKeySection, kLanguageIdValueName, 0);
  if (stored > 0 && stored <= 0xFFFF) return static_cast<std::uint16_t>(stored);
  std::uint16_t id = MapSystemLanguage(SystemLanguageId());
  if (id != kLanguageTable[0] && id != kLanguageTable[1]) id = kEnglishLanguageId;
  settings.SetInt(kApplicationKeySection, kLanguageIdValueName, id);
  return id;
}

std::uint16_t GetLanguageId() { return GetLanguageId(UserSettings()); }

int GetLanguageIndex(Settings& settings) {
  std::uint16_t id = GetLanguageId(settings);
  if (id == kLanguageTable[0]) return 0;
  if (id == kLanguageTable[1]) return 1;
  return 0;
}

int GetLanguageIndex() { return GetLanguageIndex(UserSettings()); }

std::string LanguageFilePath(int languageIndex) {
  char name[16];
  std::snprintf(name, sizeof name, "Lang%04X.ini", static_cast<unsigned>(LanguageTableId(languageIndex)));
  return ProgramFolder() + name;
}

std::string LookupText(std::string_view key, int languageIndex) { return Lookup("TEXT", key, languageIndex); }

std::string LookupLight(std::string_view key, int languageIndex) { return Lookup("LIGHT", key, languageIndex); }

std::string LookupMode(std::string_view effectNumber, int languageIndex) {
  return Lookup("MODE", effectNumber, languageIndex);
}

std::string LookupEffectName(int effectNumber) { return LookupMode(std::to_string(effectNumber)); }

}  // namespace zarvel
