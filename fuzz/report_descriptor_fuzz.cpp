// Report descriptors come from whatever device is plugged in: the parser must
// stay inside the bytes, and decoding reports must stay inside the report,
// whatever sizes, counts and ranges the descriptor claims.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "device/report_descriptor.h"
#include "device/simulated_keyboard.h"
#include "seed_writer.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  std::vector<std::vector<std::uint8_t>> seeds;
  for (SimulatedInterface which :
       {SimulatedInterface::kBootKeyboard, SimulatedInterface::kCommand, SimulatedInterface::kNotification}) {
    const auto d = SimulatedKeyboard::ReportDescriptor(which);
    seeds.emplace_back(d.begin(), d.end());
  }
  // All three on one interface, as a composite device shows them.
  std::vector<std::uint8_t> composite;
  for (const auto& s : seeds) composite.insert(composite.end(), s.begin(), s.end());
  seeds.push_back(composite);
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  const std::span<const std::uint8_t> bytes(data, size);
  ReportDescriptorInfo info;
  if (!ParseReportDescriptor(bytes, info)) return 0;
  // Decode the descriptor's own tail as a report of every id it declares.
  std::vector<std::uint8_t> report(bytes.begin() + static_cast<std::ptrdiff_t>(size / 2), bytes.end());
  if (report.empty()) report.push_back(0);
  for (const HidCollectionInfo& c : info.collections) {
    for (const HidButtonField& f : c.input_buttons) {
      report[0] = f.report_id;
      const auto pressed = PressedUsages(c, report, f.usage_page);
      if (pressed.size() > report.size() * 8) std::abort();
    }
    for (const HidValueField& f : c.input_values) {
      report[0] = f.report_id;
      std::uint32_t raw = 0;
      std::int32_t scaled = 0;
      ReadFieldValue(f, report, raw, scaled);
    }
  }
  return 0;
}
