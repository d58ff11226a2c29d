// A picture of the main window for people to look at: the user effect with
// a few painted keys, written to build/screenshots/lighting.png.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QTest>

#include "controls/colour_button.h"
#include "controls/skin_picture.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "skin/language.h"
#include "skin/widgets/image_button.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::MainWindowRig;

template <typename Control = QWidget>
Control* Find(MainWindowRig& rig, const char* name) {
  auto* control = rig.window->findChild<Control*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

void Pick(ColourButton* button, const QColor& colour) {
  button->SetOtherColourPicker([colour](const QColor&, QWidget*) { return std::optional<QColor>(colour); });
  QTest::mouseClick(button, Qt::LeftButton);
  button->ChooseOther();
}

TEST(LightingScreenshot, UserEffectWithPaintedKeys) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));

  QTest::mouseClick(Find(rig, "CONTROL_DengStaPic"), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  auto* effects = Find<QComboBox>(rig, "CONTROL_XGcombox");
  effects->showPopup();
  effects->view()->setCurrentIndex(
      effects->model()->index(rig.core->Lighting().State().effects.PositionOf(kUserEffect), 0));
  QTest::keyClick(effects->view(), Qt::Key_Return);
  ASSERT_TRUE(rig.WaitIdle());
  ASSERT_EQ(rig.core->Lighting().State().effect, kUserEffect);
  QTest::mouseClick(Find(rig, "CONTROL_USERgjStaPic1"), Qt::LeftButton);  // the paint colour tool

  const std::pair<QColor, std::vector<int>> strokes[] = {
      {QColor(255, 200, 0), {1022, 1010, 1011}},  // Esc, F1, F2
      {QColor(40, 220, 60), {1174}},              // Fn
      {QColor(0, 200, 255), {1000, 1001}},        // G1, G2
      {QColor(0, 0, 90), {1058, 1059}},           // A, S: a dark colour on the dark skin
  };
  for (const auto& [colour, buttons] : strokes) {
    Pick(Find<ColourButton>(rig, "CONTROL_USERysButton"), colour);
    for (int id : buttons) {
      rig.Click(id);
      ASSERT_TRUE(rig.WaitIdle());
    }
  }
  ASSERT_TRUE(rig.Button(1022)->InFrameMode());

  const QImage shot = rig.window->grab().toImage();
  const QString folder = QString::fromUtf8(ZARVEL_BINARY_DIR) + "/screenshots";
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(shot.save(folder + "/lighting.png"));

  // Esc's frame is drawn in its paint colour, and its cap is tinted with it.
  const QRect esc = rig.Button(1022)->geometry();
  EXPECT_EQ(shot.pixelColor(esc.left(), esc.center().y()), QColor(255, 200, 0));
  const QColor cap = shot.pixelColor(esc.center());
  EXPECT_GT(cap.red(), 150);
  EXPECT_GT(cap.green(), 100);
  // The dark blue key shows a light line inside its frame.
  const QRect a = rig.Button(1058)->geometry();
  EXPECT_EQ(shot.pixelColor(a.left(), a.center().y()), QColor(0, 0, 90));
  EXPECT_GT(shot.pixelColor(a.left() + kColouredKeyFrameWidth, a.center().y()).lightness(), 150);

  // Keys without a light (F5, the arrows, the number pad) are drawn dimmed
  // and their tooltip says they take no colour; lit keys are not dimmed.
  for (int unlit : {1014, 1105}) {
    ImageButton* key = rig.Button(unlit);
    ASSERT_NE(key, nullptr) << unlit;
    EXPECT_TRUE(key->Dimmed()) << unlit;
    EXPECT_EQ(key->Note().toStdString(), LookupText("LIGHT_KEY_NO_LIGHT")) << unlit;
  }
  EXPECT_FALSE(rig.Button(1022)->Dimmed());
  EXPECT_FALSE(rig.Button(1000)->Dimmed());
  // The dimming is drawn: without it the key looks different.
  const QRect f5 = rig.Button(1014)->geometry();
  rig.Button(1014)->SetDimmed(false);
  EXPECT_NE(shot.copy(f5), rig.window->grab().toImage().copy(f5));
  rig.Button(1014)->SetDimmed(true);

  // Switched off, nothing stays dimmed and G1 says it only takes a colour.
  QTest::mouseClick(Find(rig, "CONTROL_DengStaPic"), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.Button(1014)->Dimmed());
  EXPECT_EQ(rig.Button(1000)->Note().toStdString(), LookupText("LIGHT_KEY_COLOUR_ONLY"));
}

// With the lighting switch on, a key's mark shows its colour, not its
// assignment: clicking an assigned key to paint it leaves it unmarked.
TEST(LightingScreenshot, APaintClickDoesNotMarkAnAssignedKeyAgain) {
  constexpr int kOneButton = 1030;  // the "1" key
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));
  rig.core->AssignKey(static_cast<std::size_t>(KeyOfButton(kOneButton).record), testing::KeyTo(0x30));
  QCoreApplication::processEvents();
  ASSERT_TRUE(rig.Button(kOneButton)->isChecked());

  QTest::mouseClick(Find(rig, "CONTROL_DengStaPic"), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  rig.core->Lighting().SelectEffect(rig.core->Lighting().State().effects.PositionOf(kUserEffect));
  ASSERT_FALSE(rig.Button(kOneButton)->isChecked());
  rig.Click(kOneButton);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.Button(kOneButton)->isChecked());
  EXPECT_TRUE(rig.Button(kOneButton)->InFrameMode());

  // Switched off, the assignment shows again.
  QTest::mouseClick(Find(rig, "CONTROL_DengStaPic"), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.Button(kOneButton)->isChecked());
}

}  // namespace
}  // namespace zarvel
