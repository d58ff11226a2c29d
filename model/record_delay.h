#pragma once
// Whether macro recording keeps the measured pauses between key events.
//
// One persistent flag in the application settings' "PROFILES" section. Its
// value name is the language text of MACRO_ACTION_RECORD_DELAY (so it follows
// the language, as it always has); the value is the text "1" (on) or "0" (off).
#include <string_view>

#include "skin/settings.h"

namespace zarvel {

inline constexpr std::string_view kProfilesSection = "PROFILES";

// 1 on, 0 off. Missing reads as 0; any text other than "0" or "1" reads as 0
// and is written back as "0".
int ReadRecordDelaySetting(Settings& settings);
// Stores "1" when `on`, else "0"; returns the value stored (1 or 0).
int WriteRecordDelaySetting(Settings& settings, bool on);

}  // namespace zarvel
