#include "model/key_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "skin/language.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

KeyCode CodeOfRow(std::size_t index) { return TableIndexToKeyCode(static_cast<unsigned>(index)); }

// ---------------------------------------------------------------------------
// The table itself

TEST(KeyTable, RowsInUseAndEmptyRows) {
  std::size_t used = 0;
  for (std::size_t index = 0; index < kKeyTableSize; ++index) {
    const KeyInfo& row = KeyTable()[index];
    if (row.pickIndex != kNoPickIndex) {
      ++used;
      EXPECT_FALSE(row.name.empty()) << index;
      // Only F13 has no display-name key.
      EXPECT_EQ(row.textKey.empty(), row.name == "F13") << row.name;
      continue;
    }
    EXPECT_EQ(row.vk, 0) << index;
    EXPECT_EQ(row.altVk, 0) << index;
    EXPECT_EQ(row.deviceCode, 0) << index;
    EXPECT_TRUE(row.textKey.empty()) << index;
    EXPECT_TRUE(row.name.empty()) << index;
  }
  EXPECT_EQ(used, kKeyTableRowsInUse);
}

struct PickEntry {
  std::uint16_t pick;
  const char* name;
  std::uint8_t device;  // HID keyboard usage, or the mouse code
};

// The pick list as the editing windows show it, with each key's HID usage.
const std::vector<PickEntry> kPickList = {
    {0, "A", 0x04}, {1, "B", 0x05}, {2, "C", 0x06}, {3, "D", 0x07}, {4, "E", 0x08},
    {5, "F", 0x09}, {6, "G", 0x0A}, {7, "H", 0x0B}, {8, "I", 0x0C}, {9, "J", 0x0D},
    {10, "K", 0x0E}, {11, "L", 0x0F}, {12, "M", 0x10}, {13, "N", 0x11}, {14, "O", 0x12},
    {15, "P", 0x13}, {16, "Q", 0x14}, {17, "R", 0x15}, {18, "S", 0x16}, {19, "T", 0x17},
    {20, "U", 0x18}, {21, "V", 0x19}, {22, "W", 0x1A}, {23, "X", 0x1B}, {24, "Y", 0x1C},
    {25, "Z", 0x1D}, {26, "1", 0x1E}, {27, "2", 0x1F}, {28, "3", 0x20}, {29, "4", 0x21},
    {30, "5", 0x22}, {31, "6", 0x23}, {32, "7", 0x24}, {33, "8", 0x25}, {34, "9", 0x26},
    {35, "0", 0x27}, {36, "Enter", 0x28}, {37, "Esc", 0x29}, {38, "Backspace", 0x2A},
    {39, "Tab", 0x2B}, {40, "Space", 0x2C}, {41, "-", 0x2D}, {42, "=", 0x2E}, {43, "[", 0x2F},
    {44, "]", 0x30}, {45, "\\", 0x31}, {46, ";", 0x33}, {47, "'", 0x34},
    {48, "grave accent", 0x35}, {49, ",", 0x36}, {50, ".", 0x37}, {51, "/", 0x38},
    {52, "F1", 0x3A}, {53, "F2", 0x3B}, {54, "F3", 0x3C}, {55, "F4", 0x3D}, {56, "F5", 0x3E},
    {57, "F6", 0x3F}, {58, "F7", 0x40}, {59, "F8", 0x41}, {60, "F9", 0x42}, {61, "F10", 0x43},
    {62, "F11", 0x44}, {63, "F12", 0x45}, {64, "Print Screen", 0x46}, {65, "Pause", 0x48},
    {66, "Break", 0x48}, {67, "Insert", 0x49}, {68, "Delete", 0x4C}, {69, "Home", 0x4A},
    {70, "End", 0x4D}, {71, "Page Up", 0x4B}, {72, "Page Down", 0x4E}, {73, "↑", 0x52},
    {74, "↓", 0x51}, {75, "←", 0x50}, {76, "→", 0x4F}, {77, "Scroll Lock", 0x47},
    {78, "Caps Lock", 0x39}, {79, "Num Lock", 0x53}, {80, "Num /", 0x54}, {81, "Num *", 0x55},
    {82, "Num -", 0x56}, {83, "Num +", 0x57}, {84, "Num Enter", 0x58}, {85, "Num 1", 0x59},
    {86, "Num 2", 0x5A}, {87, "Num 3", 0x5B}, {88, "Num 4", 0x5C}, {89, "Num 5", 0x5D},
    {90, "Num 6", 0x5E}, {91, "Num 7", 0x5F}, {92, "Num 8", 0x60}, {93, "Num 9", 0x61},
    {94, "Num 0", 0x62}, {95, "Num .", 0x63}, {96, "K45", 0x64}, {97, "App", 0x65},
    {98, "Ctrl", 0xE0}, {99, "Shift", 0xE1}, {100, "Alt", 0xE2}, {101, "Win", 0xE3},
    {102, "Right Ctrl", 0xE4}, {103, "Right Shift", 0xE5}, {104, "Right Alt", 0xE6},
    {105, "Right Win", 0xE7},
    {107, "Left Button", 0xF1}, {108, "Right Button", 0xF2}, {109, "Middle Button", 0xF3},
    {110, "Roll Up", 0xF4}, {111, "Roll Down", 0xF5},
};

