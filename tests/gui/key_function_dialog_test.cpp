// The key-function dialog offscreen. Keys are QKeyEvents built with the
// native scan code X11 and Wayland would give (Linux input number + 8): the
// offscreen platform gives none, and QTest's key clicks cannot set one.
#include "app/key_function_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QUrl>
#include <QTest>
#include <QComboBox>
#include <QFile>

#include "app/key_capture.h"
#include "app/key_dialog_pages.h"
#include "app/macro_action_list.h"
#include "app/macro_page.h"
#include "controls/skin_label.h"
#include "core/key_dialog_session.h"
#include "model/evdev_keys.h"
#include "model/key_matrix.h"
#include "model/macro_area.h"
#include "skin/language.h"
#include "skin/widgets/image_button.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;

constexpr KeyCode kA = 0x1E, kB = 0x30, kEnter = 0x1C, kEsc = 0x01, kWin = 0x15B, kMute = 0x120, kPrint = 0x137,
                  kF1 = 0x3B;
constexpr int kF1Button = 1010;
constexpr std::size_t kF1Record = 0x3B;
constexpr std::size_t kG9Record = 264;
constexpr int kG9Button = 1143;

int QtKeyOf(KeyCode key) {
  switch (key) {
    case kA: return Qt::Key_A;
    case kB: return Qt::Key_B;
    case kEnter: return Qt::Key_Return;
    case kEsc: return Qt::Key_Escape;
    case kF1: return Qt::Key_F1;
    case kWin: return Qt::Key_Super_L;
    case kPrint: return Qt::Key_Print;
    case kMute: return Qt::Key_VolumeMute;
    default: return Qt::Key_unknown;
  }
}

// A key event as X11 delivers it, sent the way the window system's are.
void SendKey(KeyCode key, MacroDirection direction, bool repeat = false) {
  const unsigned native = KeyCodeToEvdev(key) + kXkbKeycodeOffset;
  QKeyEvent event(direction == kPress ? QEvent::KeyPress : QEvent::KeyRelease, QtKeyOf(key), Qt::NoModifier,
                  native, 0, 0, QString(), repeat);
  QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : QApplication::activeWindow();
  ASSERT_NE(target, nullptr);
  QApplication::sendEvent(target, &event);
}

void Tap(KeyCode key) {
  SendKey(key, kPress);
  SendKey(key, kRelease);
}

// Counts the help pages the dialog asks the desktop to open.
class HelpOpener : public QObject {
  Q_OBJECT
 public:
  HelpOpener() { QDesktopServices::setUrlHandler("file", this, "Open"); }
  ~HelpOpener() override { QDesktopServices::unsetUrlHandler("file"); }
  int opened = 0;
 public Q_SLOTS:
  void Open(const QUrl&) { ++opened; }
};

class KeyFunctionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Connect());
    dialog = std::make_unique<KeyFunctionDialog>(*rig.core, nullptr, &rig.settings);
  }
  void OpenFor(int button, std::size_t record, bool macro_only = false, QRect anchor = QRect(100, 100, 40, 40)) {
    dialog->OpenFor(button, static_cast<int>(record), macro_only, anchor);
    dialog->activateWindow();
    QApplication::setActiveWindow(dialog.get());
    QApplication::processEvents();
  }
  // True while the core still counts the dialog as open.
  bool CoreSeesDialogOpen() { return rig.core->KeyFunctionDialogOpen(); }
  void ExpectClosedAndReleased(const char* how) {
    SCOPED_TRACE(how);
    EXPECT_FALSE(dialog->Capturing());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_FALSE(dialog->Session().IsOpen());
    EXPECT_FALSE(CoreSeesDialogOpen());
  }
  std::vector<std::pair<KeyCode, std::uint16_t>> RowKeys() {
    std::vector<std::pair<KeyCode, std::uint16_t>> rows;
    for (const MacroAction& a : dialog->Session().Editor().Rows()) rows.emplace_back(a.keyCode, a.direction);
    return rows;
  }

  CoreRig rig;
  std::unique_ptr<KeyFunctionDialog> dialog;
};

