#include "model/macro.h"

#include <algorithm>

#include "model/byte_io.h"
#include "skin/ini_text.h"

namespace zarvel {

namespace ml = macro_record_layout;
namespace al = macro_action_layout;

MacroAction ReadMacroAction(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  MacroAction action;
  action.delay = in.U32(al::kDelay);
  action.keyCode = in.U16(al::kKeyCode);
  action.direction = in.U16(al::kDirection);
  return action;
}

void WriteMacroAction(const MacroAction& action, std::span<std::uint8_t> bytes) {
  ByteWriter out(bytes);
  out.U32(al::kDelay, action.delay);
  out.U16(al::kKeyCode, action.keyCode);
  out.U16(al::kDirection, action.direction);
}

void ReadMacroRecord(std::span<const std::uint8_t> bytes, MacroRecord& record) {
  ByteReader in(bytes);
  for (std::size_t i = 0; i < kMacroNameUnits; ++i) record.name[i] = in.U16(ml::kName + 2 * i);
  record.name[kMaxMacroNameLength] = 0;
  record.repeat = in.U8(ml::kRepeat);
  record.reserved1 = in.U8(ml::kReserved1);
  record.unapplied = in.U16(ml::kUnapplied);
  record.reserved2 = in.U16(ml::kReserved2);
  record.id = in.U16(ml::kId);
  record.actionCount = static_cast<std::uint16_t>(
      std::min<std::size_t>(in.U16(ml::kActionCount), kMaxMacroActions));
  record.reserved3 = in.U16(ml::kReserved3);
  // Every slot is read, not only the valid ones, so a record saved again keeps
  // its bytes.
  std::span<const std::uint8_t> actions =
      bytes.size() > ml::kActions ? bytes.subspan(ml::kActions) : std::span<const std::uint8_t>{};
  for (std::size_t i = 0; i < kMaxMacroActions; ++i) {
    std::size_t offset = i * kMacroActionSize;
    record.actions[i] = offset + kMacroActionSize <= actions.size()
                            ? ReadMacroAction(actions.subspan(offset, kMacroActionSize))
                            : MacroAction{};
  }
}

void WriteMacroRecord(const MacroRecord& record, std::span<std::uint8_t> bytes) {
  if (bytes.size() < kMacroRecordSize) return;
  ByteWriter out(bytes);
  for (std::size_t i = 0; i < kMacroNameUnits; ++i) out.U16(ml::kName + 2 * i, record.name[i]);
  out.U8(ml::kRepeat, record.repeat);
  out.U8(ml::kReserved1, record.reserved1);
  out.U16(ml::kUnapplied, record.unapplied);
  out.U16(ml::kReserved2, record.reserved2);
  out.U16(ml::kId, record.id);
  out.U16(ml::kActionCount, record.actionCount);
  out.U16(ml::kReserved3, record.reserved3);
  for (std::size_t i = 0; i < kMaxMacroActions; ++i) {
    WriteMacroAction(record.actions[i], bytes.subspan(ml::kActions + i * kMacroActionSize, kMacroActionSize));
  }
}

std::size_t MacroNameLength(const MacroRecord& record) {
  std::size_t n = 0;
  while (n < kMaxMacroNameLength && record.name[n] != 0) ++n;
  return n;
}

std::u16string MacroName(const MacroRecord& record) {
  return std::u16string(record.name.data(), MacroNameLength(record));
}

void SetMacroName(MacroRecord& record, std::u16string_view name) {
  record.name.fill(0);
  std::size_t n = 0;
  while (n < name.size() && n < kMaxMacroNameLength && name[n] != 0) {
    record.name[n] = name[n];
    ++n;
  }
}

std::string MacroNameUtf8(const MacroRecord& record) { return Utf16ToUtf8(MacroName(record)); }

void SetMacroNameUtf8(MacroRecord& record, std::string_view name) { SetMacroName(record, Utf8ToUtf16(name)); }

std::span<const MacroAction> ValidActions(const MacroRecord& record) {
  return std::span<const MacroAction>(record.actions.data(),
                                      std::min<std::size_t>(record.actionCount, kMaxMacroActions));
}

int FindMacroIndex(const MacroSet& macros, std::uint32_t id) {
  for (std::size_t i = 0; i < macros.size(); ++i) {
    if (macros[i].id == id) return static_cast<int>(i);
  }
  return 0;
}

std::uint16_t MacroIdAt(const MacroSet& macros, int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= macros.size()) return 0;
  return macros[static_cast<std::size_t>(position)].id;
}

const MacroRecord* FindMacroById(const MacroSet& macros, std::uint32_t id) {
  for (const MacroRecord& macro : macros) {
    if (macro.id == id) return &macro;
  }
  return nullptr;
}

std::uint16_t NextFreeMacroId(const MacroSet& macros) {
  std::array<bool, kMaxMacroId + 1> used{};
  for (const MacroRecord& macro : macros) {
    if (macro.id >= 1 && macro.id <= kMaxMacroId) used[macro.id] = true;
  }
  for (std::uint16_t id = 1; id <= kMaxMacroId; ++id) {
    if (!used[id]) return id;
  }
  return 0;
}

bool MacroSetIsValid(const MacroSet& macros) {
  if (macros.size() > kMaxMacros) return false;
  std::array<bool, kMaxMacroId + 1> used{};
  for (const MacroRecord& macro : macros) {
    if (macro.id < 1 || macro.id > kMaxMacroId || used[macro.id]) return false;
    if (macro.actionCount > kMaxMacroActions) return false;
    used[macro.id] = true;
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return Utf16LeToUtf8(bytes);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::vector<std::uint8_t> bytes = Utf8ToUtf16Le(text);
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return out;
}

}  // namespace zarvel
