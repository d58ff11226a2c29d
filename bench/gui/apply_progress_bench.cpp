// Apply from the main window with the macro memory full, against a keyboard
// that takes 1 ms per report each way: does the progress picture keep
// turning while the keyboard is written, and what does running the write
// beside the window cost?
//
// Counters:
//   max_frame_gap_ms  the largest gap between two progress frames during the
//                     write (the frames are meant to change every 50 ms)
//   exchanges         reports exchanged per Apply
//   ratio             Apply's time, click to end, / (exchanges x 2 ms), the
//                     least the wire allows
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/keyboard_write_runner.h"
#include "bench/bench_rig.h"
#include "app/main_window.h"
#include "app/progress_animation.h"
#include "core/app_core.h"
#include "core/main_view.h"
#include "device/connection_monitor.h"
#include "device/simulated_backend.h"
#include "model/default_matrix.h"
#include "model/macro_area.h"
#include "skin/program_paths.h"
#include "skin/settings.h"
#include "skin/widgets/image_button.h"

namespace {

using namespace zarvel;
using Clock = std::chrono::steady_clock;

struct PrivateFolders {
  PrivateFolders() {
    root = std::filesystem::temp_directory_path() / ("zarvel-apply-progress-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    SetProgramFolder(ZARVEL_PROGRAM_DIR "/");
  }
  ~PrivateFolders() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
};

void BM_ApplyWhileTheWindowPaints(benchmark::State& state) {
  // The simulated keyboard sleeps per report; the kernel's timer slack would
  // otherwise be charged to the program.
  bench::LowerTimerSlack();
  PrivateFolders folders;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend(keyboard);
  HidDevice command(backend);
  DeviceLink link(command);
  ConnectionContext context(BuiltInDefaultMatrix());
  MemorySettings settings;
  MainWindow window(settings);
  window.Prompts().SetResponder([](const PromptRecord&) { return false; });
  AppCore core(link, context, window, window.Prompts(), settings);
  window.AttachCore(core);
  core.Start();
  command.BuildPathList();
  OpenCommandInterface(link, context);
  ReadConnectionData(link, context);
  core.ConnectionRefresh();
  {
    std::lock_guard lock(core.StoreLock());
    core.Store().macros = bench::FullMacroMemory(context.MacroCapacity());
  }
  keyboard.SetTransferLatency(std::chrono::microseconds(state.range(0)));
  window.show();

  std::vector<Clock::time_point> frames;
  QObject::connect(&window.Progress(), &ProgressAnimation::frameShown, [&] { frames.push_back(Clock::now()); });
  double max_gap_ms = 0;
  double ratio_sum = 0;
  std::size_t exchanges = 0;
  int round = 0;
  for (auto _ : state) {
    core.AssignKey(0x3B, KeyFunction{kFunctionKey, 0, static_cast<std::uint32_t>(0x10 + round++ % 20), 0, 0});
    keyboard.ClearExchanges();
    frames.clear();
    QEventLoop loop;
    QObject::connect(&window.Writes(), &KeyboardWriteRunner::finished, &loop, &QEventLoop::quit);
    const Clock::time_point start = Clock::now();
    window.KeyButton(kApplyButtonId)->click();
    if (window.Writes().Running()) loop.exec();
    const Clock::time_point end = Clock::now();
    if (core.UnappliedChanges()) state.SkipWithError("Apply failed");
    exchanges = keyboard.ExchangeCount();
    frames.push_back(end);  // the write's end counts as the last change
    for (std::size_t i = 1; i < frames.size(); ++i)
      max_gap_ms = std::max(max_gap_ms, std::chrono::duration<double, std::milli>(frames[i] - frames[i - 1]).count());
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    ratio_sum += ms / (static_cast<double>(exchanges) * bench::kExchangeMs);
  }
  state.counters["max_frame_gap_ms"] = max_gap_ms;
  state.counters["exchanges"] = static_cast<double>(exchanges);
  state.counters["ratio"] = ratio_sum / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ApplyWhileTheWindowPaints)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
