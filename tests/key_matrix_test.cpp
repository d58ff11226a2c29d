#include "model/key_matrix.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/default_matrix.h"
#include "model/key_table.h"

namespace zarvel {
namespace {

const DefaultMatrix kDefaults = BuiltInDefaultMatrix();

MatrixEntry DefaultAt(std::size_t position) { return MatrixEntryAt(kDefaults, position); }

std::vector<std::uint8_t> DefaultsRead() {
  return std::vector<std::uint8_t>(kDefaults.begin(), kDefaults.begin() + kMatrixBytes);
}

void Put(std::vector<std::uint8_t>& matrix, std::size_t position, MatrixEntry entry) {
  for (std::size_t i = 0; i < 3; ++i) matrix[position * 3 + i] = entry[i];
}

MacroSet MacrosWithIds(std::initializer_list<std::uint16_t> ids) {
  MacroSet set;
  for (std::uint16_t id : ids) {
    set.emplace_back();
    set.back().id = id;
  }
  return set;
}

// Positions of some keys in the built-in matrix.
constexpr std::size_t kPosEsc = 8;
constexpr std::size_t kPosShift = 12;
constexpr std::size_t kPosA = 19;
constexpr std::size_t kPosEqual = 54;
constexpr std::size_t kPosEqualAgain = 105;
constexpr std::size_t kPosPrevTrack = 112;

TEST(DefaultMatrix, NamesTheKeysOfTheKeyboard) {
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosEsc)), 0x001);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosShift)), 0x02A);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosA)), 0x01E);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosEqual)), 0x00D);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosEqualAgain)), 0x00D);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(kPosPrevTrack)), 0x110);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(113)), kNumLockKey);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(62)), kPauseKey);
  EXPECT_EQ(EntryToKeyCode(DefaultAt(125)), 0x053);  // Num .
  // The keyboard's own positions and the empty ones name nothing.
  for (std::size_t p : {0u, 5u, 6u, 7u, 53u, 118u + 1u}) EXPECT_EQ(EntryToKeyCode(DefaultAt(p)), 0) << p;
  // Nothing past position 125 in the built-in content.
  for (std::size_t i = kMatrixBytes; i < kDefaults.size(); ++i) ASSERT_EQ(kDefaults[i], 0) << i;
}

TEST(EntryToKeyCode, EveryEntryForm) {
  struct Case {
    MatrixEntry entry;
    KeyCode code;
  };
  const Case cases[] = {
      {{0x01, 0x01, 0x01}, 0x171}, {{0x01, 0x01, 0x02}, 0x172}, {{0x01, 0x01, 0x04}, 0x173},
      {{0x01, 0x05, 0x01}, 0x161}, {{0x01, 0x05, 0xFF}, 0x162}, {{0x01, 0x01, 0x03}, 0},
      {{0x01, 0x02, 0x01}, 0},     {{0x02, 0x02, 0x04}, 0x01E}, {{0x02, 0x02, 0xE5}, 0x036},
      {{0x02, 0x01, 0x06}, 0x02A},  // lowest bit wins
      {{0x02, 0x01, 0x00}, 0},     {{0x02, 0x07, 0x80}, 0x15C},  // any other b1 reads as modifier bits
      {{0x03, 0xE9, 0x00}, 0x130}, {{0x03, 0x30, 0x01}, 0},      {{0x04, 0x81, 0x00}, DeviceToKeyCode(DeviceKind::System, 0x81)},
      {{0x06, 0xA2, 0x01}, 0x200}, {{0x06, 0xA2, 0x09}, 0x208}, {{0x06, 0xA2, 0x00}, 0},
      {{0x06, 0xA1, 0x01}, 0},     {{0x05, 0x01, 0x00}, 0},     {{0x00, 0x00, 0x00}, 0},
      {{0x07, 0x02, 0x04}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EntryToKeyCode(c.entry), c.code) << int(c.entry[0]) << ' ' << int(c.entry[1]) << ' ' << int(c.entry[2]);
  }
}

TEST(KeyMatrix, UnchangedMatrixIsAllDefaultsAndEncodesBackByteForByte) {
  ProfileBlock block;
  DecodeKeyMatrix(DefaultsRead(), kDefaults, block);
  ProfileBlock fresh;
  InitProfileBlock(fresh);
  EXPECT_EQ(block, fresh);
  EXPECT_EQ(EncodeKeyMatrix(block, kDefaults, {}), DefaultsRead());
}

