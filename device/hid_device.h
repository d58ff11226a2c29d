#pragma once
// One HID interface of the keyboard, open or closed.
//
// The program keeps two of these for its whole run: one for the command
// interface (the connection monitor opens and closes it; whichever thread sends
// a command writes and reads it under the device lock) and one for the
// notification interface (the input listener's alone). Each is reused for every
// open and close.
//
// Byte contract (also see hid_backend.h):
// - Byte 0 of every report buffer is the report id (0 when the interface uses
//   none); Capabilities() lengths count that byte.
// - Read() and Write() move one whole report; `bytes` receives how many bytes
//   moved, 0 on failure. A timeout of -1 waits without limit.
// - Open() and Close() abandon a Read() or Write() pending on another thread:
//   it returns false at once.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace zarvel {

// The longest device path a record holds; a longer path is refused by Open().
inline constexpr std::size_t kMaxDevicePathLength = 259;

struct HidCapabilities {
  std::uint16_t usage_page = 0;
  std::uint16_t usage = 0;
  std::uint16_t input_report_length = 0;   // id byte included
  std::uint16_t output_report_length = 0;
  std::uint16_t feature_report_length = 0;
  std::uint16_t input_button_caps = 0;
  std::uint16_t input_value_caps = 0;
};

struct HidAttributes {
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  std::uint16_t version = 0;
};

inline constexpr std::int32_t kHidStatusSuccess = 0x00110000;
inline constexpr std::int32_t kHidStatusIncompatibleReportId = static_cast<std::int32_t>(0xC011000A);
inline constexpr std::int32_t kHidStatusUsageNotFound = static_cast<std::int32_t>(0xC0110004);

// One field of an input report, as decoded by ParseInputReport().
struct HidData {
  bool is_button = false;
  std::uint16_t usage_page = 0;
  std::int32_t status = kHidStatusSuccess;
  std::uint8_t report_id = 0;
  bool is_set = false;
  // Button fields: the usage range reported, and the usages pressed in the last
  // parsed report, followed by a 0 when fewer than the capacity.
  std::uint32_t usage_min = 0;
  std::uint32_t usage_max = 0;
  std::uint32_t usage_list_capacity = 0;
  std::vector<std::uint16_t> usage_list;
  // Value fields.
  std::uint32_t usage = 0;
  std::uint32_t raw_value = 0;
  std::int32_t scaled_value = 0;
};

class HidDevice {
 public:
  explicit HidDevice(HidBackend& backend);
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Path list: BuildPathList() replaces it with every present interface and
  // rewinds; NextPath() hands out the next one, none when exhausted.
  bool BuildPathList();
  std::optional<std::string> NextPath();
  void FreePathList();
  std::size_t PathCount() const;

  // (Re)opens `path` (the part before '#' names the node). False when it cannot
  // be opened or its report descriptor cannot be read; the record is then closed.
  bool Open(const std::string& path, bool want_read, bool want_write, bool overlapped, bool exclusive);
  // False when nothing was open.
  bool Close();
  bool IsOpen() const;

  bool Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms);
  bool Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int timeout_ms);
  // Drops input reports that were queued before now (stale replies).
  std::size_t DiscardQueuedInput();
  // Presence probe on the path last opened; opens nothing for transfers.
  bool IsPresent();

  // Makes another top-level collection of the open interface the one whose
  // capabilities and input fields this record presents (an interface on Linux
  // may carry several). False when the interface has no such collection.
  bool SelectCollection(std::uint16_t usage_page, std::uint16_t usage);

  // Decodes one input report (byte 0 = report id) into the input fields.
  bool ParseInputReport(std::span<const std::uint8_t> report);

  // Snapshots of the per-open state; empty or zero while closed.
  std::string DevicePath() const;
  HidCapabilities Capabilities() const;
  HidAttributes Attributes() const;
  // Only for the single thread that reads and parses this interface.
  const std::vector<HidData>& InputFields() const { return fields_; }
  std::span<std::uint8_t> InputReportBuffer() { return input_report_; }

  HidBackend& Backend() { return backend_; }

 private:
  void CloseLocked(std::unique_lock<std::mutex>& lock);
  void BuildTables(std::size_t collection);
  std::shared_ptr<HidHandle> BeginTransfer();
  void EndTransfer();

  HidBackend& backend_;
  std::vector<std::string> paths_;
  std::size_t cursor_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable idle_;
  CancelEvent cancel_;
  std::shared_ptr<HidHandle> handle_;
  int pending_ = 0;  // transfers in progress on any thread
  HidOpenOptions options_;
  std::string path_;
  ReportDescriptorInfo descriptor_;
  std::size_t collection_ = 0;
  HidCapabilities caps_;
  HidAttributes attributes_;
  std::vector<std::uint8_t> input_report_;
  std::vector<HidData> fields_;
};

}  // namespace zarvel
