// The skinned window: its outline from the mask picture, its background,
// and keys that must not close it.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <filesystem>

#include "gui/support/test_skin.h"
#include "skin/ini_file.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_region.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {
namespace {

using testing::GeneratedPixel;
using testing::kTestSkinSize;
using testing::TestSkin;

// The number of pixels a region covers.
long long Area(const QRegion& region) {
  long long area = 0;
  for (const QRect& rect : region) area += static_cast<long long>(rect.width()) * rect.height();
  return area;
}

QImage Filled(QSize size, QRgb colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

TEST(RegionFromMask, WhiteIsOutsideEveryOtherColourInside) {
  const QSize size(64, 32);
  EXPECT_TRUE(RegionFromMask(Filled(size, qRgb(255, 255, 255))).isEmpty());
  EXPECT_EQ(RegionFromMask(Filled(size, qRgb(0, 0, 0))), QRegion(0, 0, 64, 32));
  // Nearly white is still inside: only pure white cuts.
  EXPECT_EQ(RegionFromMask(Filled(size, qRgb(255, 255, 254))), QRegion(0, 0, 64, 32));
  EXPECT_TRUE(RegionFromMask(QImage()).isEmpty());

  // A round-cornered outline: white corners are cut, the rest stays.
  QImage rounded = Filled(size, qRgb(20, 20, 20));
  rounded.setPixel(0, 0, qRgb(255, 255, 255));
  rounded.setPixel(63, 31, qRgb(255, 255, 255));
  const QRegion region = RegionFromMask(rounded);
  EXPECT_FALSE(region.contains(QPoint(0, 0)));
  EXPECT_FALSE(region.contains(QPoint(63, 31)));
  EXPECT_TRUE(region.contains(QPoint(1, 0)));
  EXPECT_TRUE(region.contains(QPoint(63, 30)));
  EXPECT_EQ(Area(region), 64 * 32 - 2);

  // Alpha plays no part: a transparent black pixel is inside.
  QImage alpha(size, QImage::Format_ARGB32);
  alpha.fill(qRgba(0, 0, 0, 0));
  EXPECT_EQ(Area(RegionFromMask(alpha)), 64 * 32);
}

TEST(RegionFromMask, ManyRunsAcrossSeveralBatchesKeepEveryPixel) {
  // A checkerboard: every pixel its own run, far more than one batch.
  const QSize size(120, 100);
  QImage board = Filled(size, qRgb(255, 255, 255));
  for (int y = 0; y < size.height(); ++y)
    for (int x = (y % 2); x < size.width(); x += 2) board.setPixel(x, y, qRgb(0, 0, 0));
  ASSERT_GT(size.width() * size.height() / 2, 2 * kRegionBatchSize);
  const QRegion region = RegionFromMask(board);
  EXPECT_EQ(Area(region), size.width() * size.height() / 2);
  for (QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(119, 99), QPoint(60, 50), QPoint(119, 1)})
    EXPECT_TRUE(region.contains(p)) << p.x() << "," << p.y();
  for (QPoint p : {QPoint(1, 0), QPoint(0, 1), QPoint(118, 99), QPoint(61, 50)})
    EXPECT_FALSE(region.contains(p)) << p.x() << "," << p.y();
}

class SkinnedDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { SkinImageCache::Instance().SetFolder(skin_.Folder()); }
  void TearDown() override { SkinImageCache::Instance().SetFolder(""); }
  TestSkin skin_;
};

TEST_F(SkinnedDialogTest, TakesItsSizeOutlineAndPictureFromTheSkin) {
  SkinnedDialog window("Profile.ini");
  ASSERT_TRUE(window.LoadSkin());
  EXPECT_EQ(window.size(), kTestSkinSize);
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
  // The test mask cuts a small white triangle at the top-left corner.
  EXPECT_FALSE(window.WindowRegion().contains(QPoint(0, 0)));
  EXPECT_TRUE(window.WindowRegion().contains(QPoint(5, 5)));
  EXPECT_EQ(window.mask(), window.WindowRegion());
  EXPECT_EQ(window.grab().toImage().pixelColor(100, 50), GeneratedPixel("profile_bg.png", 100, 50));
}

TEST_F(SkinnedDialogTest, MaskEdgeCases) {
  // White everywhere: nothing of the window is left, also for the window
  // system (an empty mask would mean "no mask" and show the whole square).
  skin_.WriteImage("main_mask.png", Filled(kTestSkinSize, qRgb(255, 255, 255)));
  SkinnedDialog blank("Main.ini");
  ASSERT_TRUE(blank.LoadSkin());
  EXPECT_TRUE(blank.WindowRegion().isEmpty());
  EXPECT_FALSE(blank.mask().isEmpty());
  EXPECT_TRUE(blank.mask().intersected(blank.rect()).isEmpty());

  // No white anywhere: the whole rectangle.
  skin_.WriteImage("profile_mask.png", Filled(kTestSkinSize, qRgb(10, 10, 10)));
  SkinnedDialog full("Profile.ini");
  ASSERT_TRUE(full.LoadSkin());
  EXPECT_EQ(full.mask(), QRegion(full.rect()));

  // Without a "Mask" key the background is its own mask (the generated
  // background has no white pixel).
  ASSERT_TRUE(DeleteProfileKey(skin_.Path("Composite.ini"), "SCREEN", "Mask"));
  SkinnedDialog ownMask("Composite.ini");
  ASSERT_TRUE(ownMask.LoadSkin());
  EXPECT_EQ(ownMask.WindowRegion(), QRegion(ownMask.rect()));
}

TEST_F(SkinnedDialogTest, ABrokenSkinLeavesTheWindowUnskinnedInsteadOfFailing) {
  std::filesystem::remove(skin_.Path("main_bg.png"));
  SkinnedDialog noBackground("Main.ini");
  EXPECT_FALSE(noBackground.LoadSkin());
  EXPECT_TRUE(noBackground.Background().isNull());

  std::filesystem::remove(skin_.Path("Profile.ini"));
  SkinnedDialog noFile("Profile.ini");
  EXPECT_FALSE(noFile.LoadSkin());
}

class KeyWatchingDialog : public SkinnedDialog {
 public:
  using SkinnedDialog::SkinnedDialog;
  std::vector<int> keys;

 protected:
  void KeyPressed(QKeyEvent* event) override { keys.push_back(event->key()); }
};

TEST_F(SkinnedDialogTest, EnterAndEscReachTheWindowButNeverCloseIt) {
  KeyWatchingDialog window("Main.ini");
  ASSERT_TRUE(window.LoadSkin());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QTest::keyClick(&window, static_cast<Qt::Key>(key));
    EXPECT_TRUE(window.isVisible()) << key;
    EXPECT_EQ(window.result(), 0);
  }
  EXPECT_EQ(window.keys, (std::vector<int>{Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}));

  // The plain base swallows them too.
  SkinnedDialog plain("Main.ini");
  ASSERT_TRUE(plain.LoadSkin());
  plain.show();
  QTest::keyClick(&plain, Qt::Key_Escape);
  EXPECT_TRUE(plain.isVisible());
}

}  // namespace
}  // namespace zarvel
