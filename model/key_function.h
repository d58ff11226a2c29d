#pragma once
// The key-function record: what one key does in one profile.
//
// A profile holds 512 of these 16-byte records, addressed by record index
// (see KeyCodeToRecordIndex). Records 0-255 belong to the rows of the key
// table, 256-264 to the special keys G1..G9, 265-273 to a second set of
// special records no window uses, and 274-511 stay zero. The store keeps four
// such blocks, profile 0 first; a record's global number is
// profile * 512 + record index.
//
// In memory the records are plain host-order structs; they become bytes only
// through ReadKeyFunction / WriteKeyFunction.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/key_table.h"

namespace zarvel {

// Function types held in KeyFunction::type.
enum KeyFunctionType : std::uint16_t {
  kFunctionDefault = 0,    // the key keeps the keyboard's default function
  kFunctionDisabled = 1,   // the key does nothing
  kFunctionKey = 2,        // another key, modifier, mouse button or wheel; value = key code
  kFunctionLaunch = 3,     // launch a program; the path is the record's string
  kFunctionMacro = 4,      // play a macro; value = macro id
  kFunctionStopMacro = 5,  // stop the playing macro
  kFunctionText = 6,       // type a text block; the text is the record's string
  kFunctionMedia = 7,      // multimedia function; value = index into MediaFunctionTable()
  kFunctionKeyboard = 8,   // one of the keyboard's own functions; value = 0..10
};

struct KeyFunction {
  std::uint16_t type = kFunctionDefault;
  // Special records: the special id. Macro records made by the key-function
  // dialog: its repeat box (never sent to the keyboard). Otherwise 0.
  std::uint16_t extra = 0;
  // Key code, macro id, media or keyboard-function index, or (types 3 and 6,
  // in files only) the byte offset of the record's text in the string area.
  std::uint32_t value = 0;
  // Key-selection mark, 0 or 1. Nothing sets it; it is carried as found.
  std::uint32_t mark = 0;
  std::uint32_t reserved = 0;  // not interpreted, kept as found

  bool operator==(const KeyFunction&) const = default;
};

// Byte layout of one record (little-endian).
namespace key_function_layout {
inline constexpr std::size_t kType = 0;
inline constexpr std::size_t kExtra = 2;
inline constexpr std::size_t kValue = 4;
inline constexpr std::size_t kMark = 8;
inline constexpr std::size_t kReserved = 12;
}  // namespace key_function_layout

inline constexpr std::size_t kKeyFunctionSize = 16;
static_assert(key_function_layout::kReserved + 4 == kKeyFunctionSize, "KeyFunction is 16 bytes");

inline constexpr std::size_t kProfileCount = 4;
inline constexpr std::size_t kKeyAreaRecords = kRecordsPerProfile * kProfileCount;  // 2048
inline constexpr std::size_t kProfileBlockSize = kRecordsPerProfile * kKeyFunctionSize;
inline constexpr std::size_t kKeyAreaSize = kProfileBlockSize * kProfileCount;
static_assert(kProfileBlockSize == 8192 && kKeyAreaSize == 32768);

// Special keys G1..G9 are records 256..264 (key code 0x200 + k for key k);
// their ids, and those of the unused second set, are written into files and
// never interpreted.
inline constexpr std::size_t kFirstSpecialRecord = 256;
inline constexpr std::size_t kFirstSecondSpecialRecord = 265;
inline constexpr std::uint16_t kFirstSpecialId = 0x0301;
inline constexpr std::uint16_t kFirstSecondSpecialId = 0x1301;

using ProfileBlock = std::array<KeyFunction, kRecordsPerProfile>;
using KeyArea = std::array<ProfileBlock, kProfileCount>;

// Reads a record from exactly kKeyFunctionSize bytes; a shorter span reads as zeros.
KeyFunction ReadKeyFunction(std::span<const std::uint8_t> bytes);
// Writes a record into the first kKeyFunctionSize bytes; a shorter span is left alone.
void WriteKeyFunction(const KeyFunction& record, std::span<std::uint8_t> bytes);

// A block from kProfileBlockSize bytes (missing bytes read as zero), and back.
void ReadProfileBlock(std::span<const std::uint8_t> bytes, ProfileBlock& block);
void WriteProfileBlock(const ProfileBlock& block, std::span<std::uint8_t> bytes);

// All 512 records zero, then the special ids set.
void InitProfileBlock(ProfileBlock& block);
void InitKeyArea(KeyArea& area);
// 16 zero bytes: type 0, and a special record loses its id.
void ResetKeyFunction(KeyFunction& record);

}  // namespace zarvel