TEST(KeyTable, PickListOrderNamesAndUsages) {
  std::map<std::uint16_t, std::vector<std::size_t>> rowsByPick;
  for (std::size_t index = 0; index < kKeyTableSize; ++index) {
    const std::uint16_t pick = KeyTable()[index].pickIndex;
    if (pick < kNotInPickList) rowsByPick[pick].push_back(index);
  }
  // Everything below 0x8000 is in this list: 0..105 and 107..111, nothing else.
  ASSERT_EQ(rowsByPick.size(), kPickList.size());
  for (const PickEntry& entry : kPickList) {
    SCOPED_TRACE(entry.name);
    ASSERT_EQ(rowsByPick.count(entry.pick), 1u);
    const std::vector<std::size_t>& rows = rowsByPick[entry.pick];
    // Right Shift has two rows; every other position exactly one.
    EXPECT_EQ(rows.size(), entry.pick == 103 ? 2u : 1u);
    for (std::size_t index : rows) {
      EXPECT_EQ(KeyTable()[index].name, entry.name);
      EXPECT_EQ(KeyTable()[index].deviceCode, entry.device);
    }
  }
  EXPECT_EQ(rowsByPick.count(106), 0u);
}

TEST(KeyTable, NeverListedEntriesAreNumberedOnce) {
  std::set<std::uint16_t> seen;
  for (const KeyInfo& row : KeyTable()) {
    if (row.pickIndex == kNoPickIndex || row.pickIndex < kNotInPickList) continue;
    EXPECT_TRUE(seen.insert(row.pickIndex).second) << row.name;
    EXPECT_GE(row.pickIndex, 0x8001) << row.name;
    EXPECT_LE(row.pickIndex, 0x802D) << row.name;
  }
  EXPECT_EQ(seen.size(), 0x2Du);
}

TEST(KeyTable, NumLockOffVirtualKeysOnlyOnTheKeypad) {
  const std::map<std::string_view, std::uint8_t> keypad = {
      {"Num 7", 0x24}, {"Num 8", 0x26}, {"Num 9", 0x21}, {"Num 4", 0x25},
      {"Num 5", 0x0C}, {"Num 6", 0x27}, {"Num 1", 0x23}, {"Num 2", 0x28},
      {"Num 3", 0x22}, {"Num 0", 0x2D}, {"Num .", 0x2E}};
  for (const KeyInfo& row : KeyTable()) {
    const auto it = keypad.find(row.name);
    EXPECT_EQ(row.altVk, it == keypad.end() ? row.vk : it->second) << row.name;
  }
}

TEST(KeyTable, ConsumerUsagesNameTheirRows) {
  const std::vector<std::pair<std::uint16_t, std::string_view>> expected = {
      {0x00E9, "V+"}, {0x00EA, "V-"}, {0x0183, "Media Player"}, {0x018A, "Mail"},
      {0x0192, "Calc"}, {0x0194, "My PC"}, {0x0221, "WWW Search"}, {0x0223, "WWW Home"},
      {0x0224, "WWW Back"}, {0x0225, "WWW Forward"}, {0x0226, "WWW Stop"},
      {0x0227, "WWW Refresh"}, {0x022A, "WWW Favorite"}, {0x00E2, "Mute"},
      {0x00CD, "Play/Pause"}, {0x00B7, "Stop Play"}, {0x00B6, "Prev Track"},
      {0x00B5, "Next Track"}};
  const auto usages = ConsumerUsageTable();
  for (std::size_t i = 0; i < kConsumerUsageCount; ++i) {
    if (i >= expected.size()) {
      EXPECT_EQ(usages[i], 0) << i;
      continue;
    }
    EXPECT_EQ(usages[i], expected[i].first) << i;
    const KeyCode code = DeviceToKeyCode(DeviceKind::Consumer, expected[i].first);
    ASSERT_NE(KeyRow(code), nullptr) << i;
    EXPECT_EQ(KeyRow(code)->name, expected[i].second);
    EXPECT_EQ(KeyRow(code)->deviceCode, 0xC0 + i);
  }
}

