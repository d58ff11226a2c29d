// The lighting panel as the user drives it: every control sends exactly the
// writes the lighting controller sends when called directly, a refresh sends
// nothing and renames nothing, and the key colour frames follow painting.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <functional>

#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/edit_combo.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "gui/support/panel_rig.h"
#include "model/lighting_panel.h"
#include "skin/ini_file.h"
#include "skin/language.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::PanelRig;
using Requests = std::vector<std::vector<std::uint8_t>>;

constexpr int kEscButton = 1022;
const QColor kPicked(10, 20, 30);

void Click(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Moves a slider to `position` as a mouse click does.
void ClickSlider(BitmapSlider* slider, int position) {
  ASSERT_NE(slider, nullptr);
  for (int x = 0; x < slider->width(); ++x) {
    if (slider->PositionAt(x) == position) {
      QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, slider->height() / 2));
      return;
    }
  }
  FAIL() << "no x gives position " << position;
}

// Picks `colour` through the colour button's pop-up and its "other" button.
void PickColour(ColourButton* button, const QColor& colour) {
  ASSERT_NE(button, nullptr);
  button->SetOtherColourPicker([colour](const QColor&, QWidget*) { return std::optional<QColor>(colour); });
  Click(button);
  ASSERT_NE(button->Popup(), nullptr);
  button->ChooseOther();
}

// Chooses entry `index` of a drop-down list in its pop-up, with the
// keyboard, as a user does.
void ChooseEntry(QComboBox* list, int index) {
  ASSERT_NE(list, nullptr);
  list->showPopup();
  QAbstractItemView* entries = list->view();
  entries->setCurrentIndex(entries->model()->index(index, list->modelColumn()));
  QTest::keyClick(entries, Qt::Key_Return);
  ASSERT_EQ(list->currentIndex(), index);
}

int PositionOf(LightingController& lighting, int effect) { return lighting.State().effects.PositionOf(effect); }

// The lighting switch on and `effect` selected, through the controller.
void Prepare(LightingController& lighting, int effect) {
  if (!lighting.State().lightingSwitch) lighting.ToggleLightingSwitch();
  if (effect > 0) lighting.SelectEffect(PositionOf(lighting, effect));
}

struct ControlCase {
  const char* name;
  int effect;  // selected before the action; 0 leaves the switch off
  std::function<void(PanelRig&)> user;
  std::function<void(LightingController&)> direct;
  bool writes = true;
};