TEST_F(KeyFunctionDialogTest, TheSingleKeyPageTakesOneFreshPressPerKey) {
  OpenFor(kF1Button, kF1Record);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->Capturing());
  EXPECT_TRUE(dialog->CaptureActive());
  // The keys typed into the dialog are caught; the desktop's keyboard is not taken.
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  EXPECT_TRUE(CoreSeesDialogOpen());
  EXPECT_EQ(dialog->pos(), QPoint(140, 140));  // right of and below the key
  EXPECT_TRUE(dialog->SingleKey().KeyBox().text().isEmpty());
  EXPECT_FALSE(dialog->ApplyButton().isEnabled());

  EXPECT_EQ(QApplication::focusWidget(), &dialog->SingleKey().KeyBox());
  SendKey(kMute, kPress);  // media keys keep their normal effect
  SendKey(kA, kPress);
  EXPECT_EQ(dialog->SingleKey().KeyBox().text().toStdString(), KeyDisplayName(kA));
  EXPECT_TRUE(dialog->ApplyButton().isEnabled());
  SendKey(kA, kRelease);
  // One key per request: the next key is the dialog's again.
  QApplication::processEvents();
  EXPECT_FALSE(dialog->Capturing());
  // Space on the key box asks for the next key; a held key counts once.
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);
  EXPECT_TRUE(dialog->Capturing());
  SendKey(kB, kPress);
  SendKey(kB, kPress);  // held: X does not flag every repeat
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kB);
  SendKey(kB, kRelease);
  // Enter and Esc asked for are keys like any other, and close nothing.
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);
  Tap(kEnter);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kEnter);
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);
  Tap(kEsc);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kEsc);
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);
  Tap(kA);
  dialog->OkButton().click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(kA));
  ExpectClosedAndReleased("OK");
}

TEST_F(KeyFunctionDialogTest, MouseChoiceTakesOnlyTheWindowsKeys) {
  OpenFor(kF1Button, kF1Record);
  dialog->SingleKey().MouseBox().click();
  EXPECT_FALSE(dialog->SingleKey().KeyBox().isEnabled());
  EXPECT_TRUE(dialog->SingleKey().MouseList().isEnabled());
  dialog->SingleKey().MouseList().setCurrentIndex(2);
  Q_EMIT dialog->SingleKey().MouseList().activated(2);
  Tap(kB);
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), 0);
  Tap(kWin);
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kWin);
  dialog->OkButton().click();
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(0x173));

  // Capturing the clicked key itself gives the key back its default.
  OpenFor(kF1Button, kF1Record);
  dialog->SingleKey().KeyboardBox().click();
  Tap(kF1);
  dialog->OkButton().click();
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionDefault);
}

TEST_F(KeyFunctionDialogTest, EveryWayOutReleasesTheKeyboard) {
  const std::pair<const char*, std::function<void(KeyFunctionDialog&)>> ways[] = {
      {"Cancel", [](KeyFunctionDialog& d) { d.CancelButton().click(); }},
      {"unplug", [](KeyFunctionDialog& d) { d.CloseCancelled(); }},
      {"window closed", [](KeyFunctionDialog& d) { d.close(); }},
      {"hidden", [](KeyFunctionDialog& d) { d.hide(); }},
      {"recording, then Cancel",
       [](KeyFunctionDialog& d) {
         d.PageButton(KeyPage::kMacro).click();
         d.Macros().AddButton().click();
         d.Macros().RecordButton().click();
         EXPECT_TRUE(d.Capturing());
         d.CancelButton().click();
       }},
  };
  for (const auto& [how, close] : ways) {
    OpenFor(kF1Button, kF1Record);
    ASSERT_TRUE(dialog->Capturing()) << how;
    close(*dialog);
    ExpectClosedAndReleased(how);
  }
  // The program ends with the dialog open: it closes as the program quits,
  // and its end gives the keyboard back even after the core is gone.
  OpenFor(kF1Button, kF1Record);
  QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection);
  ExpectClosedAndReleased("program end");
  OpenFor(kF1Button, kF1Record);
  rig.core.reset();
  dialog.reset();
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  // Keys reach other windows again.
  QLineEdit other;
  other.show();
  QApplication::setActiveWindow(&other);
  other.setFocus();
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, KeyCodeToEvdev(0x2D) + 8, 0, 0, "x");
  QApplication::sendEvent(&other, &typed);
  EXPECT_EQ(other.text(), "x");
}

