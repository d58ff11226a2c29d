#pragma once
// Language strings: every user-visible text is looked up by key in the language
// file "Lang%04X.ini" in the program folder. Lookups read the file every time
// (no cache), so an edited file shows up in the next lookup. A missing file,
// section or key yields "#Error"; values are cut to 259 characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvel {

class Settings;

inline constexpr std::string_view kMissingText = "#Error";

// The chosen language identifier, from the user settings' "dwLanguageId",
// decided from the system language (LC_ALL / LC_MESSAGES / LANG) on first use.
std::uint16_t GetLanguageId();
// 0..1: the position of GetLanguageId() among the first two language-table entries.
int GetLanguageIndex();
// Full path of the language file for a language index (above 2 treated as 0).
std::string LanguageFilePath(int languageIndex);

std::string LookupText(std::string_view key, int languageIndex);
std::string LookupLight(std::string_view key, int languageIndex);
std::string LookupMode(std::string_view effectNumber, int languageIndex);

// Convenience for callers that look up with the current index, as every caller does.
inline std::string LookupText(std::string_view key) { return LookupText(key, GetLanguageIndex()); }
inline std::string LookupLight(std::string_view key) { return LookupLight(key, GetLanguageIndex()); }
inline std::string LookupMode(std::string_view effectNumber) { return LookupMode(effectNumber, GetLanguageIndex()); }
// The "MODE" name of a lighting effect number (its key is the number in decimal).
std::string LookupEffectName(int effectNumber);

// The longest text a lookup returns, in characters.
inline constexpr std::size_t kMaxLanguageTextChars = 259;
// Name of the settings value (section kApplicationKeySection) holding the choice.
inline constexpr std::string_view kLanguageIdValueName = "dwLanguageId";
inline constexpr std::uint16_t kEnglishLanguageId = 0x0409;

// The language message: windows set all their texts again with the index it carries.
inline constexpr unsigned kLanguageMessage = 0x5041;
inline constexpr std::uint32_t kLanguageMessageCode = 0x4C414E47;  // "LANG"
// The index a language message carries: above 2 (or negative) is sent as 0.
inline int LanguageMessageIndex(int languageIndex) {
  return languageIndex < 0 || languageIndex > 2 ? 0 : languageIndex;
}

// The language identifier of language index 0..2 (above 2 or negative: index 0).
std::uint16_t LanguageTableId(int languageIndex);
// GetLanguageId against a given settings store (GetLanguageId uses UserSettings()).
// A stored value of 1..0xFFFF is the result; anything else is decided afresh
// from the system language and written back (write failures are ignored).
std::uint16_t GetLanguageId(Settings& settings);
int GetLanguageIndex(Settings& settings);
// The 31-row mapping of regional variants onto the languages that have files;
// identifiers without a row pass unchanged.
std::uint16_t MapSystemLanguage(std::uint16_t languageId);
// The Windows language identifier of a POSIX locale name such as "de_AT.UTF-8"
// or "sr_RS@latin". "C", "POSIX", empty and unknown names give 0x0409; a known
// language with an unknown region gives the language's main identifier.
std::uint16_t LanguageIdFromLocale(std::string_view localeName);
// The system default language: the first non-empty of LC_ALL, LC_MESSAGES, LANG.
std::uint16_t SystemLanguageId();

}  // namespace zarvel
