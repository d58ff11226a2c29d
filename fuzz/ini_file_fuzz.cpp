// INI text as a language, skin or lighting file may hold it: parse, look up,
// edit and write back. Checks that an untouched UTF-8 file is written back
// byte for byte and that an edited value reads back as written.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "seed_writer.h"
#include "skin/ini_file.h"
#include "skin/ini_text.h"

namespace {

std::string Take(const std::uint8_t*& data, std::size_t& size, std::size_t wanted) {
  std::size_t n = wanted < size ? wanted : size;
  std::string text(reinterpret_cast<const char*>(data), n);
  data += n;
  size -= n;
  return text;
}

bool PlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return true;
}

}  // namespace

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  // Byte 0: section name length, byte 1: key name length, then the names, then the file.
  auto seed = [](const std::string& section, const std::string& key, const std::string& file) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(section.size()), static_cast<std::uint8_t>(key.size())};
    bytes.insert(bytes.end(), section.begin(), section.end());
    bytes.insert(bytes.end(), key.begin(), key.end());
    bytes.insert(bytes.end(), file.begin(), file.end());
    return bytes;
  };
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[S]\r\nk=v\r\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  return {
      seed("TEXT", "MAIN_CAPTION", "; comment\r\n[TEXT]\r\nMAIN_CAPTION=Keyboard\r\nEMPTY=\r\n"),
      seed("Mode3", "85", "[PRESENTMODE]\nmode=3\n[Mode3]\ntool=1\njcolor=1,2,3\n85=255,0,0,1"),
      seed("S", "k", utf16),
      seed("BUTTONINFO", "CONTROL_OK", "\xEF\xBB\xBF[BUTTONINFO]\nCONTROL_OK = \"10,20,30,40\"\n[x\n=\n"),
  };
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t sectionLength = data[0] % 32;
  std::size_t keyLength = data[1] % 32;
  data += 2;
  size -= 2;
  std::string section = Take(data, size, sectionLength);
  std::string key = Take(data, size, keyLength);
  std::span<const std::uint8_t> file(data, size);

  zarvel::IniText ini = zarvel::IniText::Parse(file);
  std::optional<std::string_view> value = ini.Find(section, key);
  if (value) (void)zarvel::CutToChars(*value, 259);
  (void)ini.SectionEntries(section);

  bool utf16 = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  if (!utf16) {
    std::vector<std::uint8_t> again = ini.Serialize();
    if (again.size() != size || (size > 0 && std::memcmp(again.data(), data, size) != 0)) __builtin_trap();
  }

  if (PlainName(section) && PlainName(key)) {
    ini.Set(section, key, "edited value");
    zarvel::IniText reread = zarvel::IniText::Parse(ini.Serialize());
    std::optional<std::string_view> written = reread.Find(section, key);
    if (!written || *written != "edited value") __builtin_trap();
  }
  return 0;
}
