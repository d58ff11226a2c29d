// The lighting area and the effect list come from the keyboard: whatever bytes
// it answers, decoding, loading the state and every edit must stay inside the
// 168-byte area and inside the addressed profile's record.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/lighting_state.h"
#include "seed_writer.h"

namespace {

// Input: 32 effect numbers, then the replies to the four record reads (56
// bytes each; whatever is there), then edit codes.
constexpr std::size_t kEffectBytes = zarvel::kEffectSlots;

void CheckWrites(const zarvel::LightingState& state, const zarvel::AreaWrites& writes) {
  std::size_t begin = zarvel::LightingRecordOffset(state.profile);
  for (const zarvel::AreaWrite& write : writes) {
    if (write.offset < begin || write.offset + write.bytes.size() > begin + zarvel::kLightingRecordSize) std::abort();
  }
}

}  // namespace

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  std::vector<std::vector<std::uint8_t>> seeds;
  std::vector<std::uint8_t> seed;
  for (std::uint8_t e = 1; e <= 21; ++e) seed.push_back(e);
  seed.resize(kEffectBytes, 0);
  auto defaults = DefaultLightingRecordBytes();
  for (int p = 0; p < kLightingProfileCount; ++p) {
    std::vector<std::uint8_t> reply(kLightingReadLength, 0);
    std::copy(defaults.begin(), defaults.end(), reply.begin());
    reply[lighting_offset::kReportRate] = static_cast<std::uint8_t>(p * 3);
    seed.insert(seed.end(), reply.begin(), reply.end());
  }
  seeds.push_back(seed);
  for (std::uint8_t code = 0; code < 40; code += 3) seed.push_back(code);
  seeds.push_back(seed);
  seeds.push_back(std::vector<std::uint8_t>(kEffectBytes + kLightingRecordSize, 0xFF));
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  std::span<const std::uint8_t> input(data, size);

  LightingRecord record;
  if (DecodeLightingRecord(input, record)) {
    std::vector<std::uint8_t> bytes(input.begin(), input.begin() + kLightingRecordSize);
    if (!EncodeLightingRecord(record, bytes)) std::abort();
    if (!std::equal(bytes.begin(), bytes.end(), input.begin())) std::abort();
  }

  LightingState state;
  state.effects.Fill(input.first(std::min(size, kEffectBytes)));
  if (state.effects.size() > kEffectSlots) std::abort();
  std::span<const std::uint8_t> rest = input.subspan(std::min(size, kEffectBytes));
  for (int p = 0; p < kLightingProfileCount && !rest.empty(); ++p) {
    std::size_t take = std::min(rest.size(), kLightingReadLength);
    StoreLightingReply(state.records, p, rest.first(take));
    rest = rest.subspan(take);
  }
  int profile = rest.empty() ? 0 : rest[0] % 5;  // 4 is refused
  if (SetStateFromRecords(state, profile) != (profile < kLightingProfileCount ? 1 : 0)) std::abort();
  if (state.reportRate < 0 || state.reportRate > 3 || state.colourChoice < 0 || state.colourChoice > 3) {
    std::abort();
  }

  for (std::uint8_t code : rest) {
    AreaWrites writes;
    int value = code >> 3;
    switch (code & 7) {
      case 0: writes = SelectEffect(state, value - 2); break;
      case 1: writes = SetBrightness(state, value - 2); break;
      case 2: writes = SetSpeedPosition(state, value - 2); break;
      case 3: writes = SetDirection(state, value & 1 ? DirectionArrow::kFirst : DirectionArrow::kSecond); break;
      case 4: writes = SetColour(state, {code, static_cast<std::uint8_t>(value), 0}); break;
      case 5: writes = ToggleRandomColour(state); break;
      case 6: writes = value & 1 ? SetColourChoice(state, value / 2 - 2) : SetReportRate(state, value / 2 - 2); break;
      default: writes = ResetLighting(state); break;
    }
    CheckWrites(state, writes);
  }
  return 0;
}
