#pragma once
// The text of one INI file as a list of lines, the unit the INI functions read
// and edit. Each line keeps its own bytes and line ending, so an edit changes
// exactly one line (or adds lines) and everything else is written back as it was.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvel {

// Spaces and tabs around `text` removed.
std::string_view TrimIniSpace(std::string_view text);
// ASCII case-insensitive equality, the rule for section and key names.
bool IniNamesEqual(std::string_view a, std::string_view b);

// UTF-16LE bytes (no byte-order mark) to UTF-8; unpaired surrogates become U+FFFD
// and an odd last byte is dropped.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);
// UTF-8 to UTF-16LE bytes; malformed sequences become U+FFFD.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text);

class IniText {
 public:
  enum class Encoding { kUtf8, kUtf8Bom, kUtf16LeBom };

  static IniText Parse(std::span<const std::uint8_t> bytes);

  // The value of the first matching key of the first matching section.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
  std::vector<std::pair<std::string, std::string>> SectionEntries(std::string_view section) const;
  // Replaces the value of the first matching key, else adds the key at the end
  // of the first matching section, else adds the section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the first matching key's line; false when there was none.
  bool Remove(std::string_view section, std::string_view key);

  std::vector<std::uint8_t> Serialize() const;

 private:
  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\r\n", "\n", "\r" or "" (last line without ending)
  };
  // Index of the header line of the first section named `section`.
  std::optional<std::size_t> FindSection(std::string_view section) const;
  // Index of the first line of `key` in the section whose header is at `header`.
  std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
  std::string NewLineEnding() const;

  Encoding encoding_ = Encoding::kUtf8;
  std::vector<Line> lines_;
};

}  // namespace zarvel