TEST(LightingPanelControls, EveryControlSendsExactlyTheControllersWrites) {
  auto slider = [](const char* name) {
    return [name](PanelRig& rig) {
      auto* s = rig.Find<BitmapSlider>(name);
      ClickSlider(s, s->Position() == 0 ? 1 : 0);
    };
  };
  const std::vector<ControlCase> cases = {
      // On the profile the window already shows, the switch sends nothing.
      {"lighting switch", 0, [](PanelRig& r) { Click(r.Find("CONTROL_DengStaPic")); },
       [](LightingController& l) { l.ToggleLightingSwitch(); }, false},
      {"effect list", 1, [](PanelRig& r) { ChooseEntry(r.Find<QComboBox>("CONTROL_XGcombox"), PositionOf(r.Lighting(), 5)); },
       [](LightingController& l) { l.SelectEffect(PositionOf(l, 5)); }},
      {"brightness", 1, slider("CONTROL_LightSlider"),
       [](LightingController& l) { l.SetBrightness(l.State().brightness == 0 ? 1 : 0); }},
      {"speed", 1, slider("CONTROL_SpeedSlider"),
       [](LightingController& l) { l.SetSpeedPosition(SpeedSliderPosition(l.State().speed) == 0 ? 1 : 0); }},
      {"first arrow", 1, [](PanelRig& r) { Click(r.Find("CONTROL_BLFXLStaPic")); },
       [](LightingController& l) { l.SetDirection(DirectionArrow::kFirst); }},
      {"second arrow", 18, [](PanelRig& r) { Click(r.Find("CONTROL_BLFXRStaPic")); },
       [](LightingController& l) { l.SetDirection(DirectionArrow::kSecond); }},
      {"colour A", 1, [](PanelRig& r) { PickColour(r.Find<ColourButton>("CONTROL_HXysButton"), kPicked); },
       [](LightingController& l) { l.SetColour({10, 20, 30}); }},
      {"colour B", 6, [](PanelRig& r) { PickColour(r.Find<ColourButton>("CONTROL_FYYSButton"), kPicked); },
       [](LightingController& l) { l.SetColour({10, 20, 30}); }},
      {"random A", 1, [](PanelRig& r) { Click(r.Find("CONTROL_HXsjsStaPic")); },
       [](LightingController& l) { l.ToggleRandomColour(); }},
      {"random B", 16, [](PanelRig& r) { Click(r.Find("CONTROL_FYSJSStaPic")); },
       [](LightingController& l) { l.ToggleRandomColour(); }},
      {"colour choice", 17, [](PanelRig& r) { Click(r.Find("CONTROL_LVPIC")); },
       [](LightingController& l) { l.SetColourChoice(2); }},
      {"report rate", 4, [](PanelRig& r) { Click(r.Find("FUNC_REPORT3")); },
       [](LightingController& l) { l.SetReportRate(2); }},
      {"user slot", 20, [](PanelRig& r) { ChooseEntry(r.Find<QComboBox>("CONTROL_umCombo"), 3); },
       [](LightingController& l) { l.SelectUserSlot(3); }},
      {"base colour", 20, [](PanelRig& r) { PickColour(r.Find<ColourButton>("CONTROL_USERjsButton"), kPicked); },
       [](LightingController& l) { l.SetBaseColour({10, 20, 30}); }},
      {"paint colour", 20, [](PanelRig& r) { PickColour(r.Find<ColourButton>("CONTROL_USERysButton"), kPicked); },
       [](LightingController& l) { l.SetPaintColour({10, 20, 30}); }, false},
      {"tool", 20, [](PanelRig& r) { Click(r.Find("CONTROL_USERgjStaPic2")); },
       [](LightingController& l) { l.SetTool(1); }, false},
  };
  for (const ControlCase& test : cases) {
    SCOPED_TRACE(test.name);
    Requests byUser;
    {
      PanelRig rig;
      ASSERT_TRUE(rig.Connect());
      if (test.effect > 0) Prepare(rig.Lighting(), test.effect);
      rig.keyboard.ClearExchanges();
      test.user(rig);
      byUser = rig.Requests();
    }
    Requests direct;
    {
      CoreRig rig;
      ASSERT_TRUE(rig.Connect());
      if (test.effect > 0) Prepare(rig.core->Lighting(), test.effect);
      rig.keyboard.ClearExchanges();
      test.direct(rig.core->Lighting());
      for (const SimulatedExchange& e : rig.keyboard.Exchanges()) direct.emplace_back(e.request.begin(), e.request.end());
    }
    EXPECT_EQ(byUser, direct);
    EXPECT_EQ(direct.empty(), !test.writes);
  }
}

