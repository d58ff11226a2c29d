#include "model/macro_area.h"

#include <algorithm>
#include <string>

#include "model/byte_io.h"
#include "model/key_matrix.h"
#include "model/key_table.h"
#include "model/media_functions.h"
#include "skin/language.h"

namespace zarvel {

namespace al = macro_area_layout;

namespace {

constexpr std::uint16_t kDelayMask = 0x0FFF;
constexpr unsigned kTypeShift = 12;
constexpr std::uint16_t kTypeMask = 0x7;
constexpr std::uint16_t kPressBit = 0x8000;
constexpr std::uint32_t kDelayStep = 10;

constexpr std::uint8_t kTypeNone = 0;
constexpr std::uint8_t kTypeMouse = 1;
constexpr std::uint8_t kTypeKeyboard = 2;
constexpr std::uint8_t kTypeConsumer = 3;
constexpr std::uint8_t kTypeSystem = 4;

// Key code -> entry type and operand bytes.
MatrixEntry MacroKeyEntry(KeyCode code) {
  DeviceCode device = KeyCodeToDevice(code);
  switch (device.kind) {
    case DeviceKind::System:
      return {kTypeSystem, device.value, 0};
    case DeviceKind::Mouse: {
      MatrixEntry entry = KeyCodeToKeyEntry(code);
      if (entry[0] == kTypeMouse) return entry;
      return {kTypeNone, 0, 0};  // a mouse function with no macro form
    }
    case DeviceKind::Keyboard: {
      // A media key has no keyboard usage; it goes back as the consumer usage
      // it was decoded from, so a keyboard image survives a round trip.
      if (int media = MediaIndexOfKeyCode(code); media >= 0 && KeyCodeToModifierBit(code) == 0) {
        std::uint16_t usage = MediaFunctionTable()[static_cast<std::size_t>(media)].usage;
        return {kTypeConsumer, static_cast<std::uint8_t>(usage), static_cast<std::uint8_t>(usage >> 8)};
      }
      MatrixEntry entry = KeyCodeToKeyEntry(code);
      return {kTypeKeyboard, entry[1], entry[2]};
    }
    default:
      return {kTypeNone, 0, 0};
  }
}

std::size_t BodySize(const MacroRecord& macro, bool withNames) {
  std::size_t size = kMacroBodyHeaderSize + kEncodedActionSize * ValidActions(macro).size();
  if (withNames) size += 2 * MacroNameLength(macro);
  return size;
}

}  // namespace

EncodedMacroAction EncodeMacroAction(const MacroAction& action) {
  // Longer pauses than the field holds are cut to its largest value instead of
  // wrapping round to a short one.
  std::uint32_t steps = std::min<std::uint32_t>(action.delay / kDelayStep, kDelayMask);
  MatrixEntry entry = MacroKeyEntry(action.keyCode);
  EncodedMacroAction encoded;
  encoded.word = static_cast<std::uint16_t>(steps | ((entry[0] & kTypeMask) << kTypeShift));
  if (action.direction != kRelease) encoded.word |= kPressBit;
  encoded.operand1 = entry[1];
  encoded.operand2 = entry[2];
  return encoded;
}

MacroAction DecodeMacroAction(const EncodedMacroAction& encoded) {
  MacroAction action;
  action.delay = static_cast<std::uint32_t>(encoded.word & kDelayMask) * kDelayStep;
  auto type = static_cast<std::uint8_t>((encoded.word >> kTypeShift) & kTypeMask);
  action.keyCode = EntryToKeyCode(type, encoded.operand1, encoded.operand2);
  action.direction = (encoded.word & kPressBit) != 0 ? kPress : kRelease;
  return action;
}

MacroAreaSize MacroAreaSizes(const MacroSet& macros) {
  MacroAreaSize sizes;
  sizes.withoutNames = kMacroAreaHeaderSize + 2 * macros.size();
  sizes.withNames = sizes.withoutNames;
  for (const MacroRecord& macro : macros) {
    sizes.withoutNames += BodySize(macro, false);
    sizes.withNames += BodySize(macro, true);
  }
  return sizes;
}

bool EncodeMacroArea(const MacroSet& macros, std::size_t imageSize, bool withNames, std::span<std::uint8_t> buffer) {
  std::fill(buffer.begin(), buffer.end(), 0);
  MacroAreaSize sizes = MacroAreaSizes(macros);
  std::size_t content = withNames ? sizes.withNames : sizes.withoutNames;
  if (macros.size() > kMaxMacros || imageSize > kMaxMacroAreaSize || content > kMaxMacroAreaSize ||
      buffer.size() < content || buffer.size() < kMacroAreaHeaderSize) {
    return false;
  }
  ByteWriter out(buffer);
  out.U16(al::kMagic, kMacroAreaMagic);
  out.U16(al::kImageSize, static_cast<std::uint16_t>(imageSize));
  out.U16(al::kCount, static_cast<std::uint16_t>(macros.size()));
  out.U16(al::kNamesFlag, withNames ? 1 : 0);

  std::size_t body = kMacroAreaHeaderSize + 2 * macros.size();
  for (std::size_t i = 0; i < macros.size(); ++i) {
    const MacroRecord& macro = macros[i];
    std::span<const MacroAction> actions = ValidActions(macro);
    std::size_t nameLength = withNames ? MacroNameLength(macro) : 0;
    out.U16(al::kOffsets + 2 * i, static_cast<std::uint16_t>(body));
    out.U16(body + al::kBodyActionCount, static_cast<std::uint16_t>(actions.size()));
    out.U8(body + al::kBodyRepeat, macro.repeat);
    out.U8(body + al::kBodyNameLength, static_cast<std::uint8_t>(nameLength));
    std::size_t at = body + al::kBodyActions;
    for (const MacroAction& action : actions) {
      EncodedMacroAction encoded = EncodeMacroAction(action);
      out.U16(at, encoded.word);
      out.U8(at + 2, encoded.operand1);
      out.U8(at + 3, encoded.operand2);
      at += kEncodedActionSize;
    }
    for (std::size_t c = 0; c < nameLength; ++c, at += 2) out.U16(at, macro.name[c]);
    body = at;
  }
  return out.ok();
}

int DecodeMacroArea(std::span<const std::uint8_t> image, std::u16string_view namePrefix, MacroSet& out) {
  out.clear();
  ByteReader in(image);
  if (image.size() < kMacroAreaHeaderSize || in.U16(al::kMagic) != kMacroAreaMagic) return 0;
  std::size_t count = std::min<std::size_t>(in.U16(al::kCount), kMaxMacros);
  count = std::min(count, (image.size() - kMacroAreaHeaderSize) / 2);

  out.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    MacroRecord& macro = out[i];  // fresh from resize: zero apart from the repeat count
    macro.repeat = 0;
    macro.id = static_cast<std::uint16_t>(i + 1);
    std::size_t body = in.U16(al::kOffsets + 2 * i);
    std::size_t nameLength = 0;
    if (body + kMacroBodyHeaderSize <= image.size()) {
      macro.repeat = in.U8(body + al::kBodyRepeat);
      std::size_t room = image.size() - body - kMacroBodyHeaderSize;
      std::size_t actions = std::min<std::size_t>({in.U16(body + al::kBodyActionCount), kMaxMacroActions,
                                                   room / kEncodedActionSize});
      macro.actionCount = static_cast<std::uint16_t>(actions);
      std::size_t at = body + al::kBodyActions;
      for (std::size_t a = 0; a < actions; ++a, at += kEncodedActionSize) {
        EncodedMacroAction encoded{in.U16(at), in.U8(at + 2), in.U8(at + 3)};
        macro.actions[a] = DecodeMacroAction(encoded);
      }
      room -= actions * kEncodedActionSize;
      nameLength = std::min<std::size_t>({in.U8(body + al::kBodyNameLength), kMaxMacroNameLength, room / 2});
      for (std::size_t c = 0; c < nameLength; ++c, at += 2) macro.name[c] = in.U16(at);
    }
    if (nameLength == 0) {
      std::u16string name(namePrefix);
      for (char ch : std::to_string(i + 1)) name.push_back(static_cast<char16_t>(ch));
      SetMacroName(macro, name);
    }
  }
  return static_cast<int>(count);
}

int DecodeMacroArea(std::span<const std::uint8_t> image, MacroSet& out) {
  std::u16string prefix;
  ByteReader in(image);
  // Only the language file is read when some macro needs a made-up name; a
  // file read per macro would make every decode slow.
  if (image.size() >= kMacroAreaHeaderSize && in.U16(al::kMagic) == kMacroAreaMagic && in.U16(al::kCount) > 0) {
    prefix = Utf8ToUtf16(LookupText("MACRO_NEW_PREFIX"));
  }
  return DecodeMacroArea(image, prefix, out);
}

}  // namespace zarvel