TEST(KeyMatrix, DecodesEachEntryAsTheKeyboardMeansIt) {
  struct Case {
    MatrixEntry read;
    std::uint16_t type;
    std::uint32_t value;
  };
  const Case cases[] = {
      {{0x05, 0x01, 0x00}, kFunctionMacro, 1},   // macro position n -> id n + 1
      {{0x05, 0x01, 0x07}, kFunctionMacro, 8},
      {{0x05, 0x02, 0x33}, kFunctionStopMacro, 0},
      {{0x05, 0x05, 0x03}, kFunctionKeyboard, 3},
      {{0x05, 0x09, 0x00}, kFunctionDisabled, 0},
      {{0x03, 0xE2, 0x00}, kFunctionMedia, 7},   // Mute
      {{0x03, 0x83, 0x01}, kFunctionMedia, 0},   // Media Player
      {{0x03, 0x30, 0x01}, kFunctionDisabled, 0},
      {{0x01, 0x01, 0x02}, kFunctionKey, 0x172},
      {{0x01, 0x05, 0xFF}, kFunctionKey, 0x162},
      {{0x01, 0x07, 0x07}, kFunctionDisabled, 0},
      {{0x02, 0x02, 0x05}, kFunctionKey, 0x030},  // B
      {{0x02, 0x02, 0x9A}, kFunctionDisabled, 0},
      {{0x02, 0x01, 0x20}, kFunctionKey, 0x036},
      {{0x02, 0x01, 0x00}, kFunctionKey, 0},
      {{0x02, 0x03, 0x04}, kFunctionDisabled, 0},
      {{0x04, 0x81, 0x00}, kFunctionDisabled, 0},
      {{0x06, 0xA2, 0x01}, kFunctionDisabled, 0},
      {{0x00, 0x00, 0x00}, kFunctionDisabled, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> read = DefaultsRead();
    Put(read, kPosEsc, c.read);
    ProfileBlock block;
    DecodeKeyMatrix(read, kDefaults, block);
    const KeyFunction& esc = block[KeyCodeToRecordIndex(0x001)];
    EXPECT_EQ(esc.type, c.type) << int(c.read[0]) << ' ' << int(c.read[1]) << ' ' << int(c.read[2]);
    EXPECT_EQ(esc.value, c.value) << int(c.read[0]) << ' ' << int(c.read[1]) << ' ' << int(c.read[2]);
  }
}

TEST(KeyMatrix, DecodingLeavesSpecialIdsAndPositionsWithoutKeys) {
  std::vector<std::uint8_t> read = DefaultsRead();
  Put(read, 0, {0x02, 0x02, 0x04});  // a keyboard-own position changed
  Put(read, 6, {0x02, 0x02, 0x04});  // an empty position changed
  ProfileBlock block;
  DecodeKeyMatrix(read, kDefaults, block);
  ProfileBlock fresh;
  InitProfileBlock(fresh);
  EXPECT_EQ(block, fresh);
  EXPECT_EQ(block[kFirstSpecialRecord].extra, 0x0301);
}

TEST(KeyMatrix, TwoPositionsOfOneKeyShareItsRecord) {
  const std::size_t equal = KeyCodeToRecordIndex(0x00D);
  ProfileBlock block;
  std::vector<std::uint8_t> read = DefaultsRead();
  Put(read, kPosEqual, {0x02, 0x02, 0x04});
  Put(read, kPosEqualAgain, {0x02, 0x02, 0x05});
  DecodeKeyMatrix(read, kDefaults, block);
  EXPECT_EQ(block[equal].value, 0x030u) << "the later position decides";

  read = DefaultsRead();
  Put(read, kPosEqual, {0x02, 0x02, 0x04});
  DecodeKeyMatrix(read, kDefaults, block);
  EXPECT_EQ(block[equal].value, 0x01Eu) << "an unchanged later position keeps the earlier one";

  InitProfileBlock(block);
  block[equal] = {kFunctionKey, 0, 0x01E, 0, 0};
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, kDefaults, {});
  EXPECT_EQ(MatrixEntryAt(sent, kPosEqual), (MatrixEntry{0x02, 0x02, 0x04}));
  EXPECT_EQ(MatrixEntryAt(sent, kPosEqualAgain), (MatrixEntry{0x02, 0x02, 0x04}));
}

