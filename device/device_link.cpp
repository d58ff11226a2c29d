#include "device/device_link.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "device/device_variant.h"

namespace zarvel {

DeviceLink::DeviceLink(HidDevice& command_interface)
    : device_(command_interface),
      key_matrix_size_(kInitialKeyMatrixSize),
      key_matrix_stride_(kInitialKeyMatrixStride) {}

void DeviceLink::SetKeyMatrixGeometry(std::uint16_t size, std::uint16_t stride) {
  key_matrix_size_ = size;
  key_matrix_stride_ = stride;
}

void DeviceLink::SetTraceHook(TraceHook hook) {
  std::lock_guard lock(trace_lock_);
  trace_ = std::move(hook);
}

void DeviceLink::Trace(std::string_view line) {
  std::lock_guard lock(trace_lock_);
  if (trace_) trace_(line);
}

int DeviceLink::SendCommand(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) {
  if (!device_open_) return kResultNoReply;
  Report out{};
  std::copy_n(request.begin(), std::min(request.size(), kReportSize), out.begin());

  std::lock_guard exchange(exchange_lock_);
  for (int attempt = 0; attempt < kCommandAttempts; ++attempt) {
    std::size_t moved = 0;
    bool written;
    {
      std::lock_guard lock(device_lock_);
      // The kernel keeps every input report of an open node until it is read,
      // so a reply that came after its read gave up would otherwise be taken
      // as the answer to this request.
      device_.DiscardQueuedInput();
      written = device_.Write(out, moved, kWriteTimeoutMs);
    }
    Trace(TraceRequestLine(out));
    if (!written) return kResultWriteFailed;

    Report in{};
    bool read;
    {
      std::lock_guard lock(device_lock_);
      read = device_.Read(in, moved, kReadTimeoutMs);
    }
    if (read) {
      Trace(TraceReplyLine(in));
      const std::size_t n = std::min(reply.size(), kReportSize);
      std::copy_n(in.begin(), n, reply.begin());
      return kResultDone;
    }
    Trace(kTraceTimeoutLine);
  }
  return kResultNoReply;
}

int DeviceLink::Exchange(const Report& request, Report& reply) {
  const int result = SendCommand(request, reply);
  if (result != kResultDone) return result;
  return ReplyStatusResult(reply);
}

int DeviceLink::Simple(const Report& request, std::span<std::uint8_t> out, std::size_t out_length) {
  Report reply{};
  const int result = Exchange(request, reply);
  if (result == kResultDone && !out.empty())
    std::copy_n(reply.begin() + frame_offset::kPayload, std::min({out_length, out.size(), kMaxPayload}), out.begin());
  return result;
}

int DeviceLink::BeginTransfer() { return Simple(BuildBracketRequest(Command::kBeginTransfer), {}, 0); }

int DeviceLink::EndTransfer() {
  if (!device_open_) return kResultNoReply;
  std::this_thread::sleep_for(std::chrono::milliseconds(kEndTransferDelayMs));
  return Simple(BuildBracketRequest(Command::kEndTransfer), {}, 0);
}

int DeviceLink::ReadDeviceInfo(DeviceInfoRecord& out) {
  DeviceInfoRecord record{};
  const int result = Simple(BuildRequest(Command::kReadDeviceInfo, kDeviceInfoSize, 0), record, kDeviceInfoSize);
  if (result == kResultDone) out = record;
  return result;
}

int DeviceLink::WriteDeviceInfo(const DeviceInfoRecord& record) {
  return Simple(BuildRequest(Command::kWriteDeviceInfo, kDeviceInfoSize, 0, record), {}, 0);
}

int DeviceLink::WriteActiveProfile(int profile) {
  if (profile < 0 || profile >= kKeyboardProfiles) return kResultBadProfile;
  DeviceInfoRecord record{};
  const int result = ReadDeviceInfo(record);
  if (result != kResultDone) return result;
  record[device_info_offset::kActiveProfile] = static_cast<std::uint8_t>(profile);
  return WriteDeviceInfo(record);
}

int DeviceLink::ReadLighting(std::span<std::uint8_t> out, std::uint16_t offset) {
  if (out.size() > kMaxPayload) return kResultBadProfile;
  return Simple(BuildRequest(Command::kReadLighting, static_cast<std::uint8_t>(out.size()), offset), out,
                out.size());
}

int DeviceLink::WriteLighting(std::span<const std::uint8_t> data, std::uint16_t offset) {
  if (data.size() > kMaxPayload) return kResultBadProfile;
  return Simple(BuildRequest(Command::kWriteLighting, static_cast<std::uint8_t>(data.size()), offset, data), {}, 0);
}

int DeviceLink::Pieces(Command command, std::uint32_t base, std::size_t length, std::span<std::uint8_t> read_into,
                       std::span<const std::uint8_t> write_from) {
  // The offset field is 16 bits; a run reaching past it would wrap onto the
  // start of the area and overwrite what is there.
  if (base + length > 0x10000u) return kResultBadProfile;
  for (std::size_t pos = 0; pos < length; pos += kMaxPayload) {
    const std::size_t n = std::min(kMaxPayload, length - pos);
    const auto offset = static_cast<std::uint16_t>(base + pos);
    std::span<const std::uint8_t> payload;
    if (!write_from.empty()) payload = write_from.subspan(pos, n);
    Report reply{};
    const int result = Exchange(BuildRequest(command, static_cast<std::uint8_t>(n), offset, payload), reply);
    if (result != kResultDone) return result;
    if (!read_into.empty())
      std::copy_n(reply.begin() + frame_offset::kPayload, n, read_into.begin() + static_cast<std::ptrdiff_t>(pos));
  }
  return kResultDone;
}

int DeviceLink::ReadKeyMatrix(std::span<std::uint8_t> out, int profile) {
  if (profile < 0 || profile >= kKeyboardProfiles) return kResultBadProfile;
  const std::size_t size = key_matrix_size_;
  if (out.size() < size) return kResultBadProfile;
  return Pieces(Command::kReadKeyMatrix, static_cast<std::uint32_t>(profile) * key_matrix_stride_, size, out, {});
}

int DeviceLink::WriteKeyMatrix(std::span<const std::uint8_t> data, int profile) {
  if (profile < 0 || profile >= kKeyboardProfiles) return kResultBadProfile;
  const std::size_t size = key_matrix_size_;
  if (data.size() < size) return kResultBadProfile;
  return Pieces(Command::kWriteKeyMatrix, static_cast<std::uint32_t>(profile) * key_matrix_stride_, size, {},
                data.first(size));
}

int DeviceLink::ReadDefaultKeyMatrix(std::span<std::uint8_t> out) {
  const std::size_t size = key_matrix_size_;
  if (out.size() < size) return kResultBadProfile;
  return Pieces(Command::kReadDefaultKeyMatrix, 0, size, out, {});
}

int DeviceLink::ReadMacroArea(std::span<std::uint8_t> out) {
  return Pieces(Command::kReadMacroArea, 0, out.size(), out, {});
}

int DeviceLink::WriteMacroArea(std::span<const std::uint8_t> data) {
  return Pieces(Command::kWriteMacroArea, 0, data.size(), {}, data);
}

int DeviceLink::WriteKeyColours(int profile, std::span<const std::uint8_t> data, int first_colour_index) {
  if (profile < 0 || profile >= kKeyboardProfiles || first_colour_index < 0) return kResultBadProfile;
  const std::size_t start = 3 * static_cast<std::size_t>(first_colour_index);
  // Nothing may land outside the profile's own block of colours.
  if (data.size() > kMaxPayload || start > kKeyColourBlockSize || data.size() > kKeyColourBlockSize - start)
    return kResultBadProfile;
  const auto offset = static_cast<std::uint16_t>(static_cast<std::size_t>(profile) * kKeyColourBlockSize + start);
  return Simple(BuildRequest(Command::kWriteKeyColours, static_cast<std::uint8_t>(data.size()), offset, data), {},
                0);
}

}  // namespace zarvel
