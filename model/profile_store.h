#pragma once
// The profile store: the working copy of everything the keyboard keeps about
// keys — the records of all four profiles, the shared macro set — plus the texts
// of program-launch and text-block assignments, which the keyboard never holds.
//
// Locking: the store holds no lock of its own. Every read or change of a live
// store (its image, macro set or string table) happens under the store lock, a
// recursive mutex owned by the layer that keeps the store and syncs it with
// the keyboard; that lock is taken before the snapshot lock, never after it.
// The functions here touch only the store they are given.
//
// On disk the store is a profile file (see profile_file.h). Loading and saving
// never leave a half-written state: a load that fails changes nothing, and a
// save replaces the file atomically.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_function.h"
#include "model/macro.h"

namespace zarvel {

// The four profile blocks, profile 0 first: the key area of the store's image.
using ProfileImage = KeyArea;

constexpr std::size_t GlobalRecordNumber(std::size_t profile, std::size_t recordIndex) {
  return profile * kRecordsPerProfile + recordIndex;
}

// One text per global record number (profile * 512 + record index): the
// program path of a type 3 record or the text of a type 6 record.
struct StringEntry {
  std::u16string text;     // without terminator
  std::uint32_t size = 0;  // bytes including the terminator; 0 = no text
};

class StringTable {
 public:
  // The entry of a global record number; an empty entry past the table.
  const StringEntry& Entry(std::size_t global) const;
  // Replaces an entry (cut at its first NUL); the old text is released.
  void Set(std::size_t global, std::u16string_view text);
  void Clear(std::size_t global);
  void ReleaseAll();
  // Sum of the sizes of all entries: the size of the string area written to
  // files, which may exceed the bytes records still refer to.
  std::uint64_t total() const { return total_; }

 private:
  std::array<StringEntry, kKeyAreaRecords> entries_{};
  std::uint64_t total_ = 0;
};

struct ProfileStore {
  ProfileImage image;
  MacroSet macros;  // at most 100, in set order
  StringTable strings;

  ProfileStore();
  KeyFunction& Record(std::size_t profile, std::size_t recordIndex) { return image[profile][recordIndex]; }
  const KeyFunction& Record(std::size_t profile, std::size_t recordIndex) const {
    return image[profile][recordIndex];
  }
};

// A fresh image: 2048 default records with the special ids set.
ProfileImage NewImage();
// `function`, or the default function when it plays a macro `macros` does
// not hold: a key naming a macro that is gone (deleted since a step was
// made or a key was copied, or left out of a merge) would play whichever
// macro the keyboard finds in its place, so it does its default instead, as
// the key dialog gives a macro key when no macro is left.
KeyFunction WithoutLostMacro(const MacroSet& macros, KeyFunction function);
// Empties the store: NewImage, no macros, no strings. This is also how the
// store's content is released before a load.
void CreateStore(ProfileStore& store);

// Packs the texts of type 3 and type 6 records into a string area of
// strings.total() bytes, in record order at even offsets, and points each such
// record's value at its text. Entries whose record is no longer of type 3 or 6
// keep their space but are not copied. A type 3 or 6 record without a text is
// pointed just past the area, so it cannot pick up another record's text when
// the file is read back.
std::vector<std::uint8_t> PackStrings(ProfileStore& store);

// A complete profile file: header for the macros and string area, descriptor,
// key area, macro records, string area. Empty when the set has more than 100
// macros or the file would reach 4 GiB.
std::vector<std::uint8_t> ProfileFileBytes(const ProfileImage& image, const MacroSet& macros,
                                           std::span<const std::uint8_t> stringArea);

// Replaces the store's content with a profile file's. The file must hold every
// byte its header's macro count and string area size promise; a shorter file,
// one with more than 100 macros or one smaller than the image is refused as a
// whole and the store is left exactly as it was (the caller decides what it
// holds next: the store file again, or CreateStore). Texts whose offset lies
// outside the string area, or that have no terminator inside it, are no text.
bool LoadStoreFromBytes(ProfileStore& store, std::span<const std::uint8_t> file);
// The same from a file; false also when it cannot be read.
bool LoadStoreFile(ProfileStore& store, const std::string& path);

// Writes the store to `path`, created or replaced atomically (the old file
// stays whole when anything fails). Packs the strings first, so records'
// string offsets change. False when nothing was written.
bool SaveImageToFile(ProfileStore& store, const std::string& path);
// The same, but only into an existing store file: false and nothing written
// when `path` does not exist yet (no keyboard has been read into it).
bool SaveStoreFile(ProfileStore& store, const std::string& path);

// The per-user store file: UserDataFolder() + "$Profile0".
std::string StoreFilePath();

}  // namespace zarvel
