#pragma once
// Finding the keyboard's interfaces among all HID interfaces.
//
// A path is a candidate when the ids it spells ("vid_XXXX", "pid_XXXX", any
// case) form the pair of a supported variant; nothing is opened to decide
// that, so other HID devices are never touched. A candidate is then opened and
// verified: the opened interface must carry a supported pair (the pair, not
// each half on its own) and the top-level collection of the interface sought.
// A keyboard exposes several interfaces with the same ids (its boot keyboard,
// for one); only the collection tells them apart.
#include <cstdint>
#include <string_view>

#include "device/device_variant.h"
#include "device/hid_device.h"
#include "device/stop_signal.h"

namespace zarvel {

struct PathIds {
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
};

// The numbers after the first "vid_" and "pid_" of `path` (case-insensitive),
// read as hexadecimal the way "%x" reads them: leading blanks, an optional sign
// and "0x" are accepted, digits run to the first other character. A missing or
// unreadable number is 0. Only the low 16 bits are kept.
PathIds ReadPathIds(std::string_view path);

// The variant whose pair the path spells; nullptr when it is not a candidate.
const DeviceVariant* IdentifyDevicePath(std::string_view path);

enum class KeyboardInterface {
  kCommand,       // usage page 0xFF1C, usage 0x92: requests and replies
  kNotification,  // usage page 0x000C, usage 0x0001: the keyboard's announcements
};

// With `device` open on a candidate: the variant of its ids when they are a
// supported pair and the interface carries the collection of `which`, which is
// then the collection `device` presents. nullptr otherwise.
const DeviceVariant* VerifyOpenedInterface(HidDevice& device, KeyboardInterface which);

// Walks the path list the caller built on `device` from where it stands:
// opens each candidate (read and write for the command interface, read only
// for the notification interface; shared) and verifies it. A candidate that
// fails is closed and the walk goes on. Returns the variant of the first that
// passes, left open, or nullptr. With `stop`, every open happens under it and
// the walk ends as soon as a stop is requested.
const DeviceVariant* OpenFirstInterface(HidDevice& device, KeyboardInterface which, StopSignal* stop = nullptr);

// Firmware of the first variant older than this asks the user to update;
// the second variant is never tested, and 0 (version unreadable) passes.
inline constexpr std::uint16_t kFirstCurrentFirmware = 0x0108;
bool FirmwareNeedsUpdate(const DeviceVariant* variant, std::uint16_t firmware_version);

// The fixed texts of that question (they are not in the language files).
inline constexpr const char* kFirmwareTooOldText = "Die aktuelle Version ist zu niedrig!";
inline constexpr const char* kFirmwareTooOldCaption = "Aktualisierung der Version";

}  // namespace zarvel
