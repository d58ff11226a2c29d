#include "device/device_discovery.h"

#include <cctype>
#include <cstddef>
#include <string>

namespace zarvel {
namespace {

std::size_t FindMarker(std::string_view path, std::string_view marker) {
  if (path.size() < marker.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + marker.size() <= path.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < marker.size() && same; ++k)
      same = std::tolower(static_cast<unsigned char>(path[i + k])) == marker[k];
    if (same) return i;
  }
  return std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%x" semantics: the value wraps like an unsigned int, a '-' negates it.
std::uint16_t ReadHexAfter(std::string_view path, std::string_view marker) {
  const std::size_t at = FindMarker(path, marker);
  if (at == std::string_view::npos) return 0;
  std::size_t i = at + marker.size();
  while (i < path.size() && std::isspace(static_cast<unsigned char>(path[i]))) ++i;
  bool negative = false;
  if (i < path.size() && (path[i] == '+' || path[i] == '-')) negative = path[i++] == '-';
  if (i + 2 < path.size() && path[i] == '0' && (path[i + 1] == 'x' || path[i + 1] == 'X') && HexDigit(path[i + 2]) >= 0)
    i += 2;
  std::uint32_t value = 0;
  bool any = false;
  for (; i < path.size() && HexDigit(path[i]) >= 0; ++i) {
    value = value * 16 + static_cast<std::uint32_t>(HexDigit(path[i]));
    any = true;
  }
  if (!any) return 0;
  if (negative) value = 0u - value;
  return static_cast<std::uint16_t>(value & 0xFFFF);
}

struct InterfaceUsage {
  std::uint16_t usage_page;
  std::uint16_t usage;
};

InterfaceUsage UsageOf(KeyboardInterface which) {
  return which == KeyboardInterface::kCommand ? InterfaceUsage{kCommandUsagePage, kCommandUsage}
                                              : InterfaceUsage{kNotificationUsagePage, kNotificationUsage};
}

}  // namespace

PathIds ReadPathIds(std::string_view path) { return PathIds{ReadHexAfter(path, "vid_"), ReadHexAfter(path, "pid_")}; }

const DeviceVariant* IdentifyDevicePath(std::string_view path) {
  const PathIds ids = ReadPathIds(path);
  return FindDeviceVariant(ids.vendor_id, ids.product_id);
}

const DeviceVariant* VerifyOpenedInterface(HidDevice& device, KeyboardInterface which) {
  const HidAttributes attributes = device.Attributes();
  const DeviceVariant* variant = FindDeviceVariant(attributes.vendor_id, attributes.product_id);
  if (variant == nullptr) return nullptr;
  const InterfaceUsage usage = UsageOf(which);
  // A hidraw node may carry several top-level collections; the one sought is
  // made the one the record presents.
  if (!device.SelectCollection(usage.usage_page, usage.usage)) return nullptr;
  return variant;
}

const DeviceVariant* OpenFirstInterface(HidDevice& device, KeyboardInterface which, StopSignal* stop) {
  const bool command = which == KeyboardInterface::kCommand;
  while (std::optional<std::string> path = device.NextPath()) {
    if (IdentifyDevicePath(*path) == nullptr) continue;
    const DeviceVariant* found = nullptr;
    auto attempt = [&] {
      if (device.Open(*path, /*want_read=*/true, /*want_write=*/command, /*overlapped=*/true, /*exclusive=*/false))
        found = VerifyOpenedInterface(device, which);
      if (found == nullptr) device.Close();
    };
    if (stop == nullptr) {
      attempt();
    } else if (!stop->RunUnlessStopped(attempt)) {
      return nullptr;
    }
    if (found != nullptr) return found;
  }
  return nullptr;
}

bool FirmwareNeedsUpdate(const DeviceVariant* variant, std::uint16_t firmware_version) {
  if (variant == nullptr || variant->vendor_id != 0x0C45 || variant->product_id != 0x5004) return false;
  return firmware_version >= 1 && firmware_version < kFirstCurrentFirmware;
}

}  // namespace zarvel