TEST_F(KeyFunctionDialogTest, ARecordedMacroIsAppliedAsTheModelsPredict) {
  HelpOpener help;
  OpenFor(kF1Button, kF1Record);
  dialog->PageButton(KeyPage::kMacro).click();
  EXPECT_FALSE(dialog->Capturing());
  // F1 on a page that captures nothing opens the help.
  SendKey(kF1, kPress);
  EXPECT_EQ(help.opened, 1);

  dialog->Macros().AddButton().click();
  dialog->Macros().RecordButton().click();
  ASSERT_TRUE(dialog->Session().Recorder().Recording());
  EXPECT_FALSE(dialog->Macros().AddButton().isEnabled());
  SendKey(kA, kPress);
  SendKey(kA, kPress, /*repeat=*/true);
  SendKey(kA, kRelease);
  SendKey(kPrint, kPress);  // Linux reports its press: recorded like any key's
  SendKey(kPrint, kRelease);
  Tap(kEnter);
  Tap(kF1);  // recorded, not help
  SendKey(kMute, kPress);
  EXPECT_EQ(help.opened, 1);
  EXPECT_TRUE(dialog->isVisible());
  const std::vector<std::pair<KeyCode, std::uint16_t>> expected = {
      {kA, kPress},     {kA, kRelease},  {kPrint, kPress}, {kPrint, kRelease},
      {kEnter, kPress}, {kEnter, kRelease}, {kF1, kPress},  {kF1, kRelease}};
  EXPECT_EQ(RowKeys(), expected);
  EXPECT_EQ(dialog->Macros().ActionList().model()->rowCount(), 8);
  dialog->Macros().RepeatBox().setText("300");
  Q_EMIT dialog->Macros().RepeatBox().textEdited("300");
  EXPECT_EQ(dialog->Macros().RepeatBox().text(), "255");

  dialog->OkButton().click();
  ExpectClosedAndReleased("OK after recording");
  const KeyFunction f1 = rig.core->KeyRecord(kF1Record);
  EXPECT_EQ(f1.type, kFunctionMacro);
  EXPECT_EQ(f1.extra, 255);
  ASSERT_EQ(rig.core->Store().macros.size(), 1u);
  EXPECT_TRUE(rig.view.apply_enabled);

  // The main window's Apply: the keyboard gets exactly the image and the
  // matrix entry the models make of this store.
  ASSERT_TRUE(rig.core->Apply());
  const MacroSet& macros = rig.core->Store().macros;
  const MacroAreaSize size = MacroAreaSizes(macros);
  std::vector<std::uint8_t> image(size.withNames);
  ASSERT_TRUE(EncodeMacroArea(macros, size.withNames, true, image));
  const std::vector<std::uint8_t> memory = rig.keyboard.Area(KeyboardArea::kMacroMemory);
  ASSERT_GE(memory.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
  const std::vector<std::uint8_t> expected_matrix =
      EncodeKeyMatrix(rig.core->Store().image[0], rig.context.DefaultMatrix(), macros, rig.link.KeyMatrixSize());
  const std::vector<std::uint8_t> matrices = rig.keyboard.Area(KeyboardArea::kKeyMatrices);
  EXPECT_TRUE(std::equal(expected_matrix.begin(), expected_matrix.end(), matrices.begin()));
  EXPECT_EQ(MatrixEntryAt(matrices, 16), (MatrixEntry{0x05, 0x01, 0x00}));  // F1's position
}

TEST_F(KeyFunctionDialogTest, TheMacroEditorOpensCentredWithOnlyItsPage) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  OpenFor(kG9Button, kG9Record, /*macro_only=*/true);
  EXPECT_EQ(dialog->Session().Choice().Page(), KeyPage::kMacro);
  EXPECT_EQ(dialog->geometry().center().x(), screen.center().x());
  // The other pages' buttons and Clear would be blank and do nothing: not shown.
  for (KeyPage page : {KeyPage::kSingleKey, KeyPage::kMedia, KeyPage::kFunction}) {
    EXPECT_FALSE(dialog->PageButton(page).isEnabled());
    EXPECT_FALSE(dialog->PageButton(page).isVisible());
  }
  EXPECT_FALSE(dialog->ClearButton().isVisible());
  EXPECT_TRUE(dialog->PageButton(KeyPage::kMacro).isChecked());
  EXPECT_TRUE(dialog->PageButton(KeyPage::kMacro).isVisible());
  EXPECT_EQ(dialog->Caption().text(), "G9 macros");
  // The built-in factory matrix has no place for G9: the dialog says so.
  EXPECT_TRUE(dialog->NoPlaceNotice().isVisible());
  EXPECT_TRUE(dialog->NoPlaceNotice().text().contains("G9"));
  dialog->CancelButton().click();

  OpenFor(kF1Button, kF1Record);
  EXPECT_FALSE(dialog->NoPlaceNotice().isVisible());
  EXPECT_EQ(dialog->Caption().text(), QString::fromUtf8("Key settings \u2014 F1"));
  for (KeyPage page : {KeyPage::kSingleKey, KeyPage::kMedia, KeyPage::kFunction})
    EXPECT_TRUE(dialog->PageButton(page).isVisible());
  // Only the macro page has a repeat count.
  EXPECT_FALSE(dialog->Macros().RepeatLabel().isVisible());
  dialog->PageButton(KeyPage::kMedia).click();
  EXPECT_FALSE(dialog->Macros().RepeatLabel().isVisible());
  ASSERT_TRUE(dialog->ApplyButton().isEnabled());  // the page changed
  dialog->ApplyButton().click();
  EXPECT_FALSE(dialog->ApplyButton().isEnabled());
  // Choosing another entry is a change to apply.
  dialog->MediaPage().List().setCurrentRow(6);
  EXPECT_TRUE(dialog->ApplyButton().isEnabled());
  dialog->OkButton().click();
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), (KeyFunction{kFunctionMedia, 0, 6, 0, 0}));
}