// Which controls show for each effect, by skin key.
struct ShownControl {
  const char* name;
  bool EffectControls::*flag;
};
constexpr ShownControl kEffectControls[] = {
    {"CONTROL_LightSlider", &EffectControls::brightness}, {"CONTROL_LightStatic", &EffectControls::brightness},
    {"CONTROL_SpeedSlider", &EffectControls::speed},      {"CONTROL_SpeedStatic", &EffectControls::speed},
    {"CONTROL_BLFXStatic", &EffectControls::direction},   {"CONTROL_BLFXLStaPic", &EffectControls::direction},
    {"CONTROL_BLFXRStaPic", &EffectControls::direction},  {"CONTROL_HXysButton", &EffectControls::colourGroupA},
    {"CONTROL_HXysStatic", &EffectControls::colourGroupA}, {"CONTROL_HXsjsStaPic", &EffectControls::colourGroupA},
    {"CONTROL_HXsjsStatic", &EffectControls::colourGroupA}, {"CONTROL_FYYSButton", &EffectControls::colourGroupB},
    {"CONTROL_FYYSStatic", &EffectControls::colourGroupB}, {"CONTROL_FYSJSStaPic", &EffectControls::colourGroupB},
    {"CONTROL_FYSJSStatic", &EffectControls::colourGroupB}, {"CONTROL_HONGPIC", &EffectControls::colourChoice},
    {"CONTROL_HUANGPIC", &EffectControls::colourChoice},  {"CONTROL_LVPIC", &EffectControls::colourChoice},
    {"CONTROL_LANPIC", &EffectControls::colourChoice},    {"CONTROL_umCombo", &EffectControls::userGroup},
    {"CONTROL_USERysButton", &EffectControls::userGroup}, {"CONTROL_USERjsButton", &EffectControls::userGroup},
    {"CONTROL_USERgjStaPic1", &EffectControls::userGroup}, {"CONTROL_USERgjStaPic2", &EffectControls::userGroup},
};
constexpr const char* kAlwaysShown[] = {"CONTROL_XGcombox", "FUNC_REPORT1", "FUNC_REPORT4", "CONTROL_UsbStatic"};
// The colour number fields change nothing whatever is typed: never shown.
constexpr const char* kNeverShown[] = {"COLOR_R", "COLOR_G", "COLOR_B", "CONTROL_RGBStatic"};
// The panel's controls that act (the ones EveryControlSendsExactlyTheControllersWrites
// clicks); every other visible panel widget is a label.
constexpr const char* kActingControls[] = {
    "CONTROL_DengStaPic", "CONTROL_XGcombox", "CONTROL_LightSlider", "CONTROL_SpeedSlider", "CONTROL_BLFXLStaPic",
    "CONTROL_BLFXRStaPic", "CONTROL_HXysButton", "CONTROL_FYYSButton", "CONTROL_HXsjsStaPic", "CONTROL_FYSJSStaPic",
    "CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC", "FUNC_REPORT1", "FUNC_REPORT2",
    "FUNC_REPORT3", "FUNC_REPORT4", "CONTROL_umCombo", "CONTROL_USERysButton", "CONTROL_USERjsButton",
    "CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2"};

// Every visible widget of the panel that takes input is one whose click
// reaches the keyboard's record or the view.
void ExpectOnlyActingControlsShown(PanelRig& rig) {
  for (QWidget* widget : rig.window->findChildren<QWidget*>()) {
    const std::string name = widget->objectName().toStdString();
    if (!widget->isVisible() || widget->parentWidget() != rig.window.get()) continue;
    if (!(name.rfind("CONTROL_", 0) == 0 || name.rfind("FUNC_", 0) == 0 || name.rfind("COLOR_", 0) == 0)) continue;
    if (qobject_cast<SkinLabel*>(widget) != nullptr) continue;
    EXPECT_NE(std::find(std::begin(kActingControls), std::end(kActingControls), name), std::end(kActingControls))
        << name << " is shown but acts on nothing";
  }
}

