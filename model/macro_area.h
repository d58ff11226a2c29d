#pragma once
// The macro image: the whole macro set packed the way the keyboard keeps it in
// its macro memory (written with command 0x0A, read with 0x09, 16-bit offsets).
//
//   0   u16  magic 0x55AA (bytes AA 55)
//   2   u16  image size in bytes
//   4   u16  macro count n
//   6   u16  names flag: 1 when the bodies carry the names
//   8   8    reserved, 0
//   16  n*u16 body offsets from the start of the image, in set order
//   ..  bodies back to back: u16 action count a, u8 repeat, u8 name length L,
//       a * 4 bytes of actions, then L UTF-16LE units of name (no terminator)
//
// An action is a u16 word (bits 0-11 delay / 10, bits 12-14 entry type, bit 15
// set for a press) followed by the two operand bytes of a three-byte key entry
// in the key matrix's format.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "model/macro.h"

namespace zarvel {

inline constexpr std::uint16_t kMacroAreaMagic = 0x55AA;
inline constexpr std::size_t kMacroAreaHeaderSize = 16;
inline constexpr std::size_t kMacroBodyHeaderSize = 4;
inline constexpr std::size_t kEncodedActionSize = 4;
// The image's sizes and offsets are 16-bit.
inline constexpr std::size_t kMaxMacroAreaSize = 0xFFFF;

namespace macro_area_layout {
inline constexpr std::size_t kMagic = 0;
inline constexpr std::size_t kImageSize = 2;
inline constexpr std::size_t kCount = 4;
inline constexpr std::size_t kNamesFlag = 6;
inline constexpr std::size_t kOffsets = 16;
// Body
inline constexpr std::size_t kBodyActionCount = 0;
inline constexpr std::size_t kBodyRepeat = 2;
inline constexpr std::size_t kBodyNameLength = 3;
inline constexpr std::size_t kBodyActions = 4;
}  // namespace macro_area_layout

struct MacroAreaSize {
  std::size_t withoutNames = 0;  // 16 + 2n + sum(4 + 4a)
  std::size_t withNames = 0;     // the same plus sum(2 * name length)
};

MacroAreaSize MacroAreaSizes(const MacroSet& macros);

// Fills `buffer` with the image of `macros`: header (the given size, count and
// names flag), offset table and bodies. Returns false, leaving the buffer zero,
// when the set cannot be packed: more than 100 macros, an image size above
// 0xFFFF (its offsets would wrap) or a buffer smaller than the content.
bool EncodeMacroArea(const MacroSet& macros, std::size_t imageSize, bool withNames, std::span<std::uint8_t> buffer);

// The two bytes of a macro action as the keyboard stores them (word 0 and the operand).
struct EncodedMacroAction {
  std::uint16_t word = 0;
  std::uint8_t operand1 = 0;
  std::uint8_t operand2 = 0;
};
EncodedMacroAction EncodeMacroAction(const MacroAction& action);
MacroAction DecodeMacroAction(const EncodedMacroAction& encoded);

// Turns an image into records, replacing `out`; returns the count. Macro i gets
// id i + 1. A body without a name gets `namePrefix` followed by i + 1. The
// decoder never leaves the image nor a record's 4000 actions, whatever the image
// claims: the count is cut to 100 and to the offset table that fits, action
// counts and name lengths to the bytes present; a body that starts outside the
// image yields an empty macro, so positions stay aligned with the key matrix. An
// image without the magic, or shorter than its header, holds no macros.
int DecodeMacroArea(std::span<const std::uint8_t> image, std::u16string_view namePrefix, MacroSet& out);
// The same with the language's MACRO_NEW_PREFIX text as the prefix.
int DecodeMacroArea(std::span<const std::uint8_t> image, MacroSet& out);

}  // namespace zarvel