TEST(KeyMatrix, EncodesEachRecordType) {
  const MacroSet macros = MacrosWithIds({4, 1, 9});
  struct Case {
    KeyFunction record;
    MatrixEntry sent;
  };
  const MatrixEntry escDefault = DefaultAt(kPosEsc);
  const Case cases[] = {
      {{kFunctionDefault, 0, 0, 0, 0}, escDefault},
      {{kFunctionDisabled, 0, 0, 0, 0}, {0, 0, 0}},
      {{kFunctionLaunch, 0, 1234, 0, 0}, escDefault},
      {{kFunctionText, 0, 0, 0, 0}, {0, 0, 0}},
      {{kFunctionKey, 0, 0x01D, 0, 0}, {0x02, 0x01, 0x01}},
      {{kFunctionKey, 0, 0x036, 0, 0}, {0x02, 0x01, 0x20}},
      {{kFunctionKey, 0, 0x15C, 0, 0}, {0x02, 0x01, 0x80}},
      {{kFunctionKey, 0, 0x173, 0, 0}, {0x01, 0x01, 0x04}},
      {{kFunctionKey, 0, 0x161, 0, 0}, {0x01, 0x05, 0x01}},
      {{kFunctionKey, 0, 0x162, 0, 0}, {0x01, 0x05, 0xFF}},
      {{kFunctionKey, 0, 0x01E, 0, 0}, {0x02, 0x02, 0x04}},
      {{kFunctionKey, 0, 0x130, 0, 0}, {0x02, 0x02, 0xC0}},  // V+: its device code as is
      {{kFunctionKey, 0, 0x15E, 0, 0}, {0x02, 0x02, 0x00}},  // Power: no keyboard usage
      {{kFunctionKey, 0, 0, 0, 0}, {0x02, 0x02, 0x00}},
      {{kFunctionKey, 0, 0x1001E, 0, 0}, {0x02, 0x02, 0x00}},
      {{kFunctionMacro, 0, 1, 0, 0}, {0x05, 0x01, 0x01}},
      {{kFunctionMacro, 0, 9, 0, 0}, {0x05, 0x01, 0x02}},
      {{kFunctionMacro, 0, 55, 0, 0}, {0x05, 0x01, 0x00}},  // deleted macro: position 0
      {{kFunctionStopMacro, 0, 0, 0, 0}, {0x05, 0x02, 0x00}},
      {{kFunctionMedia, 0, 7, 0, 0}, {0x03, 0xE2, 0x00}},
      {{kFunctionMedia, 0, 0, 0, 0}, {0x03, 0x83, 0x01}},
      {{kFunctionMedia, 0, 18, 0, 0}, {0, 0, 0}},
      {{kFunctionKeyboard, 0, 10, 0, 0}, {0x05, 0x05, 0x0A}},
      {{9, 0, 0, 0, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    ProfileBlock block;
    InitProfileBlock(block);
    block[KeyCodeToRecordIndex(0x001)] = c.record;
    std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, kDefaults, macros);
    ASSERT_EQ(sent.size(), kMatrixBytes);
    EXPECT_EQ(MatrixEntryAt(sent, kPosEsc), c.sent) << "type " << c.record.type << " value " << c.record.value;
    // No other position moves.
    Put(sent, kPosEsc, escDefault);
    EXPECT_EQ(sent, DefaultsRead()) << "type " << c.record.type;
  }
}

TEST(KeyMatrix, EveryDecodedTypeSurvivesEncodeAndDecode) {
  const MacroSet macros = MacrosWithIds({1, 2, 3});
  const KeyFunction records[] = {
      {kFunctionDisabled, 0, 0, 0, 0},      {kFunctionKey, 0, 0x01E, 0, 0},   {kFunctionKey, 0, 0x138, 0, 0},
      {kFunctionKey, 0, 0x172, 0, 0},       {kFunctionKey, 0, 0x162, 0, 0},   {kFunctionMacro, 0, 3, 0, 0},
      {kFunctionStopMacro, 0, 0, 0, 0},     {kFunctionMedia, 0, 17, 0, 0},    {kFunctionKeyboard, 0, 4, 0, 0},
  };
  // Spread the records over keys of several kinds: letters, modifiers, keypad, media.
  const KeyCode keys[] = {0x01E, 0x02A, 0x047, 0x110, 0x145, 0x001, 0x00D, 0x14B, 0x053};
  ProfileBlock block;
  InitProfileBlock(block);
  for (std::size_t i = 0; i < std::size(keys); ++i) block[KeyCodeToRecordIndex(keys[i])] = records[i];
  ProfileBlock decoded;
  DecodeKeyMatrix(EncodeKeyMatrix(block, kDefaults, macros), kDefaults, decoded);
  EXPECT_EQ(decoded, block);
}

TEST(KeyMatrix, LargerKeyboardGetsItsOwnDefaultsPastTheKnownPositions) {
  DefaultMatrix defaults = kDefaults;
  const std::uint8_t extra[] = {0x02, 0x02, 0x64, 0x03, 0xE9, 0x00};
  for (std::size_t i = 0; i < 6; ++i) defaults[kMatrixBytes + i] = extra[i];
  ProfileBlock block;
  InitProfileBlock(block);
  block[KeyCodeToRecordIndex(0x001)] = {kFunctionDisabled, 0, 0, 0, 0};
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, defaults, {}, kLargeMatrixBytes);
  ASSERT_EQ(sent.size(), kLargeMatrixBytes);
  EXPECT_EQ(MatrixEntryAt(sent, kPosEsc), (MatrixEntry{0, 0, 0}));
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(sent[kMatrixBytes + i], extra[i]);
  // A read of the larger matrix decodes only the positions records describe.
  ProfileBlock decoded;
  DecodeKeyMatrix(sent, defaults, decoded);
  EXPECT_EQ(decoded, block);
}

TEST(KeyMatrix, ShortReadLeavesTheMissingPositionsAtDefault) {
  std::vector<std::uint8_t> read = DefaultsRead();
  Put(read, kPosEsc, {0, 0, 0});
  read.resize(kPosEsc * 3 + 2);  // Esc's entry cut in the middle
  ProfileBlock block;
  DecodeKeyMatrix(read, kDefaults, block);
  EXPECT_EQ(block[KeyCodeToRecordIndex(0x001)].type, kFunctionDefault);
  DecodeKeyMatrix({}, kDefaults, block);
  ProfileBlock fresh;
  InitProfileBlock(fresh);
  EXPECT_EQ(block, fresh);
}

}  // namespace
}  // namespace zarvel
