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
#include "core/lighting_controller.h"
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

  // Esc's frame is drawn in its paint colour.
  const QRect esc = rig.Button(1022)->geometry();
  EXPECT_EQ(shot.pixelColor(esc.left(), esc.center().y()), QColor(255, 200, 0));
}

}  // namespace
}  // namespace zarvel
