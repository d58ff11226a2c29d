// Key events through the key-function dialog's application-wide filter and
// the recorder, as a fast typist's keys arrive while a macro is recorded.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/key_capture.h"
#include "bench/bench_rig.h"
#include "core/app_core.h"
#include "core/key_dialog_session.h"
#include "model/evdev_keys.h"
#include "model/prompter.h"
#include "skin/settings.h"

namespace zarvel::bench {
namespace {

void BM_FilterAndRecord(benchmark::State& state) {
  ConnectedKeyboard keyboard("capture-bench");
  QuietMainView view;
  SilentPrompter prompter;
  MemorySettings settings;
  AppCore core(keyboard.link, keyboard.context, view, prompter, settings);
  core.Start();
  KeyDialogSession session(core, settings);
  session.Open(0x3B, /*macro_only=*/true);
  QWidget window;
  // Keys count only while the window is the active one, as a real dialog is.
  window.show();
  QApplication::setActiveWindow(&window);
  KeyCaptureGuard guard(window, [&](KeyCode key, MacroDirection direction, bool repeat) {
    return session.KeyEvent(key, direction, repeat);
  });
  std::uint64_t events = 0;
  unsigned evdev = 16;  // Q..P, A..L, Z..M
  for (auto _ : state) {
    KeepRecording(state, session);
    const unsigned native = evdev + kXkbKeycodeOffset;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, native, 0, 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, native, 0, 0);
    QApplication::sendEvent(&window, &press);
    QApplication::sendEvent(&window, &release);
    evdev = evdev == 50 ? 16 : evdev + 1;
    events += 2;
  }
  state.counters["events/s"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FilterAndRecord);

}  // namespace
}  // namespace zarvel::bench