// Every device code finds its own row, except where a lower row carries the
// same code: Right Shift's second row and Break (found as Pause).
TEST(KeyTable, EveryDeviceCodeFindsItsRow) {
  const std::map<std::size_t, KeyCode> shadowed = {{0xB6, 0x036}, {0xC6, kPauseKey}};
  for (std::size_t index = 0; index < kKeyTableSize; ++index) {
    const std::uint8_t d = KeyTable()[index].deviceCode;
    if (d == 0) continue;
    const auto it = shadowed.find(index);
    const KeyCode expected = it == shadowed.end() ? CodeOfRow(index) : it->second;
    EXPECT_EQ(DeviceToKeyCode(DeviceKind::Keyboard, d), expected) << KeyTable()[index].name;
  }
}

TEST(KeyTable, VirtualKeyTableSettledChoices) {
  const auto vkTable = VirtualKeyTable();
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> settled = {
      {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x0D, 0x1C}, {0x2C, 0xB7}, {0xA1, 0x36},
      {0x01, 0}, {0x02, 0}, {0x04, 0}, {0x88, 0}, {0x8A, 0}, {0x9F, 0},
      {0xFF, 0}, {0x00, 0}, {0x41, 0x1E}, {0x13, 0x45}, {0x03, 0xC6},
      // Num Lock and Scroll Lock sit among the private codes but are real keys.
      {0x90, 0xC5}, {0x91, 0x46}};
  for (const auto& [vk, row] : settled) EXPECT_EQ(vkTable[vk], row) << "vk " << int{vk};
}

TEST(KeyTable, VirtualKeysLeadBackToARowProducingThem) {
  const auto vkTable = VirtualKeyTable();
  std::map<std::uint8_t, int> producers;
  for (const KeyInfo& row : KeyTable()) {
    if (row.vk != 0 && row.vk != 0xFF) ++producers[row.vk];
  }
  for (const auto& [vk, count] : producers) {
    const bool mouseOrFunction =
        vk == 0x01 || vk == 0x02 || vk == 0x04 || (vk >= 0x88 && vk <= 0x9F && vk != 0x90 && vk != 0x91);
    if (mouseOrFunction) continue;
    EXPECT_EQ(KeyTable()[vkTable[vk]].vk, vk) << "vk " << int{vk};
    // Only Enter, Print Screen and Right Shift share a virtual key.
    if (count > 1) {
      EXPECT_TRUE(vk == 0x0D || vk == 0x2C || vk == 0xA1) << "vk " << int{vk};
    }
  }
}

// ---------------------------------------------------------------------------
// Conversions

TEST(KeyCodes, TableAndRecordIndices) {
  EXPECT_EQ(TableIndexToKeyCode(0x7F), 0x07F);
  EXPECT_EQ(TableIndexToKeyCode(0x80), 0x100);
  EXPECT_EQ(TableIndexToKeyCode(0xFF), 0x17F);
  EXPECT_EQ(TableIndexToKeyCode(0x100), kNoKey);
  for (unsigned index = 0; index < kKeyTableSize; ++index) {
    EXPECT_EQ(KeyCodeToRecordIndex(TableIndexToKeyCode(index)), index);
  }
  EXPECT_EQ(KeyCodeToRecordIndex(kNumLockKey), 0xC5);
  EXPECT_EQ(KeyCodeToRecordIndex(0x203), 259);
  EXPECT_EQ(KeyCodeToRecordIndex(0x2FF), 511);
  EXPECT_EQ(KeyCodeToRecordIndex(0x19E), 0x1E);  // stored records keep the wrap
  // Past the special keys there is no record; never an index past the block.
  EXPECT_EQ(KeyCodeToRecordIndex(0x300), kNoRecordIndex);
  EXPECT_EQ(KeyCodeToRecordIndex(0xFFFF), kNoRecordIndex);
}

