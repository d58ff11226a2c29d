// The text form of the simulated keyboard's memory (format described in
// simulated_keyboard.h).
#include <cctype>
#include <cstdio>
#include <sstream>

#include "device/simulated_firmware.h"

namespace zarvel {
namespace {

struct AreaName {
  KeyboardArea area;
  const char* name;
};

// The default matrix is the keyboard's read-only factory content and is not stored.
constexpr AreaName kStoredAreas[] = {
    {KeyboardArea::kDeviceInfo, "device_info"},   {KeyboardArea::kLighting, "lighting"},
    {KeyboardArea::kKeyMatrices, "key_matrices"}, {KeyboardArea::kMacroMemory, "macro_memory"},
    {KeyboardArea::kKeyColours, "key_colours"},
};
constexpr std::size_t kBytesPerLine = 16;

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Hex number of at most `max_digits` digits starting at `pos`; false when none.
bool ReadHex(const std::string& s, std::size_t& pos, std::size_t max_digits, std::uint32_t& value) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  const std::size_t start = pos;
  value = 0;
  while (pos < s.size() && std::isxdigit(static_cast<unsigned char>(s[pos])) && pos - start < max_digits) {
    const int c = std::tolower(static_cast<unsigned char>(s[pos]));
    value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    ++pos;
  }
  return pos > start;
}

}  // namespace

std::string SimulatedFirmware::SaveText() const {
  std::ostringstream out;
  char line[32];
  out << "# Varnok Z7Q3RGB simulated keyboard memory (format in device/simulated_keyboard.h)\n";
  out << "[keyboard]\n";
  std::snprintf(line, sizeof line, "%04x", variant_.vendor_id);
  out << "vendor = " << line << "\n";
  std::snprintf(line, sizeof line, "%04x", variant_.product_id);
  out << "product = " << line << "\n";
  for (const AreaName& a : kStoredAreas) {
    out << "[" << a.name << "]\n";
    const std::vector<std::uint8_t> bytes = Area(a.area);
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
      const std::size_t n = std::min(kBytesPerLine, bytes.size() - at);
      bool all_zero = true;
      for (std::size_t i = 0; i < n; ++i) all_zero = all_zero && bytes[at + i] == 0;
      if (all_zero) continue;
      std::snprintf(line, sizeof line, "%04zx:", at);
      out << line;
      for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, " %02x", bytes[at + i]);
        out << line;
      }
      out << "\n";
    }
  }
  return out.str();
}

bool SimulatedFirmware::LoadText(const std::string& text) {
  ResetToFactory();
  std::istringstream in(text);
  std::string raw;
  std::vector<std::uint8_t>* area = nullptr;
  bool in_keyboard = false;
  while (std::getline(in, raw)) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string name = line.substr(1, line.size() - 2);
      in_keyboard = name == "keyboard";
      area = nullptr;
      for (const AreaName& a : kStoredAreas) {
        if (name != a.name) continue;
        area = Mutable(a.area);
        // A stored area starts from zero: the file leaves all-zero lines out.
        std::fill(area->begin(), area->end(), 0);
      }
      continue;
    }
    if (in_keyboard) {
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = Trim(line.substr(0, eq));
      std::string value = Trim(line.substr(eq + 1));
      std::size_t pos = 0;
      std::uint32_t id = 0;
      if (!ReadHex(value, pos, 4, id)) continue;
      if ((key == "vendor" && id != variant_.vendor_id) || (key == "product" && id != variant_.product_id)) {
        ResetToFactory();
        return false;
      }
      continue;
    }
    if (!area) continue;
    std::size_t pos = 0;
    std::uint32_t offset = 0;
    if (!ReadHex(line, pos, 6, offset) || pos >= line.size() || line[pos] != ':') continue;
    ++pos;
    std::uint32_t value = 0;
    for (std::size_t at = offset; ReadHex(line, pos, 2, value); ++at) {
      if (at < area->size()) (*area)[at] = static_cast<std::uint8_t>(value);
    }
  }
  in_bracket_ = false;
  changed_ = false;
  return true;
}

}  // namespace zarvel
