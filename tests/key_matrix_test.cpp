#include "model/key_matrix.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/key_table.h"

namespace zarvel {
namespace {

const DefaultMatrix kDefaults = BuiltInDefaultMatrix();
constexpr std::size_t kPosEsc = 8;
constexpr std::size_t kPosEqual = 54;
constexpr std::size_t kPosEqualAgain = 105;

std::vector<std::uint8_t> DefaultsRead() {
  return std::vector<std::uint8_t>(kDefaults.begin(), kDefaults.begin() + kMatrixBytes);
}

void Put(std::vector<std::uint8_t>& matrix, std::size_t position, MatrixEntry entry) {
  for (std::size_t i = 0; i < 3; ++i) matrix[position * 3 + i] = entry[i];
}

ProfileBlock FreshBlock() {
  ProfileBlock block;
  InitProfileBlock(block);
  return block;
}

TEST(KeyMatrix, UnchangedMatrixDecodesToDefaultsAndEncodesBackByteForByte) {
  ProfileBlock block;
  DecodeKeyMatrix(DefaultsRead(), kDefaults, block);
  EXPECT_EQ(block, FreshBlock());
  EXPECT_EQ(EncodeKeyMatrix(block, kDefaults, {}), DefaultsRead());
  // A few positions of the built-in content, and nothing past position 125.
  EXPECT_EQ(EntryToKeyCode(MatrixEntryAt(kDefaults, 113)), kNumLockKey);
  EXPECT_EQ(EntryToKeyCode(MatrixEntryAt(kDefaults, 62)), kPauseKey);
  EXPECT_EQ(EntryToKeyCode(MatrixEntryAt(kDefaults, 112)), 0x110);  // Prev Track
  for (std::size_t i = kMatrixBytes; i < kDefaults.size(); ++i) ASSERT_EQ(kDefaults[i], 0) << i;
}

TEST(KeyMatrix, EntryToKeyCodeForms) {
  const std::pair<MatrixEntry, KeyCode> cases[] = {
      {{0x01, 0x05, 0xFF}, 0x162}, {{0x01, 0x01, 0x03}, 0},     {{0x02, 0x02, 0xE5}, 0x036},
      {{0x02, 0x01, 0x06}, 0x02A}, {{0x02, 0x07, 0x80}, 0x15C}, {{0x03, 0xE9, 0x00}, 0x130},
      {{0x06, 0xA2, 0x01}, 0x200}, {{0x06, 0xA2, 0x00}, 0},     {{0x05, 0x01, 0x00}, 0},
  };
  for (const auto& [entry, code] : cases) EXPECT_EQ(EntryToKeyCode(entry), code) << int(entry[0]) << int(entry[2]);
}

TEST(KeyMatrix, DecodesEachEntryAsTheKeyboardMeansIt) {
  struct Case {
    MatrixEntry read;
    std::uint16_t type;
    std::uint32_t value;
  };
  const Case cases[] = {
      {{0x05, 0x01, 0x00}, kFunctionMacro, 1},  // macro position n -> id n + 1
      {{0x05, 0x02, 0x33}, kFunctionStopMacro, 0}, {{0x05, 0x05, 0x03}, kFunctionKeyboard, 3},
      {{0x05, 0x09, 0x00}, kFunctionDisabled, 0},  {{0x03, 0xE2, 0x00}, kFunctionMedia, 7},
      {{0x03, 0x30, 0x01}, kFunctionDisabled, 0},  {{0x01, 0x05, 0xFF}, kFunctionKey, 0x162},
      {{0x01, 0x07, 0x07}, kFunctionDisabled, 0},  {{0x02, 0x02, 0x05}, kFunctionKey, 0x030},
      {{0x02, 0x02, 0x9A}, kFunctionDisabled, 0},  {{0x02, 0x01, 0x20}, kFunctionKey, 0x036},
      {{0x02, 0x01, 0x00}, kFunctionKey, 0},       {{0x04, 0x81, 0x00}, kFunctionDisabled, 0},
      {{0x06, 0xA2, 0x01}, kFunctionDisabled, 0},  {{0x00, 0x00, 0x00}, kFunctionDisabled, 0},
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

TEST(KeyMatrix, EncodesEachRecordTypeAtItsKeysPositionOnly) {
  MacroSet macros(3);
  macros[0].id = 4;
  macros[1].id = 1;
  macros[2].id = 9;
  const MatrixEntry escDefault = MatrixEntryAt(kDefaults, kPosEsc);
  const std::pair<KeyFunction, MatrixEntry> cases[] = {
      {{kFunctionLaunch, 0, 1234, 0, 0}, escDefault},       {{kFunctionText, 0, 0, 0, 0}, {0, 0, 0}},
      {{kFunctionKey, 0, 0x036, 0, 0}, {0x02, 0x01, 0x20}}, {{kFunctionKey, 0, 0x173, 0, 0}, {0x01, 0x01, 0x04}},
      {{kFunctionKey, 0, 0x162, 0, 0}, {0x01, 0x05, 0xFF}}, {{kFunctionKey, 0, 0x01E, 0, 0}, {0x02, 0x02, 0x04}},
      {{kFunctionKey, 0, 0x130, 0, 0}, {0x02, 0x02, 0xC0}},  // V+: its device code as it is
      {{kFunctionKey, 0, 0x15E, 0, 0}, {0x02, 0x02, 0x00}},  // Power: no keyboard usage
      {{kFunctionKey, 0, 0x1001E, 0, 0}, {0x02, 0x02, 0x00}},
      {{kFunctionMacro, 0, 9, 0, 0}, {0x05, 0x01, 0x02}},   {{kFunctionMacro, 0, 55, 0, 0}, {0x05, 0x01, 0x00}},
      {{kFunctionStopMacro, 0, 0, 0, 0}, {0x05, 0x02, 0}},  {{kFunctionMedia, 0, 0, 0, 0}, {0x03, 0x83, 0x01}},
      {{kFunctionMedia, 0, 18, 0, 0}, {0, 0, 0}},           {{kFunctionKeyboard, 0, 10, 0, 0}, {0x05, 0x05, 0x0A}},
      {{9, 0, 0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& [record, entry] : cases) {
    ProfileBlock block = FreshBlock();
    block[KeyCodeToRecordIndex(0x001)] = record;
    std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, kDefaults, macros);
    EXPECT_EQ(MatrixEntryAt(sent, kPosEsc), entry) << "type " << record.type << " value " << record.value;
    Put(sent, kPosEsc, escDefault);
    EXPECT_EQ(sent, DefaultsRead()) << "type " << record.type;
  }
}

TEST(KeyMatrix, EveryDecodedTypeSurvivesEncodeAndDecode) {
  MacroSet macros(3);
  for (std::uint16_t i = 0; i < 3; ++i) macros[i].id = static_cast<std::uint16_t>(i + 1);
  const KeyFunction records[] = {
      {kFunctionDisabled, 0, 0, 0, 0},  {kFunctionKey, 0, 0x01E, 0, 0},   {kFunctionKey, 0, 0x138, 0, 0},
      {kFunctionKey, 0, 0x172, 0, 0},   {kFunctionKey, 0, 0x162, 0, 0},   {kFunctionMacro, 0, 3, 0, 0},
      {kFunctionStopMacro, 0, 0, 0, 0}, {kFunctionMedia, 0, 17, 0, 0},    {kFunctionKeyboard, 0, 4, 0, 0},
  };
  // Letters, modifiers, keypad, media, Num Lock and the key on two positions.
  const KeyCode keys[] = {0x01E, 0x02A, 0x047, 0x110, 0x145, 0x001, 0x00D, 0x14B, 0x053};
  ProfileBlock block = FreshBlock();
  for (std::size_t i = 0; i < std::size(keys); ++i) block[KeyCodeToRecordIndex(keys[i])] = records[i];
  ProfileBlock decoded;
  DecodeKeyMatrix(EncodeKeyMatrix(block, kDefaults, macros), kDefaults, decoded);
  EXPECT_EQ(decoded, block);
}

TEST(KeyMatrix, TwoPositionsOfOneKeyShareItsRecord) {
  const std::size_t equal = KeyCodeToRecordIndex(0x00D);
  ProfileBlock block;
  std::vector<std::uint8_t> read = DefaultsRead();
  Put(read, kPosEqual, {0x02, 0x02, 0x04});
  Put(read, kPosEqualAgain, {0x02, 0x02, 0x05});
  DecodeKeyMatrix(read, kDefaults, block);
  EXPECT_EQ(block[equal].value, 0x030u) << "the later position decides";
  Put(read, kPosEqualAgain, MatrixEntryAt(kDefaults, kPosEqualAgain));
  DecodeKeyMatrix(read, kDefaults, block);
  EXPECT_EQ(block[equal].value, 0x01Eu) << "an unchanged later position keeps the earlier one";
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, kDefaults, {});
  EXPECT_EQ(MatrixEntryAt(sent, kPosEqual), MatrixEntryAt(sent, kPosEqualAgain));
}

TEST(KeyMatrix, LargerKeyboardAndShortReadsKeepDefaultsWhereRecordsSayNothing) {
  DefaultMatrix defaults = kDefaults;
  const std::uint8_t extra[] = {0x02, 0x02, 0x64, 0x03, 0xE9, 0x00};
  std::copy(std::begin(extra), std::end(extra), defaults.begin() + kMatrixBytes);
  ProfileBlock block = FreshBlock();
  block[KeyCodeToRecordIndex(0x001)] = {kFunctionDisabled, 0, 0, 0, 0};
  std::vector<std::uint8_t> sent = EncodeKeyMatrix(block, defaults, {}, kLargeMatrixBytes);
  ASSERT_EQ(sent.size(), kLargeMatrixBytes);
  EXPECT_TRUE(std::equal(std::begin(extra), std::end(extra), sent.begin() + kMatrixBytes));
  ProfileBlock decoded;
  DecodeKeyMatrix(sent, defaults, decoded);
  EXPECT_EQ(decoded, block);

  // Positions naming no key, and positions a short read did not reach, stay default.
  std::vector<std::uint8_t> read = DefaultsRead();
  Put(read, 0, {0x02, 0x02, 0x04});
  Put(read, kPosEsc, {0, 0, 0});
  read.resize(kPosEsc * 3 + 2);
  DecodeKeyMatrix(read, kDefaults, decoded);
  EXPECT_EQ(decoded, FreshBlock());
}

}  // namespace
}  // namespace zarvel
