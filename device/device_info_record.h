#pragma once
// The keyboard's 44-byte device information record (commands 0x03 / 0x04).
//
//   0   8  (not interpreted; written back as read)
//   8   2  firmware version, u16
//  10   1  active profile, 0..3
//  11   1  macro capacity in units of 128 bytes
//  12  32  effect list: effect numbers in display order, 0 = empty entry
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zarvel {

inline constexpr std::size_t kDeviceInfoSize = 44;
inline constexpr std::size_t kEffectListLength = 32;
inline constexpr std::size_t kMacroCapacityUnit = 128;

namespace device_info_offset {
inline constexpr std::size_t kFirmwareVersion = 8;
inline constexpr std::size_t kActiveProfile = 10;
inline constexpr std::size_t kMacroCapacity = 11;
inline constexpr std::size_t kEffectList = 12;
}  // namespace device_info_offset
static_assert(device_info_offset::kEffectList + kEffectListLength == kDeviceInfoSize,
              "the device information record is 44 bytes");

using DeviceInfoRecord = std::array<std::uint8_t, kDeviceInfoSize>;

struct DeviceInfo {
  std::uint16_t firmware_version = 0;
  std::uint8_t active_profile = 0;
  std::uint8_t macro_capacity_units = 0;
  std::array<std::uint8_t, kEffectListLength> effects{};

  std::size_t MacroCapacityBytes() const { return std::size_t{macro_capacity_units} * kMacroCapacityUnit; }
  bool OffersEffect(std::uint8_t effect) const;
};

// False when `record` is shorter than 44 bytes; `out` is then left as it was.
bool ParseDeviceInfo(std::span<const std::uint8_t> record, DeviceInfo& out);

// Fields back into a record; bytes 0..7 keep what `record` holds.
void StoreDeviceInfo(const DeviceInfo& info, DeviceInfoRecord& record);

}  // namespace zarvel
