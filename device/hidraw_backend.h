#pragma once
// The Linux backend: the kernel's hidraw nodes.
//
// Enumeration walks <sysfs_root>/hidrawN (default /sys/class/hidraw) and reads
// the parent HID device's `uevent` (HID_ID=0003:00000C45:00005004) and
// `report_descriptor` files; nothing is opened to identify a device. Each node
// is listed as "<dev_root>/hidrawN#vid_0c45&pid_5004" (lower-case hex, four
// digits), or as the bare node path when its ids cannot be read. Open() uses
// the part before '#'.
//
// Transfers (see hid_backend.h for the byte contract):
// - Write: byte 0 is the report id, 0 for an interface without ids; hidraw
//   takes the buffer exactly so. The kernel's write() blocks until the report
//   left the USB stack, for up to 5 s, and poll() reports the node writable at
//   all times, so the time limit is enforced here: the write runs on a helper
//   thread that belongs to the open node, and the caller waits for it with the
//   limit and the cancel event. A write that runs past its limit is reported
//   as failed; the next write waits for it to finish (within its own limit).
// - Read: hidraw hands numbered reports with their id in byte 0 and unnumbered
//   reports without one; for the latter the data is moved to byte 1 and byte 0
//   is 0, so callers see one form.
// - Unplug: poll's POLLERR/POLLHUP/POLLNVAL or EIO/ENODEV give kFailed.
#include <string>

#include "device/hid_backend.h"

namespace zarvel {

// What the sysfs tree says about one node, read without opening it.
struct HidrawNodeInfo {
  std::string path;  // as listed, with the "#vid_..&pid_.." suffix when known
  bool has_ids = false;
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  std::vector<std::uint8_t> report_descriptor;  // empty when unreadable
};

class HidrawBackend : public HidBackend {
 public:
  explicit HidrawBackend(std::string sysfs_root = "/sys/class/hidraw", std::string dev_root = "/dev");

  bool ListPaths(std::vector<std::string>& paths) override;
  std::unique_ptr<HidHandle> Open(const std::string& path, const HidOpenOptions& options) override;
  bool IsPresent(const std::string& path) override;

  // Every node with what sysfs says about it (for listings and diagnostics).
  bool ListNodes(std::vector<HidrawNodeInfo>& nodes);

 private:
  std::string sysfs_root_;
  std::string dev_root_;
};

// Adopts an open hidraw descriptor (closed by the handle). `numbered_reports`
// tells whether the interface's reports carry an id byte on the wire.
std::unique_ptr<HidHandle> MakeHidrawHandle(int fd, HidInterfaceFacts facts, bool numbered_reports);

// "HID_ID=0003:00000C45:00005004" somewhere in a uevent file's text.
bool ParseHidUevent(const std::string& text, std::uint16_t& vendor_id, std::uint16_t& product_id);

}  // namespace zarvel
