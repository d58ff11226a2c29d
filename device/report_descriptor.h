#pragma once
// HID report descriptors: what an interface's reports look like.
//
// A pure unit over a byte span, so the backend never needs the kernel's parser
// and every rule here can be tested on descriptors written out by hand.
//
// Conventions, the same as the rest of the HID layer:
// - A report buffer always starts with its report id byte; for an interface
//   without report ids that byte is 0 and the data starts at byte 1.
// - Report byte lengths count that id byte, so an interface whose longest input
//   report carries 63 data bytes behind report id 4 has an input length of 64,
//   and a boot keyboard's 8-byte input report has a length of 9.
// - Bit offsets of fields count from the first data byte (byte 1).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zarvel {

// One input item that reports pressed usages: a bitmap of on/off controls
// (variable) or a list of slots each naming one pressed usage (array).
struct HidButtonField {
  std::uint16_t usage_page = 0;
  std::uint8_t report_id = 0;
  bool is_array = false;
  bool is_range = true;           // false: the usages come from `usages`, in slot order
  std::uint32_t usage_min = 0;    // inclusive; equal to usage_max for a single usage
  std::uint32_t usage_max = 0;
  std::vector<std::uint16_t> usages;  // explicit usages, only when !is_range
  std::uint32_t bit_offset = 0;   // of the first slot, from the first data byte
  std::uint32_t bit_size = 0;     // of one slot (1 for a bitmap)
  std::uint32_t count = 0;        // number of slots
  std::int32_t logical_min = 0;
  std::int32_t logical_max = 0;
};

// One input item that reports a value (or `count` values of one usage).
struct HidValueField {
  std::uint16_t usage_page = 0;
  std::uint8_t report_id = 0;
  std::uint32_t usage = 0;
  std::uint32_t bit_offset = 0;
  std::uint32_t bit_size = 0;
  std::uint32_t count = 1;
  std::int32_t logical_min = 0;
  std::int32_t logical_max = 0;
  std::int32_t physical_min = 0;
  std::int32_t physical_max = 0;
};

// One top-level (application) collection: what another system would present
// as an interface of its own.
struct HidCollectionInfo {
  std::uint16_t usage_page = 0;
  std::uint16_t usage = 0;
  // Longest report of each kind in this collection, id byte included; 0 when
  // the collection has no report of that kind.
  std::uint16_t input_report_length = 0;
  std::uint16_t output_report_length = 0;
  std::uint16_t feature_report_length = 0;
  std::vector<HidButtonField> input_buttons;
  std::vector<HidValueField> input_values;
};

struct ReportDescriptorInfo {
  std::vector<HidCollectionInfo> collections;
  // True when the descriptor declares report ids: every report on the wire then
  // starts with its id. False: reports carry no id byte on the wire.
  bool numbered_reports = false;
};

// Parses a descriptor. False when it is malformed (truncated item, unbalanced
// collections, absurd sizes) or declares no top-level collection; `out` is
// then unspecified. Never reads outside `bytes`.
bool ParseReportDescriptor(std::span<const std::uint8_t> bytes, ReportDescriptorInfo& out);

// Usages pressed in `report` (byte 0 = report id) on `usage_page`, across every
// button field of `collection` that travels in that report, in field and slot
// order. Usage 0 ("none") is never reported.
std::vector<std::uint16_t> PressedUsages(const HidCollectionInfo& collection,
                                         std::span<const std::uint8_t> report,
                                         std::uint16_t usage_page);

// The first value of `field` in `report` (byte 0 = report id). False when the
// report is of another id or too short to hold the field. `raw` holds the bits
// as sent; `scaled` is the logical value (sign-extended when the logical minimum
// is negative) mapped onto the physical range when one is declared.
bool ReadFieldValue(const HidValueField& field, std::span<const std::uint8_t> report,
                    std::uint32_t& raw, std::int32_t& scaled);

}  // namespace zarvel
