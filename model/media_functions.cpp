#include "model/media_functions.h"

#include "skin/language.h"

namespace zarvel {

const std::array<MediaFunction, kMediaFunctionCount>& MediaFunctionTable() {
  static constexpr std::array<MediaFunction, kMediaFunctionCount> kTable = {{
      {0x0183, 0x16D},  // Media Player
      {0x00CD, 0x122},  // Play/Pause
      {0x00B7, 0x124},  // Stop Play
      {0x00B6, 0x110},  // Prev Track
      {0x00B5, 0x119},  // Next Track
      {0x00EA, 0x12E},  // V-
      {0x00E9, 0x130},  // V+
      {0x00E2, 0x120},  // Mute
      {0x0223, 0x132},  // WWW Home
      {0x0227, 0x167},  // WWW Refresh
      {0x0226, 0x168},  // WWW Stop
      {0x0224, 0x16A},  // WWW Back
      {0x0225, 0x169},  // WWW Forward
      {0x022A, 0x166},  // WWW Favorite
      {0x0221, 0x165},  // WWW Search
      {0x0194, 0x16B},  // My PC
      {0x0192, 0x121},  // Calc
      {0x018A, 0x16C},  // Mail
  }};
  return kTable;
}

int MediaIndexOfUsage(std::uint16_t usage) {
  const auto& table = MediaFunctionTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].usage == usage) return static_cast<int>(i);
  }
  return -1;
}

int MediaIndexOfKeyCode(KeyCode code) {
  const auto& table = MediaFunctionTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].keyCode == code) return static_cast<int>(i);
  }
  return -1;
}

std::string KeyboardFunctionTextKey(std::uint32_t index) {
  if (index >= kKeyboardFunctionCount) return {};
  return "FUNC_KEY_DESC" + std::to_string(index + 1);
}

std::string KeyboardFunctionName(std::uint32_t index) {
  std::string key = KeyboardFunctionTextKey(index);
  if (key.empty()) return {};
  return LookupText(key);
}

}  // namespace zarvel
