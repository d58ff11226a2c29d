// Painting the 48 lit keys of the keyboard: the selection in one bracket
// (one begin, eight colour writes, one end, one save of the slot file)
// against 48 single paints (a bracket and a save each), on a simulated
// keyboard that takes 1 ms per report each way.
//
// Counters: "exchanges" per paint of all 48 keys, "ratio_ends" = time /
// (exchanges x 2 ms + ends x 10 ms), the least the wire and the end waits
// the keyboard needs allow. Target for the selection: at most 10 exchanges
// and ratio_ends at most 1.05.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "bench/bench_rig.h"
#include "core/lighting_controller.h"
#include "model/key_colours.h"
#include "model/lighting_record.h"

namespace {

using namespace zarvel;
using namespace zarvel::bench;

// The 48 lit key buttons (G and Fn left out).
std::vector<int> LitKeys() {
  std::vector<int> keys;
  for (const LitButton& button : LitButtons())
    if (button.kind == LitButtonKind::kKey) keys.push_back(button.buttonId);
  return keys;
}

struct Rig : ConnectedKeyboard {
  Rig() : ConnectedKeyboard("paint-bench") {
    UserLightingFiles().SeedUserFolder();
    host.currentProfile = [] { return 0; };
    host.activeProfile = [] { return 0; };
    lighting = std::make_unique<LightingController>(link, view, prompter, host);
    lighting->LoadLighting();
    lighting->SelectEffect(lighting->State().effects.PositionOf(kUserEffect));
    lighting->SetTool(0);
    keyboard.SetTransferLatency(kLatency);
  }
  NullLightingView view;
  SilentPrompter prompter;
  LightingHost host;
  std::unique_ptr<LightingController> lighting;
};

void Measure(benchmark::State& state, Rig& rig, const auto& paint) {
  double exchanges = 0, ratio_ends = 0;
  std::uint8_t shade = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A new colour each round, so every round changes every key.
    rig.lighting->SetPaintColour({++shade, 0x40, 0x80});
    rig.keyboard.ClearExchanges();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    paint();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    int count = 0, ends = 0;
    for (const SimulatedExchange& e : rig.keyboard.Exchanges()) {
      ++count;
      if (e.request.at(3) == 0x02) ++ends;
    }
    exchanges += count;
    ratio_ends += ms / (count * kExchangeMs + ends * kEndWaitMs);
  }
  state.counters["exchanges"] = benchmark::Counter(exchanges, benchmark::Counter::kAvgIterations);
  state.counters["ratio_ends"] = benchmark::Counter(ratio_ends, benchmark::Counter::kAvgIterations);
}

void BM_PaintSelectionOf48Keys(benchmark::State& state) {
  Rig rig;
  const std::vector<int> keys = LitKeys();
  Measure(state, rig, [&] { rig.lighting->PaintKeys(keys); });
}
BENCHMARK(BM_PaintSelectionOf48Keys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_Paint48KeysOneByOne(benchmark::State& state) {
  Rig rig;
  const std::vector<int> keys = LitKeys();
  Measure(state, rig, [&] {
    for (int key : keys) rig.lighting->PaintKey(key);
  });
}
BENCHMARK(BM_Paint48KeysOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
