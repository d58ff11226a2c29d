#pragma once
// The profile file (".zvl"), which is also the per-user store file.
//
//   0      32          file header
//   32     32          layout descriptor (constants, ignored by readers)
//   64     32768       key area: four profile blocks of 512 16-byte records
//   32832  n * 32512   n macro records, in set order
//   ..     S           string area: NUL-terminated UTF-16 texts at even offsets
//
// Header, little-endian:
//   0 u16 magic 0x4446 · 2 u16 32 · 4 u16 3 · 6 u16 1 · 8 u32 total file size
//   12 u16 2048 records · 14 u16 n macros (<= 100) · 16 u32 S · 20..29 zero
//   30 u8 0 (readers accept 0 or 1) · 31 u8 sum of bytes 0..30 modulo 256
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/macro.h"
#include "model/prompter.h"

namespace zarvel {

inline constexpr std::size_t kProfileHeaderSize = 32;
inline constexpr std::size_t kProfileDescriptorSize = 32;
inline constexpr std::size_t kKeyAreaOffset = 64;
inline constexpr std::size_t kProfileImageSize = 32832;  // header, descriptor and key area
inline constexpr std::size_t kProfileMacrosOffset = kProfileImageSize;
inline constexpr std::uint16_t kProfileMagic = 0x4446;
// The texts of launch and text-block keys are short (paths, phrases); 16 KiB
// for each of the 2048 records is far beyond any real file, and bounds what a
// reader ever reads: a header promising gigabytes is refused before the rest
// of the file is touched.
inline constexpr std::uint32_t kMaxStringAreaSize = 32u * 1024u * 1024u;
// The largest file that can pass the header check (100 macros and the
// largest string area).
inline constexpr std::uint64_t kLargestProfileFile =
    kProfileImageSize + static_cast<std::uint64_t>(kMaxMacros) * kMacroRecordSize + kMaxStringAreaSize;

namespace profile_header_layout {
inline constexpr std::size_t kMagic = 0;
inline constexpr std::size_t kHeaderSize = 2;
inline constexpr std::size_t kFormat = 4;     // always 3
inline constexpr std::size_t kVersion = 6;    // always 1
inline constexpr std::size_t kTotalSize = 8;
inline constexpr std::size_t kRecordCount = 12;
inline constexpr std::size_t kMacroCount = 14;
inline constexpr std::size_t kStringAreaSize = 16;
inline constexpr std::size_t kFlag = 30;      // 0 written, 0 or 1 accepted
inline constexpr std::size_t kChecksum = 31;
}  // namespace profile_header_layout

struct ProfileHeader {
  std::uint32_t totalSize = 0;
  std::uint16_t macroCount = 0;
  std::uint32_t stringAreaSize = 0;
};

// Fills bytes 0..31 of `file` for n macros and a string area of S bytes, the
// checksum last. False (nothing written) when n is above 100, S is above
// kMaxStringAreaSize, or `file` is shorter than a header.
bool WriteHeader(std::span<std::uint8_t> file, std::uint16_t macroCount, std::uint32_t stringAreaSize);
// Fills bytes 32..63 with the layout descriptor constants.
void WriteDescriptor(std::span<std::uint8_t> file);
// The header fields that size the file; zeros when `file` is shorter than a header.
ProfileHeader ReadProfileHeader(std::span<const std::uint8_t> file);
// The header checks a file must pass before it is loaded: magic, the constant
// fields, n <= 100, byte 30 <= 1, total = 32832 + n * 32512 + S (computed
// without wrapping) and the checksum. The file's real length is not compared.
bool ProfileHeaderIsValid(std::span<const std::uint8_t> file);

// Writes a fresh 32832-byte file: no macros, no strings, default records.
bool NewProfileFile(const std::string& path);

// Reads a whole profile file with one allocation: 1 read; 0 missing, or 4 GiB
// and larger; -2 cannot be opened or read (a folder, no permission); -3 out of
// memory. `out` is empty unless the result is 1.
int ReadProfileFileBytes(const std::string& path, std::vector<std::uint8_t>& out);

// 1 valid; 0 missing, too small (or 4 GiB and larger) or with a bad header;
// -2 cannot be opened or read; -3 out of memory. A bad header is reported
// through `prompter` with PROFILE_FORMAT_ERROR (formatted with the path);
// the other failures show nothing.
int ValidateProfileFile(const std::string& path, Prompter& prompter);

// Whether two macros of a loaded file share one number: a key playing that
// number could mean either, so such a file is refused (by import, and by
// validation, which must refuse whatever import refuses).
bool HasDuplicateMacroIds(const MacroSet& macros);

}  // namespace zarvel
