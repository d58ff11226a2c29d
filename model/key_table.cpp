// Conversions between key codes, table rows, device codes, virtual keys and the
// pick list, and the display names of keys.
#include "model/key_table.h"

#include <array>
#include <cctype>
#include <utility>

#include "skin/language.h"
#include "skin/message_format.h"

namespace zarvel {
namespace {

constexpr std::uint8_t kVkReturn = 0x0D;
constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkMenu = 0x12;
constexpr std::uint8_t kVkSnapshot = 0x2C;
constexpr std::uint8_t kVkRightShift = 0xA1;
constexpr std::uint8_t kNoVk = 0xFF;
// Mouse buttons and the private keyboard-function codes are not keystrokes.
constexpr std::uint8_t kMouseVks[] = {0x01, 0x02, 0x04};
constexpr std::uint8_t kFirstFunctionVk = 0x88;
constexpr std::uint8_t kLastFunctionVk = 0x9F;
constexpr std::uint8_t kVkNumLock = 0x90;
constexpr std::uint8_t kVkScroll = 0x91;

constexpr std::uint8_t kRowEnter = 0x1C;
constexpr std::uint8_t kRowCtrl = 0x1D;
constexpr std::uint8_t kRowShift = 0x2A;
constexpr std::uint8_t kRowRightShift = 0x36;
constexpr std::uint8_t kRowAlt = 0x38;
constexpr std::uint8_t kRowPrintScreen = 0xB7;

constexpr std::uint32_t kScanShift = 16;
constexpr std::uint32_t kScanAndExtendedMask = 0x1FF;  // scan byte and the extended bit above it
constexpr KeyCode kRightShiftKey = 0x036;
constexpr KeyCode kRightShiftAliasKey = 0x136;

// HID modifier byte order, lowest bit first.
constexpr std::array<KeyCode, 8> kModifierKeys = {
    0x01D,  // Ctrl
    0x02A,  // Shift
    0x038,  // Alt
    0x15B,  // Win
    0x11D,  // Right Ctrl
    0x036,  // Right Shift
    0x138,  // Right Alt
    0x15C,  // Right Win
};

constexpr std::uint8_t kSystemFirst = 0x81;
constexpr std::uint8_t kSystemLast = 0x83;
constexpr std::uint8_t kMouseFirst = 0xF1;
constexpr std::uint8_t kMouseLast = 0xF8;
constexpr std::uint8_t kNoDeviceCode = 0xFF;
constexpr std::uint8_t kMultimediaBase = 0xC0;

constexpr KeyCode kReleaseOnlyKeys[] = {0x054, 0x071, 0x072, 0x137};  // Sys Req, KL, KR, Print Screen

std::array<std::uint8_t, 256> BuildVirtualKeyTable() {
  std::array<std::uint8_t, 256> table{};
  const auto rows = KeyTable();
  // The first row producing a virtual key names it; the settled choices below
  // override the few keys that share one.
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const std::uint8_t vk = rows[index].vk;
    if (vk == 0 || vk == kNoVk || table[vk] != 0) continue;
    table[vk] = static_cast<std::uint8_t>(index);
  }
  table[kVkShift] = kRowShift;
  table[kVkControl] = kRowCtrl;
  table[kVkMenu] = kRowAlt;
  table[kVkReturn] = kRowEnter;
  table[kVkSnapshot] = kRowPrintScreen;
  table[kVkRightShift] = kRowRightShift;
  for (std::uint8_t vk : kMouseVks) table[vk] = 0;
  for (unsigned vk = kFirstFunctionVk; vk <= kLastFunctionVk; ++vk) {
    // Num Lock and Scroll Lock are Windows' own codes inside the private range.
    if (vk == kVkNumLock || vk == kVkScroll) continue;
    table[vk] = 0;
  }
  return table;
}

}  // namespace

std::span<const std::uint8_t, 256> VirtualKeyTable() {
  static const std::array<std::uint8_t, 256> table = BuildVirtualKeyTable();
  return table;
}

