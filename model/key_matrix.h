#pragma once
// Translation between a profile's key records and the keyboard's key matrix.
//
// A matrix entry is three bytes b0 b1 b2, in the keyboard's own order of
// positions:
//   00 00 00          no function
//   01 01 01/02/04    mouse left / right / middle button
//   01 05 01/FF       wheel up / down
//   02 01 bits        modifier keys (HID modifier-byte bits)
//   02 02 usage       keyboard key (HID keyboard usage)
//   03 lo hi          HID consumer usage
//   04 lo hi          system control usage 0x81..0x83
//   05 01 n           play the macro at position n of the keyboard's macro image
//   05 02 00          stop the playing macro
//   05 05 n           keyboard function n
//   06 A2 n           special key n - 1 (n >= 1)
// Only keys that some default entry names reach the keyboard; the records of
// other keys are kept in the store and in files but never sent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/default_matrix.h"
#include "model/key_code.h"
#include "model/key_function.h"
#include "model/macro.h"

namespace zarvel {

using MatrixEntry = std::array<std::uint8_t, kMatrixEntrySize>;

// The key an entry names, 0 for none (every 00 and 05 entry included). The same
// rule names the keys of macro actions, whose entry type sits in b0.
KeyCode EntryToKeyCode(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);
inline KeyCode EntryToKeyCode(const MatrixEntry& entry) { return EntryToKeyCode(entry[0], entry[1], entry[2]); }

// The entry that makes a key send itself: modifier bit, mouse button or wheel,
// or the key's keyboard usage (02 02 00 when the key has no keyboard usage).
MatrixEntry KeyCodeToKeyEntry(KeyCode code);

// The entry at `position` of a matrix; positions past its end read as 00 00 00.
MatrixEntry MatrixEntryAt(std::span<const std::uint8_t> matrix, std::size_t position);

// Fills `block` from a profile's matrix as read from the keyboard (378 bytes or
// more; missing positions count as unchanged). Keys whose entry equals the
// default stay type 0; anything the system does not understand becomes type 1
// (no function). Never fails. Only type and value are set; the block starts
// from InitProfileBlock.
void DecodeKeyMatrix(std::span<const std::uint8_t> matrix, const DefaultMatrix& defaults, ProfileBlock& block);

// The matrix to write for a profile, `matrixSize` bytes (378, or 384 for the
// 128-position keyboard; clamped to 378..512). Positions 0..125 come from the
// records; every byte past them is the default matrix's own, so the extra
// positions of the larger keyboard keep their factory function. Never fails: a
// macro id that no longer exists plays the macro at position 0, and a record
// the keyboard cannot be told (type above 8, multimedia index above 17) is
// written as no function.
std::vector<std::uint8_t> EncodeKeyMatrix(const ProfileBlock& block, const DefaultMatrix& defaults,
                                          const MacroSet& macros, std::size_t matrixSize = kMatrixBytes);

// Whether some position 0..125 of the factory matrix names the key of record
// `recordIndex`, that is whether the keyboard can be told that key's function
// at all. Special keys G1..G9 have no place in the usual factory matrix.
bool MatrixHasPlaceFor(const DefaultMatrix& defaults, std::size_t recordIndex);

// Whether the keyboard, holding `matrix`, does exactly what `record` would be
// written as for the key of `recordIndex`: every position (that the read
// reached) whose factory entry names that key holds the record's entry. True
// for a key with no place in the matrix. Lets a record the keyboard cannot
// carry itself (a launch or text-block key, written as no function) survive a
// read of the keyboard as long as the keyboard still holds what it was
// written as.
bool KeyboardHoldsRecord(std::span<const std::uint8_t> matrix, const DefaultMatrix& defaults,
                         std::size_t recordIndex, const KeyFunction& record, const MacroSet& macros);

// The entry one record writes at a position whose default entry is `defaultEntry`.
MatrixEntry EncodeKeyFunction(const KeyFunction& record, const MatrixEntry& defaultEntry, const MacroSet& macros);

}  // namespace zarvel
