#pragma once
// The keyboard's lighting parameter area and the list of effects it offers.
//
// The keyboard keeps 168 bytes of lighting parameters (read with command 0x05,
// written with 0x06, both addressed by a byte offset into this area): one
// 42-byte `LightingRecord` per on-board profile, profile p at p × 42. Colours
// are stored red, green, blue in that byte order.
//
//   off size field          values
//    0   1   effect         an effect number from the effect list
//    1   1   brightness     0..4 from the window (the default record stores 5)
//    2   1   speed          0..3; the speed slider shows 3 − speed
//    3   1   direction      0xFF first arrow, 0x00 second arrow
//    4   1   randomColour   0 fixed colour, non-zero random colour
//    5   3   colour         red, green, blue
//    8   7   (the keyboard's; kept as read)
//   15   1   reportRate     USB report rate choice 0..3 (above 3 means 3)
//   16   1   (unused)
//   17   1   colourChoice   0 red, 1 yellow, 2 green, 3 blue (effect 17)
//   18   1   (read, never written)
//   19   1   trigger        set to 1 by every full load, at area offset 19
//   20   5   (unused)
//   25   3   secondColour   read only
//   28   1   secondRandom   read only
//   29   1   (unused)
//   30   3   thirdColour    read only
//   33   1   thirdRandom    read only
//   34   8   (unused)
//
// The record's fields are the bytes as stored: decoding does not clamp, so
// writing a decoded record back reproduces the keyboard's bytes. The clamps
// the window applies belong to the lighting state (lighting_state.h).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zarvel {

inline constexpr int kLightingProfileCount = 4;
inline constexpr std::size_t kLightingRecordSize = 42;
inline constexpr std::size_t kLightingAreaSize = kLightingRecordSize * kLightingProfileCount;
static_assert(kLightingAreaSize == 168, "four 42-byte lighting records");

// Each record is read with one 56-byte read at its offset (the last one runs
// past the area; the keyboard answers anyway); the first 42 bytes are kept.
inline constexpr std::size_t kLightingReadLength = 56;
// The default reset writes only the first 35 bytes of the record.
inline constexpr std::size_t kDefaultLightingRecordSize = 35;
// Every full load sets this byte to 1; it is an area offset, not a record
// field offset, so it always lands in profile 0's record.
inline constexpr std::uint16_t kTriggerAreaOffset = 19;

inline constexpr std::uint8_t kUserEffect = 20;
inline constexpr std::uint8_t kDirectionFirst = 0xFF;
inline constexpr std::uint8_t kDirectionSecond = 0x00;

namespace lighting_offset {
inline constexpr std::size_t kEffect = 0;
inline constexpr std::size_t kBrightness = 1;
inline constexpr std::size_t kSpeed = 2;
inline constexpr std::size_t kDirection = 3;
inline constexpr std::size_t kRandomColour = 4;
inline constexpr std::size_t kColour = 5;
inline constexpr std::size_t kReportRate = 15;
inline constexpr std::size_t kColourChoice = 17;
inline constexpr std::size_t kUnknown18 = 18;
inline constexpr std::size_t kTrigger = 19;
inline constexpr std::size_t kSecondColour = 25;
inline constexpr std::size_t kSecondRandom = 28;
inline constexpr std::size_t kThirdColour = 30;
inline constexpr std::size_t kThirdRandom = 33;
}  // namespace lighting_offset
static_assert(lighting_offset::kThirdRandom < kDefaultLightingRecordSize,
              "the default record covers every field the window reads");
static_assert(kDefaultLightingRecordSize < kLightingRecordSize, "the default leaves the record's tail alone");

struct LightingColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const LightingColour&) const = default;
};

