// The key-function dialog's models: how fast a recording takes key events,
// and how long Apply takes to install a full macro memory.
#include <benchmark/benchmark.h>

#include "bench_rig.h"
#include "core/app_core.h"
#include "core/key_dialog_session.h"
#include "core/macro_editor.h"
#include "model/prompter.h"
#include "skin/settings.h"

namespace zarvel::bench {
namespace {

// An application core on a connected simulated keyboard.
struct CoreBench {
  explicit CoreBench(const std::string& name) : keyboard(name) {
    core = std::make_unique<AppCore>(keyboard.link, keyboard.context, view, prompter, settings);
    core->Start();
  }
  ConnectedKeyboard keyboard;
  QuietMainView view;
  SilentPrompter prompter;
  MemorySettings settings;
  std::unique_ptr<AppCore> core;
};

MacroSet FullMacroMemory() {
  MacroSet macros(kMaxMacros);
  for (std::size_t m = 0; m < macros.size(); ++m) {
    MacroRecord& macro = macros[m];
    macro.id = static_cast<std::uint16_t>(m + 1);
    SetMacroNameUtf8(macro, "Macro " + std::to_string(m + 1));
    macro.actionCount = kMaxMacroActions;
    for (std::size_t a = 0; a < kMaxMacroActions; ++a)
      macro.actions[a] = MacroAction{10, static_cast<KeyCode>(0x10 + a % 32), static_cast<std::uint16_t>(a % 2)};
  }
  return macros;
}

// Press and release of ever different keys through the session, as the
// window's key filter hands them on; a fresh macro every 3998 rows.
void BM_RecordKeyEvents(benchmark::State& state) {
  CoreBench bench("record-bench");
  KeyDialogSession session(*bench.core, bench.settings);
  session.Open(0x3B, /*macro_only=*/true);
  std::uint64_t events = 0;
  KeyCode key = 0x10;
  for (auto _ : state) {
    KeepRecording(state, session);
    benchmark::DoNotOptimize(session.KeyEvent(key, kPress, false));
    benchmark::DoNotOptimize(session.KeyEvent(key, kRelease, false));
    key = key == 0x32 ? 0x10 : static_cast<KeyCode>(key + 1);
    events += 2;
  }
  state.counters["events/s"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordKeyEvents);

// Apply's macro half with 100 macros of 4000 actions and every key of the
// four profiles playing one of them.
void BM_ApplyMacroSet(benchmark::State& state) {
  CoreBench bench("apply-macros-bench");
  {
    std::lock_guard lock(bench.core->StoreLock());
    bench.core->Store().macros = FullMacroMemory();
    std::uint32_t id = 1;
    for (ProfileBlock& block : bench.core->Store().image)
      for (std::size_t r = 0; r < 274; ++r) block[r] = KeyFunction{kFunctionMacro, 1, id++ % 100 + 1, 0, 0};
  }
  MacroEditor editor(*bench.core);
  editor.Load();
  editor.SelectMacro(0);
  for (auto _ : state) editor.ApplyMacroSet();
}
BENCHMARK(BM_ApplyMacroSet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarvel::bench
