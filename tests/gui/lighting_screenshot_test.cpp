// A picture of the lighting panel for people to look at: the user effect
// with a few painted keys, written to build/screenshots/lighting.png.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>

#include "controls/colour_button.h"
#include "gui/support/panel_rig.h"

namespace zarvel {
namespace {

using testing::PanelRig;

void Pick(ColourButton* button, const QColor& colour) {
  ASSERT_NE(button, nullptr);
  button->SetOtherColourPicker([colour](const QColor&, QWidget*) { return std::optional<QColor>(colour); });
  button->OpenPopup();
  button->ChooseOther();
}

TEST(LightingScreenshot, UserEffectWithPaintedKeys) {
  PanelRig rig;
  ASSERT_TRUE(rig.Connect());
  LightingController& lighting = rig.Lighting();
  lighting.ToggleLightingSwitch();
  lighting.SelectEffect(lighting.State().effects.PositionOf(kUserEffect));
  lighting.SetTool(0);
  const std::pair<QColor, std::vector<int>> strokes[] = {
      {QColor(255, 200, 0), {1022, 1010, 1011}},  // Esc, F1, F2
      {QColor(40, 220, 60), {1174}},              // Fn
      {QColor(0, 200, 255), {1000, 1001}},        // G1, G2
  };
  for (const auto& [colour, buttons] : strokes) {
    Pick(rig.Find<ColourButton>("CONTROL_USERysButton"), colour);
    for (int id : buttons) rig.keys->KeyButton(id)->click();
  }
  EXPECT_TRUE(rig.keys->KeyButton(1022)->InFrameMode());

  const QPixmap shot = rig.window->grab();
  ASSERT_FALSE(shot.isNull());
  const QString folder = QString::fromUtf8(ZARVEL_BINARY_DIR) + "/screenshots";
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(shot.save(folder + "/lighting.png"));

  // Esc's frame is drawn in its paint colour.
  const QImage image = shot.toImage();
  const QRect esc = rig.keys->KeyButton(1022)->geometry();
  EXPECT_EQ(image.pixelColor(esc.left(), esc.center().y()), QColor(255, 200, 0));
}

}  // namespace
}  // namespace zarvel
