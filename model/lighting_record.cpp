#include "model/lighting_record.h"

#include "model/byte_io.h"

namespace zarvel {

namespace {

LightingColour ReadColour(ByteReader& reader, std::size_t offset) {
  return {reader.U8(offset), reader.U8(offset + 1), reader.U8(offset + 2)};
}

void WriteColour(ByteWriter& writer, std::size_t offset, const LightingColour& colour) {
  writer.U8(offset, colour.red);
  writer.U8(offset + 1, colour.green);
  writer.U8(offset + 2, colour.blue);
}

}  // namespace

bool DecodeLightingRecord(std::span<const std::uint8_t> bytes, LightingRecord& out) {
  if (bytes.size() < kLightingRecordSize) return false;
  namespace o = lighting_offset;
  ByteReader reader(bytes.first(kLightingRecordSize));
  LightingRecord record;
  record.effect = reader.U8(o::kEffect);
  record.brightness = reader.U8(o::kBrightness);
  record.speed = reader.U8(o::kSpeed);
  record.direction = reader.U8(o::kDirection);
  record.randomColour = reader.U8(o::kRandomColour);
  record.colour = ReadColour(reader, o::kColour);
  record.reportRate = reader.U8(o::kReportRate);
  record.colourChoice = reader.U8(o::kColourChoice);
  record.unknown18 = reader.U8(o::kUnknown18);
  record.trigger = reader.U8(o::kTrigger);
  record.secondColour = ReadColour(reader, o::kSecondColour);
  record.secondRandom = reader.U8(o::kSecondRandom);
  record.thirdColour = ReadColour(reader, o::kThirdColour);
  record.thirdRandom = reader.U8(o::kThirdRandom);
  if (!reader.ok()) return false;
  out = record;
  return true;
}

bool EncodeLightingRecord(const LightingRecord& record, std::span<std::uint8_t> bytes) {
  if (bytes.size() < kLightingRecordSize) return false;
  namespace o = lighting_offset;
  ByteWriter writer(bytes.first(kLightingRecordSize));
  writer.U8(o::kEffect, record.effect);
  writer.U8(o::kBrightness, record.brightness);
  writer.U8(o::kSpeed, record.speed);
  writer.U8(o::kDirection, record.direction);
  writer.U8(o::kRandomColour, record.randomColour);
  WriteColour(writer, o::kColour, record.colour);
  writer.U8(o::kReportRate, record.reportRate);
  writer.U8(o::kColourChoice, record.colourChoice);
  writer.U8(o::kUnknown18, record.unknown18);
  writer.U8(o::kTrigger, record.trigger);
  WriteColour(writer, o::kSecondColour, record.secondColour);
  writer.U8(o::kSecondRandom, record.secondRandom);
  WriteColour(writer, o::kThirdColour, record.thirdColour);
  writer.U8(o::kThirdRandom, record.thirdRandom);
  return writer.ok();
}

std::array<std::uint8_t, kDefaultLightingRecordSize> DefaultLightingRecordBytes() {
  std::array<std::uint8_t, kDefaultLightingRecordSize> bytes{};
  namespace o = lighting_offset;
  ByteWriter writer(bytes);
  writer.U8(o::kEffect, 1);
  writer.U8(o::kBrightness, 5);
  writer.U8(o::kSpeed, 2);
  writer.U8(o::kDirection, kDirectionSecond);
  writer.U8(o::kRandomColour, 0xFF);
  WriteColour(writer, o::kColour, {0xFF, 0xFF, 0xFF});
  return bytes;
}

std::uint16_t LightingRecordOffset(int profile) {
  if (!ValidLightingProfile(profile)) return 0;
  return static_cast<std::uint16_t>(static_cast<std::size_t>(profile) * kLightingRecordSize);
}

bool StoreLightingReply(LightingArea& area, int profile, std::span<const std::uint8_t> reply) {
  if (!ValidLightingProfile(profile) || reply.size() < kLightingRecordSize) return false;
  return ApplyAreaBytes(area, LightingRecordOffset(profile), reply.first(kLightingRecordSize));
}

bool ReadLightingRecord(const LightingArea& area, int profile, LightingRecord& out) {
  if (!ValidLightingProfile(profile)) return false;
  return DecodeLightingRecord(std::span<const std::uint8_t>(area).subspan(LightingRecordOffset(profile)), out);
}

bool ApplyAreaBytes(LightingArea& area, std::uint16_t offset, std::span<const std::uint8_t> bytes) {
  ByteWriter writer(area);
  writer.Bytes(offset, bytes);
  return writer.ok();
}

void EffectList::Fill(std::span<const std::uint8_t> effectNumbers) {
  Clear();
  std::size_t count = effectNumbers.size() < kEffectSlots ? effectNumbers.size() : kEffectSlots;
  for (std::size_t i = 0; i < count; ++i) {
    numbers_[i] = effectNumbers[i];
    if (numbers_[i] == 0) continue;
    table_[count_] = {static_cast<int>(count_), numbers_[i]};
    ++count_;
  }
}

void EffectList::Clear() {
  numbers_.fill(0);
  table_.fill({});
  count_ = 0;
}

int EffectList::PositionOf(int effect) const {
  if (effect == 0) return -1;
  for (const EffectEntry& entry : entries()) {
    if (entry.effect == effect) return entry.position;
  }
  return -1;
}

int EffectList::EffectAt(int position) const {
  if (position < 0 || static_cast<std::size_t>(position) >= count_) return -1;
  return table_[static_cast<std::size_t>(position)].effect;
}

std::string EffectNameKey(int effect) { return std::to_string(effect); }

}  // namespace zarvel
