#pragma once
// The keyboard's side of the command protocol: its memory and how it answers
// each request. Used by SimulatedKeyboard; not thread-safe on its own.
//
// Memory areas (offsets in requests count from the start of the area):
//   device information  44 bytes (firmware 0x0108, active profile 0, macro
//                       capacity 64 units = 8192 bytes, effects 1-18, 20, 21)
//   lighting            4 x 42 bytes; each record starts as the 35-byte default
//                       01 05 02 00 FF FF FF FF and zeros
//   key matrices        4 slots at the variant's stride, key-matrix size bytes
//                       each; every slot starts as the default matrix
//   default matrix      key-matrix size bytes, read only
//   macro memory        capacity bytes; starts empty (all zero, no AA 55 header)
//   key colours         4 x 512 bytes; 170 entries of red (FF 00 00) per profile
//
// A strict keyboard: it answers every request, and refuses
//   with status 0xFF a request that is malformed: wrong report id, wrong
//     checksum, a length above 56, an unknown command;
//   with status 0xFE a well-formed request it cannot carry out now: an offset
//     or length outside the addressed area (a key-matrix run must stay inside
//     one profile's slot, a colour run inside one profile's block), a write of
//     the lighting area, key colours, key matrices or macro memory outside a
//     begin/end bracket, an active profile above 3.
// A refused request changes nothing. Lighting reads may run past the end of the
// area (the program reads 56 bytes at each 42-byte record); the bytes beyond it
// read as 0. Writes of the device information change only bytes 0..7 and the
// active profile; the firmware version, macro capacity and effect list are the
// keyboard's own.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/device_info_record.h"
#include "device/device_variant.h"
#include "device/report_frame.h"
#include "model/lighting_record.h"  // the lighting area's record size and length

namespace zarvel {

enum class KeyboardArea { kDeviceInfo, kLighting, kKeyMatrices, kDefaultMatrix, kMacroMemory, kKeyColours };

inline constexpr std::size_t kKeyColourAreaSize = 4 * 512;
inline constexpr std::uint16_t kSimulatedFirmwareVersion = 0x0108;
inline constexpr std::uint8_t kSimulatedMacroCapacityUnits = 64;

class SimulatedFirmware {
 public:
  explicit SimulatedFirmware(const DeviceVariant& variant);

  const DeviceVariant& Variant() const { return variant_; }
  void ResetToFactory();

  // Answers one output report (byte 0 = report id).
  Report Answer(std::span<const std::uint8_t> request);
  // The reply the keyboard gives `request` with `status` and no data.
  static Report StatusReply(std::span<const std::uint8_t> request, std::uint8_t status);

  // A copy of an area as the keyboard holds it (macro memory: capacity bytes).
  std::vector<std::uint8_t> Area(KeyboardArea area) const;
  // Sets bytes of an area directly, as if the keyboard had been configured so;
  // false (and nothing changed) when they do not fit.
  bool SetArea(KeyboardArea area, std::size_t offset, std::span<const std::uint8_t> bytes);

  bool InBracket() const { return in_bracket_; }
  void DropBracket() { in_bracket_ = false; }
  // True once memory changed since the last call to ClearChanged().
  bool Changed() const { return changed_; }
  void ClearChanged() { changed_ = false; }
  // True when the last answered request was the end of a bracket.
  bool LastWasEnd() const { return last_was_end_; }

  // The documented text form of the memory (see simulated_state_file.cpp).
  std::string SaveText() const;
  // Resets to factory, then applies what the text holds; lines that make no
  // sense are skipped. False only when the text names another keyboard.
  bool LoadText(const std::string& text);

 private:
  const std::vector<std::uint8_t>& Memory(KeyboardArea area) const;
  std::vector<std::uint8_t>* Mutable(KeyboardArea area);
  std::size_t MacroBytes() const;
  bool ReadAllowed(KeyboardArea area, std::size_t offset, std::size_t length) const;
  bool WriteAllowed(KeyboardArea area, std::size_t offset, std::size_t length) const;

  DeviceVariant variant_;
  std::vector<std::uint8_t> device_info_;
  std::vector<std::uint8_t> lighting_;
  std::vector<std::uint8_t> key_matrices_;
  std::vector<std::uint8_t> default_matrix_;
  std::vector<std::uint8_t> macro_memory_;
  std::vector<std::uint8_t> key_colours_;
  bool in_bracket_ = false;
  bool changed_ = false;
  bool last_was_end_ = false;
};

}  // namespace zarvel
