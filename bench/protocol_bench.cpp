// What a full write costs on the wire: the command layer against the simulated
// keyboard, with and without the 1 ms per report of a full-speed keyboard.
#include <benchmark/benchmark.h>
#include <sys/prctl.h>

#include <chrono>
#include <vector>

#include "device/device_link.h"
#include "device/simulated_backend.h"

namespace {

using namespace zarvel;

struct Rig {
  explicit Rig(std::chrono::microseconds latency) {
    // The kernel's default 50 us timer slack on every modelled 1 ms report
    // would be counted against the program; a real USB transfer has none.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    keyboard.SetTransferLatency(latency);
    keyboard.SetRecordingExchanges(false);
    device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false);
    link.SetDeviceOpen(true);
  }
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice device{backend};
  DeviceLink link{device};
};

// Counters: "exchanges" per iteration and "ratio" = time / (exchanges x 2 ms),
// the least a keyboard taking 1 ms per report each way allows.
void ReportWireRatio(benchmark::State& state, SimulatedKeyboard& keyboard, std::chrono::nanoseconds elapsed,
                     double fixed_wait_ms) {
  const double exchanges = static_cast<double>(keyboard.ExchangeCount()) / static_cast<double>(state.iterations());
  const double per_iteration_ms =
      std::chrono::duration<double, std::milli>(elapsed).count() / static_cast<double>(state.iterations());
  state.counters["exchanges"] = exchanges;
  if (state.range(0) > 0) {
    state.counters["ratio"] = per_iteration_ms / (exchanges * 2.0);
    state.counters["ratio_with_end_wait"] = per_iteration_ms / (exchanges * 2.0 + fixed_wait_ms);
  }
}

void BM_ReadDeviceInfo(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  DeviceInfoRecord record{};
  rig.keyboard.ClearExchanges();
  std::chrono::nanoseconds elapsed{0};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(rig.link.ReadDeviceInfo(record));
    elapsed += std::chrono::steady_clock::now() - start;
  }
  ReportWireRatio(state, rig.keyboard, elapsed, 0.0);
}
BENCHMARK(BM_ReadDeviceInfo)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A full import write: begin, the 8 KiB macro memory, the key matrices of all
// four profiles, end.
void BM_ImportWrite(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  const std::vector<std::uint8_t> image(8192, 0x11);
  const std::vector<std::uint8_t> matrix(512, 0x22);
  rig.keyboard.ClearExchanges();
  std::chrono::nanoseconds elapsed{0};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    rig.link.BeginTransfer();
    rig.link.WriteMacroArea(image);
    for (int profile = 0; profile < 4; ++profile) rig.link.WriteKeyMatrix(matrix, profile);
    rig.link.EndTransfer();
    elapsed += std::chrono::steady_clock::now() - start;
  }
  ReportWireRatio(state, rig.keyboard, elapsed, kEndTransferDelayMs);
}
BENCHMARK(BM_ImportWrite)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
