// Image buttons on a skinned window: where they sit, which piece of which
// state image they show, frame mode, and which signals they give.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include "gui/support/test_skin.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_placement.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {
namespace {

using testing::GeneratedPixel;
using testing::TestSkin;

class ImageButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { SkinImageCache::Instance().SetFolder(skin_.Folder()); }
  void TearDown() override { SkinImageCache::Instance().SetFolder(""); }

  // A main window of the test skin with one button placed from `value`.
  std::unique_ptr<SkinnedDialog> WindowWithButton(std::string_view value, ImageButton*& button) {
    skin_.Place("Main.ini", "FUNC_TEST", value);
    auto window = std::make_unique<SkinnedDialog>("Main.ini");
    EXPECT_TRUE(window->LoadSkin());
    button = new ImageButton(window.get());
    PlaceImageButton(window->Skin(), "FUNC_TEST", *button,
                     window->LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg"));
    return window;
  }

  static QColor PixelAt(QWidget& window, QPoint at) { return window.grab().toImage().pixelColor(at); }

  TestSkin skin_;
};

TEST_F(ImageButtonTest, PlacementReadsFourNumbersAndShowsThePieceOneUpAndLeft) {
  ImageButton* button = nullptr;
  auto window = WindowWithButton("10,20,30,40", button);
  EXPECT_EQ(button->geometry(), QRect(10, 20, 30, 40));
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(button->ImageOrigin(), QPoint(10, 20));
  // The button's own top-left pixel shows the state image's (9, 19), its
  // bottom-right one (38, 58).
  EXPECT_EQ(PixelAt(*window, {10, 20}), GeneratedPixel("main_normal.jpg", 9, 19));
  EXPECT_EQ(PixelAt(*window, {39, 59}), GeneratedPixel("main_normal.jpg", 38, 58));
  // Just outside the button the window's background shows.
  EXPECT_EQ(PixelAt(*window, {40, 60}), GeneratedPixel("main_bg.png", 40, 60));

  ImageButton* extra = nullptr;
  auto other = WindowWithButton("10,20,30,40,99,junk", extra);
  EXPECT_EQ(extra->geometry(), QRect(10, 20, 30, 40));
  EXPECT_EQ(extra->ImageOrigin(), QPoint(10, 20));
}

TEST_F(ImageButtonTest, ButtonsTheSkinDoesNotPlaceAreDisabled) {
  auto window = std::make_unique<SkinnedDialog>("Main.ini");
  ASSERT_TRUE(window->LoadSkin());
  StateImages images = window->LoadStateImages("main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg");

  ImageButton missing(window.get());
  EXPECT_EQ(PlaceImageButton(window->Skin(), "NO_SUCH_KEY", missing, images), (Placement{1, 1, 1, 1}));
  EXPECT_EQ(missing.geometry(), QRect(1, 1, 1, 1));
  EXPECT_FALSE(missing.isEnabled());

  skin_.Place("Main.ini", "AT_ONE", "1,1,50,20");
  ImageButton atOne(window.get());
  PlaceImageButton(window->Skin(), "AT_ONE", atOne, images);
  EXPECT_EQ(atOne.geometry(), QRect(1, 1, 50, 20));
  EXPECT_FALSE(atOne.isEnabled());

  skin_.Place("Main.ini", "AT_TWO", "2,1,50,20");
  ImageButton atTwo(window.get());
  PlaceImageButton(window->Skin(), "AT_TWO", atTwo, images);
  EXPECT_TRUE(atTwo.isEnabled());
}

TEST_F(ImageButtonTest, OtherPlacementsMoveSizeOrTakeTheirOriginElsewhere) {
  auto window = std::make_unique<SkinnedDialog>("Main.ini");
  ASSERT_TRUE(window->LoadSkin());
  skin_.Place("Main.ini", "LEFT_ARROW", "50,60,20,10");
  skin_.Place("Main.ini", "UP_ARROW_LEFT1", "100,70,0,0,ignored", "BUTTONINFO2");

  QWidget control(window.get());
  control.resize(33, 44);
  PlacePosition(window->Skin(), "LEFT_ARROW", control);
  EXPECT_EQ(control.geometry(), QRect(50, 60, 33, 44));
  PlaceControl(window->Skin(), "LEFT_ARROW", control);
  EXPECT_EQ(control.geometry(), QRect(50, 60, 20, 10));

  ImageButton arrow(window.get());
  PlaceArrowButton(window->Skin(), "LEFT_ARROW", "UP_ARROW_LEFT1", arrow,
                   SkinImageCache::Instance().Pixmap("Arrow.jpg"));
  EXPECT_EQ(arrow.geometry(), QRect(50, 60, 20, 10));
  EXPECT_EQ(arrow.ImageOrigin(), QPoint(100, 70));
  arrow.setEnabled(false);  // every state shows the same arrow picture
  EXPECT_EQ(PixelAt(*window, {50, 60}), GeneratedPixel("Arrow.jpg", 99, 69));
}

TEST(ButtonStateChoice, FirstMatchWinsInTheSkinsOrder) {
  struct Case {
    bool enabled, pressed, hovered, checked;
    ButtonState expected;
  };
  const Case cases[] = {
      {false, true, true, true, ButtonState::kDisabled},  {true, true, true, true, ButtonState::kPressed},
      {true, false, true, true, ButtonState::kHovered},   {true, false, false, true, ButtonState::kChecked},
      {true, false, false, false, ButtonState::kNormal},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseButtonState(c.enabled, c.pressed, c.hovered, c.checked), c.expected)
        << c.enabled << c.pressed << c.hovered << c.checked;
  }
}

