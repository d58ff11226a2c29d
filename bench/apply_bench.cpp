// What Apply costs: saving the store file and writing the macro memory, full
// to the keyboard's capacity, and the active profile's key matrix, against a
// simulated keyboard that takes 1 ms per report each way, as a full-speed
// keyboard does.
//
// Argument: the simulated time per report in microseconds (0 shows what
// Apply costs besides the wire).
// Counters: "exchanges" per Apply, "ratio" = time / (exchanges x 2 ms), the
// least the wire allows; "ratio_ends" also allows the 10 ms the end of the
// transfer waits for the keyboard to finish its last write.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/bench_rig.h"
#include "core/app_core.h"
#include "model/macro_area.h"
#include "skin/settings.h"

namespace {

using namespace zarvel;
using namespace zarvel::bench;

void BM_ApplyFullMacroMemory(benchmark::State& state) {
  ConnectedKeyboard rig("apply-bench");
  SimulatedKeyboard& keyboard = rig.keyboard;
  QuietMainView view;
  SilentPrompter prompter;
  MemorySettings settings;
  AppCore core(rig.link, rig.context, view, prompter, settings);
  core.Start();
  core.ReadAllFromKeyboard(false);  // makes the store file Apply saves into
  {
    std::lock_guard lock(core.StoreLock());
    core.Store().macros = FullMacroMemory(rig.context.MacroCapacity());
  }
  keyboard.SetTransferLatency(std::chrono::microseconds(state.range(0)));

  std::size_t exchanges = 0;
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    core.AssignKey(0x3B, KeyFunction{kFunctionKey, 0, static_cast<std::uint32_t>(0x10 + round++ % 20), 0, 0});
    keyboard.ClearExchanges();
    state.ResumeTiming();
    if (!core.Apply()) state.SkipWithError("Apply failed");
    state.PauseTiming();
    exchanges = keyboard.Exchanges().size();
    state.ResumeTiming();
  }
  const double wire_ms = static_cast<double>(exchanges) * kExchangeMs;
  state.counters["exchanges"] = static_cast<double>(exchanges);
  state.counters["macros"] = static_cast<double>(core.Store().macros.size());
  state.counters["ratio"] =
      benchmark::Counter(wire_ms / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["ratio_ends"] = benchmark::Counter((wire_ms + kEndWaitMs) / 1000.0,
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_ApplyFullMacroMemory)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
