// The small skinned controls: a refresh from the core must never look like
// the user's input, or the windows would write to the keyboard (or rename a
// slot) when they merely redraw.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/bitmap_slider.h"
#include "controls/colour_button.h"
#include "controls/edit_combo.h"
#include "controls/skin_label.h"
#include "controls/skin_picture.h"
#include "gui/support/test_skin.h"
#include "skin/widgets/skin_fonts.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {
namespace {

using testing::GeneratedPixel;
using testing::TestSkin;

class SkinControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { SkinImageCache::Instance().SetFolder(skin_.Folder()); }
  void TearDown() override { SkinImageCache::Instance().SetFolder(""); }
  TestSkin skin_;
};

TEST_F(SkinControlsTest, SliderReportsOnlyTheUsersChoices) {
  BitmapSlider slider(1178);
  slider.resize(81, 12);
  QSignalSpy chosen(&slider, &BitmapSlider::positionChosen);

  slider.SetRange(0, 4);
  slider.SetPosition(3);
  slider.SetPosition(99);  // clamped, still silent
  slider.SetPicture("main_normal.jpg");
  EXPECT_EQ(slider.Position(), 4);
  EXPECT_EQ(chosen.count(), 0);

  // Positions sit evenly from edge to edge: 0, 20, 40, 60, 80.
  EXPECT_EQ(slider.PositionAt(0), 0);
  EXPECT_EQ(slider.PositionAt(29), 1);
  EXPECT_EQ(slider.PositionAt(31), 2);
  EXPECT_EQ(slider.PositionAt(500), 4);
  EXPECT_EQ(slider.PositionAt(-5), 0);

  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(40, 6));
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toInt(), 1178);
  EXPECT_EQ(chosen.at(0).at(1).toInt(), 2);

  // Clicking the position it already has writes nothing.
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(41, 6));
  EXPECT_EQ(chosen.count(), 1);

  QTest::keyClick(&slider, Qt::Key_Right);
  QTest::keyClick(&slider, Qt::Key_End);
  QTest::keyClick(&slider, Qt::Key_End);  // already at the end: nothing
  ASSERT_EQ(chosen.count(), 3);
  EXPECT_EQ(chosen.at(1).at(1).toInt(), 3);
  EXPECT_EQ(chosen.at(2).at(1).toInt(), 4);

  // A range of one position never moves.
  BitmapSlider single(1179);
  single.resize(40, 10);
  single.SetRange(2, 2);
  EXPECT_EQ(single.PositionAt(39), 2);
}

TEST_F(SkinControlsTest, ComboRefillsSilentlyAndReportsRenamesWithTheEntry) {
  EditCombo combo;
  QSignalSpy chosen(&combo, &EditCombo::entryChosen);
  QSignalSpy edited(&combo, &EditCombo::entryTextEdited);
  QSignalSpy renamed(&combo, &EditCombo::entryRenamed);
  auto userSignals = [&] { return chosen.count() + edited.count() + renamed.count(); };

  combo.SetEntries({"Slot 1", "Slot 2", "Slot 3"});
  combo.SelectEntry(1);
  combo.SetEntryText(1, "Gaming");
  combo.SetEntries({"Slot 1", "Gaming", "Slot 3", "Slot 4"});
  combo.SelectEntry(-1);
  combo.SelectEntry(2);
  EXPECT_EQ(userSignals(), 0);
  EXPECT_EQ(combo.SelectedEntry(), 2);
  EXPECT_EQ(combo.currentText(), "Slot 3");

  // The user types in the box: every keystroke, then one rename on Enter.
  combo.lineEdit()->selectAll();
  QTest::keyClicks(combo.lineEdit(), "Work");
  EXPECT_EQ(edited.count(), 4);
  EXPECT_EQ(edited.last().at(0).toInt(), 2);
  EXPECT_EQ(edited.last().at(1).toString(), "Work");
  EXPECT_EQ(renamed.count(), 0);
  QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
  ASSERT_EQ(renamed.count(), 1);
  EXPECT_EQ(renamed.at(0).at(0).toInt(), 2);
  EXPECT_EQ(renamed.at(0).at(1).toString(), "Work");
  EXPECT_EQ(combo.itemText(2), "Work");
  EXPECT_EQ(combo.count(), 4);  // renamed in place, nothing added

  // Renaming to another entry's name renames; it does not jump there.
  combo.lineEdit()->selectAll();
  QTest::keyClicks(combo.lineEdit(), "Slot 1");
  QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(combo.SelectedEntry(), 2);
  EXPECT_EQ(renamed.last().at(1).toString(), "Slot 1");
  EXPECT_EQ(chosen.count(), 0);

  // Typing and then restoring the old text renames nothing.
  const int renames = renamed.count();
  combo.lineEdit()->selectAll();
  QTest::keyClicks(combo.lineEdit(), "Slot 1x");
  QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
  QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(renamed.count(), renames);

  // Picking an entry is the user's choice.
  combo.activated(3);
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toInt(), 3);
}