TEST_F(ImageButtonTest, EachStateShowsItsOwnImage) {
  ImageButton* button = nullptr;
  auto window = WindowWithButton("30,30,40,20", button);
  const QPoint inside(35, 35);
  const QPoint piece(34, 34);  // one up and left
  auto shows = [&](std::string_view image) { return PixelAt(*window, inside) == GeneratedPixel(image, piece.x(), piece.y()); };

  EXPECT_TRUE(shows("main_normal.jpg"));
  button->setChecked(true);  // the main window's checked state is its pressed image
  EXPECT_TRUE(shows("main_down.jpg"));
  button->setChecked(false);

  QEnterEvent enter(QPointF(5, 5), QPointF(35, 35), QPointF(35, 35));
  QApplication::sendEvent(button, &enter);
  EXPECT_EQ(button->CurrentState(), ButtonState::kHovered);
  EXPECT_TRUE(shows("main_over.jpg"));

  button->setDown(true);
  EXPECT_TRUE(shows("main_down.jpg"));
  button->setDown(false);

  button->setEnabled(false);  // disabled beats hovered
  EXPECT_TRUE(shows("main_disable.jpg"));
  button->setEnabled(true);

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_TRUE(shows("main_normal.jpg"));
}

TEST_F(ImageButtonTest, FrameModeDrawsTwoPixelsOfColourOverTheBackground) {
  ImageButton* button = nullptr;
  auto window = WindowWithButton("40,40,20,16", button);
  bool lastNormalShown = true;
  int draws = 0;
  button->SetDrawCallback([&](ImageButton&, QPainter&, bool normalShown) {
    lastNormalShown = normalShown;
    ++draws;
  });
  button->SetFrame(QColor(255, 0, 255));
  ASSERT_TRUE(button->InFrameMode());
  const QImage shot = window->grab().toImage();
  for (QPoint border : {QPoint(40, 40), QPoint(41, 41), QPoint(59, 55), QPoint(58, 50), QPoint(50, 54)}) {
    EXPECT_EQ(shot.pixelColor(border), QColor(255, 0, 255)) << border.x() << "," << border.y();
  }
  // Inside the frame the key drawn on the background shows, not a state image.
  EXPECT_EQ(shot.pixelColor(45, 45), GeneratedPixel("main_bg.png", 45, 45));
  EXPECT_GT(draws, 0);
  EXPECT_FALSE(lastNormalShown);

  button->ClearFrame();
  EXPECT_EQ(PixelAt(*window, {40, 40}), GeneratedPixel("main_normal.jpg", 39, 39));
  EXPECT_TRUE(lastNormalShown);
}

TEST_F(ImageButtonTest, TextIsDrawnOnlyWithAFont) {
  ImageButton* button = nullptr;
  auto window = WindowWithButton("20,20,120,30", button);
  const QImage plain = window->grab().toImage();
  button->SetCaption("Apply");
  EXPECT_EQ(window->grab().toImage(), plain);

  button->SetButtonFont(ButtonFont{"Arial Unicode MS", 12, 0, false});
  button->SetTextColour(ButtonState::kNormal, QColor(255, 255, 0));
  const QImage withText = window->grab().toImage();
  int yellow = 0;
  for (int y = 20; y < 50; ++y)
    for (int x = 20; x < 140; ++x) yellow += withText.pixelColor(x, y) == QColor(255, 255, 0);
  EXPECT_GT(yellow, 10) << "no glyph drawn: is fonts-dejavu-core installed?";

  // Turned text stays inside the button and is still drawn.
  button->SetButtonFont(ButtonFont{"Verdana Unicode MS", 12, 900, true});
  EXPECT_NE(window->grab().toImage(), withText);
}

TEST_F(ImageButtonTest, OnlyTheUserClicksAndClicksNeverFlipTheCheckedMark) {
  ImageButton* button = nullptr;
  auto window = WindowWithButton("20,20,40,20", button);
  window->show();
  QSignalSpy clicks(button, &QAbstractButton::clicked);
  button->setChecked(true);
  button->SetCaption("Profile 1");
  EXPECT_EQ(clicks.count(), 0);

  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(button->isChecked());

  // A double click is a second click: the window system sends press,
  // release, double click, release.
  clicks.clear();
  const QPoint at(5, 5);
  QTest::mousePress(button, Qt::LeftButton, {}, at);
  QTest::mouseRelease(button, Qt::LeftButton, {}, at);
  QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(at), button->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(button, &doubleClick);
  QTest::mouseRelease(button, Qt::LeftButton, {}, at);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_TRUE(button->isChecked());
}

TEST_F(ImageButtonTest, ScreenReadersFindButtonsByCaptionOrTooltip) {
  ImageButton button;
  button.setToolTip("Apply the changes");
  EXPECT_EQ(button.accessibleName(), "Apply the changes");
  button.setToolTip("Apply");
  EXPECT_EQ(button.accessibleName(), "Apply");

  ImageButton captioned;
  captioned.SetCaption("OK");
  captioned.setToolTip("Close and keep");
  EXPECT_EQ(captioned.accessibleName(), "OK");

  // A key button named by the window keeps its key's name.
  ImageButton key;
  key.setAccessibleName("Caps Lock");
  key.setToolTip("Assigned: macro 3");
  EXPECT_EQ(key.accessibleName(), "Caps Lock");
}

}  // namespace
}  // namespace zarvel
