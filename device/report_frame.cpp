#include "device/report_frame.h"

#include <algorithm>

#include "model/byte_io.h"

namespace zarvel {
namespace {

std::string HexLine(const char* prefix, std::span<const std::uint8_t> report) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line = prefix;
  line.reserve(2 + kReportSize * 3);
  // Always 64 bytes, so lines of one trace line up whatever a backend returned.
  for (std::size_t i = 0; i < kReportSize; ++i) {
    const std::uint8_t b = i < report.size() ? report[i] : 0;
    if (i) line += ' ';
    line += kDigits[b >> 4];
    line += kDigits[b & 15];
  }
  return line;
}

}  // namespace

std::uint16_t ReportChecksum(std::span<const std::uint8_t, kReportSize> report) {
  unsigned sum = 0;
  for (std::size_t i = frame_offset::kCommand; i < kReportSize; ++i) sum += report[i];
  return static_cast<std::uint16_t>(sum);
}

Report BuildRequest(Command command, std::uint8_t length, std::uint16_t offset,
                    std::span<const std::uint8_t> payload) {
  Report r{};
  ByteWriter w(r);
  w.U8(frame_offset::kReportId, kCommandReportId);
  w.U8(frame_offset::kCommand, static_cast<std::uint8_t>(command));
  w.U8(frame_offset::kLength, length);
  w.U16(frame_offset::kOffset, offset);
  w.Bytes(frame_offset::kPayload, payload.first(std::min(payload.size(), kMaxPayload)));
  w.U16(frame_offset::kChecksum, ReportChecksum(r));
  return r;
}

Report BuildBracketRequest(Command command) {
  Report r{};
  ByteWriter w(r);
  w.U8(frame_offset::kReportId, kCommandReportId);
  w.U32(frame_offset::kCommand, static_cast<std::uint32_t>(command));
  w.U16(frame_offset::kChecksum, ReportChecksum(r));
  return r;
}

int ReplyStatusResult(std::span<const std::uint8_t, kReportSize> reply) {
  switch (reply[frame_offset::kStatus]) {
    case kStatusRefused: return kResultRefused;
    case kStatusRefusedState: return kResultRefusedState;
    default: return kResultDone;
  }
}

std::string TraceRequestLine(std::span<const std::uint8_t> report) { return HexLine("> ", report); }
std::string TraceReplyLine(std::span<const std::uint8_t> report) { return HexLine("< ", report); }
std::string TraceLateReplyLine(std::span<const std::uint8_t> report) { return HexLine("< late ", report); }

}  // namespace zarvel
