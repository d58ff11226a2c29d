#include "device/simulated_firmware.h"

#include <algorithm>

#include "model/byte_io.h"
#include "model/default_matrix.h"

namespace zarvel {
namespace {

// The largest macro memory byte 11 can announce.
constexpr std::size_t kMaxMacroMemory = 255 * kMacroCapacityUnit;
constexpr std::size_t kKeyColourBlock = 512;
constexpr std::size_t kColourEntriesPerBlock = kKeyColourBlock / 3;

constexpr std::uint8_t kDefaultLightingRecord[35] = {0x01, 0x05, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::uint8_t kDefaultEffects[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21};

Report ReplyTo(std::span<const std::uint8_t> request, std::uint8_t status, std::span<const std::uint8_t> data) {
  Report reply{};
  const std::size_t header = std::min(request.size(), frame_offset::kStatus);
  std::copy_n(request.begin(), header, reply.begin());
  ByteWriter w(reply);
  w.U8(frame_offset::kStatus, status);
  w.Bytes(frame_offset::kPayload, data.first(std::min(data.size(), kMaxPayload)));
  w.U16(frame_offset::kChecksum, ReportChecksum(reply));
  return reply;
}

}  // namespace

Report SimulatedFirmware::StatusReply(std::span<const std::uint8_t> request, std::uint8_t status) {
  return ReplyTo(request, status, {});
}

SimulatedFirmware::SimulatedFirmware(const DeviceVariant& variant) : variant_(variant) { ResetToFactory(); }

void SimulatedFirmware::ResetToFactory() {
  DeviceInfoRecord info{};
  DeviceInfo fields;
  fields.firmware_version = kSimulatedFirmwareVersion;
  fields.active_profile = 0;
  fields.macro_capacity_units = kSimulatedMacroCapacityUnits;
  std::copy(std::begin(kDefaultEffects), std::end(kDefaultEffects), fields.effects.begin());
  StoreDeviceInfo(fields, info);
  device_info_.assign(info.begin(), info.end());

  lighting_.assign(kLightingAreaSize, 0);
  for (std::size_t p = 0; p < 4; ++p)
    std::copy(std::begin(kDefaultLightingRecord), std::end(kDefaultLightingRecord),
              lighting_.begin() + static_cast<std::ptrdiff_t>(p * kLightingRecordSize));

  const DefaultMatrix built_in = BuiltInDefaultMatrix();
  default_matrix_.assign(built_in.begin(), built_in.begin() + variant_.key_matrix_size);
  key_matrices_.assign(std::size_t{4} * variant_.key_matrix_stride, 0);
  for (std::size_t p = 0; p < 4; ++p)
    std::copy(default_matrix_.begin(), default_matrix_.end(),
              key_matrices_.begin() + static_cast<std::ptrdiff_t>(p * variant_.key_matrix_stride));

  macro_memory_.assign(kMaxMacroMemory, 0);

  key_colours_.assign(kKeyColourAreaSize, 0);
  for (std::size_t p = 0; p < 4; ++p)
    for (std::size_t i = 0; i < kColourEntriesPerBlock; ++i) key_colours_[p * kKeyColourBlock + 3 * i] = 0xFF;

  in_bracket_ = false;
  changed_ = true;
}

std::size_t SimulatedFirmware::MacroBytes() const {
  return std::size_t{device_info_[device_info_offset::kMacroCapacity]} * kMacroCapacityUnit;
}

std::vector<std::uint8_t>* SimulatedFirmware::Mutable(KeyboardArea area) {
  return const_cast<std::vector<std::uint8_t>*>(&Memory(area));
}

const std::vector<std::uint8_t>& SimulatedFirmware::Memory(KeyboardArea area) const {
  switch (area) {
    case KeyboardArea::kDeviceInfo: return device_info_;
    case KeyboardArea::kLighting: return lighting_;
    case KeyboardArea::kKeyMatrices: return key_matrices_;
    case KeyboardArea::kDefaultMatrix: return default_matrix_;
    case KeyboardArea::kMacroMemory: return macro_memory_;
    case KeyboardArea::kKeyColours: break;
  }
  return key_colours_;
}

std::vector<std::uint8_t> SimulatedFirmware::Area(KeyboardArea area) const {
  std::vector<std::uint8_t> copy = Memory(area);
  if (area == KeyboardArea::kMacroMemory) copy.resize(MacroBytes());
  return copy;
}

bool SimulatedFirmware::SetArea(KeyboardArea area, std::size_t offset, std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t>& target = *Mutable(area);
  if (offset > target.size() || bytes.size() > target.size() - offset) return false;
  std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(offset));
  changed_ = true;
  return true;
}

bool SimulatedFirmware::ReadAllowed(KeyboardArea area, std::size_t offset, std::size_t length) const {
  const std::size_t end = offset + length;
  switch (area) {
    case KeyboardArea::kLighting: return offset < kLightingAreaSize;
    case KeyboardArea::kKeyMatrices: {
      const std::size_t stride = variant_.key_matrix_stride;
      return offset / stride < 4 && offset % stride + length <= variant_.key_matrix_size;
    }
    case KeyboardArea::kMacroMemory: return end <= MacroBytes();
    case KeyboardArea::kKeyColours: return end <= kKeyColourAreaSize && offset % kKeyColourBlock + length <= kKeyColourBlock;
    default: return end <= Memory(area).size();
  }
}

bool SimulatedFirmware::WriteAllowed(KeyboardArea area, std::size_t offset, std::size_t length) const {
  if (area == KeyboardArea::kDeviceInfo) return offset + length <= kDeviceInfoSize;
  if (!in_bracket_) return false;
  if (area == KeyboardArea::kLighting) return offset + length <= kLightingAreaSize;
  return ReadAllowed(area, offset, length);
}

Report SimulatedFirmware::Answer(std::span<const std::uint8_t> request) {
  last_was_end_ = false;
  if (request.size() != kReportSize) return ReplyTo(request, kStatusRefused, {});
  const std::span<const std::uint8_t, kReportSize> frame(request.data(), kReportSize);
  ByteReader r(frame);
  if (r.U8(frame_offset::kReportId) != kCommandReportId || r.U16(frame_offset::kChecksum) != ReportChecksum(frame) ||
      r.U8(frame_offset::kLength) > kMaxPayload)
    return ReplyTo(request, kStatusRefused, {});

  const auto command = static_cast<Command>(r.U8(frame_offset::kCommand));
  const std::size_t length = r.U8(frame_offset::kLength);
  const std::size_t offset = r.U16(frame_offset::kOffset);
  const auto payload = r.Bytes(frame_offset::kPayload, length);

  KeyboardArea area;
  bool write = false;
  switch (command) {
    case Command::kBeginTransfer:
      // A second begin inside a bracket is harmless: the lighting load sends two.
      in_bracket_ = true;
      return ReplyTo(request, 0, {});
    case Command::kEndTransfer:
      in_bracket_ = false;
      last_was_end_ = true;
      return ReplyTo(request, 0, {});
    case Command::kReadDeviceInfo: area = KeyboardArea::kDeviceInfo; break;
    case Command::kWriteDeviceInfo: area = KeyboardArea::kDeviceInfo; write = true; break;
    case Command::kReadLighting: area = KeyboardArea::kLighting; break;
    case Command::kWriteLighting: area = KeyboardArea::kLighting; write = true; break;
    case Command::kReadKeyMatrix: area = KeyboardArea::kKeyMatrices; break;
    case Command::kWriteKeyMatrix: area = KeyboardArea::kKeyMatrices; write = true; break;
    case Command::kReadMacroArea: area = KeyboardArea::kMacroMemory; break;
    case Command::kWriteMacroArea: area = KeyboardArea::kMacroMemory; write = true; break;
    case Command::kReadDefaultKeyMatrix: area = KeyboardArea::kDefaultMatrix; break;
    case Command::kWriteKeyColours: area = KeyboardArea::kKeyColours; write = true; break;
    default: return ReplyTo(request, kStatusRefused, {});
  }

  std::vector<std::uint8_t>& memory = *Mutable(area);
  if (!write) {
    if (!ReadAllowed(area, offset, length)) return ReplyTo(request, kStatusRefusedState, {});
    std::uint8_t data[kMaxPayload] = {};
    for (std::size_t i = 0; i < length && offset + i < memory.size(); ++i) data[i] = memory[offset + i];
    return ReplyTo(request, 0, std::span<const std::uint8_t>(data, length));
  }

  if (!WriteAllowed(area, offset, length)) return ReplyTo(request, kStatusRefusedState, {});
  if (area == KeyboardArea::kDeviceInfo) {
    // Only bytes 0..7 and the active profile are the host's to change.
    std::vector<std::uint8_t> next = memory;
    for (std::size_t i = 0; i < length; ++i) {
      const std::size_t at = offset + i;
      if (at < device_info_offset::kFirmwareVersion || at == device_info_offset::kActiveProfile) next[at] = payload[i];
    }
    if (next[device_info_offset::kActiveProfile] > 3) return ReplyTo(request, kStatusRefusedState, {});
    memory = std::move(next);
  } else {
    std::copy(payload.begin(), payload.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  changed_ = true;
  return ReplyTo(request, 0, {});
}

}  // namespace zarvel