const KeyInfo* KeyRow(KeyCode code) {
  // Codes 0x080..0x0FF and 0x180..0x1FF alias other keys' records but are no
  // keys; giving them a row would name a corrupted code after an unrelated key.
  if (code >= 0x001 && code < 0x080) return &KeyTable()[code];
  if (code >= kExtendedKeyBase && code < kExtendedKeyEnd) return &KeyTable()[code - 0x80];
  return nullptr;
}

KeyCode TableIndexToKeyCode(unsigned tableIndex) {
  if (tableIndex >= kKeyTableSize) return kNoKey;
  return static_cast<KeyCode>(tableIndex < 0x80 ? tableIndex : tableIndex + 0x80);
}

std::uint16_t KeyCodeToRecordIndex(KeyCode code) {
  if (code < kExtendedKeyBase) return code;
  if (code < kSpecialKeyBase) return static_cast<std::uint16_t>((code - 0x80) & 0xFF);
  if (code < kSpecialKeyEnd) return static_cast<std::uint16_t>(code - 0x100);
  return kNoRecordIndex;
}

DeviceCode KeyCodeToDevice(KeyCode code) {
  const KeyInfo* row = KeyRow(code);
  const std::uint8_t d = row ? row->deviceCode : 0;
  if (d == 0 || d == kNoDeviceCode) return {DeviceKind::None, 0};
  if (d >= kSystemFirst && d <= kSystemLast) return {DeviceKind::System, d};
  if (d >= kMouseFirst && d <= kMouseLast) return {DeviceKind::Mouse, d};
  // Multimedia codes stay in the keyboard-usage kind: the keyboard stores them
  // where a usage goes and tells them apart by value.
  return {DeviceKind::Keyboard, d};
}

KeyCode DeviceToKeyCode(DeviceKind kind, unsigned value) {
  unsigned d = 0;
  switch (kind) {
    case DeviceKind::Keyboard:
      d = value;
      break;
    case DeviceKind::System:
      if (value >= kSystemFirst && value <= kSystemLast) d = value;
      break;
    case DeviceKind::Consumer: {
      const auto usages = ConsumerUsageTable();
      for (std::size_t i = 0; i < kDefinedConsumerUsages; ++i) {
        if (usages[i] != 0 && usages[i] == value) {
          d = kMultimediaBase + static_cast<unsigned>(i);
          break;
        }
      }
      break;
    }
    default:
      break;
  }
  if (d == 0 || d > 0xFF) return kNoKey;
  const auto rows = KeyTable();
  for (std::size_t index = 0; index < rows.size(); ++index) {
    if (rows[index].deviceCode == d) return TableIndexToKeyCode(static_cast<unsigned>(index));
  }
  return kNoKey;
}

KeyCode ModifierBitsToKeyCode(std::uint8_t bits) {
  for (std::size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
    if (bits & (1u << bit)) return kModifierKeys[bit];
  }
  return kNoKey;
}

std::uint8_t KeyCodeToModifierBit(KeyCode code) {
  // Row 0xB6 is Right Shift too; a keystroke with the extended flag reaches it.
  if (code == kRightShiftAliasKey) code = kRightShiftKey;
  for (std::size_t bit = 0; bit < kModifierKeys.size(); ++bit) {
    if (kModifierKeys[bit] == code && code != kNoKey) return static_cast<std::uint8_t>(1u << bit);
  }
  return 0;
}

KeyCode KeystrokeToKeyCode(std::uint8_t vk, std::uint32_t flags) {
  const std::uint8_t vkRow = VirtualKeyTable()[vk];
  const KeyCode fromVk = TableIndexToKeyCode(vkRow);
  const KeyCode fromScan = static_cast<KeyCode>((flags >> kScanShift) & kScanAndExtendedMask);

  // The generic Shift virtual key does not say which Shift; the scan code does.
  if (fromScan == kRightShiftKey) return kRightShiftKey;
  if (vk == kNoVk) return fromScan;
  if ((fromScan & 0xFF) == 0) return fromVk;
  const KeyInfo& scanRow = KeyTable()[KeyCodeToRecordIndex(fromScan)];
  if (scanRow.vk == vk || scanRow.altVk == vk) return fromScan;
  if (vkRow == (fromScan & 0xFF)) return fromScan;
  return fromVk;
}

