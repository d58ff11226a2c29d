#pragma once
// The keyboard's lighting and per-key colours live in the keyboard alone: no
// file shows another process's change to them. A process that changed them
// rewrites "zarvel.changed" in the per-user folder (its process id and a
// count), and a running window that sees the file written by another process
// reads the lighting again.
#include <string>

namespace zarvel {

inline constexpr const char* kKeyboardChangeMarkName = "zarvel.changed";

// Rewrites the mark (renamed into place). Failures are ignored: the mark only saves
// the window a stale panel, and the keyboard already took the change.
void MarkKeyboardChanged();

// Reads the mark and tells whether another process wrote it since the last
// call with the same `last_seen` (updated here). The first call only notes
// what is there.
bool KeyboardChangedElsewhere(std::string& last_seen);

}  // namespace zarvel
