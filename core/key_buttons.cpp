#include "core/key_buttons.h"

#include <algorithm>
#include <array>

#include "model/key_function.h"
#include "model/key_table.h"

namespace zarvel {
namespace {

constexpr std::array<KeyButton, kKeyButtonCount> kButtons{{
    {1010, 0x3B},  // F1
    {1011, 0x3C},  // F2
    {1012, 0x3D},  // F3
    {1013, 0x3E},  // F4
    {1014, 0x3F},  // F5
    {1015, 0x40},  // F6
    {1022, 0x01},  // Esc
    {1023, 0x41},  // F7
    {1024, 0x42},  // F8
    {1025, 0x43},  // F9
    {1026, 0x44},  // F10
    {1027, 0x57},  // F11
    {1028, 0x58},  // F12
    {1029, 0x29},  // grave accent
    {1030, 0x02},  // 1
    {1031, 0x03},  // 2
    {1032, 0x04},  // 3
    {1033, 0x05},  // 4
    {1034, 0x06},  // 5
    {1035, 0x07},  // 6
    {1036, 0x08},  // 7
    {1037, 0x09},  // 8
    {1038, 0x0A},  // 9
    {1039, 0x0B},  // 0
    {1040, 0x0C},  // -
    {1041, 0x0D},  // =
    {1042, 0x2B},  // backslash
    {1043, 0x0E},  // Backspace
    {1044, 0x10},  // Q
    {1045, 0x11},  // W
    {1046, 0x12},  // E
    {1047, 0x13},  // R
    {1048, 0x14},  // T
    {1049, 0x15},  // Y
    {1050, 0x16},  // U
    {1051, 0x17},  // I
    {1052, 0x18},  // O
    {1053, 0x19},  // P
    {1054, 0x1A},  // [
    {1055, 0x1B},  // ]
    {1056, 0x0F},  // Tab
    {1058, 0x1E},  // A
    {1059, 0x1F},  // S
    {1060, 0x20},  // D
    {1061, 0x21},  // F
    {1062, 0x22},  // G
    {1063, 0x23},  // H
    {1064, 0x24},  // J
    {1065, 0x25},  // K
    {1066, 0x26},  // L
    {1067, 0x27},  // ;
    {1068, 0x28},  // '
    {1069, 0x3A},  // Caps Lock
    {1070, 0x1C},  // Enter
    {1071, 0x2C},  // Z
    {1072, 0x2D},  // X
    {1073, 0x2E},  // C
    {1074, 0x2F},  // V
    {1075, 0x30},  // B
    {1076, 0x31},  // N
    {1077, 0x32},  // M
    {1078, 0x33},  // ,
    {1079, 0x34},  // .
    {1080, 0x35},  // /
    {1081, 0x36},  // Right Shift
    {1082, 0x2A},  // Shift
    {1083, 0x1D},  // Ctrl
    {1084, 0x15B},  // Win
    {1085, 0x38},  // Alt
    {1086, 0x138},  // Right Alt
    {1087, 0x15C},  // Right Win
    {1088, 0x15D},  // App
    {1089, 0x11D},  // Right Ctrl
    {1090, 0x39},  // Space
    {1091, 0x137},  // Print Screen
    {1092, 0x46},  // Scroll Lock
    {1093, 0x45},  // Pause
    {1094, 0x152},  // Insert
    {1095, 0x147},  // Home
    {1096, 0x149},  // Page Up
    {1097, 0x153},  // Delete
    {1098, 0x14F},  // End
    {1099, 0x151},  // Page Down
    {1100, 0x14B},  // ←
    {1101, 0x150},  // ↓
    {1102, 0x14D},  // →
    {1103, 0x148},  // ↑
    {1104, 0x145},  // Num Lock
    {1105, 0x135},  // Num /
    {1106, 0x37},  // Num *
    {1107, 0x4A},  // Num -
    {1108, 0x47},  // Num 7
    {1109, 0x48},  // Num 8
    {1110, 0x49},  // Num 9
    {1111, 0x4E},  // Num +
    {1112, 0x4B},  // Num 4
    {1113, 0x4C},  // Num 5
    {1114, 0x4D},  // Num 6
    {1115, 0x4F},  // Num 1
    {1116, 0x50},  // Num 2
    {1117, 0x51},  // Num 3
    {1118, 0x11C},  // Num Enter
    {1119, 0x53},  // Num .
    {1120, 0x52},  // Num 0
}};

constexpr bool SortedById() {
  for (std::size_t i = 1; i < kButtons.size(); ++i)
    if (kButtons[i - 1].buttonId >= kButtons[i].buttonId) return false;
  return true;
}
static_assert(SortedById(), "lookups search the buttons by identifier");

}  // namespace

std::span<const KeyButton, kKeyButtonCount> KeyButtons() { return kButtons; }

int SpecialKeyButtonId(int special) {
  if (special < 0 || special >= static_cast<int>(kSpecialButtonCount)) return -1;
  return special < 5 ? kFirstLowSpecialButton + special : kFirstHighSpecialButton + special - 5;
}

int SpecialKeyOfButton(int buttonId) {
  if (buttonId >= kFirstLowSpecialButton && buttonId < kFirstLowSpecialButton + 5)
    return buttonId - kFirstLowSpecialButton;
  if (buttonId >= kFirstHighSpecialButton && buttonId < kFirstHighSpecialButton + 4)
    return buttonId - kFirstHighSpecialButton + 5;
  return -1;
}

ButtonKey KeyOfButton(int buttonId) {
  const int special = SpecialKeyOfButton(buttonId);
  if (special >= 0)
    return {SpecialKeyCode(static_cast<unsigned>(special)), static_cast<int>(kFirstSpecialRecord) + special};
  const auto found = std::lower_bound(kButtons.begin(), kButtons.end(), buttonId,
                                      [](const KeyButton& b, int id) { return b.buttonId < id; });
  if (found == kButtons.end() || found->buttonId != buttonId) return {};
  return {found->key, static_cast<int>(KeyCodeToRecordIndex(found->key))};
}

}  // namespace zarvel
