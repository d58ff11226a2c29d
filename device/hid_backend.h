#pragma once
// The seam between the HID layer and whatever carries the reports: the kernel's
// hidraw nodes (hidraw_backend.h) or the simulated keyboard
// (simulated_backend.h).
//
// There is deliberately no default backend. A `HidDevice` must be handed one,
// so a test that builds its context with the simulated backend cannot reach a
// real keyboard by accident.
//
// Byte contract of every transfer, whatever the backend:
// - Byte 0 of a report buffer is the report id; 0 for an interface whose
//   reports carry no id. The data follows from byte 1.
// - A write moves one whole output report; a read returns one whole input
//   report (at most the buffer's length).
// - A timeout of -1 waits without limit; 0 only looks.
// - `cancel_fd` is an eventfd; when it becomes readable the transfer gives up
//   with kCancelled. It is never read by the transfer (the owner resets it).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zarvel {

enum class HidTransfer {
  kDone,
  kTimeout,
  kCancelled,
  kFailed,  // I/O error, or the interface went away (unplugged)
};

struct HidOpenOptions {
  bool want_read = false;
  bool want_write = false;
  bool overlapped = true;
  bool exclusive = false;
};

// What an opened interface tells about itself.
struct HidInterfaceFacts {
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  std::uint16_t version = 0;
  std::vector<std::uint8_t> report_descriptor;
};

// One opened interface. Read and Write may run at the same time on different
// threads; two reads (or two writes) at once are the caller's to avoid.
class HidHandle {
 public:
  virtual ~HidHandle() = default;
  virtual const HidInterfaceFacts& Facts() const = 0;
  virtual HidTransfer Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms,
                           int cancel_fd) = 0;
  virtual HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int timeout_ms,
                            int cancel_fd) = 0;
  // Throws away input reports already queued for this handle (replies that
  // arrived after their read gave up). Returns how many were dropped.
  virtual std::size_t DiscardQueuedInput() = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // Paths of every HID interface present, in a stable order. The paths carry
  // the interface's ids as "#vid_XXXX&pid_XXXX" where the backend knows them,
  // so callers can pick candidates without opening anything. False when the
  // system could not be asked at all.
  virtual bool ListPaths(std::vector<std::string>& paths) = 0;
  // Null when the interface cannot be opened with those options.
  virtual std::unique_ptr<HidHandle> Open(const std::string& path, const HidOpenOptions& options) = 0;
  // Whether the interface behind `path` is still there, without opening it for
  // transfers (the connection monitor's presence probe).
  virtual bool IsPresent(const std::string& path) = 0;
};

// The eventfd a HidDevice raises to abandon pending transfers.
class CancelEvent {
 public:
  CancelEvent();
  ~CancelEvent();
  CancelEvent(const CancelEvent&) = delete;
  CancelEvent& operator=(const CancelEvent&) = delete;
  int fd() const { return fd_; }
  void Signal();
  void Reset();

 private:
  int fd_ = -1;
};

// Waits until `fd` is readable, `cancel_fd` is readable, or `timeout_ms`
// passes (-1: no limit). Interrupted waits resume with the time left.
enum class WaitResult { kReady, kCancelled, kTimeout, kHangup };
WaitResult WaitReadable(int fd, int cancel_fd, int timeout_ms);

}  // namespace zarvel
