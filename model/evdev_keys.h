#pragma once
// Linux input key numbers (KEY_* of linux/input-event-codes.h) to key codes.
//
// Under Linux, recording and key capture see keys as evdev key numbers; X11 and
// Wayland hand them to the toolkit as the native scan code, which is the evdev
// number + 8. Every key of the key table that Linux can report is covered: the
// main keys, keypad, navigation, modifiers, the Japanese and Korean keys, and the
// multimedia, system and application-launch keys, whether they come from a USB
// keyboard (HID usages) or a PS/2 one.
#include "model/key_code.h"

namespace zarvel {

// Offset between an X11/Wayland native scan code (XKB keycode) and the evdev number.
inline constexpr unsigned kXkbKeycodeOffset = 8;

// 0 for numbers that name no key of the table.
KeyCode EvdevToKeyCode(unsigned evdevCode);
// nativeScanCode - 8 through EvdevToKeyCode; 0 below 8.
KeyCode NativeScanCodeToKeyCode(unsigned nativeScanCode);
// The number Linux reports for a key (for keys Linux reports under two numbers,
// the one a USB keyboard sends); 0 when Linux has none.
unsigned KeyCodeToEvdev(KeyCode code);

}  // namespace zarvel
