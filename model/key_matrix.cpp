#include "model/key_matrix.h"

#include <algorithm>

#include "model/key_table.h"
#include "model/media_functions.h"

namespace zarvel {

namespace {

constexpr std::uint8_t kEntryNone = 0x00;
constexpr std::uint8_t kEntryMouse = 0x01;
constexpr std::uint8_t kEntryKeyboard = 0x02;
constexpr std::uint8_t kEntryConsumer = 0x03;
constexpr std::uint8_t kEntrySystem = 0x04;
constexpr std::uint8_t kEntryKeyboardOwn = 0x05;
constexpr std::uint8_t kEntrySpecial = 0x06;

constexpr std::uint8_t kMouseButton = 0x01;
constexpr std::uint8_t kMouseWheel = 0x05;
constexpr std::uint8_t kKeyboardModifier = 0x01;
constexpr std::uint8_t kKeyboardUsage = 0x02;
constexpr std::uint8_t kOwnPlayMacro = 0x01;
constexpr std::uint8_t kOwnStopMacro = 0x02;
constexpr std::uint8_t kOwnFunction = 0x05;
constexpr std::uint8_t kSpecialMarker = 0xA2;

constexpr KeyCode kLeftButton = 0x171;
constexpr KeyCode kRightButton = 0x172;
constexpr KeyCode kMiddleButton = 0x173;
constexpr KeyCode kRollUp = 0x161;
constexpr KeyCode kRollDown = 0x162;
// Special key n - 1 for an 06 A2 n entry.
constexpr KeyCode kSpecialEntryBase = 0x1FF;

// Mouse entries 01 b1 b2 -> key code, 0 for any other form.
KeyCode MouseEntryToKeyCode(std::uint8_t b1, std::uint8_t b2) {
  if (b1 == kMouseButton) {
    if (b2 == 0x01) return kLeftButton;
    if (b2 == 0x02) return kRightButton;
    if (b2 == 0x04) return kMiddleButton;
  } else if (b1 == kMouseWheel) {
    if (b2 == 0x01) return kRollUp;
    if (b2 == 0xFF) return kRollDown;
  }
  return kNoKey;
}

bool SameEntry(const MatrixEntry& a, const MatrixEntry& b) { return a == b; }

}  // namespace

KeyCode EntryToKeyCode(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
  const unsigned wide = static_cast<unsigned>(b1) | (static_cast<unsigned>(b2) << 8);
  switch (b0) {
    case kEntryMouse:
      return MouseEntryToKeyCode(b1, b2);
    case kEntryKeyboard:
      if (b1 == kKeyboardUsage) return DeviceToKeyCode(DeviceKind::Keyboard, b2);
      return ModifierBitsToKeyCode(b2);
    case kEntryConsumer:
      return DeviceToKeyCode(DeviceKind::Consumer, wide);
    case kEntrySystem:
      return DeviceToKeyCode(DeviceKind::System, wide);
    case kEntrySpecial:
      // 06 A2 00 would name special key -1; it names nothing.
      if (b1 == kSpecialMarker && b2 >= 1) return static_cast<KeyCode>(kSpecialEntryBase + b2);
      return kNoKey;
    default:
      return kNoKey;
  }
}

MatrixEntry KeyCodeToKeyEntry(KeyCode code) {
  if (std::uint8_t bit = KeyCodeToModifierBit(code); bit != 0) return {kEntryKeyboard, kKeyboardModifier, bit};
  switch (code) {
    case kLeftButton: return {kEntryMouse, kMouseButton, 0x01};
    case kRightButton: return {kEntryMouse, kMouseButton, 0x02};
    case kMiddleButton: return {kEntryMouse, kMouseButton, 0x04};
    case kRollUp: return {kEntryMouse, kMouseWheel, 0x01};
    case kRollDown: return {kEntryMouse, kMouseWheel, 0xFF};
    default: break;
  }
  DeviceCode device = KeyCodeToDevice(code);
  std::uint8_t usage = device.kind == DeviceKind::Keyboard ? device.value : 0;
  return {kEntryKeyboard, kKeyboardUsage, usage};
}

MatrixEntry MatrixEntryAt(std::span<const std::uint8_t> matrix, std::size_t position) {
  std::size_t offset = position * kMatrixEntrySize;
  if (offset + kMatrixEntrySize > matrix.size()) return {kEntryNone, 0, 0};
  return {matrix[offset], matrix[offset + 1], matrix[offset + 2]};
}

void DecodeKeyMatrix(std::span<const std::uint8_t> matrix, const DefaultMatrix& defaults, ProfileBlock& block) {
  InitProfileBlock(block);
  for (std::size_t p = 0; p < kMatrixPositions; ++p) {
    if ((p + 1) * kMatrixEntrySize > matrix.size()) break;  // not read: unchanged
    const MatrixEntry d = MatrixEntryAt(matrix, p);
    const MatrixEntry f = MatrixEntryAt(defaults, p);
    if (SameEntry(d, f)) continue;
    const std::uint16_t r = KeyCodeToRecordIndex(EntryToKeyCode(f));
    if (r == 0 || r >= kRecordsPerProfile) continue;  // the position names no key

    KeyFunction& record = block[r];
    record.type = kFunctionDisabled;
    record.value = 0;
    switch (d[0]) {
      case kEntryKeyboardOwn:
        if (d[1] == kOwnPlayMacro) {
          // The macro at position n decodes with id n + 1.
          record.type = kFunctionMacro;
          record.value = d[2] + 1u;
        } else if (d[1] == kOwnStopMacro) {
          record.type = kFunctionStopMacro;
        } else if (d[1] == kOwnFunction) {
          record.type = kFunctionKeyboard;
          record.value = d[2];
        }
        break;
      case kEntryConsumer: {
        int index = MediaIndexOfUsage(static_cast<std::uint16_t>(d[1] | (d[2] << 8)));
        if (index >= 0) {
          record.type = kFunctionMedia;
          record.value = static_cast<std::uint32_t>(index);
        }
        break;
      }
      case kEntryMouse:
        // Mouse entries outside the five known forms leave the key disabled.
        if (KeyCode code = MouseEntryToKeyCode(d[1], d[2]); code != kNoKey) {
          record.type = kFunctionKey;
          record.value = code;
        }
        break;
      case kEntryKeyboard:
        if (d[1] == kKeyboardUsage) {
          if (KeyCode code = DeviceToKeyCode(DeviceKind::Keyboard, d[2]); code != kNoKey) {
            record.type = kFunctionKey;
            record.value = code;
          }
        } else if (d[1] == kKeyboardModifier) {
          record.type = kFunctionKey;
          record.value = ModifierBitsToKeyCode(d[2]);
        }
        break;
      default:
        break;  // no function, system and special entries: disabled
    }
  }
}

MatrixEntry EncodeKeyFunction(const KeyFunction& record, const MatrixEntry& defaultEntry, const MacroSet& macros) {
  switch (record.type) {
    case kFunctionDefault:
    case kFunctionLaunch:
      return defaultEntry;
    case kFunctionDisabled:
    case kFunctionText:
      return {kEntryNone, 0, 0};
    case kFunctionKey:
      if (record.value > 0xFFFF) return {kEntryKeyboard, kKeyboardUsage, 0};
      return KeyCodeToKeyEntry(static_cast<KeyCode>(record.value));
    case kFunctionMacro:
      return {kEntryKeyboardOwn, kOwnPlayMacro, static_cast<std::uint8_t>(FindMacroIndex(macros, record.value))};
    case kFunctionStopMacro:
      return {kEntryKeyboardOwn, kOwnStopMacro, 0};
    case kFunctionMedia: {
      const auto& table = MediaFunctionTable();
      if (record.value >= table.size()) return {kEntryNone, 0, 0};
      std::uint16_t usage = table[record.value].usage;
      return {kEntryConsumer, static_cast<std::uint8_t>(usage), static_cast<std::uint8_t>(usage >> 8)};
    }
    case kFunctionKeyboard:
      return {kEntryKeyboardOwn, kOwnFunction, static_cast<std::uint8_t>(record.value)};
    default:
      return {kEntryNone, 0, 0};
  }
}

std::vector<std::uint8_t> EncodeKeyMatrix(const ProfileBlock& block, const DefaultMatrix& defaults,
                                          const MacroSet& macros, std::size_t matrixSize) {
  matrixSize = std::clamp(matrixSize, kMatrixBytes, defaults.size());
  std::vector<std::uint8_t> matrix(defaults.begin(), defaults.begin() + static_cast<std::ptrdiff_t>(matrixSize));
  for (std::size_t p = 0; p < kMatrixPositions; ++p) {
    const MatrixEntry f = MatrixEntryAt(defaults, p);
    const KeyCode k = EntryToKeyCode(f);
    if (k == kNoKey) continue;
    const std::uint16_t r = KeyCodeToRecordIndex(k);
    if (r >= kRecordsPerProfile) continue;
    const MatrixEntry e = EncodeKeyFunction(block[r], f, macros);
    std::copy(e.begin(), e.end(), matrix.begin() + static_cast<std::ptrdiff_t>(p * kMatrixEntrySize));
  }
  return matrix;
}

bool KeyboardHoldsRecord(std::span<const std::uint8_t> matrix, const DefaultMatrix& defaults,
                         std::size_t recordIndex, const KeyFunction& record, const MacroSet& macros) {
  for (std::size_t p = 0; p < kMatrixPositions; ++p) {
    if ((p + 1) * kMatrixEntrySize > matrix.size()) break;  // not read: says nothing
    const MatrixEntry f = MatrixEntryAt(defaults, p);
    const KeyCode k = EntryToKeyCode(f);
    if (k == kNoKey || KeyCodeToRecordIndex(k) != recordIndex) continue;
    if (!SameEntry(MatrixEntryAt(matrix, p), EncodeKeyFunction(record, f, macros))) return false;
  }
  return true;
}

bool MatrixHasPlaceFor(const DefaultMatrix& defaults, std::size_t recordIndex) {
  for (std::size_t p = 0; p < kMatrixPositions; ++p) {
    const KeyCode k = EntryToKeyCode(MatrixEntryAt(defaults, p));
    if (k != kNoKey && KeyCodeToRecordIndex(k) == recordIndex) return true;
  }
  return false;
}

}  // namespace zarvel