TEST(KeyCodes, KeyToDevice) {
  const std::vector<std::pair<KeyCode, DeviceCode>> cases = {
      {0x01E, {DeviceKind::Keyboard, 0x04}},
      {0x130, {DeviceKind::Keyboard, 0xC0}},  // V+: multimedia stays a keyboard code
      {0x174, {DeviceKind::Keyboard, 0xD2}},  // Zoom-: past the defined entries
      {0x15E, {DeviceKind::System, 0x81}},
      {0x163, {DeviceKind::System, 0x83}},
      {0x171, {DeviceKind::Mouse, 0xF1}},
      {0x162, {DeviceKind::Mouse, 0xF5}},  // Roll Down
      {0x054, {DeviceKind::None, 0}},      // Sys Req: the keyboard has no code
      {0x055, {DeviceKind::None, 0}},      // empty row
      {0x200, {DeviceKind::None, 0}},
      {0x19E, {DeviceKind::None, 0}},      // no key, even though its record wraps onto A
      {0x09E, {DeviceKind::None, 0}},
  };
  for (const auto& [code, device] : cases) EXPECT_EQ(KeyCodeToDevice(code), device) << code;
}

TEST(KeyCodes, DeviceToKey) {
  struct Case {
    DeviceKind kind;
    unsigned value;
    KeyCode code;
  };
  const Case cases[] = {
      {DeviceKind::Keyboard, 0xE5, 0x036},  // never 0x136
      {DeviceKind::Keyboard, 0x48, 0x045},  // Pause, never Break
      {DeviceKind::Keyboard, 0x04, 0x01E},
      {DeviceKind::Keyboard, 0xD2, 0x174},
      {DeviceKind::Keyboard, 0x00, kNoKey},
      {DeviceKind::Keyboard, 0xFF, kNoKey},
      {DeviceKind::Keyboard, 0x32, kNoKey},   // usage no row carries
      {DeviceKind::Keyboard, 0x104, kNoKey},  // not a byte: must not match A
      {DeviceKind::Consumer, 0x00E9, 0x130},
      {DeviceKind::Consumer, 0x00B5, 0x119},
      {DeviceKind::Consumer, 0, kNoKey},
      {DeviceKind::Consumer, 0x0123, kNoKey},
      {DeviceKind::System, 0x81, 0x15E},
      {DeviceKind::System, 0x83, 0x163},
      {DeviceKind::System, 0x84, kNoKey},
      {DeviceKind::System, 0x04, kNoKey},
      {DeviceKind::Mouse, 0xF1, kNoKey},
      {DeviceKind::None, 0x04, kNoKey},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeviceToKeyCode(c.kind, c.value), c.code) << int(c.kind) << " " << c.value;
  }
}

TEST(KeyCodes, ModifierBits) {
  const std::vector<std::pair<std::uint8_t, KeyCode>> bits = {
      {0x01, 0x01D}, {0x02, 0x02A}, {0x04, 0x038}, {0x08, 0x15B},
      {0x10, 0x11D}, {0x20, 0x036}, {0x40, 0x138}, {0x80, 0x15C}};
  for (const auto& [bit, code] : bits) {
    EXPECT_EQ(ModifierBitsToKeyCode(bit), code);
    EXPECT_EQ(KeyCodeToModifierBit(code), bit);
  }
  EXPECT_EQ(ModifierBitsToKeyCode(0), kNoKey);
  EXPECT_EQ(ModifierBitsToKeyCode(0x06), 0x02A);  // lowest bit first
  EXPECT_EQ(ModifierBitsToKeyCode(0xA0), 0x036);
  EXPECT_EQ(KeyCodeToModifierBit(0x136), 0x20);   // Right Shift's second row
  EXPECT_EQ(KeyCodeToModifierBit(0x01E), 0);
  EXPECT_EQ(KeyCodeToModifierBit(kNoKey), 0);
  EXPECT_EQ(KeyCodeToModifierBit(0x05B), 0);       // Win without the E0 prefix is no key
}

