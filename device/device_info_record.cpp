#include "device/device_info_record.h"

#include <algorithm>

#include "model/byte_io.h"

namespace zarvel {

bool DeviceInfo::OffersEffect(std::uint8_t effect) const {
  return effect != 0 && std::find(effects.begin(), effects.end(), effect) != effects.end();
}

bool ParseDeviceInfo(std::span<const std::uint8_t> record, DeviceInfo& out) {
  if (record.size() < kDeviceInfoSize) return false;
  ByteReader r(record.first(kDeviceInfoSize));
  DeviceInfo info;
  info.firmware_version = r.U16(device_info_offset::kFirmwareVersion);
  info.active_profile = r.U8(device_info_offset::kActiveProfile);
  info.macro_capacity_units = r.U8(device_info_offset::kMacroCapacity);
  const auto effects = r.Bytes(device_info_offset::kEffectList, kEffectListLength);
  std::copy(effects.begin(), effects.end(), info.effects.begin());
  if (!r.ok()) return false;
  out = info;
  return true;
}

void StoreDeviceInfo(const DeviceInfo& info, DeviceInfoRecord& record) {
  ByteWriter w(record);
  w.U16(device_info_offset::kFirmwareVersion, info.firmware_version);
  w.U8(device_info_offset::kActiveProfile, info.active_profile);
  w.U8(device_info_offset::kMacroCapacity, info.macro_capacity_units);
  w.Bytes(device_info_offset::kEffectList, info.effects);
}

}  // namespace zarvel
