// Macro images come from the keyboard's memory: whatever its header, offsets or
// counts claim, decoding must stay inside the image and inside each record.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/macro_area.h"
#include "seed_writer.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  using namespace zarvel;
  std::vector<std::vector<std::uint8_t>> seeds;
  MacroSet set;
  for (std::uint16_t id = 1; id <= 3; ++id) {
    MacroRecord macro;
    macro.id = id;
    SetMacroName(macro, u"seed macro");
    macro.actionCount = static_cast<std::uint16_t>(2 * id);
    for (std::size_t a = 0; a < macro.actionCount; ++a) {
      macro.actions[a] = {static_cast<std::uint32_t>(a * 30), static_cast<KeyCode>(0x01E + a),
                          static_cast<std::uint16_t>(a % 2)};
    }
    set.push_back(macro);
  }
  for (bool names : {false, true}) {
    MacroAreaSize sizes = MacroAreaSizes(set);
    std::size_t size = names ? sizes.withNames : sizes.withoutNames;
    std::vector<std::uint8_t> image(size);
    EncodeMacroArea(set, size, names, image);
    seeds.push_back(image);
  }
  std::vector<std::uint8_t> empty(16);
  EncodeMacroArea({}, 16, true, empty);
  seeds.push_back(empty);
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zarvel;
  static MacroSet set;  // reused: a fresh 3 MB set per run would dominate the run time
  int count = DecodeMacroArea(std::span<const std::uint8_t>(data, size), u"M", set);
  if (count < 0 || count > static_cast<int>(kMaxMacros) || set.size() != static_cast<std::size_t>(count)) {
    std::abort();
  }
  for (const MacroRecord& macro : set) {
    if (macro.actionCount > kMaxMacroActions) std::abort();
  }
  // Whatever decoded must encode again when it fits the keyboard's 16-bit image.
  MacroAreaSize sizes = MacroAreaSizes(set);
  if (sizes.withNames <= kMaxMacroAreaSize) {
    std::vector<std::uint8_t> image(sizes.withNames);
    if (!EncodeMacroArea(set, sizes.withNames, true, image)) std::abort();
  }
  return 0;
}