std::uint32_t Flags(unsigned scan, bool extended) {
  return (static_cast<std::uint32_t>(scan) << 16) | (extended ? 1u << 24 : 0u);
}

TEST(KeyCodes, KeystrokeToKeyCode) {
  struct Case {
    const char* what;
    std::uint8_t vk;
    unsigned scan;
    bool extended;
    KeyCode code;
  };
  const Case cases[] = {
      {"Num Lock", 0x90, 0x45, true, 0x145},
      {"Pause", 0x13, 0x45, false, 0x045},
      {"Right Shift", 0xA1, 0x36, false, 0x036},
      {"generic Shift, right scan", 0x10, 0x36, false, 0x036},
      {"generic Shift, left scan", 0x10, 0x2A, false, 0x02A},
      {"generic Ctrl, right scan", 0x11, 0x1D, true, 0x11D},
      {"generic Ctrl, left scan", 0x11, 0x1D, false, 0x01D},
      {"generic Alt, right scan", 0x12, 0x38, true, 0x138},
      {"left Ctrl", 0xA2, 0x1D, false, 0x01D},
      {"right Ctrl", 0xA3, 0x1D, true, 0x11D},
      {"Num Enter", 0x0D, 0x1C, true, 0x11C},
      {"Enter", 0x0D, 0x1C, false, 0x01C},
      {"keypad 7 with Num Lock off", 0x24, 0x47, false, 0x047},
      {"keypad 5 with Num Lock off", 0x0C, 0x4C, false, 0x04C},
      {"navigation Home", 0x24, 0x47, true, 0x147},
      {"keypad 7 with Num Lock on", 0x67, 0x47, false, 0x047},
      {"Print Screen", 0x2C, 0x37, true, 0x137},
      {"Sys Req", 0x2C, 0x54, false, 0x054},
      {"no scan code", 0x41, 0x00, false, 0x01E},
      {"no scan code, generic Ctrl", 0x11, 0x00, false, 0x01D},
      {"no scan code, Num Lock", 0x90, 0x00, false, 0x145},
      {"no scan code, Scroll Lock", 0x91, 0x00, false, 0x046},
      {"no scan code, Copy", 0x97, 0x00, false, kNoKey},
      {"no virtual key", 0xFF, 0x70, false, 0x070},
      {"no virtual key, extended", 0xFF, 0x5D, true, 0x15D},
      {"scan code of another key", 0x41, 0x30, false, 0x01E},
      {"mouse virtual key", 0x01, 0x00, false, kNoKey},
  };
  for (const Case& c : cases) EXPECT_EQ(KeystrokeToKeyCode(c.vk, Flags(c.scan, c.extended)), c.code) << c.what;
  // Bits above the extended flag (repeat count is below 16, transition bits above 24) are ignored.
  EXPECT_EQ(KeystrokeToKeyCode(0x90, Flags(0x45, true) | 0xC000'0001u), 0x145);
}

TEST(KeyCodes, PickIndices) {
  EXPECT_EQ(PickIndexToKeyCode(103), 0x036);
  EXPECT_EQ(PickIndexToKeyCode(106), kNoKey);
  EXPECT_EQ(PickIndexToKeyCode(kNoPickIndex), kNoKey);
  EXPECT_EQ(PickIndexToKeyCode(0x8012), 0x054);
  EXPECT_EQ(PickIndexToKeyCode(66), kBreakKey);
  EXPECT_EQ(KeyCodeToPickIndex(0x136), 103);
  EXPECT_EQ(KeyCodeToPickIndex(0x055), kNoPickIndex);
  EXPECT_EQ(KeyCodeToPickIndex(0x203), kNoPickIndex);
  EXPECT_EQ(KeyCodeToPickIndex(0x1C8), kNoPickIndex);
  for (const PickEntry& entry : kPickList) {
    EXPECT_EQ(KeyCodeToPickIndex(PickIndexToKeyCode(entry.pick)), entry.pick);
  }
}

TEST(KeyCodes, ReleaseOnlyKeys) {
  for (KeyCode code : {0x054, 0x071, 0x072, 0x137}) EXPECT_TRUE(IsReleaseOnlyKey(code)) << code;
  for (KeyCode code : {0x037, 0x0B7, 0x073, 0x000, 0x154}) EXPECT_FALSE(IsReleaseOnlyKey(code)) << code;
}

// ---------------------------------------------------------------------------
// Names

class KeyNames : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-keynames-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::ofstream file(folder_ + "/Lang0409.ini");
    file << "[TEXT]\n"
            "UNKNOWN_KEY=Unknown key %03X\n"
            "IDS_KEYBOARD_A=A\n"
            "IDS_KEYBOARD_B=\n"
            "IDS_KEYBOARD_UP=\xE2\x86\x91 Pfeil oben\n"
            "IDS_KEYBOARD_RSHIFT=Umschalt rechts\n"
            "IDS_KEYBOARD_ESC=Echap\n"
            "MEDIA_V_ADD_7=Lauter\n";
    file.close();
    SetProgramFolder(folder_);
  }
  void TearDown() override {
    SetProgramFolder("");
    std::remove((folder_ + "/Lang0409.ini").c_str());
    ::rmdir(folder_.c_str());
  }
  std::string folder_;
};

