#pragma once
// Where the program's own files and the user's files live.
//
// Program folder: the executable's folder when it holds the language file or
// `Skins/`, else `../share/zarvel/` beside it (the installed layout).
// User data: $XDG_DATA_HOME (default ~/.local/share) + "/Varnok Z7Q3RGB".
// User settings: $XDG_CONFIG_HOME (default ~/.config) + "/Varnok Z7Q3RGB".
#include <string>

namespace zarvel {

inline constexpr const char* kProductFolderName = "Varnok Z7Q3RGB";

// Always ends with '/'.
std::string ProgramFolder();
// Tests and tools point the program folder somewhere else; empty restores the default.
void SetProgramFolder(const std::string& folder);

// Always end with '/'. Not created here.
std::string UserDataFolder();
std::string UserConfigFolder();
// Creates a folder and its parents (mode 0700 for new ones). False on failure.
bool EnsureFolder(const std::string& folder);

}  // namespace zarvel
