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

void DeviceLink::SetDeviceOpen(bool open) {
  if (open) ++openings_;
  device_open_ = open;
}

namespace {

bool IsEndTransfer(const Report& request) {
  return request[frame_offset::kCommand] == static_cast<std::uint8_t>(Command::kEndTransfer);
}

// Bytes 3..6 of a request: command, length and offset (or a bracket's code).
constexpr std::size_t kEchoFirst = frame_offset::kCommand;
constexpr std::size_t kEchoEnd = frame_offset::kStatus;

bool EchoesWhole(const Report& request, const Report& reply) {
  return std::equal(request.begin() + kEchoFirst, request.begin() + kEchoEnd, reply.begin() + kEchoFirst);
}

}  // namespace

bool DeviceLink::Answers(const Report& request, const Report& reply) const {
  return !echoes_requests_ || EchoesWhole(request, reply);
}

void DeviceLink::DiscardLateReplies() {
  if (late_replies_ <= 0) return;
  const int outstanding = late_replies_;
  late_replies_ = 0;
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(outstanding * kReadTimeoutMs);
  // Each earlier attempt sends at most one reply; once the interface has
  // been quiet for a whole read limit the rest are taken as lost.
  for (int discarded = 0; discarded < outstanding; ++discarded) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return;
    Report in{};
    std::size_t moved = 0;
    bool read;
    {
      std::lock_guard lock(device_lock_);
      read = device_.Read(in, moved, static_cast<int>(std::min<long long>(left, kReadTimeoutMs)));
    }
    if (!read) return;
    Trace(TraceLateReplyLine(in));
  }
}

bool DeviceLink::ReadReplyFor(const Report& request, Report& reply) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
  int timeout = kReadTimeoutMs;
  // A reply echoing another request is not this one's; the real one may
  // still come within the limit. Bounded by count as well as by time, as no
  // more stale replies can be waiting than attempts were made before.
  for (int foreign = 0; foreign <= kCommandAttempts; ++foreign) {
    Report in{};
    std::size_t moved = 0;
    bool read;
    {
      std::lock_guard lock(device_lock_);
      read = device_.Read(in, moved, timeout);
    }
    if (!read) return false;
    if (Answers(request, in)) {
      Trace(TraceReplyLine(in));
      // Learnt only from a request whose every echoed byte says something.
      if (!echoes_requests_ && request[frame_offset::kLength] != 0 &&
          (request[frame_offset::kOffset] != 0 || request[frame_offset::kOffset + 1] != 0) &&
          EchoesWhole(request, in))
        echoes_requests_ = true;
      reply = in;
      return true;
    }
    Trace(TraceLateReplyLine(in));
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    timeout = static_cast<int>(left);
  }
  return false;
}

int DeviceLink::SendCommand(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) {
  if (!device_open_) return kResultNoReply;
  Report out{};
  std::copy_n(request.begin(), std::min(request.size(), kReportSize), out.begin());
  const bool end = IsEndTransfer(out);

  std::lock_guard exchange(exchange_lock_);
  if (const unsigned opening = openings_; opening != state_opening_) {
    // Another connection (perhaps another keyboard): nothing learnt holds.
    state_opening_ = opening;
    late_replies_ = 0;
    echoes_requests_ = false;
    bracket_open_ = false;
  }
  // Stopping: nothing new is started; a transfer this link opened is still
  // closed, so the keyboard does not stay inside it.
  if (StopRequested() && !(end && bracket_open_)) return kResultStopped;
  DiscardLateReplies();
  for (int attempt = 0; attempt < kCommandAttempts; ++attempt) {
    if (attempt > 0 && StopRequested() && !end) {
      late_replies_ = attempt;
      return kResultStopped;
    }
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
    if (!written) {
      late_replies_ = attempt;
      return kResultWriteFailed;
    }
    // The keyboard has the request: a begin opened the bracket and an end
    // closed it, whatever becomes of the reply.
    if (out[frame_offset::kCommand] == static_cast<std::uint8_t>(Command::kBeginTransfer)) bracket_open_ = true;
    if (end) bracket_open_ = false;

    Report in{};
    if (ReadReplyFor(out, in)) {
      // The other attempts' replies may still come.
      late_replies_ = attempt;
      const std::size_t n = std::min(reply.size(), kReportSize);
      std::copy_n(in.begin(), n, reply.begin());
      return kResultDone;
    }
    Trace(kTraceTimeoutLine);
  }
  late_replies_ = kCommandAttempts;
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
