#include "skin/ini_text.h"

namespace zarvel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(std::vector<std::uint8_t>& out, char32_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

// Decodes one UTF-8 sequence at `i`, advancing `i`; malformed input yields
// U+FFFD for one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || i + length > text.size()) {
    ++i;
    return kReplacement;
  }
  char32_t cp = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr char32_t kMinForLength[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinForLength[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

bool IsCommentOrHeader(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[');
}

// The section name of a header line, or none when the line is no header.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::string_view trimmed = TrimIniSpace(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  trimmed.remove_prefix(1);
  std::size_t close = trimmed.find(']');
  if (close != std::string_view::npos) trimmed = trimmed.substr(0, close);
  return TrimIniSpace(trimmed);
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
  std::size_t valueStart;  // offset in the line just after '='
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  std::string_view trimmed = TrimIniSpace(line);
  if (trimmed.empty() || IsCommentOrHeader(trimmed)) return std::nullopt;
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string_view value = TrimIniSpace(line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return KeyLine{TrimIniSpace(line.substr(0, equals)), value, equals + 1};
}

}  // namespace

std::string_view TrimIniSpace(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IniNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) { return static_cast<char32_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8)); };
  for (std::size_t k = 0; k < units; ++k) {
    char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendUtf16(out, 0xD800 + (cp >> 10));
      AppendUtf16(out, 0xDC00 + (cp & 0x3FF));
    } else {
      AppendUtf16(out, cp);
    }
  }
  return out;
}

IniText IniText::Parse(std::span<const std::uint8_t> bytes) {
  IniText ini;
  std::string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    ini.encoding_ = Encoding::kUtf16LeBom;
    text = Utf16LeToUtf8(bytes.subspan(2));
  } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    ini.encoding_ = Encoding::kUtf8Bom;
    text.assign(bytes.begin() + 3, bytes.end());
  } else {
    text.assign(bytes.begin(), bytes.end());
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      ini.lines_.push_back({text.substr(start), ""});
      break;
    }
    std::size_t eolLength = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    ini.lines_.push_back({text.substr(start, end - start), text.substr(end, eolLength)});
    start = end + eolLength;
  }
  return ini;
}

std::optional<std::size_t> IniText::FindSection(std::string_view section) const {
  std::string_view wanted = TrimIniSpace(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::optional<std::string_view> name = HeaderName(lines_[i].text);
    if (name && IniNamesEqual(*name, wanted)) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> IniText::FindKey(std::size_t header, std::string_view key) const {
  std::string_view wanted = TrimIniSpace(key);
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (HeaderName(lines_[i].text)) break;
    std::optional<KeyLine> parsed = ParseKeyLine(lines_[i].text);
    if (parsed && IniNamesEqual(parsed->key, wanted)) return i;
  }
  return std::nullopt;
}

std::optional<std::string_view> IniText::Find(std::string_view section, std::string_view key) const {
  if (TrimIniSpace(key).empty()) return std::nullopt;
  std::optional<std::size_t> header = FindSection(section);
  if (!header) return std::nullopt;
  std::optional<std::size_t> line = FindKey(*header, key);
  if (!line) return std::nullopt;
  return ParseKeyLine(lines_[*line].text)->value;
}

std::vector<std::pair<std::string, std::string>> IniText::SectionEntries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  std::optional<std::size_t> header = FindSection(section);
  if (!header) return entries;
  for (std::size_t i = *header + 1; i < lines_.size(); ++i) {
    if (HeaderName(lines_[i].text)) break;
    if (std::optional<KeyLine> parsed = ParseKeyLine(lines_[i].text)) {
      entries.emplace_back(std::string(parsed->key), std::string(parsed->value));
    }
  }
  return entries;
}

std::string IniText::NewLineEnding() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return "\n";
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string eol = NewLineEnding();
  std::optional<std::size_t> header = FindSection(section);
  if (header) {
    if (std::optional<std::size_t> found = FindKey(*header, key)) {
      Line& line = lines_[*found];
      line.text = line.text.substr(0, ParseKeyLine(line.text)->valueStart) + std::string(value);
      return;
    }
    // After the section's last non-blank line, so blank lines that separate
    // it from the next section stay where they are.
    std::size_t insertAt = *header + 1;
    for (std::size_t i = *header + 1; i < lines_.size() && !HeaderName(lines_[i].text); ++i) {
      if (!TrimIniSpace(lines_[i].text).empty()) insertAt = i + 1;
    }
    if (lines_[insertAt - 1].eol.empty()) lines_[insertAt - 1].eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{std::string(key) + "=" + std::string(value), eol});
    return;
  }
  if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
  lines_.push_back(Line{"[" + std::string(section) + "]", eol});
  lines_.push_back(Line{std::string(key) + "=" + std::string(value), eol});
}

bool IniText::Remove(std::string_view section, std::string_view key) {
  std::optional<std::size_t> header = FindSection(section);
  if (!header) return false;
  std::optional<std::size_t> found = FindKey(*header, key);
  if (!found) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*found));
  return true;
}

std::vector<std::uint8_t> IniText::Serialize() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += line.eol;
  }
  std::vector<std::uint8_t> bytes;
  switch (encoding_) {
    case Encoding::kUtf16LeBom:
      bytes = {0xFF, 0xFE};
      for (std::uint8_t b : Utf8ToUtf16Le(text)) bytes.push_back(b);
      return bytes;
    case Encoding::kUtf8Bom:
      bytes = {0xEF, 0xBB, 0xBF};
      break;
    case Encoding::kUtf8:
      break;
  }
  // Appended byte by byte: g++ 12 misreads a range insert from a string here as
  // an over-read (-Wstringop-overread) in optimised builds.
  bytes.reserve(bytes.size() + text.size());
  for (char c : text) bytes.push_back(static_cast<std::uint8_t>(c));
  return bytes;
}

}  // namespace zarvel
