// The --simulate-faults list both programs take from their command line: any
// text either parses into values inside their documented ranges or is refused
// with a reason, leaving the faults as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "device/keyboard_choice.h"
#include "seed_writer.h"

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  for (const char* text : {"unplug-after=40", "latency=1000", "lose=2,refuse=1,delay=5", "delay=10001",
                           "unplug-after=", "latency=1000,latency=0", ",", "lose=-1",
                           "delay=900,virtual-clock=1,no-echo=1", "no-echo=2"}) {
    std::string value = text;
    seeds.emplace_back(value.begin(), value.end());
  }
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string spec(reinterpret_cast<const char*>(data), size);
  zarvel::SimulatedFaults faults;
  faults.lose = 7;  // a value no parse of a refused list may touch
  std::string error;
  if (zarvel::ParseSimulatedFaults(spec, faults, error)) {
    if (faults.delay_ms < 0 || faults.delay_ms > 10000) __builtin_trap();
    if (faults.latency_us < 0 || faults.latency_us > 100000) __builtin_trap();
    if (faults.lose < 0 || faults.refuse < 0 || faults.unplug_after < -1) __builtin_trap();
    if (faults.no_echo < 0 || faults.no_echo > 1 || faults.virtual_clock < 0 || faults.virtual_clock > 1)
      __builtin_trap();
  } else {
    if (error.empty() || faults.lose != 7) __builtin_trap();
  }
  return 0;
}
