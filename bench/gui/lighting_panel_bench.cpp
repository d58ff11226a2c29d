// What the lighting panel costs on top of the keyboard: choosing an effect
// in the list and painting a key, each against a simulated keyboard taking
// 1 ms per report each way, and the panel's own refresh with a keyboard that
// answers at once.
//
// Counters: "exchanges" per action and "ratio" = time / (exchanges x 2 ms),
// the least the wire allows (1.0 would be the wire alone).
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <chrono>
#include <map>
#include <memory>

#include "app/lighting_panel.h"
#include "app/window_parts.h"
#include "bench/bench_rig.h"
#include "core/app_core.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "model/key_colours.h"
#include "model/key_table.h"
#include "skin/placement.h"
#include "skin/settings.h"
#include "skin/skin_files.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_placement.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {
namespace {

using namespace zarvel::bench;

// The lit key buttons of a stand-in main window.
class LitKeys : public KeyButtonAccess {
 public:
  explicit LitKeys(SkinnedDialog& window) {
    const StateImages images =
        window.LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg");
    for (const LitButton& lit : LitButtons()) {
      auto* button = new ImageButton(&window);
      std::string key;
      const int special = SpecialKeyOfButton(lit.buttonId);
      if (lit.buttonId == kFnButtonId) {
        key = "KEY_FN";
      } else if (special >= 0) {
        key = GButtonSkinKey(special + 1);
      } else {
        key = KeyButtonSkinKey(static_cast<int>(KeyCodeToRecordIndex(KeyOfButton(lit.buttonId).key)));
      }
      PlaceImageButton(window.Skin(), key, *button, images);
      buttons_[lit.buttonId] = button;
    }
  }
  ImageButton* KeyButton(int id) override {
    auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
  }
  std::vector<int> KeyButtonIds() const override {
    std::vector<int> ids;
    for (const auto& entry : buttons_) ids.push_back(entry.first);
    return ids;
  }

 private:
  std::map<int, ImageButton*> buttons_;
};

class PanelView : public QuietMainView {
 public:
  LightingView& Lighting() override { return *panel; }
  LightingPanel* panel = nullptr;
};

struct PanelBench : ConnectedKeyboard {
  PanelBench() : ConnectedKeyboard("panel-bench") {
    SkinImageCache::Instance().SetFolder(std::string(ZARVEL_PROGRAM_DIR) + "/Skins/");
    window = std::make_unique<SkinnedDialog>(kMainSkinFile);
    window->LoadSkin();
    keys = std::make_unique<LitKeys>(*window);
    view.panel = new LightingPanel(*window, window->Skin(), *keys);
    core = std::make_unique<AppCore>(link, context, view, prompter, settings);
    core->Start();
    view.panel->Connect(*core);
    QObject::connect(keys->KeyButton(kEscButton), &ImageButton::clicked, [this] { core->KeyClick(kEscButton); });
    window->show();
    core->ConnectionRefresh();
    core->Lighting().ToggleLightingSwitch();
  }
  QComboBox* EffectList() const { return window->findChild<QComboBox*>("CONTROL_XGcombox"); }
  int PositionOf(int effect) { return core->Lighting().State().effects.PositionOf(effect); }

  static constexpr int kEscButton = 1022;
  SilentPrompter prompter;
  MemorySettings settings;
  PanelView view;
  std::unique_ptr<SkinnedDialog> window;
  std::unique_ptr<LitKeys> keys;
  std::unique_ptr<AppCore> core;
};

// The argument is the keyboard's time per report in microseconds.
void MeasureAction(benchmark::State& state, PanelBench& rig, const auto& action) {
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(state.range(0)));
  double ratio = 0;
  double ratioEnds = 0;
  double exchanges = 0;
  for (auto _ : state) {
    rig.keyboard.ClearExchanges();
    const auto start = std::chrono::steady_clock::now();
    action();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double count = 0;
    double ends = 0;
    for (const SimulatedExchange& e : rig.keyboard.Exchanges()) {
      ++count;
      if (e.request.at(3) == 0x02) ++ends;
    }
    exchanges += count;
    ratio += ms / (count * kExchangeMs);
    ratioEnds += ms / (count * kExchangeMs + ends * kEndWaitMs);
  }
  state.counters["exchanges"] = benchmark::Counter(exchanges, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = benchmark::Counter(ratio, benchmark::Counter::kAvgIterations);
  // Also allowing the 10 ms each end of a transfer waits for the keyboard.
  state.counters["ratio_ends"] = benchmark::Counter(ratioEnds, benchmark::Counter::kAvgIterations);
}

// Choosing an effect in the list, alternating so each choice writes.
void BM_PanelSelectEffect(benchmark::State& state) {
  PanelBench rig;
  QComboBox* list = rig.EffectList();
  const int positions[2] = {rig.PositionOf(1), rig.PositionOf(5)};
  int next = 0;
  MeasureAction(state, rig, [&] {
    list->setCurrentIndex(positions[next]);
    Q_EMIT list->activated(positions[next]);
    next = 1 - next;
  });
}
BENCHMARK(BM_PanelSelectEffect)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same choice made by calling the controller directly: what the
// keyboard and the core cost without the panel.
void BM_ControllerSelectEffect(benchmark::State& state) {
  PanelBench rig;
  const int positions[2] = {rig.PositionOf(1), rig.PositionOf(5)};
  int next = 0;
  MeasureAction(state, rig, [&] {
    rig.core->Lighting().SelectEffect(positions[next]);
    next = 1 - next;
  });
}
BENCHMARK(BM_ControllerSelectEffect)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Painting Esc with the user effect shown.
void BM_PanelPaintKey(benchmark::State& state) {
  PanelBench rig;
  rig.core->Lighting().SelectEffect(rig.PositionOf(kUserEffect));
  rig.core->Lighting().SetTool(0);
  ImageButton* esc = rig.keys->KeyButton(PanelBench::kEscButton);
  MeasureAction(state, rig, [&] { esc->click(); });
}
BENCHMARK(BM_PanelPaintKey)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ControllerPaintKey(benchmark::State& state) {
  PanelBench rig;
  rig.core->Lighting().SelectEffect(rig.PositionOf(kUserEffect));
  rig.core->Lighting().SetTool(0);
  MeasureAction(state, rig, [&] { rig.core->Lighting().PaintKey(PanelBench::kEscButton); });
}
BENCHMARK(BM_ControllerPaintKey)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The panel shown again from the lighting state: nothing is sent.
void BM_PanelRefresh(benchmark::State& state) {
  PanelBench rig;
  rig.core->Lighting().SelectEffect(rig.PositionOf(kUserEffect));
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(0));
  rig.keyboard.ClearExchanges();
  for (auto _ : state) rig.core->Lighting().RefreshLightingPanel();
  state.counters["exchanges"] = static_cast<double>(rig.keyboard.ExchangeCount());
}
BENCHMARK(BM_PanelRefresh)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace zarvel
