#pragma once
// The 64-byte request and reply reports of the keyboard's command interface.
//
// Request (output report), little-endian, every byte not named is 0:
//   0  report id  0x04
//   1  checksum   u16: sum of bytes 3..63 as unsigned bytes, truncated to 16 bits
//   3  command    command code
//   4  length     payload bytes in this report, at most 56
//   5  offset     u16: position inside the addressed data area
//   7  status     0 in every request
//   8  payload    56 bytes; bytes beyond the length are 0
// Reply (input report): byte 7 is the keyboard's status (0xFF and 0xFE are
// refusals, anything else is success), bytes 8.. carry the data of a read.
// Bytes 3..6 are compared with the request only once the keyboard has shown
// that it echoes them (see device_link.h); no other reply byte is looked at.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zarvel {

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kMaxPayload = 56;
inline constexpr std::uint8_t kCommandReportId = 0x04;

namespace frame_offset {
inline constexpr std::size_t kReportId = 0;
inline constexpr std::size_t kChecksum = 1;
inline constexpr std::size_t kCommand = 3;
inline constexpr std::size_t kLength = 4;
inline constexpr std::size_t kOffset = 5;
inline constexpr std::size_t kStatus = 7;
inline constexpr std::size_t kPayload = 8;
}  // namespace frame_offset
static_assert(frame_offset::kPayload + kMaxPayload == kReportSize, "a report is 64 bytes");

// Command codes.
enum class Command : std::uint8_t {
  kBeginTransfer = 0x01,
  kEndTransfer = 0x02,
  kReadDeviceInfo = 0x03,
  kWriteDeviceInfo = 0x04,
  kReadLighting = 0x05,
  kWriteLighting = 0x06,
  kReadKeyMatrix = 0x07,
  kWriteKeyMatrix = 0x08,
  kReadMacroArea = 0x09,
  kWriteMacroArea = 0x0A,
  kReadDefaultKeyMatrix = 0x0F,
  kWriteKeyColours = 0x11,
};

// Reply statuses the keyboard refuses with.
inline constexpr std::uint8_t kStatusRefused = 0xFF;
inline constexpr std::uint8_t kStatusRefusedState = 0xFE;

// Command results.
inline constexpr int kResultDone = 1;
inline constexpr int kResultNoReply = 0;          // no keyboard, or no reply after four attempts
inline constexpr int kResultWriteFailed = -1;
inline constexpr int kResultStopped = -2;          // the program is stopping: nothing was sent
inline constexpr int kResultRefused = -102;        // status 0xFF
inline constexpr int kResultRefusedState = -103;   // status 0xFE
inline constexpr int kResultBadProfile = -201;     // nothing was sent

using Report = std::array<std::uint8_t, kReportSize>;

// Sum of bytes 3..63 of a report, truncated to 16 bits.
std::uint16_t ReportChecksum(std::span<const std::uint8_t, kReportSize> report);

// A finished request: header, payload (at most 56 bytes; more is cut), checksum.
Report BuildRequest(Command command, std::uint8_t length, std::uint16_t offset,
                    std::span<const std::uint8_t> payload = {});

// Begin and end carry their code as the 32-bit value of bytes 3..6.
Report BuildBracketRequest(Command command);

// 1 for success, -102 / -103 for the two refusal statuses.
int ReplyStatusResult(std::span<const std::uint8_t, kReportSize> reply);

// Trace lines: "> " or "< " and the 64 bytes as two lower-case hex digits
// separated by single spaces; "< timeout" for a read that got no reply;
// "< late " and the 64 bytes for a reply thrown away because it answered an
// earlier request.
std::string TraceRequestLine(std::span<const std::uint8_t> report);
std::string TraceReplyLine(std::span<const std::uint8_t> report);
std::string TraceLateReplyLine(std::span<const std::uint8_t> report);
inline constexpr const char* kTraceTimeoutLine = "< timeout";

}  // namespace zarvel
