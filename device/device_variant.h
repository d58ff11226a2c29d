#pragma once
// The keyboards this program drives, and how their interfaces are told apart.
//
// The two variants differ only in the size of one profile's key matrix and in
// the distance between consecutive profiles' matrices in keyboard memory.
#include <array>
#include <cstdint>

namespace zarvel {

struct DeviceVariant {
  std::uint16_t vendor_id;
  std::uint16_t product_id;
  std::uint16_t key_matrix_size;
  std::uint16_t key_matrix_stride;
};

inline constexpr std::array<DeviceVariant, 2> kDeviceVariants{{
    {0x0C45, 0x5004, 378, 378},
    {0x320F, 0x5000, 384, 512},
}};

// The pair must match one variant; halves of different variants do not count.
inline const DeviceVariant* FindDeviceVariant(std::uint16_t vendor_id, std::uint16_t product_id) {
  for (const DeviceVariant& v : kDeviceVariants)
    if (v.vendor_id == vendor_id && v.product_id == product_id) return &v;
  return nullptr;
}

// Matrix geometry assumed until a keyboard has been found.
inline constexpr std::uint16_t kInitialKeyMatrixSize = 378;
inline constexpr std::uint16_t kInitialKeyMatrixStride = 378;

// Top-level collections of the keyboard's interfaces.
inline constexpr std::uint16_t kCommandUsagePage = 0xFF1C;
inline constexpr std::uint16_t kCommandUsage = 0x92;
inline constexpr std::uint16_t kNotificationUsagePage = 0x000C;
inline constexpr std::uint16_t kNotificationUsage = 0x0001;

// What the keyboard announces on its notification interface.
inline constexpr std::uint16_t kProfileNotification = 0x0401;
inline constexpr std::uint16_t kReloadNotification = 0x0402;
inline constexpr std::uint16_t kIndicatorOffNotification = 0x1810;
inline constexpr std::uint16_t kIndicatorOnNotification = 0x1811;

}  // namespace zarvel
