// What a full write costs on the wire: the command layer against the simulated
// keyboard, with and without the 1 ms per report of a full-speed keyboard.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "device/device_link.h"
#include "device/simulated_backend.h"

namespace {

using namespace zarvel;

struct Rig {
  explicit Rig(std::chrono::microseconds latency) {
    keyboard.SetTransferLatency(latency);
    device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false);
    link.SetDeviceOpen(true);
  }
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice device{backend};
  DeviceLink link{device};
};

void BM_ReadDeviceInfo(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  DeviceInfoRecord record{};
  for (auto _ : state) benchmark::DoNotOptimize(rig.link.ReadDeviceInfo(record));
}
BENCHMARK(BM_ReadDeviceInfo)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Begin, the 8 KiB macro memory and one key matrix, end: an Apply.
void BM_WriteMacrosAndMatrix(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  const std::vector<std::uint8_t> image(8192, 0x11);
  const std::vector<std::uint8_t> matrix(512, 0x22);
  for (auto _ : state) {
    rig.link.BeginTransfer();
    rig.link.WriteMacroArea(image);
    rig.link.WriteKeyMatrix(matrix, 0);
    rig.link.EndTransfer();
  }
}
BENCHMARK(BM_WriteMacrosAndMatrix)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
