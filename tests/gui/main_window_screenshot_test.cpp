// The main window as a keyboard owner sees it on the simulated keyboard,
// saved to build/screenshots/main.png; pixels are checked where the skin
// puts the checked profile button and an assigned key.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "core/key_buttons.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_placement.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::KeyTo;
using testing::MainWindowRig;

// A point a few pixels inside a control, away from its caption.
QPoint InsideCorner(const Placement& placement) { return QPoint(placement.left + 3, placement.top + 3); }

// What the state image shows at a window point (buttons show their piece
// one pixel up and left of their position).
QRgb StateImagePixel(const char* image, QPoint point) {
  return SkinImageCache::Instance().Image(image).pixel(point - QPoint(1, 1));
}

TEST(MainWindowScreenshotTest, CheckedProfileAndAssignedKeyShowTheirCheckedPictures) {
  MainWindowRig rig;
  const std::uint8_t profile = 1;
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, std::span(&profile, 1));
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.core->AssignKey(0x1E, KeyTo(0x30)));  // A types B
  rig.window->ShowRequest();
  rig.WaitFor([&] { return rig.window->isVisible(); });

  const QImage shot = rig.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QString folder = QString(ZARVEL_BINARY_DIR) + "/screenshots";
  QDir().mkpath(folder);
  ASSERT_TRUE(shot.save(folder + "/main.png"));
  ASSERT_FALSE(rig.window->Background().isNull()) << "the shipped skin has no background";
  ASSERT_EQ(shot.size(), rig.window->Background().size() * rig.window->Background().devicePixelRatio());

  const QImage normal = SkinImageCache::Instance().Image("main_normal.jpg");
  auto check = [&](const char* skin_key, bool checked) {
    const QPoint at = InsideCorner(ReadPlacement(rig.window->Skin(), skin_key));
    const QRgb expected = StateImagePixel(checked ? "main_down.jpg" : "main_normal.jpg", at);
    EXPECT_EQ(shot.pixel(at), expected) << skin_key;
  };
  // The skin must tell the states apart, or the check below proves nothing.
  const QPoint profile_point = InsideCorner(ReadPlacement(rig.window->Skin(), "FUNC_PROFILE2"));
  ASSERT_NE(StateImagePixel("main_down.jpg", profile_point), normal.pixel(profile_point - QPoint(1, 1)));

  check("FUNC_PROFILE2", true);
  check("FUNC_PROFILE1", false);
  check("KEY_01E", true);   // A, assigned
  check("KEY_01F", false);  // S, as the keyboard came
}

}  // namespace
}  // namespace zarvel