TEST(LightingPanelVisibility, EveryEffectShowsExactlyItsControls) {
  PanelRig rig;
  std::vector<std::uint8_t> effects(32, 0);
  for (int e = 1; e <= 21; ++e) effects[static_cast<std::size_t>(e - 1)] = static_cast<std::uint8_t>(e);
  ASSERT_TRUE(rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, 12, effects));
  ASSERT_TRUE(rig.Connect());
  Prepare(rig.Lighting(), 0);
  for (int effect = 1; effect <= 21; ++effect) {
    SCOPED_TRACE("effect " + std::to_string(effect));
    ChooseEntry(rig.Find<QComboBox>("CONTROL_XGcombox"), effect - 1);
    ASSERT_EQ(rig.Lighting().State().effect, effect);
    const EffectControls shown = ControlsForEffect(effect);
    for (const ShownControl& control : kEffectControls) {
      EXPECT_EQ(rig.Find(control.name)->isVisible(), shown.*control.flag) << control.name;
    }
    for (const char* name : kAlwaysShown) EXPECT_TRUE(rig.Find(name)->isVisible()) << name;
    for (const char* name : kNeverShown) EXPECT_FALSE(rig.Find(name)->isVisible()) << name;
    EXPECT_FALSE(rig.Find("LIGHT_READ_ERROR")->isVisible());
    ExpectOnlyActingControlsShown(rig);
  }
  // Switched off, nothing of the panel but the switch shows.
  Click(rig.Find("CONTROL_DengStaPic"));
  for (const ShownControl& control : kEffectControls) EXPECT_FALSE(rig.Find(control.name)->isVisible()) << control.name;
  for (const char* name : kAlwaysShown) EXPECT_FALSE(rig.Find(name)->isVisible()) << name;
  for (const char* name : kNeverShown) EXPECT_FALSE(rig.Find(name)->isVisible()) << name;
  EXPECT_TRUE(rig.Find("CONTROL_DengStaPic")->isVisible());
  ExpectOnlyActingControlsShown(rig);
}

TEST(LightingPanelPainting, PaintingEscFramesItAndSendsThreeBytes) {
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  Prepare(rig.Lighting(), 20);
  Click(rig.Find("CONTROL_USERgjStaPic1"));  // the paint colour tool
  PickColour(rig.Find<ColourButton>("CONTROL_USERysButton"), QColor(1, 2, 3));
  rig.keyboard.ClearExchanges();

  ImageButton* esc = rig.keys->KeyButton(kEscButton);
  Click(esc);
  EXPECT_TRUE(esc->InFrameMode());
  EXPECT_EQ(esc->FrameColour(), QColor(1, 2, 3));
  const auto exchanges = rig.keyboard.Exchanges();
  ASSERT_EQ(exchanges.size(), 3u);
  EXPECT_EQ(exchanges[1].request.at(3), 0x11);
  EXPECT_EQ(exchanges[1].request.at(4), 3);

  // The base colour takes every key still marked; Esc keeps its paint.
  PickColour(rig.Find<ColourButton>("CONTROL_USERjsButton"), QColor(0, 0, 200));
  int repainted = 0;
  for (int id : rig.keys->KeyButtonIds()) {
    ImageButton* button = rig.keys->KeyButton(id);
    if (id == kEscButton) continue;
    if (BaseMark(rig.Lighting().Colours(), rig.core->CurrentProfile(), id)) {
      EXPECT_EQ(button->FrameColour(), QColor(0, 0, 200)) << id;
      ++repainted;
    }
  }
  EXPECT_GT(repainted, 40);
  EXPECT_EQ(esc->FrameColour(), QColor(1, 2, 3));

  // Another effect clears every frame and every checked state.
  ChooseEntry(rig.Find<QComboBox>("CONTROL_XGcombox"), PositionOf(rig.Lighting(), 1));
  for (int id : rig.keys->KeyButtonIds()) {
    EXPECT_FALSE(rig.keys->KeyButton(id)->InFrameMode()) << id;
    EXPECT_FALSE(rig.keys->KeyButton(id)->isChecked()) << id;
  }
}

// Everything in the per-user folder, by file name.
std::map<std::string, std::string> UserFiles() {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(UserDataFolder())) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(LightingPanelSlots, RenamingInPlaceWritesTheNameToTheLightingFileOnly) {
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  Prepare(rig.Lighting(), 20);
  auto* slotList = rig.Find<EditCombo>("CONTROL_umCombo");
  const int slot = rig.Lighting().Colours().slot.currentSlot;
  const std::string file = UserLightingFiles().LightingFilePath(rig.core->CurrentProfile());
  std::map<std::string, std::string> before = UserFiles();
  rig.keyboard.ClearExchanges();

  slotList->lineEdit()->setFocus();
  slotList->lineEdit()->selectAll();
  QTest::keyClicks(slotList->lineEdit(), "Desk");
  EXPECT_EQ(ReadProfileString(file, "MODENAME", std::to_string(slot), "", 64), "Desk");
  EXPECT_EQ(slotList->itemText(slot), "Desk");
  EXPECT_EQ(rig.Lighting().Colours().slot.currentSlot, slot);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  std::map<std::string, std::string> after = UserFiles();
  const std::string name = std::filesystem::path(file).filename().string();
  after.erase(name);
  before.erase(name);
  EXPECT_EQ(after, before);
}

