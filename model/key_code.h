#pragma once
// The one name of a key, media function, mouse button or keyboard function.
//
// Key codes are built on set-1 scan codes:
//   0x000          no key
//   0x001..0x07F   a key whose make code is one byte (0x1E = A)
//   0x100..0x17F   0x100 + the second byte of an E0-prefixed make code (0x148 = Up);
//                  media, system, mouse and keyboard-function entries live here too
//   0x200..0x2FF   special key k (the G keys) at 0x200 + k; they have no key-table row
// Pause and Num Lock break the set-1 rule the way Windows reports them: Num Lock
// arrives as scan 0x45 with the extended flag (0x145), Pause as 0x45 without it.
#include <cstdint>

namespace zarvel {

using KeyCode = std::uint16_t;

inline constexpr KeyCode kNoKey = 0x000;
inline constexpr KeyCode kExtendedKeyBase = 0x100;  // E0-prefixed keys and functions
inline constexpr KeyCode kExtendedKeyEnd = 0x180;   // first code past the E0 range
inline constexpr KeyCode kSpecialKeyBase = 0x200;   // special key k is 0x200 + k
inline constexpr KeyCode kSpecialKeyEnd = 0x300;    // first code past the special range

// The keyboard's G keys: special keys 0..8, shown as "G1".."G9".
inline constexpr int kGKeyCount = 9;

inline constexpr KeyCode kPauseKey = 0x045;
inline constexpr KeyCode kNumLockKey = 0x145;
inline constexpr KeyCode kBreakKey = 0x146;  // Ctrl+Pause

constexpr bool IsSpecialKey(KeyCode code) { return code >= kSpecialKeyBase && code < kSpecialKeyEnd; }
constexpr KeyCode SpecialKeyCode(unsigned k) { return static_cast<KeyCode>(kSpecialKeyBase + (k & 0xFF)); }

}  // namespace zarvel
