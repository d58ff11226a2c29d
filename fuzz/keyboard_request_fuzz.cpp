// The simulated keyboard takes requests from the program and its state file
// from disk: neither may make it touch memory outside its areas.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "device/simulated_firmware.h"
#include "seed_writer.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  std::vector<std::vector<std::uint8_t>> seeds;
  const std::uint8_t payload[56] = {1, 2, 3};
  for (const Report& r : {BuildBracketRequest(Command::kBeginTransfer), BuildRequest(Command::kWriteKeyMatrix, 56, 1470, payload),
                          BuildRequest(Command::kWriteDeviceInfo, 44, 0, payload)}) {
    std::vector<std::uint8_t> seed = {0};
    seed.insert(seed.end(), r.begin(), r.end());
    seeds.push_back(seed);
  }
  SimulatedFirmware firmware(kDeviceVariants[1]);
  const std::string text = firmware.SaveText();
  std::vector<std::uint8_t> state = {1};
  state.insert(state.end(), text.begin(), text.end());
  seeds.push_back(state);
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  if (size == 0) return 0;
  SimulatedFirmware firmware(kDeviceVariants[data[0] & 1]);
  if (data[0] & 2) {
    firmware.LoadText(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
  }
  // Consecutive 64-byte requests; the first one opens a bracket so writes count.
  firmware.Answer(BuildBracketRequest(Command::kBeginTransfer));
  for (std::size_t pos = 1; pos < size; pos += kReportSize) {
    Report r{};
    std::copy_n(data + pos, std::min(kReportSize, size - pos), r.begin());
    if (data[0] & 4) {  // a correct checksum gets the request past the first check
      const std::uint16_t sum = ReportChecksum(r);
      r[1] = static_cast<std::uint8_t>(sum);
      r[2] = static_cast<std::uint8_t>(sum >> 8);
    }
    firmware.Answer(r);
  }
  return 0;
}