KeyCode PickIndexToKeyCode(std::uint16_t pickIndex) {
  if (pickIndex == kNoPickIndex) return kNoKey;
  const auto rows = KeyTable();
  for (std::size_t index = 0; index < rows.size(); ++index) {
    if (rows[index].pickIndex == pickIndex) return TableIndexToKeyCode(static_cast<unsigned>(index));
  }
  return kNoKey;
}

std::uint16_t KeyCodeToPickIndex(KeyCode code) {
  const KeyInfo* row = KeyRow(code);
  return row ? row->pickIndex : kNoPickIndex;
}

bool IsReleaseOnlyKey(KeyCode code) {
  for (KeyCode key : kReleaseOnlyKeys) {
    if (key == code) return true;
  }
  return false;
}

namespace {

// Cuts UTF-8 text to at most maxChars code points.
std::string CutToCharacters(std::string text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (continuation) continue;
    if (chars == maxChars) {
      text.resize(i);
      break;
    }
    ++chars;
  }
  return text;
}

// Lower-case ASCII with spaces removed, so "Page Up", "pageup" and "PAGE UP" meet.
std::string Folded(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (char c : text) {
    if (c == ' ') continue;
    folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return folded;
}

// Spellings that can be typed where the reference name is an arrow or a word.
struct NameAlias {
  std::string_view name;
  KeyCode code;
};
constexpr NameAlias kNameAliases[] = {
    {"up", 0x148}, {"down", 0x150}, {"left", 0x14B}, {"right", 0x14D}, {"grave", 0x029}, {"`", 0x029},
};

KeyCode FindGKey(const std::string& folded) {
  if (folded.size() != 2 || folded[0] != 'g') return kNoKey;
  const char digit = folded[1];
  if (digit < '1' || digit > '0' + kGKeyCount) return kNoKey;
  return SpecialKeyCode(static_cast<unsigned>(digit - '1'));
}

// "ROMA (133)" is also found as "ROMA".
bool MatchesReferenceName(std::string_view name, const std::string& folded) {
  if (name.empty()) return false;
  if (Folded(name) == folded) return true;
  const std::size_t bracket = name.find(" (");
  return bracket != std::string_view::npos && Folded(name.substr(0, bracket)) == folded;
}

}  // namespace

std::string KeyDisplayName(KeyCode code, std::size_t capacity) {
  if (capacity == 0) return {};
  const KeyInfo* row = KeyRow(code);
  std::string text;
  if (row && !row->textKey.empty()) text = LookupText(row->textKey);
  if (text.empty()) text = FormatMessage(LookupText("UNKNOWN_KEY"), {std::uint64_t{code}});
  return CutToCharacters(std::move(text), capacity - 1);
}

std::string PickIndexDisplayName(std::uint16_t pickIndex) {
  const KeyCode code = PickIndexToKeyCode(pickIndex);
  const KeyInfo* row = KeyRow(code);
  if (!row || row->textKey.empty()) return {};
  return LookupText(row->textKey);
}

KeyCode FindKeyByName(std::string_view name) {
  const std::string folded = Folded(name);
  if (folded.empty()) return kNoKey;
  if (const KeyCode gKey = FindGKey(folded); gKey != kNoKey) return gKey;

  const auto rows = KeyTable();
  for (std::size_t index = 0; index < rows.size(); ++index) {
    if (MatchesReferenceName(rows[index].name, folded)) return TableIndexToKeyCode(static_cast<unsigned>(index));
  }
  for (const NameAlias& alias : kNameAliases) {
    if (alias.name == folded) return alias.code;
  }
  // Display names last: each one is a read of the language file.
  for (std::size_t index = 0; index < rows.size(); ++index) {
    if (rows[index].textKey.empty()) continue;
    const std::string text = LookupText(rows[index].textKey);
    if (text.empty() || text == kMissingText) continue;
    if (Folded(text) == folded) return TableIndexToKeyCode(static_cast<unsigned>(index));
  }
  return kNoKey;
}

}  // namespace zarvel
