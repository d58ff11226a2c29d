#include "skin/ini_file.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "model/atomic_file.h"
#include "skin/ini_text.h"

namespace zarvel {

namespace {

// The parsed text of the files read lately. Every read still reads the whole
// file, so an edit shows up in the very next lookup; only the parse is reused
// when the bytes are exactly those parsed before. Describing the keyboard's 113
// keys looks up as many texts in the language file, and parsing it each time
// was most of the work of a connection refresh.
class ParsedIniCache {
 public:
  std::shared_ptr<const IniText> Get(const std::string& path, std::vector<std::uint8_t>&& bytes) {
    // A file far larger than any settings, skin or language file is not kept.
    if (bytes.size() > kMaxCachedBytes) return std::make_shared<const IniText>(IniText::Parse(bytes));
    std::lock_guard lock(mutex_);
    for (Entry& entry : entries_) {
      if (entry.path == path && entry.bytes == bytes) return entry.ini;
    }
    auto ini = std::make_shared<const IniText>(IniText::Parse(bytes));
    Entry& slot = entries_[next_];
    next_ = (next_ + 1) % entries_.size();
    slot = Entry{path, std::move(bytes), ini};
    return ini;
  }

 private:
  struct Entry {
    std::string path;
    std::vector<std::uint8_t> bytes;
    std::shared_ptr<const IniText> ini;
  };
  static constexpr std::size_t kMaxCachedBytes = 1024 * 1024;
  std::mutex mutex_;
  std::array<Entry, 8> entries_;
  std::size_t next_ = 0;
};

// Null when the file cannot be read or is too large.
std::shared_ptr<const IniText> ReadIni(const std::string& path) {
  static ParsedIniCache cache;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() > kMaxIniFileBytes) return nullptr;
  return cache.Get(path, std::move(bytes));
}

bool LoadIni(const std::string& path, IniText& ini) {
  std::shared_ptr<const IniText> parsed = ReadIni(path);
  if (!parsed) return false;
  ini = *parsed;
  return true;
}

// The file's current text for an edit. A missing file starts empty; a file
// that exists but cannot be read (or is too large) is never replaced, since
// writing would lose everything in it.
bool LoadForWrite(const std::string& path, IniText& ini) {
  if (LoadIni(path, ini)) return true;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) return false;
  ini = IniText{};
  return true;
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool SectionNameAllowed(std::string_view section) {
  return !TrimIniSpace(section).empty() && !HasLineBreakOrNul(section) &&
         section.find_first_of("[]") == std::string_view::npos;
}

bool KeyNameAllowed(std::string_view key) {
  std::string_view trimmed = TrimIniSpace(key);
  if (trimmed.empty() || HasLineBreakOrNul(key) || key.find('=') != std::string_view::npos) return false;
  char first = trimmed.front();
  return first != '[' && first != ';' && first != '#';
}

}  // namespace

std::string CutToChars(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A byte that is not a continuation byte starts a new character.
    if ((static_cast<unsigned char>(text[i]) & 0xC0u) != 0x80u) {
      if (chars == maxChars) return std::string(text.substr(0, i));
      ++chars;
    }
  }
  return std::string(text);
}

std::string ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxChars) {
  if (std::shared_ptr<const IniText> ini = ReadIni(path)) {
    if (std::optional<std::string_view> value = ini->Find(section, key)) return CutToChars(*value, maxChars);
  }
  return CutToChars(fallback, maxChars);
}

bool ProfileKeyExists(const std::string& path, std::string_view section, std::string_view key) {
  std::shared_ptr<const IniText> ini = ReadIni(path);
  return ini && ini->Find(section, key).has_value();
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key, int fallback) {
  std::shared_ptr<const IniText> ini = ReadIni(path);
  if (!ini) return fallback;
  std::optional<std::string_view> found = ini->Find(section, key);
  if (!found) return fallback;
  std::string_view text = *found;
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  long long value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    value = value * base + digit;
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& path,
                                                                    std::string_view section) {
  std::shared_ptr<const IniText> ini = ReadIni(path);
  if (!ini) return {};
  return ini->SectionEntries(section);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!SectionNameAllowed(section) || !KeyNameAllowed(key) || HasLineBreakOrNul(value)) return false;
  IniText ini;
  if (!LoadForWrite(path, ini)) return false;
  ini.Set(TrimIniSpace(section), TrimIniSpace(key), value);
  std::vector<std::uint8_t> bytes = ini.Serialize();
  return WriteFileAtomically(path, std::span<const std::uint8_t>(bytes));
}

bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
  if (!SectionNameAllowed(section)) return false;
  for (const auto& [key, value] : values) {
    if (!KeyNameAllowed(key) || HasLineBreakOrNul(value)) return false;
  }
  IniText ini;
  if (!LoadForWrite(path, ini)) return false;
  for (const auto& [key, value] : values) ini.Set(TrimIniSpace(section), TrimIniSpace(key), value);
  std::vector<std::uint8_t> bytes = ini.Serialize();
  return WriteFileAtomically(path, std::span<const std::uint8_t>(bytes));
}

bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key) {
  IniText ini;
  if (!LoadIni(path, ini)) return true;
  if (!ini.Remove(section, key)) return true;
  std::vector<std::uint8_t> bytes = ini.Serialize();
  return WriteFileAtomically(path, std::span<const std::uint8_t>(bytes));
}

CIniFile::CIniFile(std::string path) { SetPath(std::move(path)); }

void CIniFile::SetPath(std::string path) { path_ = CutToChars(path, kMaxPathChars); }

std::optional<std::string> CIniFile::ReadString(std::string_view section, std::string_view key,
                                                std::string_view fallback) const {
  std::string value = ReadProfileString(path_, section, key, fallback, kMaxValueChars);
  if (value.empty()) return std::nullopt;
  return value;
}

bool CIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
  return WriteProfileString(path_, section, key, value);
}

}  // namespace zarvel
