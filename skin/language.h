#pragma once
// Language strings: every user-visible text is looked up by key in the language
// file "Lang%04X.ini" in the program folder. Lookups read the file every time
// (no cache), so an edited file shows up in the next lookup. A missing file,
// section or key yields "#Error"; values are cut to 259 characters.
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvel {

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

}  // namespace zarvel
