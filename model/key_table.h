#pragma once
// The key table and the conversions every other layer uses to name keys.
//
// One constant table of 256 rows describes every key code that has a row: the
// Windows virtual key it produces (kept because recorded keystrokes and stored
// data use it), the one-byte code the keyboard itself stores for it, its place
// in the key pick list and the language key of its display name. Everything
// here is a pure function over constant tables, safe from any thread, except
// the display-name functions, which read the current language file.
//
// Index spaces (never mixed):
//   table index   0..255, the row: key code below 0x100, key code - 0x80 for 0x100..0x17F
//   record index  0..511, a key's record in a profile block; see KeyCodeToRecordIndex
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/key_code.h"

namespace zarvel {

inline constexpr std::size_t kKeyTableSize = 256;
inline constexpr std::size_t kKeyTableRowsInUse = 157;
inline constexpr std::size_t kConsumerUsageCount = 32;
inline constexpr std::size_t kDefinedConsumerUsages = 18;
inline constexpr std::size_t kRecordsPerProfile = 512;

// Pick list: positions 0..105 are the keyboard keys the editing windows list;
// 107..111 mouse buttons and wheel; 0x8001.. entries never listed; 0xFFFF none.
inline constexpr std::uint16_t kPickListSize = 106;
inline constexpr std::uint16_t kNotInPickList = 0x8000;  // bit set: never listed
inline constexpr std::uint16_t kNoPickIndex = 0xFFFF;

// Returned by KeyCodeToRecordIndex for codes that have no record.
inline constexpr std::uint16_t kNoRecordIndex = 0xFFFF;

struct KeyInfo {
  std::uint8_t vk;          // Windows virtual key; 0xFF where Windows has none
  std::uint8_t altVk;       // virtual key with Num Lock off (differs on the keypad only)
  std::uint16_t pickIndex;  // see the pick list above
  std::uint8_t deviceCode;  // the keyboard's own code for the key; 0 none
  std::string_view textKey; // key in section TEXT of the language file; empty for none
  std::string_view name;    // fixed reference name, never shown (command-line lookups use it)
};

// Kinds of the keyboard's one-byte device codes.
//   Keyboard 0x04..0x93, 0xE0..0xE7 HID keyboard usages (and 0xC0..0xD5 multimedia entries)
//   System   0x81 Power, 0x82 Sleep, 0x83 Wake
//   Mouse    0xF1..0xF5 left, right, middle, wheel up, wheel down
//   Consumer a HID consumer-page usage; accepted by DeviceToKeyCode only
enum class DeviceKind : std::uint8_t { None = 0, System = 1, Mouse = 2, Keyboard = 7, Consumer = 12 };

struct DeviceCode {
  DeviceKind kind;
  std::uint8_t value;
  friend bool operator==(const DeviceCode&, const DeviceCode&) = default;
};

// The 256 rows, indexed by table index. Unused rows: pick index 0xFFFF, all else zero.
std::span<const KeyInfo, kKeyTableSize> KeyTable();
// HID consumer usage of multimedia entry i (device code 0xC0 + i); 0 = no entry.
std::span<const std::uint16_t, kConsumerUsageCount> ConsumerUsageTable();
// Virtual key -> table index of the key producing it; 0 for none. Generic
// Shift/Ctrl/Alt name the left-hand keys, Enter the main Enter, VK_SNAPSHOT
// Print Screen; mouse buttons and the private keyboard-function codes have none.
std::span<const std::uint8_t, 256> VirtualKeyTable();

// The row of a key code, or nullptr when the code has none (no key, special
// keys, and the unused codes 0x080..0x0FF and 0x180..0x1FF).
const KeyInfo* KeyRow(KeyCode code);

// Table index 0..255 -> key code (index below 0x80, index + 0x80 above); 0 past 255.
KeyCode TableIndexToKeyCode(unsigned tableIndex);
// code < 0x100: code; 0x100..0x1FF: (code - 0x80) & 0xFF; 0x200..0x2FF: code - 0x100
// (special keys on records 256..511); kNoRecordIndex for codes of 0x300 and above.
std::uint16_t KeyCodeToRecordIndex(KeyCode code);

// The device code of a key: (None, 0) without one, System for 0x81..0x83, Mouse
// for 0xF1..0xF8, Keyboard for everything else, multimedia codes 0xC0.. included.
DeviceCode KeyCodeToDevice(KeyCode code);
// The first row (lowest table index) carrying the device code; 0 when none.
// Keyboard: value is the device code. System: 0x81..0x83 only. Consumer: value is
// a HID consumer usage, looked up among the defined multimedia entries. Mouse and
// None find nothing. Right Shift comes out as 0x036 and device code 0x48 as Pause.
KeyCode DeviceToKeyCode(DeviceKind kind, unsigned value);

// HID modifier byte -> key code of its lowest set bit (Ctrl, Shift, Alt, Win,
// Right Ctrl, Right Shift, Right Alt, Right Win); 0 for 0.
KeyCode ModifierBitsToKeyCode(std::uint8_t bits);
// The modifier bit of a key; 0 when the key is no modifier.
std::uint8_t KeyCodeToModifierBit(KeyCode code);

// A Windows keystroke (virtual key, hook flags: bits 16..23 scan code, bit 24
// extended) -> key code. The scan code wins whenever it agrees with the virtual
// key, which tells left from right modifiers, keypad from navigation keys and
// Enter from Num Enter; a scan code of 0 converts by virtual key alone and
// virtual key 0xFF by scan code alone.
KeyCode KeystrokeToKeyCode(std::uint8_t vk, std::uint32_t flags);

// First row with that pick index -> its key code; 0 when none.
KeyCode PickIndexToKeyCode(std::uint16_t pickIndex);
// Pick index of the key's row; kNoPickIndex when the code has no row.
std::uint16_t KeyCodeToPickIndex(KeyCode code);

// Display name in the current language (UTF-8), cut to capacity - 1 characters
// (code points). Keys without a row, without a text key or with an empty text
// show the language's UNKNOWN_KEY text formatted with the key code.
std::string KeyDisplayName(KeyCode code, std::size_t capacity = 260);
// Display name of the first row with that pick index; empty when there is none
// or the row has no text key.
std::string PickIndexDisplayName(std::uint16_t pickIndex);

// Keys whose press Windows reports only as a release (Sys Req, KL, KR, Print Screen);
// recorders add the missing press.
bool IsReleaseOnlyKey(KeyCode code);

// Command-line lookup: a row's reference name or its display name in the current
// language, case-insensitively and ignoring spaces ("pageup", "Caps Lock"), a few
// typeable spellings ("Up", "Left", "Grave"), or "G1".."G9" for the special keys.
// 0 when nothing matches.
KeyCode FindKeyByName(std::string_view name);

}  // namespace zarvel
