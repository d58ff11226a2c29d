#pragma once
// What the program knows about the connected keyboard, beside the link state
// the command layer keeps (device-open flag, key-matrix geometry).
//
// One instance lives as long as the program. The connection monitor writes
// it; the window's thread and the listener's indicator threads read it. Every
// member is safe to read and write from any thread.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "device/device_variant.h"
#include "device/main_window_link.h"

namespace zarvel {

// One key-matrix slot as the program keeps it; the keyboard fills the first
// key-matrix-size bytes.
inline constexpr std::size_t kKeyMatrixSlotSize = 512;
using KeyMatrixSlot = std::array<std::uint8_t, kKeyMatrixSlotSize>;

class ConnectionContext {
 public:
  // `initial_default_matrix`: the factory matrix assumed until a keyboard has
  // been read.
  explicit ConnectionContext(const KeyMatrixSlot& initial_default_matrix = {})
      : default_matrix_(initial_default_matrix) {}
  ConnectionContext(const ConnectionContext&) = delete;
  ConnectionContext& operator=(const ConnectionContext&) = delete;

  // The last state reported to the rest of the program: 0 or 1.
  int State() const { return state_; }
  void SetState(int state) { state_ = state; }

  // When false, the first connection of the run shows the main window.
  bool StartHidden() const { return start_hidden_; }
  void SetStartHidden(bool hidden) { start_hidden_ = hidden; }

  // The keyboard's active profile as last read, -1 when unknown.
  int ActiveProfileCache() const { return active_profile_; }
  void SetActiveProfileCache(int profile) { active_profile_ = profile; }

  // Bytes of macro memory of the connected keyboard; 0 until one was read.
  std::size_t MacroCapacity() const { return macro_capacity_; }
  void SetMacroCapacity(std::size_t bytes) { macro_capacity_ = bytes; }

  // The keyboard's factory key matrix as last read.
  KeyMatrixSlot DefaultMatrix() const {
    std::lock_guard lock(matrix_lock_);
    return default_matrix_;
  }
  void SetDefaultMatrix(const KeyMatrixSlot& matrix) {
    std::lock_guard lock(matrix_lock_);
    default_matrix_ = matrix;
  }

  // The tray picture of the current connection state; the indicator-off
  // announcement brings it back.
  int ConnectionIcon() const { return connection_icon_; }
  void SetConnectionIcon(int icon) { connection_icon_ = icon; }

  // Ids of the command interface opened last (0 before any); the firmware
  // check depends on the variant.
  std::uint32_t LastOpenedIds() const { return last_ids_; }
  void SetLastOpenedIds(std::uint16_t vendor_id, std::uint16_t product_id) {
    last_ids_ = (std::uint32_t{vendor_id} << 16) | product_id;
  }
  const DeviceVariant* LastOpenedVariant() const {
    const std::uint32_t ids = last_ids_;
    return FindDeviceVariant(static_cast<std::uint16_t>(ids >> 16), static_cast<std::uint16_t>(ids & 0xFFFF));
  }

 private:
  std::atomic<int> state_{0};
  std::atomic<bool> start_hidden_{false};
  std::atomic<int> active_profile_{-1};
  std::atomic<std::size_t> macro_capacity_{0};
  std::atomic<int> connection_icon_{kNotConnectedTrayIcon};
  std::atomic<std::uint32_t> last_ids_{0};
  mutable std::mutex matrix_lock_;
  KeyMatrixSlot default_matrix_;
};

}  // namespace zarvel
