#include "model/macro_area.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/media_functions.h"

namespace zarvel {
namespace {

MacroRecord Macro(std::uint16_t id, std::u16string_view name, std::vector<MacroAction> actions, std::uint8_t repeat = 1) {
  MacroRecord macro;
  macro.id = id;
  macro.repeat = repeat;
  SetMacroName(macro, name);
  macro.actionCount = static_cast<std::uint16_t>(actions.size());
  std::copy(actions.begin(), actions.end(), macro.actions.begin());
  return macro;
}

std::vector<std::uint8_t> Encode(const MacroSet& set, bool names) {
  MacroAreaSize sizes = MacroAreaSizes(set);
  std::size_t size = names ? sizes.withNames : sizes.withoutNames;
  std::vector<std::uint8_t> image(size);
  EXPECT_TRUE(EncodeMacroArea(set, size, names, image));
  return image;
}

TEST(MacroRecordBytes, GoldenLayoutRoundTripAndDamage) {
  MacroRecord macro = Macro(7, u"Ab", {{40000, 0x01E, kPress}, {0, 0x01E, kRelease}}, 3);
  std::vector<std::uint8_t> bytes(kMacroRecordSize, 0xEE);
  WriteMacroRecord(macro, bytes);
  const std::vector<std::uint8_t> golden = {'A', 0, 'b', 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6), golden);
  const std::vector<std::uint8_t> fields = {3, 0, 0, 0, 0, 0, 7, 0, 2, 0, 0, 0,  // offsets 500..511
                                            0x40, 0x9C, 0, 0, 0x1E, 0, 0, 0, 0, 0, 0, 0, 0x1E, 0, 1, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 500, bytes.begin() + 528), fields);
  MacroRecord back;
  ReadMacroRecord(bytes, back);
  EXPECT_EQ(back, macro);

  // No name terminator and an action count past 4000: both clamped on read.
  bytes.assign(kMacroRecordSize, 0x41);
  ReadMacroRecord(bytes, back);
  EXPECT_EQ(back.actionCount, kMaxMacroActions);
  EXPECT_EQ(MacroNameLength(back), kMaxMacroNameLength);
  // A record cut short reads the rest as zero.
  bytes.assign(520, 0);
  bytes[512] = 0x10;
  ReadMacroRecord(bytes, back);
  EXPECT_EQ(back.actions[0].delay, 0x10u);
  EXPECT_EQ(back.actions[1], MacroAction{});
}

TEST(MacroSetRules, IdsAndPositions) {
  MacroSet set = {Macro(3, u"a", {}), Macro(1, u"b", {}), Macro(2, u"c", {})};
  EXPECT_EQ(FindMacroIndex(set, 2), 2);
  EXPECT_EQ(FindMacroIndex(set, 99), 0);  // unknown id plays the first macro
  EXPECT_EQ(MacroIdAt(set, 0), 3);
  EXPECT_EQ(MacroIdAt(set, -1), 0);
  EXPECT_EQ(MacroIdAt(set, 3), 0);
  set.erase(set.begin() + 1);
  EXPECT_EQ(NextFreeMacroId(set), 1);
  set.push_back(Macro(3, u"dup", {}));
  EXPECT_FALSE(MacroSetIsValid(set));
  MacroSet full;
  for (std::uint16_t id = 1; id <= kMaxMacroId; ++id) full.push_back(Macro(id, u"", {}));
  EXPECT_EQ(NextFreeMacroId(full), 0);
}