TEST(LightingPanelRefresh, ARefreshSendsNothingAndRenamesNoSlot) {
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  Prepare(rig.Lighting(), 20);
  const std::map<std::string, std::string> before = UserFiles();
  rig.keyboard.ClearExchanges();
  rig.Lighting().RefreshLightingPanel();
  rig.Lighting().FillSlotList();
  rig.Lighting().RefreshUserGroup();
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_EQ(UserFiles(), before);

  // The sequences that refresh the panel send what the core sends without
  // a window, and nothing of the panel's own.
  auto sequences = [](auto& rig, AppCore& core) {
    core.ProfileButton(3);
    core.OnProfileNotification();
    core.ConnectionRefresh();
    Requests requests;
    for (const SimulatedExchange& e : rig.keyboard.Exchanges()) requests.emplace_back(e.request.begin(), e.request.end());
    return requests;
  };
  const Requests withPanel = sequences(rig, *rig.core);
  EXPECT_EQ(UserFiles().size(), before.size());
  Requests withoutPanel;
  {
    CoreRig plain;
    ASSERT_TRUE(plain.Connect());
    Prepare(plain.core->Lighting(), 20);
    plain.keyboard.ClearExchanges();
    withoutPanel = sequences(plain, *plain.core);
  }
  EXPECT_EQ(withPanel, withoutPanel);
}

// The buttons whose click does nothing in the current state say why in
// their tooltip: G1..G5 and Fn while the switch is off, and every key while
// another effect than the user effect is on.
TEST(LightingPanelNotes, ButtonsThatCannotActSayWhyInTheirTooltip) {
  constexpr int kG1 = 1000;
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  ImageButton* g1 = rig.keys->KeyButton(kG1);
  ImageButton* esc = rig.keys->KeyButton(kEscButton);
  EXPECT_EQ(g1->Note().toStdString(), LookupText("LIGHT_KEY_COLOUR_ONLY"));
  EXPECT_TRUE(g1->ShownTooltip().endsWith(g1->Note()));
  EXPECT_TRUE(esc->Note().isEmpty());

  Prepare(rig.Lighting(), 1);
  EXPECT_EQ(esc->Note().toStdString(), LookupText("LIGHT_KEY_USER_EFFECT_ONLY"));
  Prepare(rig.Lighting(), 20);
  EXPECT_TRUE(esc->Note().isEmpty());
  EXPECT_TRUE(g1->Note().isEmpty());
  EXPECT_FALSE(esc->Dimmed());
}

// After a failed re-read the panel offers nothing and shows why.
TEST(LightingPanelFaults, AnUnreadProfileShowsTheNoticeAndSendsNothing) {
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.keyboard.LoseNextReplies(4);
  rig.core->ProfileButton(2);
  ASSERT_TRUE(rig.Lighting().LightingUnread());
  // The switch selects the profile (two exchanges); the lighting read after
  // it finds no keyboard.
  rig.keyboard.UnplugAfter(2);
  Click(rig.Find("CONTROL_DengStaPic"));
  EXPECT_TRUE(rig.Find("LIGHT_READ_ERROR")->isVisible());
  EXPECT_FALSE(rig.Find("CONTROL_XGcombox")->isVisible());
  EXPECT_FALSE(rig.Find("FUNC_REPORT1")->isVisible());
}

}  // namespace
}  // namespace zarvel