TEST_F(KeyNames, DisplayNames) {
  EXPECT_EQ(KeyDisplayName(0x01E), "A");
  EXPECT_EQ(KeyDisplayName(0x148), "\xE2\x86\x91 Pfeil oben");
  EXPECT_EQ(KeyDisplayName(0x136), "Umschalt rechts");
  // F13 has no text key; row 0x55 is empty; G keys and unused codes have no row.
  EXPECT_EQ(KeyDisplayName(0x064), "Unknown key 064");
  EXPECT_EQ(KeyDisplayName(0x055), "Unknown key 055");
  EXPECT_EQ(KeyDisplayName(0x203), "Unknown key 203");
  EXPECT_EQ(KeyDisplayName(0x19E), "Unknown key 19E");
  // An empty text falls back too; a missing one shows itself.
  EXPECT_EQ(KeyDisplayName(0x030), "Unknown key 030");
  EXPECT_EQ(KeyDisplayName(0x02E), std::string(kMissingText));
}

TEST_F(KeyNames, DisplayNamesAreCutByCharactersNotBytes) {
  EXPECT_EQ(KeyDisplayName(0x148, 3), "\xE2\x86\x91 ");
  EXPECT_EQ(KeyDisplayName(0x148, 2), "\xE2\x86\x91");
  EXPECT_EQ(KeyDisplayName(0x148, 1), "");
  EXPECT_EQ(KeyDisplayName(0x148, 0), "");
  EXPECT_EQ(KeyDisplayName(0x064, 8), "Unknown");
}

TEST_F(KeyNames, PickIndexDisplayNames) {
  EXPECT_EQ(PickIndexDisplayName(0), "A");
  EXPECT_EQ(PickIndexDisplayName(103), "Umschalt rechts");
  EXPECT_EQ(PickIndexDisplayName(106), "");
  EXPECT_EQ(PickIndexDisplayName(0x802D), "");  // F13: no text key, no fallback
  EXPECT_EQ(PickIndexDisplayName(kNoPickIndex), "");
  EXPECT_EQ(PickIndexDisplayName(2), std::string(kMissingText));
}

TEST_F(KeyNames, FindKeyByName) {
  const std::vector<std::pair<std::string_view, KeyCode>> cases = {
      {"A", 0x01E}, {"a", 0x01E}, {"CapsLock", 0x03A}, {"caps lock", 0x03A},
      {"PageUp", 0x149}, {"Right Shift", 0x036}, {"rightshift", 0x036}, {"Num +", 0x04E},
      {"num+", 0x04E}, {"\\", 0x02B}, {"ROMA", 0x070}, {"roma (133)", 0x070},
      {"n-chg", 0x07B}, {"Up", 0x148}, {"\xE2\x86\x91", 0x148}, {"grave", 0x029},
      {"grave accent", 0x029}, {"F13", 0x064}, {"Play/Pause", 0x122},
      {"G1", 0x200}, {"g9", 0x208},
      // Display names of the language file.
      {"Echap", 0x001}, {"lauter", 0x130}, {"Pfeil oben", kNoKey},
      {"", kNoKey}, {"   ", kNoKey}, {"G0", kNoKey}, {"G10", kNoKey}, {"nothing", kNoKey},
      {"#Error", kNoKey}};
  for (const auto& [name, code] : cases) EXPECT_EQ(FindKeyByName(name), code) << name;
}

}  // namespace
}  // namespace zarvel