TEST(MacroArea, GoldenImages) {
  EXPECT_EQ(Encode({}, true), (std::vector<std::uint8_t>{0xAA, 0x55, 16, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  MacroSet set = {Macro(1, u"Hi", {{15, 0x036, kPress}, {40000, 0x036, kRelease}}, 2), Macro(2, u"", {})};
  const std::vector<std::uint8_t> withNames = {
      0xAA, 0x55, 0x28, 0x00, 0x02, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,  // header
      0x14, 0x00, 0x24, 0x00,  // body offsets 20, 36
      0x02, 0x00, 0x02, 0x02,  // 2 actions, repeat 2, name of 2 units
      0x01, 0xA0, 0x01, 0x20,  // 15 ms -> 1 step, keyboard entry, press, Right Shift's modifier bit
      0xA0, 0x2F, 0x01, 0x20,  // 40000 ms -> 4000 steps, release
      'H', 0x00, 'i', 0x00,    //
      0x00, 0x00, 0x01, 0x00,  // no actions, repeat 1, no name
  };
  EXPECT_EQ(Encode(set, true), withNames);
  const std::vector<std::uint8_t> withoutNames = Encode(set, false);
  ASSERT_EQ(withoutNames.size(), 36u);
  EXPECT_EQ(withoutNames[6], 0);    // names flag
  EXPECT_EQ(withoutNames[18], 32);  // the second body moves up by the name
  EXPECT_EQ(withoutNames[23], 0);   // name length
}

TEST(MacroArea, ActionEncodingForEveryKeyKind) {
  struct Case {
    KeyCode key;
    std::uint16_t type;
    std::uint8_t op1, op2;
  };
  const Case cases[] = {
      {0x01E, 2, 0x02, 0x04}, {0x036, 2, 0x01, 0x20}, {0x15B, 2, 0x01, 0x08}, {0x172, 1, 0x01, 0x02},
      {0x162, 1, 0x05, 0xFF}, {0x15E, 4, 0x81, 0x00}, {0x000, 0, 0x00, 0x00},
      {0x130, 3, 0xE9, 0x00},  // a media key goes back as its consumer usage
  };
  for (const Case& c : cases) {
    EncodedMacroAction press = EncodeMacroAction({0, c.key, kPress});
    EXPECT_EQ((press.word >> 12) & 7, c.type) << std::hex << c.key;
    EXPECT_EQ(press.operand1, c.op1) << std::hex << c.key;
    EXPECT_EQ(press.operand2, c.op2) << std::hex << c.key;
    EXPECT_EQ(DecodeMacroAction(press), (MacroAction{0, c.key, kPress}));
    EXPECT_EQ(DecodeMacroAction(EncodeMacroAction({0, c.key, kRelease})).direction, kRelease);
  }
  for (const MediaFunction& media : MediaFunctionTable()) {
    MacroAction action = DecodeMacroAction(
        {0x3000, static_cast<std::uint8_t>(media.usage), static_cast<std::uint8_t>(media.usage >> 8)});
    EXPECT_EQ(action.keyCode, media.keyCode) << std::hex << media.usage;
  }
  EXPECT_EQ(DecodeMacroAction(EncodeMacroAction({15, 0x01E, kPress})).delay, 10u);
  EXPECT_EQ(EncodeMacroAction({60000, 0x01E, kPress}).word & 0x0FFF, 0x0FFF);  // cut, never wrapped short
  EXPECT_EQ(DecodeMacroAction({0x6000, 0xA2, 0x02}).keyCode, 0x201);
  EXPECT_EQ(DecodeMacroAction({0x7000, 0x02, 0x04}).keyCode, 0);
}

TEST(MacroArea, RoundTripKeepsEverythingTheKeyboardStores) {
  MacroSet set;
  for (std::uint16_t i = 0; i < 5; ++i) {
    std::vector<MacroAction> actions;
    for (std::uint16_t a = 0; a < 20 * i; ++a) {
      actions.push_back({a * 10u, static_cast<KeyCode>(0x010 + a % 20), static_cast<std::uint16_t>(a % 2)});
    }
    set.push_back(Macro(i + 1, u"macro \u00e9" + std::u16string(i, u'x'), actions, static_cast<std::uint8_t>(i + 1)));
  }
  MacroSet decoded;
  ASSERT_EQ(DecodeMacroArea(Encode(set, true), u"P", decoded), 5);
  EXPECT_EQ(decoded, set);
  // Without names, the names are made from the prefix, numbered in order.
  ASSERT_EQ(DecodeMacroArea(Encode(set, false), u"New ", decoded), 5);
  EXPECT_EQ(MacroName(decoded[0]), u"New 1");
  EXPECT_EQ(MacroName(decoded[4]), u"New 5");
}

TEST(MacroArea, SetsTheImageCannotHoldAreRefused) {
  MacroSet big(10);
  for (std::uint16_t i = 0; i < 10; ++i) {
    big[i].id = i + 1;
    big[i].actionCount = kMaxMacroActions;  // 16004 bytes each: past 16-bit offsets
  }
  std::vector<std::uint8_t> image(MacroAreaSizes(big).withoutNames);
  EXPECT_FALSE(EncodeMacroArea(big, image.size(), false, image));
  MacroSet one = {Macro(1, u"abc", {{0, 0x01E, kPress}})};
  std::vector<std::uint8_t> small(MacroAreaSizes(one).withNames - 1);
  EXPECT_FALSE(EncodeMacroArea(one, small.size(), true, small));
}

TEST(MacroArea, HostileImagesStayInsideTheImageAndTheRecord) {
  const MacroSet set = {Macro(1, u"first", {{0, 0x01E, kPress}, {0, 0x01E, kRelease}}), Macro(2, u"second", {})};
  const std::vector<std::uint8_t> good = Encode(set, true);
  MacroSet out;
  auto decodeWith = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
    std::vector<std::uint8_t> image = good;
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    return DecodeMacroArea(image, u"M", out);
  };
  EXPECT_LE(decodeWith(4, {0xFF, 0xFF}), static_cast<int>((good.size() - 16) / 2));  // count
  ASSERT_EQ(decodeWith(20, {0xFF, 0xFF, 1, 0xFF}), 2);                           // actions, name length
  EXPECT_LE(out[0].actionCount, (good.size() - 24) / 4);
  ASSERT_EQ(decodeWith(16, {0xF0, 0xFF}), 2);  // a body outside the image keeps its position, empty
  EXPECT_EQ(out[0].actionCount, 0);
  EXPECT_EQ(MacroName(out[0]), u"M1");
  EXPECT_EQ(MacroName(out[1]), u"second");
  EXPECT_EQ(decodeWith(0, {0x00}), 0);  // no magic: no macros
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<std::uint8_t> part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_GE(DecodeMacroArea(part, u"M", out), 0);
  }
}

}  // namespace
}  // namespace zarvel
