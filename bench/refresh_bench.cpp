// What a keyboard connection costs the window: reading the four profiles and
// the macros into the store, the full lighting load with the user slot's
// colours sent, and the panel shown; against a simulated keyboard that takes
// 1 ms per report each way, as a full-speed keyboard does.
//
// Counters: "exchanges" per refresh, "ratio" = time / (exchanges x 2 ms), the
// least the wire allows; "ratio_ends" also allows the 10 ms every end of a
// transfer waits for the keyboard to finish its last write.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/bench_rig.h"
#include "core/app_core.h"
#include "core/lighting_controller.h"
#include "skin/settings.h"

namespace {

using namespace zarvel;
using namespace zarvel::bench;

struct Rig : ConnectedKeyboard {
  explicit Rig(std::chrono::microseconds latency = kLatency) : ConnectedKeyboard("refresh-bench") {
    keyboard.SetTransferLatency(latency);
  }
  SilentPrompter prompter;
};

struct Tally {
  double ratio = 0;
  double ratioEnds = 0;
  double exchanges = 0;
};

void Measure(SimulatedKeyboard& keyboard, Tally& tally, const auto& refresh) {
  keyboard.ClearExchanges();
  const auto start = std::chrono::steady_clock::now();
  refresh();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  int exchanges = 0;
  int ends = 0;
  for (const SimulatedExchange& e : keyboard.Exchanges()) {
    ++exchanges;
    if (e.request.at(3) == 0x02) ++ends;
  }
  tally.exchanges += exchanges;
  tally.ratio += ms / (exchanges * kExchangeMs);
  tally.ratioEnds += ms / (exchanges * kExchangeMs + ends * kEndWaitMs);
}

void Report(benchmark::State& state, const Tally& tally) {
  state.counters["exchanges"] = benchmark::Counter(tally.exchanges, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = benchmark::Counter(tally.ratio, benchmark::Counter::kAvgIterations);
  state.counters["ratio_ends"] = benchmark::Counter(tally.ratioEnds, benchmark::Counter::kAvgIterations);
}

// The whole connection refresh the window runs on the PROF message.
void BM_ConnectionRefresh(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  QuietMainView view;
  MemorySettings settings;
  AppCore core(rig.link, rig.context, view, rig.prompter, settings);
  core.Start();
  Tally tally;
  for (auto _ : state) Measure(rig.keyboard, tally, [&] { core.ConnectionRefresh(); });
  Report(state, tally);
}
BENCHMARK(BM_ConnectionRefresh)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Its lighting half alone: the full load with the slot's colours sent, the
// panel and the base marks.
void BM_LightingRefresh(benchmark::State& state) {
  Rig rig{std::chrono::microseconds(state.range(0))};
  UserLightingFiles().SeedUserFolder();
  NullLightingView view;
  LightingHost host;
  host.currentProfile = [] { return 0; };
  LightingController lighting(rig.link, view, rig.prompter, host);
  Tally tally;
  for (auto _ : state) Measure(rig.keyboard, tally, [&] { lighting.OnConnected(); });
  Report(state, tally);
}
BENCHMARK(BM_LightingRefresh)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