TEST_F(KeyFunctionDialogTest, NamesAndCellsAreEditedInPlace) {
  OpenFor(kF1Button, kF1Record);
  dialog->PageButton(KeyPage::kMacro).click();
  // Typing into the empty name box makes the first macro with that name.
  QLineEdit& name = *dialog->Macros().NameBox().lineEdit();
  name.setFocus();
  QTest::keyClicks(&name, "Hello");
  ASSERT_EQ(dialog->Session().Editor().Entries().size(), 1u);
  EXPECT_EQ(MacroNameUtf8(dialog->Session().Editor().Entries()[0]), "Hello");
  EXPECT_EQ(dialog->Macros().NameBox().itemText(0), "Hello");

  dialog->Macros().RecordButton().click();
  Tap(kA);
  ASSERT_EQ(dialog->Session().Editor().Rows().size(), 2u);
  // Opening a delay cell ends the recording; the committed text follows the
  // delay rules, with the message for a delay that is too long.
  MacroActionList& list = dialog->Macros().ActionList();
  const QModelIndex delay = list.model()->index(0, kDelayColumn);
  list.setCurrentIndex(delay);
  list.edit(delay);
  EXPECT_FALSE(dialog->Session().Recorder().Recording());
  EXPECT_FALSE(dialog->Capturing());
  auto* editor = qobject_cast<QLineEdit*>(list.indexWidget(delay));
  ASSERT_NE(editor, nullptr);
  editor->setText("40005");
  list.CommitOpenEditor();
  EXPECT_EQ(dialog->Session().Editor().Rows()[0].delay, 40000u);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MACRO_ACTION_ERR_DELAY_MAX"});
  EXPECT_EQ(list.model()->index(0, kDelayColumn).data().toString(), "40000");

  const QModelIndex key = list.model()->index(1, kKeyColumn);
  list.setCurrentIndex(key);
  list.edit(key);
  auto* keys = qobject_cast<QComboBox*>(list.indexWidget(key));
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->count(), kPickListSize);
  EXPECT_EQ(keys->currentIndex(), KeyCodeToPickIndex(kA));
  keys->setCurrentIndex(1);  // B
  list.CommitOpenEditor();
  EXPECT_EQ(dialog->Session().Editor().Rows()[1].keyCode, kB);
  dialog->CancelButton().click();
  EXPECT_TRUE(rig.core->Store().macros.empty());
}

TEST_F(KeyFunctionDialogTest, TheOnScreenKeyboardStartsOrIsSaidToBeMissing) {
  const QByteArray path = qgetenv("PATH");
  const QString folder = QDir::tempPath() + "/zarvel-osk-" + QString::number(QCoreApplication::applicationPid());
  QDir().mkpath(folder);
  qputenv("PATH", folder.toLocal8Bit());
  OpenFor(kF1Button, kF1Record);
  dialog->OnScreenKeyboardButton().click();
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"COMPOSITE_OSK_MISSING"});
  EXPECT_TRUE(dialog->Capturing());  // back after the message

  const QString started = folder + "/started";
  QFile script(folder + "/onboard");
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QString("#!/bin/sh\n/usr/bin/touch '%1'\n").arg(started).toLocal8Bit());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  rig.prompter.Clear();
  dialog->OnScreenKeyboardButton().click();
  qputenv("PATH", path);
  for (int i = 0; i < 100 && !QFile::exists(started); ++i) QTest::qWait(20);
  EXPECT_TRUE(QFile::exists(started));
  EXPECT_TRUE(rig.prompter.Keys().empty());
  QDir(folder).removeRecursively();
}

