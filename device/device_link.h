#pragma once
// The keyboard's command set over its command interface.
//
// Every operation returns a command result (report_frame.h): 1 done; 0 no
// keyboard (nothing sent) or no reply after four attempts; -1 the output
// report could not be written within 1000 ms; -2 the program is stopping
// (SetStopFlag) and nothing was sent; -102 / -103 the keyboard refused
// (status 0xFF / 0xFE); -201 the request cannot be addressed (profile above 3,
// a run outside the profile's block, a buffer too small for the area) and
// nothing was sent. Everything but 1 is failure.
//
// Late replies. A keyboard that answers after the read gave up (a busy hub,
// another program talking to it) still sends its reply; taken as the answer
// to the next request it would shift every read after it by one. So:
// - before each request, input reports already waiting are thrown away;
// - after an exchange that took more than one attempt (or failed), the
//   replies of its other attempts may still be on their way: before the next
//   request the link keeps throwing away what arrives until the interface has
//   been quiet for one read limit (300 ms), at most attempts x 300 ms and at
//   most one report per outstanding attempt;
// - once the keyboard has shown that it echoes a request's bytes 3..6
//   (command, length, offset) in its reply, a reply whose bytes 3..6 differ
//   from the request's is thrown away and the read goes on within its limit.
//   A keyboard that never echoes them never turns the check on, and one that
//   echoes only some of them cannot turn it on either: it is learnt only from
//   a reply that repeats a request with a non-zero length and offset whole.
//   A wrong guess can only make a command fail, never take foreign data.
//
// Locking: the device lock is taken for each single write and each single read,
// never across the pair. Whole exchanges are additionally serialised among
// themselves, so a command issued on one thread can never take the reply meant
// for another thread's command; sequences (begin ... end) are not protected and
// belong to the caller.
//
// Brackets: writes of the lighting area, key colours, key matrices and macro
// memory, and reads of the lighting area, must be sent between BeginTransfer()
// and EndTransfer(); the keyboard refuses them otherwise. Reads of the device
// information, key matrices, macro memory and default matrix and writes of the
// device information go without.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string_view>

#include "device/device_info_record.h"
#include "device/hid_device.h"
#include "device/report_frame.h"

namespace zarvel {

inline constexpr int kWriteTimeoutMs = 1000;
inline constexpr int kReadTimeoutMs = 300;
inline constexpr int kCommandAttempts = 4;
inline constexpr int kEndTransferDelayMs = 10;
inline constexpr int kKeyboardProfiles = 4;
inline constexpr std::size_t kKeyColourBlockSize = 512;

class DeviceLink {
 public:
  // Receives one trace line per report moved (see report_frame.h), in order.
  using TraceHook = std::function<void(std::string_view line)>;

  explicit DeviceLink(HidDevice& command_interface);
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  HidDevice& CommandInterface() { return device_; }

  // Link state, set by the connection monitor: while the device-open flag is
  // false every command returns 0 at once.
  void SetDeviceOpen(bool open);
  bool IsDeviceOpen() const { return device_open_; }
  void SetKeyMatrixGeometry(std::uint16_t size, std::uint16_t stride);
  std::uint16_t KeyMatrixSize() const { return key_matrix_size_; }
  std::uint16_t KeyMatrixStride() const { return key_matrix_stride_; }

  void SetTraceHook(TraceHook hook);

  // A flag set from outside (a signal handler: it only stores to it) when the
  // program must stop. While it is non-zero the current exchange is finished
  // or given up between attempts, every further command returns -2 without
  // sending anything, and only the end of a transfer opened by this link is
  // still sent, so the keyboard is never left inside an open bracket.
  void SetStopFlag(const std::atomic<int>* flag) { stop_flag_ = flag; }
  bool StopRequested() const {
    const std::atomic<int>* flag = stop_flag_;
    return flag != nullptr && flag->load(std::memory_order_relaxed) != 0;
  }

  // One exchange: `request` (at most 64 bytes, zero-padded) is written, one
  // reply is read into `reply` (its first min(64, size) bytes; the rest of a
  // short reply reads as 0). Up to four attempts; 1, 0 or -1.
  int SendCommand(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply);

  int BeginTransfer();
  int EndTransfer();  // waits 10 ms first, so the keyboard finishes the last write

  int ReadDeviceInfo(DeviceInfoRecord& out);
  int WriteDeviceInfo(const DeviceInfoRecord& record);
  // Read-modify-write of the active profile byte; every other byte goes back
  // as read. -201 for a profile above 3.
  int WriteActiveProfile(int profile);

  // `out.size()` / `data.size()` bytes (at most 56) at `offset` of the lighting area.
  int ReadLighting(std::span<std::uint8_t> out, std::uint16_t offset);
  int WriteLighting(std::span<const std::uint8_t> data, std::uint16_t offset);

  // Key-matrix size bytes of `profile`'s slot; buffers hold at least that
  // (the callers' buffers are 512 bytes).
  int ReadKeyMatrix(std::span<std::uint8_t> out, int profile);
  int WriteKeyMatrix(std::span<const std::uint8_t> data, int profile);
  int ReadDefaultKeyMatrix(std::span<std::uint8_t> out);

  // `out.size()` / `data.size()` bytes of the macro memory from offset 0.
  int ReadMacroArea(std::span<std::uint8_t> out);
  int WriteMacroArea(std::span<const std::uint8_t> data);

  // `data` (at most 56 bytes) at colour index `first_colour_index` of
  // `profile`'s 512-byte block; the run must stay inside that block.
  int WriteKeyColours(int profile, std::span<const std::uint8_t> data, int first_colour_index);

 private:
  int Exchange(const Report& request, Report& reply);
  // Called with the exchange lock held.
  void DiscardLateReplies();
  bool ReadReplyFor(const Report& request, Report& reply);
  bool Answers(const Report& request, const Report& reply) const;
  int Simple(const Report& request, std::span<std::uint8_t> out, std::size_t out_length);
  int Pieces(Command command, std::uint32_t base, std::size_t length, std::span<std::uint8_t> read_into,
             std::span<const std::uint8_t> write_from);
  void Trace(std::string_view line);

  HidDevice& device_;
  std::atomic<bool> device_open_{false};
  std::atomic<std::uint16_t> key_matrix_size_;
  std::atomic<std::uint16_t> key_matrix_stride_;
  std::mutex device_lock_;
  std::mutex exchange_lock_;
  std::mutex trace_lock_;
  TraceHook trace_;
  std::atomic<const std::atomic<int>*> stop_flag_{nullptr};
  // Under the exchange lock: replies of earlier attempts that may still come,
  // whether the keyboard echoes requests, whether a bracket is open.
  // What is learnt about one connection is forgotten at the next opening:
  // SetDeviceOpen(true) counts openings, the exchange notices the change.
  std::atomic<unsigned> openings_{0};
  unsigned state_opening_ = 0;
  int late_replies_ = 0;
  bool echoes_requests_ = false;
  bool bracket_open_ = false;
};

}  // namespace zarvel