struct LightingRecord {
  std::uint8_t effect = 0;
  std::uint8_t brightness = 0;
  std::uint8_t speed = 0;
  std::uint8_t direction = 0;
  std::uint8_t randomColour = 0;
  LightingColour colour;
  std::uint8_t reportRate = 0;
  std::uint8_t colourChoice = 0;
  std::uint8_t unknown18 = 0;
  std::uint8_t trigger = 0;
  LightingColour secondColour;
  std::uint8_t secondRandom = 0;
  LightingColour thirdColour;
  std::uint8_t thirdRandom = 0;
  bool operator==(const LightingRecord&) const = default;
};

// The fields of a record from its bytes. Returns false, leaving `out` as it
// was, when fewer than 42 bytes are given.
bool DecodeLightingRecord(std::span<const std::uint8_t> bytes, LightingRecord& out);
// Writes the named fields into `bytes` (at least 42); the bytes the system does
// not use keep what they hold. Returns false, touching nothing, when too short.
bool EncodeLightingRecord(const LightingRecord& record, std::span<std::uint8_t> bytes);

// 01 05 02 00 FF FF FF FF and 27 zero bytes: effect 1, brightness 5, speed 2,
// direction 0x00, random colour on, colour white, everything else 0.
std::array<std::uint8_t, kDefaultLightingRecordSize> DefaultLightingRecordBytes();

// The 168-byte lighting parameter area as last read.
using LightingArea = std::array<std::uint8_t, kLightingAreaSize>;

inline bool ValidLightingProfile(int profile) { return profile >= 0 && profile < kLightingProfileCount; }
// p × 42; 0 for a profile outside 0..3 (callers check ValidLightingProfile).
std::uint16_t LightingRecordOffset(int profile);
// The offsets at which a full read fetches the four records, in read order.
inline constexpr std::array<std::uint16_t, kLightingProfileCount> kLightingReadOffsets = {0, 42, 84, 126};

// Keeps the first 42 bytes of the reply to the read of `profile`'s record.
// False, with the area unchanged, for a bad profile or a reply under 42 bytes.
bool StoreLightingReply(LightingArea& area, int profile, std::span<const std::uint8_t> reply);
// The record of `profile`; false (and `out` unchanged) for a bad profile.
bool ReadLightingRecord(const LightingArea& area, int profile, LightingRecord& out);
// Copies `bytes` into the area at `offset`; false, with the area unchanged,
// when they do not fit inside the 168 bytes.
bool ApplyAreaBytes(LightingArea& area, std::uint16_t offset, std::span<const std::uint8_t> bytes);

// The effects the keyboard offers: 32 effect numbers from its device
// information (bytes 12..43), 0 marking an empty entry. The window lists the
// non-zero ones in order; an effect's list position is its place among those.
inline constexpr std::size_t kEffectSlots = 32;

struct EffectEntry {
  int position = 0;  // place in the window's effect list
  int effect = 0;
  bool operator==(const EffectEntry&) const = default;
};

class EffectList {
 public:
  // Replaces the list. Fewer than 32 bytes leave the missing entries empty;
  // bytes past 32 are ignored.
  void Fill(std::span<const std::uint8_t> effectNumbers);
  void Clear();

  const std::array<std::uint8_t, kEffectSlots>& numbers() const { return numbers_; }
  // The effect index table: (position, effect) for each offered effect.
  std::span<const EffectEntry> entries() const { return std::span<const EffectEntry>(table_.data(), count_); }
  std::size_t size() const { return count_; }

  // List position of `effect`, or -1 when the keyboard does not offer it (0,
  // the empty mark, is never offered). A number listed twice gives its first.
  int PositionOf(int effect) const;
  // The effect at list position `position`, or -1 outside the list.
  int EffectAt(int position) const;
  bool OffersUserEffect() const { return PositionOf(kUserEffect) >= 0; }

 private:
  std::array<std::uint8_t, kEffectSlots> numbers_{};
  std::array<EffectEntry, kEffectSlots> table_{};
  std::size_t count_ = 0;
};

// Key of the effect's name in section "MODE" of the language file: the
// effect number in decimal.
std::string EffectNameKey(int effect);

}  // namespace zarvel