TEST_F(KeyFunctionDialogTest, KeysAreCaughtOnlyWhileTheDialogIsTheActiveWindow) {
  OpenFor(kF1Button, kF1Record);
  Tap(kA);
  ASSERT_EQ(dialog->Session().Choice().SingleKey(), kA);
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);  // and the next key
  // The user works in another window with the dialog left open.
  QLineEdit other;
  other.show();
  QApplication::setActiveWindow(&other);
  other.setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(dialog->CaptureActive());
  EXPECT_TRUE(dialog->Capturing());
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, KeyCodeToEvdev(kB) + 8, 0, 0, "b");
  QApplication::sendEvent(&other, &typed);
  EXPECT_EQ(other.text(), "b");
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kA);
  // Back in the dialog.
  QApplication::setActiveWindow(dialog.get());
  QApplication::processEvents();
  EXPECT_TRUE(dialog->CaptureActive());
  Tap(kB);
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kB);
}

TEST_F(KeyFunctionDialogTest, TheMacrosButtonEditsMacrosWithoutTouchingG9) {
  const KeyFunction g9_mute{kFunctionMedia, 0x0309, 7, 0, 0};
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().Record(0, kG9Record) = g9_mute;
    rig.core->Store().macros = {testing::MakeMacro(1, "first")};
  }
  dialog->OpenFor(kG9Button, static_cast<int>(kG9Record), KeyDialogMode::kMacroSet, QRect());
  QApplication::setActiveWindow(dialog.get());
  EXPECT_EQ(dialog->Caption().text().toStdString(), LookupText("MACRO_EDIT_TISHI"));
  EXPECT_FALSE(dialog->NoPlaceNotice().isVisible());  // no key is being given a function
  dialog->Macros().NameBox().setCurrentIndex(0);
  Q_EMIT dialog->Macros().NameBox().entryChosen(0);
  dialog->OkButton().click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rig.core->KeyRecord(kG9Record), g9_mute);
}

