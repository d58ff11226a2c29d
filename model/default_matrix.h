#pragma once
// The keyboard's factory key matrix: which key sits at each matrix position
// and what that key does by default.
//
// Position p is bytes 3p..3p+2. The translation between key records and the
// matrix covers positions 0..125 (378 bytes); keyboards with a 384-byte matrix
// have two more positions that the records do not describe. The buffer is
// refilled from the keyboard at every connection; until a read succeeds it holds
// the built-in content below (positions 0..125, the rest zero).
#include <array>
#include <cstddef>
#include <cstdint>

namespace zarvel {

inline constexpr std::size_t kMatrixEntrySize = 3;
inline constexpr std::size_t kMatrixPositions = 126;
inline constexpr std::size_t kMatrixBytes = kMatrixPositions * kMatrixEntrySize;  // 378
inline constexpr std::size_t kLargeMatrixBytes = 384;   // the 128-position variant
inline constexpr std::size_t kDefaultMatrixSize = 512;  // one matrix slot

using DefaultMatrix = std::array<std::uint8_t, kDefaultMatrixSize>;

// The factory matrix the program assumes before any keyboard has been read.
DefaultMatrix BuiltInDefaultMatrix();

}  // namespace zarvel
