#pragma once
// The lighting panel on a stand-in main window, driving an application core
// on a connected simulated keyboard: the fixture of the panel's window tests
// and benchmarks.
//
// The stand-in is a skinned window from the main skin file holding the
// panel and a button for every key that has a light (placed by the main
// skin, clicks going to AppCore::KeyClick as the main window's do), so the
// panel can be tested without the rest of the main window.
#include <QTest>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/lighting_panel.h"
#include "app/window_parts.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "model/key_colours.h"
#include "model/key_table.h"
#include "skin/placement.h"
#include "skin/skin_files.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_placement.h"
#include "skin/widgets/skinned_dialog.h"
#include "support/core_rig.h"

namespace zarvel::testing {

// The lit key, G and Fn buttons of the stand-in window.
class LitKeyButtons : public KeyButtonAccess {
 public:
  explicit LitKeyButtons(SkinnedDialog& window) {
    const StateImages images = window.LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg",
                                                      "main_disable.jpg");
    for (const LitButton& lit : LitButtons()) {
      auto* button = new ImageButton(&window);
      button->setCheckable(true);
      PlaceImageButton(window.Skin(), SkinKeyOf(lit.buttonId), *button, images);
      buttons_[lit.buttonId] = button;
    }
  }
  ImageButton* KeyButton(int button_id) override {
    auto found = buttons_.find(button_id);
    return found == buttons_.end() ? nullptr : found->second;
  }
  std::vector<int> KeyButtonIds() const override {
    std::vector<int> ids;
    for (const auto& [id, button] : buttons_) ids.push_back(id);
    return ids;
  }

  static std::string SkinKeyOf(int buttonId) {
    if (buttonId == kFnButtonId) return "KEY_FN";
    const int special = SpecialKeyOfButton(buttonId);
    if (special >= 0) return GButtonSkinKey(special + 1);
    return KeyButtonSkinKey(static_cast<int>(KeyCodeToRecordIndex(KeyOfButton(buttonId).key)));
  }

 private:
  std::map<int, ImageButton*> buttons_;
};

// The core's main view, with the Qt panel as its lighting view.
class PanelMainView : public RecordingView {
 public:
  LightingView& Lighting() override { return *panel; }
  LightingPanel* panel = nullptr;
};

struct PanelRig {
  PanelRig() {
    SkinImageCache::Instance().SetFolder("");
    window = std::make_unique<SkinnedDialog>(kMainSkinFile);
    window->LoadSkin();
    keys = std::make_unique<LitKeyButtons>(*window);
    view.panel = new LightingPanel(*window, window->Skin(), *keys);
    core = std::make_unique<AppCore>(link, context, view, prompter, settings);
    core->Start();
    view.panel->Connect(*core);
    for (int id : keys->KeyButtonIds()) {
      QObject::connect(keys->KeyButton(id), &ImageButton::clicked, [this, id] { core->KeyClick(id); });
    }
    window->show();
  }
  ~PanelRig() { window.reset(); }

  // As CoreRig::Connect: the monitor's connection steps, then the window's
  // connection refresh; exchanges cleared afterwards.
  bool Connect() {
    if (!command.BuildPathList()) return false;
    if (OpenCommandInterface(link, context) == nullptr) return false;
    ReadConnectionData(link, context);
    core->ConnectionRefresh();
    keyboard.ClearExchanges();
    return true;
  }

  LightingController& Lighting() { return core->Lighting(); }
  template <typename Control = QWidget>
  Control* Find(const char* name) const {
    return window->findChild<Control*>(QString::fromLatin1(name));
  }
  std::vector<std::vector<std::uint8_t>> Requests() const {
    std::vector<std::vector<std::uint8_t>> requests;
    for (const SimulatedExchange& e : keyboard.Exchanges()) requests.emplace_back(e.request.begin(), e.request.end());
    return requests;
  }

  UserFolders folders;
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context{BuiltInDefaultMatrix()};
  PanelMainView view;
  RecordingPrompter prompter;
  MemorySettings settings;
  std::unique_ptr<SkinnedDialog> window;
  std::unique_ptr<LitKeyButtons> keys;
  std::unique_ptr<AppCore> core;
};

}  // namespace zarvel::testing