TEST_F(KeyFunctionDialogTest, TheMacroPageEditsAsTheUserTypesAndClicks) {
  constexpr KeyCode kF13 = 0x064, kH = 0x23, kJ = 0x24;
  MacroRecord unlisted = testing::MakeMacro(1, "Copy line", kF13);
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros = {unlisted, testing::MakeMacro(2, "Other")};
  }
  OpenFor(kF1Button, kF1Record);
  dialog->PageButton(KeyPage::kMacro).click();
  MacroPage& page = dialog->Macros();
  EXPECT_TRUE(page.RepeatLabel().isVisible());

  // The repeat box: "5" typed over "1" is 5, and an emptied box shows 1
  // again once the user leaves it.
  QLineEdit& repeat = page.RepeatBox();
  repeat.setFocus();
  repeat.selectAll();
  QTest::keyClick(&repeat, Qt::Key_Backspace);
  EXPECT_EQ(repeat.text(), "");
  QTest::keyClicks(&repeat, "5");
  EXPECT_EQ(repeat.text(), "5");
  EXPECT_EQ(dialog->Session().Editor().RepeatCount(), 5);
  QTest::keyClick(&repeat, Qt::Key_Backspace);
  EXPECT_EQ(repeat.text(), "");
  Q_EMIT repeat.editingFinished();
  EXPECT_EQ(repeat.text(), "1");

  // An unlisted key's cell, opened by one click and left, keeps the key.
  MacroActionList& list = page.ActionList();
  const QModelIndex key = list.model()->index(0, kKeyColumn);
  EXPECT_EQ(key.data(Qt::ToolTipRole).toString().toStdString(), KeyDisplayName(kF13));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(key).center());
  ASSERT_NE(list.indexWidget(key), nullptr) << "one click opens the cell";
  auto* keys = qobject_cast<QComboBox*>(list.indexWidget(key));
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->count(), kPickListSize + 1);
  EXPECT_EQ(keys->currentText().toStdString(), KeyDisplayName(kF13));
  list.CommitOpenEditor();
  EXPECT_EQ(dialog->Session().Editor().Rows()[0].keyCode, kF13);

  // A release row given another key: both rows are marked, and OK asks.
  dialog->Session().Editor().SetRowKey(0, kH);
  dialog->Session().Editor().SetRowKey(1, kH);
  page.ShowRows();
  EXPECT_FALSE(list.model()->index(0, kKeyColumn).data(Qt::BackgroundRole).isValid());
  const QModelIndex release = list.model()->index(1, kKeyColumn);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(release).center());
  keys = qobject_cast<QComboBox*>(list.indexWidget(release));
  ASSERT_NE(keys, nullptr);
  keys->setCurrentIndex(keys->findData(static_cast<int>(KeyCodeToPickIndex(kJ))));
  list.CommitOpenEditor();
  EXPECT_TRUE(list.model()->index(0, kDelayColumn).data(Qt::BackgroundRole).isValid());
  EXPECT_TRUE(list.model()->index(1, kDirectionColumn).data(Qt::BackgroundRole).isValid());
  const MacroSet before = rig.core->Store().macros;
  rig.prompter.ScriptAnswers({false});
  dialog->OkButton().click();
  EXPECT_TRUE(dialog->isVisible()) << "a No leaves the dialog open";
  EXPECT_EQ(rig.core->Store().macros, before);
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MACRO_UNBALANCED_CONFIRM"});

  // Renaming to the beginning of another name keeps it; to the very same
  // name shows the generated one in the box at once.
  dialog->Session().Editor().SelectMacro(1);
  page.ShowAll();
  QLineEdit& name = *page.NameBox().lineEdit();
  name.setFocus();
  name.selectAll();
  QTest::keyClicks(&name, "Copy");
  EXPECT_EQ(dialog->Session().Editor().CurrentName(), u"Copy");
  EXPECT_EQ(name.text(), "Copy");
  QTest::keyClicks(&name, " line");
  EXPECT_EQ(name.text().toStdU16String(), dialog->Session().Editor().CurrentName());
  EXPECT_NE(name.text(), "Copy line");
  EXPECT_EQ(page.NameBox().itemText(1), name.text());
  dialog->CancelButton().click();
}

// Pictures of each page for people to look at (build/screenshots/).
TEST_F(KeyFunctionDialogTest, Screenshots) {
  const QString folder = QString(ZARVEL_BINARY_DIR) + "/screenshots";
  QDir().mkpath(folder);
  auto shoot = [&](const char* name) {
    QApplication::processEvents();
    const QPixmap picture = dialog->grab();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(folder + "/key_dialog_" + name + ".png")) << name;
  };
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros = {testing::MakeMacro(1, "Copy line"), testing::MakeMacro(2, "Greeting", kB)};
  }
  OpenFor(kF1Button, kF1Record);
  Tap(kA);
  shoot("single_key");
  dialog->PageButton(KeyPage::kMacro).click();
  dialog->Macros().RecordButton().click();
  Tap(kA);
  Tap(kB);
  shoot("macro_recording");
  dialog->PageButton(KeyPage::kMedia).click();
  shoot("multimedia");
  dialog->PageButton(KeyPage::kFunction).click();
  shoot("keyboard_function");
  dialog->CancelButton().click();
  OpenFor(kG9Button, kG9Record, true);
  shoot("macro_editor");
  // A release row given another key: the two rows that no longer pair up.
  dialog->Session().Editor().SetRowKey(1, 0x24);
  dialog->Macros().ShowRows();
  shoot("macro_unbalanced");
  dialog->CancelButton().click();
  dialog->OpenFor(kG9Button, static_cast<int>(kG9Record), KeyDialogMode::kMacroSet, QRect());
  QApplication::setActiveWindow(dialog.get());
  shoot("macro_set");
  dialog->CancelButton().click();
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros[0].actions[0].keyCode = 0x11C;  // Num Enter
  }
  OpenFor(kF1Button, 0x9C);
  Tap(kEnter);
  dialog->PageButton(KeyPage::kMacro).click();
  shoot("num_enter_macro");
  dialog->CancelButton().click();
}

}  // namespace
}  // namespace zarvel

#include "key_function_dialog_test.moc"
