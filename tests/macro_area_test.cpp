#include "model/macro_area.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/key_table.h"
#include "model/media_functions.h"

namespace zarvel {
namespace {

MacroRecord Macro(std::uint16_t id, std::u16string_view name, std::vector<MacroAction> actions, std::uint8_t repeat = 1) {
  MacroRecord macro;
  macro.id = id;
  macro.repeat = repeat;
  SetMacroName(macro, name);
  macro.actionCount = static_cast<std::uint16_t>(actions.size());
  for (std::size_t i = 0; i < actions.size(); ++i) macro.actions[i] = actions[i];
  return macro;
}

std::vector<std::uint8_t> Encode(const MacroSet& set, bool names) {
  MacroAreaSize sizes = MacroAreaSizes(set);
  std::size_t size = names ? sizes.withNames : sizes.withoutNames;
  std::vector<std::uint8_t> image(size);
  EXPECT_TRUE(EncodeMacroArea(set, size, names, image));
  return image;
}

TEST(MacroRecordBytes, GoldenLayoutAndRoundTrip) {
  MacroRecord macro = Macro(7, u"Ab", {{40000, 0x01E, kPress}, {0, 0x01E, kRelease}}, 3);
  std::vector<std::uint8_t> bytes(kMacroRecordSize, 0xEE);
  WriteMacroRecord(macro, bytes);
  const std::uint8_t head[] = {'A', 0, 'b', 0, 0, 0};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(bytes[i], head[i]) << i;
  const std::uint8_t fields[] = {3, 0, 0, 0, 0, 0, 7, 0, 2, 0, 0, 0};  // offsets 500..511
  for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(bytes[500 + i], fields[i]) << 500 + i;
  const std::uint8_t first[] = {0x40, 0x9C, 0x00, 0x00, 0x1E, 0x00, 0x00, 0x00};
  const std::uint8_t second[] = {0x00, 0x00, 0x00, 0x00, 0x1E, 0x00, 0x01, 0x00};
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(bytes[512 + i], first[i]);
    EXPECT_EQ(bytes[520 + i], second[i]);
  }
  MacroRecord back;
  ReadMacroRecord(bytes, back);
  EXPECT_EQ(back, macro);
}

TEST(MacroRecordBytes, DamagedRecordIsClampedAndTruncatedReadsAsZero) {
  std::vector<std::uint8_t> bytes(kMacroRecordSize, 0x41);  // no name terminator, count 0x4141
  MacroRecord macro;
  ReadMacroRecord(bytes, macro);
  EXPECT_EQ(macro.actionCount, kMaxMacroActions);
  EXPECT_EQ(MacroNameLength(macro), kMaxMacroNameLength);
  EXPECT_EQ(ValidActions(macro).size(), kMaxMacroActions);

  bytes.assign(520, 0);
  bytes[508] = 5;
  bytes[512] = 0x10;  // the first action, then the record ends
  ReadMacroRecord(bytes, macro);
  EXPECT_EQ(macro.actionCount, 5);
  EXPECT_EQ(macro.actions[0].delay, 0x10u);
  EXPECT_EQ(macro.actions[1], MacroAction{});
}

TEST(MacroSetRules, IdsAndPositions) {
  MacroSet set = {Macro(3, u"a", {}), Macro(1, u"b", {}), Macro(2, u"c", {})};
  EXPECT_EQ(FindMacroIndex(set, 1), 1);
  EXPECT_EQ(FindMacroIndex(set, 2), 2);
  EXPECT_EQ(FindMacroIndex(set, 99), 0);  // unknown id plays the first macro
  EXPECT_EQ(MacroIdAt(set, 0), 3);
  EXPECT_EQ(MacroIdAt(set, -1), 0);
  EXPECT_EQ(MacroIdAt(set, 3), 0);
  EXPECT_EQ(NextFreeMacroId(set), 4);
  set.erase(set.begin() + 1);
  EXPECT_EQ(NextFreeMacroId(set), 1);
  EXPECT_TRUE(MacroSetIsValid(set));
  set.push_back(Macro(3, u"dup", {}));
  EXPECT_FALSE(MacroSetIsValid(set));

  MacroSet full;
  for (std::uint16_t id = 1; id <= kMaxMacroId; ++id) full.push_back(Macro(id, u"", {}));
  EXPECT_EQ(NextFreeMacroId(full), 0);
  EXPECT_TRUE(MacroSetIsValid(full));
  full.push_back(Macro(101, u"", {}));
  EXPECT_FALSE(MacroSetIsValid(full));
}

TEST(MacroArea, EmptySetIsSixteenBytes) {
  for (bool names : {false, true}) {
    std::vector<std::uint8_t> image = Encode({}, names);
    const std::vector<std::uint8_t> golden = {0xAA, 0x55, 0x10, 0x00, 0x00, 0x00, names ? std::uint8_t{1} : std::uint8_t{0},
                                              0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(image, golden);
  }
}

TEST(MacroArea, GoldenImageWithAndWithoutNames) {
  MacroSet set = {Macro(1, u"Hi", {{15, 0x036, kPress}, {40000, 0x036, kRelease}}, 2), Macro(2, u"", {})};
  const std::vector<std::uint8_t> withNames = {
      0xAA, 0x55, 0x28, 0x00, 0x02, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,  // header
      0x14, 0x00, 0x24, 0x00,                                                  // offsets 20, 36
      0x02, 0x00, 0x02, 0x02,                                                  // 2 actions, repeat 2, name 2
      0x01, 0xA0, 0x01, 0x20,  // 15 ms -> 1 step, keyboard entry, press, modifier bit 0x20
      0xA0, 0x2F, 0x01, 0x20,  // 40000 ms -> 4000 steps, release
      'H', 0x00, 'i', 0x00,    // name
      0x00, 0x00, 0x01, 0x00,  // second body: no actions, repeat 1, no name
  };
  EXPECT_EQ(MacroAreaSizes(set).withNames, withNames.size());
  EXPECT_EQ(Encode(set, true), withNames);

  std::vector<std::uint8_t> withoutNames = Encode(set, false);
  ASSERT_EQ(withoutNames.size(), 36u);
  EXPECT_EQ(withoutNames[2], 36);
  EXPECT_EQ(withoutNames[6], 0);
  EXPECT_EQ(withoutNames[18], 32);  // second offset moves up by the name
  EXPECT_EQ(withoutNames[23], 0);   // name length 0
}

TEST(MacroArea, ActionEncodingForEveryKeyKind) {
  struct Case {
    KeyCode key;
    std::uint16_t type;
    std::uint8_t op1, op2;
  };
  const Case cases[] = {
      {0x01E, 2, 0x02, 0x04},  // A
      {0x036, 2, 0x01, 0x20},  // Right Shift
      {0x15B, 2, 0x01, 0x08},  // Left Win
      {0x171, 1, 0x01, 0x01}, {0x172, 1, 0x01, 0x02}, {0x173, 1, 0x01, 0x04},
      {0x161, 1, 0x05, 0x01}, {0x162, 1, 0x05, 0xFF},
      {0x15E, 4, 0x81, 0x00},  // Power
      {0x000, 0, 0x00, 0x00},
      {0x130, 3, 0xE9, 0x00},  // a media key goes back as its consumer usage
  };
  for (const Case& c : cases) {
    EncodedMacroAction press = EncodeMacroAction({0, c.key, kPress});
    EXPECT_EQ((press.word >> 12) & 7, c.type) << std::hex << c.key;
    EXPECT_EQ(press.operand1, c.op1) << std::hex << c.key;
    EXPECT_EQ(press.operand2, c.op2) << std::hex << c.key;
    EXPECT_NE(press.word & 0x8000, 0);
    EXPECT_EQ(EncodeMacroAction({0, c.key, kRelease}).word & 0x8000, 0);
    MacroAction back = DecodeMacroAction(press);
    EXPECT_EQ(back.keyCode, c.key) << std::hex << c.key;
    EXPECT_EQ(back.direction, kPress);
  }
  // Pauses: 10 ms steps, fraction dropped, never wrapping to a short pause.
  EXPECT_EQ(EncodeMacroAction({40000, 0x01E, kPress}).word & 0x0FFF, 4000);
  EXPECT_EQ(DecodeMacroAction(EncodeMacroAction({15, 0x01E, kPress})).delay, 10u);
  EXPECT_EQ(EncodeMacroAction({60000, 0x01E, kPress}).word & 0x0FFF, 0x0FFF);
  // Special-key entries decode; 06 A2 00 names nothing.
  EXPECT_EQ(DecodeMacroAction({0x6000, 0xA2, 0x02}).keyCode, 0x201);
  EXPECT_EQ(DecodeMacroAction({0x6000, 0xA2, 0x00}).keyCode, 0);
  EXPECT_EQ(DecodeMacroAction({0x7000, 0x02, 0x04}).keyCode, 0);
}

TEST(MacroArea, RoundTripKeepsEverythingTheKeyboardStores) {
  MacroSet set;
  for (std::uint16_t i = 0; i < 5; ++i) {
    std::vector<MacroAction> actions;
    for (std::uint16_t a = 0; a < 20 * i; ++a) {
      actions.push_back({static_cast<std::uint32_t>(a * 10), static_cast<KeyCode>(0x010 + a % 20),
                         static_cast<std::uint16_t>(a % 2)});
    }
    set.push_back(Macro(static_cast<std::uint16_t>(i + 1), u"macro \u00e9" + std::u16string(i, u'x'), actions,
                        static_cast<std::uint8_t>(i + 1)));
  }
  MacroSet decoded;
  ASSERT_EQ(DecodeMacroArea(Encode(set, true), u"P", decoded), 5);
  EXPECT_EQ(decoded, set);

  // Without names, the names are made from the prefix, numbered in order.
  ASSERT_EQ(DecodeMacroArea(Encode(set, false), u"New ", decoded), 5);
  EXPECT_EQ(MacroName(decoded[0]), u"New 1");
  EXPECT_EQ(MacroName(decoded[4]), u"New 5");
  EXPECT_EQ(decoded[4].actionCount, set[4].actionCount);
}

TEST(MacroArea, ImagesThatCannotBePackedAreRefused) {
  MacroSet big;
  for (std::uint16_t id = 1; id <= 10; ++id) {
    big.push_back(Macro(id, u"", {}));
    big.back().actionCount = kMaxMacroActions;  // 16004 bytes each: past 16-bit offsets
  }
  MacroAreaSize sizes = MacroAreaSizes(big);
  std::vector<std::uint8_t> image(sizes.withoutNames);
  EXPECT_FALSE(EncodeMacroArea(big, sizes.withoutNames, false, image));

  MacroSet one = {Macro(1, u"abc", {{0, 0x01E, kPress}})};
  std::vector<std::uint8_t> small(MacroAreaSizes(one).withNames - 1);
  EXPECT_FALSE(EncodeMacroArea(one, small.size(), true, small));
}

TEST(MacroArea, HostileImagesStayInsideTheImageAndTheRecord) {
  MacroSet set = {Macro(1, u"first", {{0, 0x01E, kPress}, {0, 0x01E, kRelease}}), Macro(2, u"second", {})};
  const std::vector<std::uint8_t> good = Encode(set, true);
  MacroSet out;

  auto decode = [&](std::vector<std::uint8_t> image) { return DecodeMacroArea(image, u"M", out); };

  // Count past the offset table that fits: cut to what the image can hold.
  std::vector<std::uint8_t> image = good;
  image[4] = 0xFF;
  image[5] = 0xFF;
  EXPECT_LE(decode(image), 100);
  EXPECT_LE(out.size(), (image.size() - 16) / 2);

  // Action count and name length claiming more than the body holds.
  image = good;
  image[20] = 0xFF;
  image[21] = 0xFF;
  image[23] = 0xFF;
  ASSERT_EQ(decode(image), 2);
  EXPECT_LE(out[0].actionCount, (image.size() - 24) / 4);

  // A body offset outside the image keeps its position as an empty macro.
  image = good;
  image[16] = 0xF0;
  image[17] = 0xFF;
  ASSERT_EQ(decode(image), 2);
  EXPECT_EQ(out[0].actionCount, 0);
  EXPECT_EQ(out[0].id, 1);
  EXPECT_EQ(MacroName(out[0]), u"M1");
  EXPECT_EQ(MacroName(out[1]), u"second");

  // Truncated images: every prefix decodes without leaving the image.
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<std::uint8_t> part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    int n = decode(part);
    EXPECT_GE(n, 0);
    for (const MacroRecord& macro : out) EXPECT_LE(macro.actionCount, kMaxMacroActions);
  }

  // No magic: the keyboard holds no macros.
  image = good;
  image[0] = 0;
  EXPECT_EQ(decode(image), 0);
  EXPECT_TRUE(out.empty());
}

TEST(MacroArea, MediaKeysFromTheKeyboardSurviveARoundTrip) {
  for (const MediaFunction& media : MediaFunctionTable()) {
    MacroAction action = DecodeMacroAction({0x3000, static_cast<std::uint8_t>(media.usage),
                                            static_cast<std::uint8_t>(media.usage >> 8)});
    EXPECT_EQ(action.keyCode, media.keyCode) << std::hex << media.usage;
    EncodedMacroAction again = EncodeMacroAction(action);
    EXPECT_EQ(again.operand1 | (again.operand2 << 8), media.usage);
  }
}

}  // namespace
}  // namespace zarvel