TEST_F(SkinControlsTest, PictureShowsItsImageAndReportsOnlyClicks) {
  QWidget window;
  window.resize(100, 60);
  auto* picture = new SkinPicture(&window);
  picture->setGeometry(10, 10, 30, 20);
  QSignalSpy clicks(picture, &SkinPicture::clicked);
  picture->SetImage("Arrow.jpg");
  picture->SetImage("dengup.bmp");  // missing: shows nothing, fails nothing
  picture->SetImage("Arrow.jpg");
  EXPECT_EQ(picture->ImageName(), "Arrow.jpg");
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(window.grab().toImage().pixelColor(10, 10), GeneratedPixel("Arrow.jpg", 0, 0));

  QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);
  // Pressed on the picture but released beside it: taken back.
  QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(50, 5));
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);

  picture->setToolTip("Random colour");
  EXPECT_EQ(picture->accessibleName(), "Random colour");
}

TEST_F(SkinControlsTest, ColourButtonReportsPickedColoursOnly) {
  ColourButton button;
  QSignalSpy chosen(&button, &ColourButton::colourChosen);
  button.SetColour(QColor(10, 20, 30));
  EXPECT_EQ(chosen.count(), 0);

  std::vector<QColor> asked;
  std::optional<QColor> answer = QColor(1, 2, 3);
  button.SetOtherColourPicker([&](const QColor& initial, QWidget*) {
    asked.push_back(initial);
    return answer;
  });

  // A click opens the pop-up; its "other" button goes to the colour dialog,
  // which starts from the shown colour.
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  ASSERT_NE(button.Popup(), nullptr);
  auto* other = button.Popup()->findChild<QPushButton*>("otherColour");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->text(), "other");
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_EQ(button.Popup(), nullptr);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], QColor(10, 20, 30));
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).value<QColor>(), QColor(1, 2, 3));
  EXPECT_EQ(button.Colour(), QColor(1, 2, 3));

  // Cancelling the dialog changes nothing.
  answer.reset();
  button.OpenPopup();
  button.ChooseOther();
  EXPECT_EQ(chosen.count(), 1);
  EXPECT_EQ(button.Colour(), QColor(1, 2, 3));

  button.SetPalette({QColor(255, 0, 0), QColor(0, 0, 255)});
  button.OpenPopup();
  button.ChoosePaletteEntry(5);  // no such entry
  EXPECT_EQ(chosen.count(), 1);
  button.ChoosePaletteEntry(1);
  ASSERT_EQ(chosen.count(), 2);
  EXPECT_EQ(button.Colour(), QColor(0, 0, 255));
  EXPECT_EQ(button.Popup(), nullptr);
}

TEST_F(SkinControlsTest, LabelsAndCheckBoxesLetTheSkinShowThrough) {
  QWidget window;
  window.resize(120, 40);
  window.setAutoFillBackground(true);
  QPalette palette;
  palette.setColor(QPalette::Window, QColor(0, 128, 0));
  window.setPalette(palette);
  auto* label = new SkinLabel(&window);
  label->setGeometry(0, 0, 120, 40);
  label->setText("Speed");
  EXPECT_EQ(label->palette().color(QPalette::WindowText), SkinTextColour());
  EXPECT_EQ(window.grab().toImage().pixelColor(118, 38), QColor(0, 128, 0));

  SkinCheckBox box;
  QSignalSpy clicked(&box, &QCheckBox::clicked);
  box.setChecked(true);
  EXPECT_EQ(clicked.count(), 0);
}

TEST(SkinFonts, TheSkinsFacesFallBackToAFontLinuxHas) {
  for (std::string_view face : {kArialUnicode, kVerdanaUnicode, std::string_view("Tahoma"), std::string_view()}) {
    QStringList chain = FontFallbacks(face);
    ASSERT_FALSE(chain.isEmpty());
    if (!face.empty()) {
      EXPECT_EQ(chain.front(), QString::fromUtf8(face.data(), face.size()));
    }
    EXPECT_EQ(chain.back(), "DejaVu Sans");
    EXPECT_EQ(chain.removeDuplicates(), 0);
    // Whatever the machine has, the font drawn is one of the chain, not
    // the toolkit's arbitrary default.
    const QFont font = SkinFont(face, 11, 956);
    EXPECT_TRUE(chain.contains(QFontInfo(font).family())) << QFontInfo(font).family().toStdString();
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_GE(font.weight(), QFont::Black);
  }
}

}  // namespace
}  // namespace zarvel
