#pragma once
// The HID backend that shows simulated devices instead of the system's.
//
// Usage, the same in tests, benchmarks and `--simulate`:
//
//   SimulatedKeyboard keyboard;                 // or (kDeviceVariants[1], "state.txt")
//   SimulatedBackend backend(keyboard);
//   HidDevice command(backend);
//   DeviceLink link(command);
//
// Paths look like "/sim/hidraw1#vid_0c45&pid_5004". Foreign devices added with
// AddForeignDevice() are listed first, then the keyboard's boot keyboard,
// command and notification interfaces. While the keyboard is unplugged its
// interfaces are not listed, cannot be opened and are not present.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/simulated_keyboard.h"

namespace zarvel {

class SimulatedBackend : public HidBackend {
 public:
  explicit SimulatedBackend(SimulatedKeyboard& keyboard);

  // Another HID interface on the system: it opens and takes writes, and never
  // sends anything. Set up before any thread enumerates.
  void AddForeignDevice(std::uint16_t vendor_id, std::uint16_t product_id,
                        std::span<const std::uint8_t> report_descriptor);
  // Makes ListPaths() fail, as a broken system enumeration would.
  void SetEnumerationFails(bool fails) { enumeration_fails_ = fails; }

  // The listed path of one of the keyboard's interfaces.
  std::string PathOf(SimulatedInterface which) const;

  bool ListPaths(std::vector<std::string>& paths) override;
  std::unique_ptr<HidHandle> Open(const std::string& path, const HidOpenOptions& options) override;
  bool IsPresent(const std::string& path) override;

 private:
  struct Foreign {
    std::string path;
    HidInterfaceFacts facts;
  };
  SimulatedKeyboard& keyboard_;
  std::vector<Foreign> foreign_;
  bool enumeration_fails_ = false;
};

}  // namespace zarvel
