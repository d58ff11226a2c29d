#pragma once
// Macros: a named list of key presses and releases, each followed by a pause,
// which the keyboard plays by itself. One set of at most 100 macros is shared by
// the four profiles. Key records name a macro by its id (1..100, unique, never
// changed while the set is edited); the keyboard's matrix names it by its
// position in the set.
//
// Records are host-order structs; ReadMacroRecord / WriteMacroRecord turn them
// into the 32512-byte form kept in profile files and back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_code.h"

namespace zarvel {

inline constexpr std::size_t kMaxMacros = 100;
inline constexpr std::uint16_t kMaxMacroId = 100;
inline constexpr std::size_t kMaxMacroActions = 4000;
inline constexpr std::uint32_t kMaxMacroDelay = 40000;  // milliseconds
inline constexpr std::size_t kMacroNameUnits = 250;     // UTF-16 units incl. terminator
inline constexpr std::size_t kMaxMacroNameLength = 249;

enum MacroDirection : std::uint16_t { kPress = 0, kRelease = 1 };

struct MacroAction {
  std::uint32_t delay = 0;  // pause after this action, ms (0..40000, resolved in 10 ms steps)
  KeyCode keyCode = 0;
  std::uint16_t direction = kPress;
  bool operator==(const MacroAction&) const = default;
};

namespace macro_action_layout {
inline constexpr std::size_t kDelay = 0;
inline constexpr std::size_t kKeyCode = 4;
inline constexpr std::size_t kDirection = 6;
}  // namespace macro_action_layout
inline constexpr std::size_t kMacroActionSize = 8;
static_assert(macro_action_layout::kDirection + 2 == kMacroActionSize, "MacroAction is 8 bytes");

struct MacroRecord {
  std::array<char16_t, kMacroNameUnits> name{};  // NUL-terminated
  std::uint8_t repeat = 1;                       // plays per key press, 1..255
  std::uint8_t reserved1 = 0;
  std::uint16_t unapplied = 0;  // 1 only while the macro lives in an open editor
  std::uint16_t reserved2 = 0;
  std::uint16_t id = 0;           // 1..100
  std::uint16_t actionCount = 0;  // 0..4000; the first actionCount actions are valid
  std::uint16_t reserved3 = 0;
  std::array<MacroAction, kMaxMacroActions> actions{};

  bool operator==(const MacroRecord&) const = default;
};

namespace macro_record_layout {
inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kRepeat = 500;
inline constexpr std::size_t kReserved1 = 501;
inline constexpr std::size_t kUnapplied = 502;
inline constexpr std::size_t kReserved2 = 504;
inline constexpr std::size_t kId = 506;
inline constexpr std::size_t kActionCount = 508;
inline constexpr std::size_t kReserved3 = 510;
inline constexpr std::size_t kActions = 512;
}  // namespace macro_record_layout
inline constexpr std::size_t kMacroRecordSize = 32512;
static_assert(macro_record_layout::kRepeat == kMacroNameUnits * 2);
static_assert(macro_record_layout::kActions + kMaxMacroActions * kMacroActionSize == kMacroRecordSize,
              "MacroRecord is 32512 bytes");

// The set in position order. Positions are what the keyboard uses; they shift
// when an earlier macro is deleted.
using MacroSet = std::vector<MacroRecord>;

// Reads a record from kMacroRecordSize bytes (missing bytes read as zero). The
// action count is clamped to 4000 and the name is always terminated, so a damaged
// file cannot make later code index past the record.
void ReadMacroRecord(std::span<const std::uint8_t> bytes, MacroRecord& record);
void WriteMacroRecord(const MacroRecord& record, std::span<std::uint8_t> bytes);
MacroAction ReadMacroAction(std::span<const std::uint8_t> bytes);
void WriteMacroAction(const MacroAction& action, std::span<std::uint8_t> bytes);

// Name length in code units before the terminator, at most 249.
std::size_t MacroNameLength(const MacroRecord& record);
std::u16string MacroName(const MacroRecord& record);
// Sets the name, cut to 249 units; the rest of the field is zeroed.
void SetMacroName(MacroRecord& record, std::u16string_view name);
// The name as UTF-8, for display.
std::string MacroNameUtf8(const MacroRecord& record);
void SetMacroNameUtf8(MacroRecord& record, std::string_view name);
// The valid actions (the count clamped to 4000).
std::span<const MacroAction> ValidActions(const MacroRecord& record);

// Position of the macro with `id`, or 0 when no macro has it (the keyboard then
// plays the first macro). Call under the store lock for the working set.
int FindMacroIndex(const MacroSet& macros, std::uint32_t id);
// Id of the macro at `position`, 0 for a negative or too large position.
std::uint16_t MacroIdAt(const MacroSet& macros, int position);
// The record with `id`, nullptr when none.
const MacroRecord* FindMacroById(const MacroSet& macros, std::uint32_t id);
// The lowest id in 1..100 no macro of the set uses; 0 when all are taken.
std::uint16_t NextFreeMacroId(const MacroSet& macros);
// True when the set obeys its rules: at most 100 macros, ids 1..100 and unique,
// action counts at most 4000.
bool MacroSetIsValid(const MacroSet& macros);

// UTF-16 <-> UTF-8 for the texts kept in records and the string table.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace zarvel
