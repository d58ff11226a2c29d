#include "model/lighting_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvel {
namespace {

// A record with a distinct value in every byte, so a field read from the
// wrong offset shows.
std::vector<std::uint8_t> NumberedRecord() {
  std::vector<std::uint8_t> bytes(kLightingRecordSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x80 + i);
  return bytes;
}

TEST(LightingRecordBytes, FieldsComeFromTheirOffsets) {
  LightingRecord record;
  ASSERT_TRUE(DecodeLightingRecord(NumberedRecord(), record));
  EXPECT_EQ(record.effect, 0x80);
  EXPECT_EQ(record.brightness, 0x81);
  EXPECT_EQ(record.speed, 0x82);
  EXPECT_EQ(record.direction, 0x83);
  EXPECT_EQ(record.randomColour, 0x84);
  EXPECT_EQ(record.colour, (LightingColour{0x85, 0x86, 0x87}));
  EXPECT_EQ(record.reportRate, 0x80 + 15);
  EXPECT_EQ(record.colourChoice, 0x80 + 17);
  EXPECT_EQ(record.trigger, 0x80 + 19);
  EXPECT_EQ(record.secondColour, (LightingColour{0x80 + 25, 0x80 + 26, 0x80 + 27}));
  EXPECT_EQ(record.secondRandom, 0x80 + 28);
  EXPECT_EQ(record.thirdColour, (LightingColour{0x80 + 30, 0x80 + 31, 0x80 + 32}));
  EXPECT_EQ(record.thirdRandom, 0x80 + 33);
}

TEST(LightingRecordBytes, EncodeKeepsUnusedBytesAndRoundTrips) {
  std::vector<std::uint8_t> original = NumberedRecord();
  LightingRecord record;
  ASSERT_TRUE(DecodeLightingRecord(original, record));
  std::vector<std::uint8_t> again = original;
  ASSERT_TRUE(EncodeLightingRecord(record, again));
  EXPECT_EQ(again, original);

  // Into a blank record only the named fields appear: the keyboard's own
  // bytes (8..14, 16, 20..24, 29, 34..41) are not the system's to write.
  std::vector<std::uint8_t> blank(kLightingRecordSize, 0);
  ASSERT_TRUE(EncodeLightingRecord(record, blank));
  for (std::size_t i : {8u, 14u, 16u, 20u, 24u, 29u, 34u, 41u}) EXPECT_EQ(blank[i], 0) << i;
  EXPECT_EQ(blank[17], original[17]);
}

TEST(LightingRecordBytes, ShortInputIsRefusedAndLeavesTheOutputAlone) {
  LightingRecord record;
  record.effect = 9;
  std::vector<std::uint8_t> bytes = NumberedRecord();
  bytes.pop_back();
  EXPECT_FALSE(DecodeLightingRecord(bytes, record));
  EXPECT_EQ(record.effect, 9);
  std::vector<std::uint8_t> out(41, 0x55);
  EXPECT_FALSE(EncodeLightingRecord(record, out));
  EXPECT_EQ(out, std::vector<std::uint8_t>(41, 0x55));
}

TEST(LightingRecordBytes, DefaultRecordGolden) {
  std::vector<std::uint8_t> expected = {0x01, 0x05, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
  expected.resize(35, 0);
  auto bytes = DefaultLightingRecordBytes();
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(LightingArea, RepliesLandAtTheirProfileAndKeepOnly42Bytes) {
  LightingArea area{};
  area.fill(0xEE);
  std::vector<std::uint8_t> reply(kLightingReadLength, 0x11);
  ASSERT_TRUE(StoreLightingReply(area, 3, reply));  // the last read runs past the area
  for (std::size_t i = 0; i < 126; ++i) ASSERT_EQ(area[i], 0xEE) << i;
  for (std::size_t i = 126; i < 168; ++i) ASSERT_EQ(area[i], 0x11) << i;

  reply[0] = 7;
  ASSERT_TRUE(StoreLightingReply(area, 1, reply));
  LightingRecord record;
  ASSERT_TRUE(ReadLightingRecord(area, 1, record));
  EXPECT_EQ(record.effect, 7);
  EXPECT_EQ(area[41], 0xEE);
  EXPECT_EQ(area[84], 0xEE);

  LightingArea before = area;
  EXPECT_FALSE(StoreLightingReply(area, 0, std::vector<std::uint8_t>(41, 1)));
  EXPECT_FALSE(StoreLightingReply(area, 4, reply));
  EXPECT_FALSE(StoreLightingReply(area, -1, reply));
  EXPECT_FALSE(ReadLightingRecord(area, 4, record));
  EXPECT_EQ(area, before);
}

TEST(LightingArea, OffsetsAndBoundedWrites) {
  EXPECT_EQ(LightingRecordOffset(0), 0);
  EXPECT_EQ(LightingRecordOffset(2), 84);
  EXPECT_EQ(LightingRecordOffset(3), 126);
  LightingArea area{};
  std::vector<std::uint8_t> two = {1, 2};
  EXPECT_TRUE(ApplyAreaBytes(area, 166, two));
  EXPECT_FALSE(ApplyAreaBytes(area, 167, two));
  EXPECT_FALSE(ApplyAreaBytes(area, 0xFFFF, two));
  EXPECT_EQ(area[167], 2);
}

TEST(EffectList, OffersNonZeroEntriesInListOrder) {
  std::vector<std::uint8_t> numbers(kEffectSlots, 0);
  numbers[3] = 1;
  numbers[9] = 20;
  EffectList list;
  list.Fill(numbers);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.entries()[0], (EffectEntry{0, 1}));
  EXPECT_EQ(list.entries()[1], (EffectEntry{1, 20}));
  EXPECT_EQ(list.PositionOf(1), 0);
  EXPECT_EQ(list.PositionOf(20), 1);
  EXPECT_EQ(list.PositionOf(17), -1);
  EXPECT_EQ(list.PositionOf(0), -1);
  EXPECT_EQ(list.EffectAt(1), 20);
  EXPECT_EQ(list.EffectAt(2), -1);
  EXPECT_EQ(list.EffectAt(-1), -1);
  EXPECT_TRUE(list.OffersUserEffect());

  numbers[9] = 0;
  list.Fill(numbers);  // refilling drops what the previous list offered
  EXPECT_FALSE(list.OffersUserEffect());
  EXPECT_EQ(list.size(), 1u);
}

TEST(EffectList, LengthsOtherThan32AreBounded) {
  std::vector<std::uint8_t> many(40, 5);
  EffectList list;
  list.Fill(many);
  EXPECT_EQ(list.size(), kEffectSlots);
  list.Fill(std::vector<std::uint8_t>{4});
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.numbers()[1], 0);
  list.Fill({});
  EXPECT_EQ(list.size(), 0u);
}

}  // namespace
}  // namespace zarvel
