#pragma once
// INI files with the private-profile rules every INI file of the program
// follows (skin files, the language file, the user settings and the user
// lighting files):
//
// - "[SECTION]" lines open sections; "key=value" lines inside them hold
//   values. Section and key names compare case-insensitively (ASCII); spaces
//   and tabs around names and values are ignored, and a value enclosed in a
//   matching pair of double or single quotes is returned without them. Lines
//   starting with ';' or '#' are comments. The first of duplicate sections or
//   keys wins.
// - A missing file, section or key reads as the caller's default.
// - Results are cut to the caller's capacity, counted in characters (Unicode
//   code points), never in the middle of a UTF-8 sequence.
// - Text is UTF-8 (an optional UTF-8 byte-order mark is skipped). A file that
//   starts with the UTF-16LE byte-order mark is read as UTF-16LE; writes keep
//   the encoding the file had. Lines end in CRLF or LF; each existing line
//   keeps its own ending, new lines take the ending of the file's first line
//   (LF in a new file).
// - A write replaces or adds one value and keeps every other line byte for
//   byte (comments, order, unknown keys). It creates the file, the section or
//   the key as needed, and goes through an atomic replacement of the file, so
//   a crash mid-write leaves the old file intact.
//
// Files are read afresh on every call; nothing is cached, so edits made while
// the program runs show up in the next read.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvel {

// Whole-file size above which a file is not read (treated as missing). INI
// files of this program are a few hundred kilobytes at most.
inline constexpr std::size_t kMaxIniFileBytes = 16u * 1024u * 1024u;

// The value of `key` in `section`, or `fallback` when the file, section or key
// is missing; either is cut to `maxChars` characters. An existing empty value
// returns "".
std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxChars);

// True when the key exists in the section (its value may be empty).
bool ProfileKeyExists(const std::string& path, std::string_view section, std::string_view key);

// The integer reading of a value, as Windows' GetPrivateProfileInt does it:
// `fallback` when the key is missing; otherwise an optional sign followed by
// decimal digits, or "0x" and hexadecimal digits, read up to the first other
// character ("12abc" is 12, "abc" and "" are 0). Results saturate at the
// limits of int.
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key, int fallback);

// Every "key=value" pair of the first section with that name, in file order
// (duplicates included). Empty when the file or section is missing.
std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& path,
                                                                    std::string_view section);

// Sets `key` in `section` to `value`, creating the file, section or key as
// needed. False when nothing was written: the file could not be replaced, or
// a name or the value would break the file's line structure (empty names, a
// line break or NUL anywhere, '[' or ']' in a section name, '=' in a key, or a
// key starting with '[', ';' or '#').
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Sets several keys of one section with a single replacement of the file (the
// same result as one WriteProfileString per pair, in order). False when
// nothing was written; one unacceptable name or value refuses them all.
bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values);

// Removes the first `key` of `section`; true when the file holds no such key
// afterwards (also when it never did).
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);

// Cuts UTF-8 text to at most `maxChars` code points.
std::string CutToChars(std::string_view text, std::size_t maxChars);

// Reader of one skin file. Keeps only the path; every read goes to the file.
class CIniFile {
 public:
  // The longest value ReadString returns, in characters.
  static constexpr std::size_t kMaxValueChars = 2047;
  // The longest path kept, in characters; longer paths are cut.
  static constexpr std::size_t kMaxPathChars = 260;

  CIniFile() = default;
  explicit CIniFile(std::string path);

  void SetPath(std::string path);
  const std::string& Path() const { return path_; }

  // The value (or `fallback`), cut to kMaxValueChars; none when that is empty.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key,
                                        std::string_view fallback = {}) const;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;

 private:
  std::string path_;
};

}  // namespace zarvel
