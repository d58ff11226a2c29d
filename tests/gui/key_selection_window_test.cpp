// Selecting many keys on the main window's keyboard picture and what the
// selection is for: a drag across W..T selects the four keys and one click
// paints them on the keyboard at once; Ctrl+A, Esc, Ctrl+Z, Ctrl+C/Ctrl+V.
// Offscreen with events sent to the widgets, and once more under Xvfb with
// the pointer moved by xdotool as a user's mouse would (bounded, skipped
// without Xvfb or xdotool). Pictures of a selection and of the painted keys
// go to build/screenshots/.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "device/simulated_firmware.h"
#include "skin/widgets/image_button.h"
#include "support/desktop_rig.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::MainWindowRig;

constexpr const char* kRoleVariable = "ZARVEL_SELECTION_XVFB";
constexpr int kW = 1045, kE = 1046, kR = 1047, kT = 1048, kEsc = 1022, kF1 = 1010, kF2 = 1011;
const SlotColour kPaint{0x20, 0xD0, 0x90};

bool IsChild() { return std::getenv(kRoleVariable) != nullptr; }

// The window shown, the lighting switch on, the user effect, the paint tool
// in kPaint.
void ShowUserColours(MainWindowRig& rig) {
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));
  LightingController& l = rig.core->Lighting();
  ASSERT_EQ(l.ToggleLightingSwitch(), 1);
  ASSERT_EQ(l.SelectEffect(l.State().effects.PositionOf(kUserEffect)), 1);
  ASSERT_TRUE(l.SetTool(0));
  l.SetPaintColour(kPaint);
  QCoreApplication::processEvents();
  ASSERT_TRUE(rig.WaitIdle());
}

SlotColour KeyboardColour(MainWindowRig& rig, int button) {
  const std::vector<std::uint8_t> area = rig.keyboard.Area(KeyboardArea::kKeyColours);
  const auto at = static_cast<std::size_t>(rig.core->CurrentProfile() * 512 + ColourIndexOfButton(button) * 3);
  return {area.at(at), area.at(at + 1), area.at(at + 2)};
}

QPoint CentreIn(QWidget* of, QWidget* in) { return in->mapFromGlobal(of->mapToGlobal(of->rect().center())); }

void SaveShot(MainWindowRig& rig, const char* name) {
  const QString folder = QString::fromUtf8(ZARVEL_BINARY_DIR) + "/screenshots";
  QDir().mkpath(folder);
  rig.window->grab().toImage().save(folder + "/" + name);
}

void Shortcut(MainWindowRig& rig, int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
  QTest::keyClick(rig.window.get(), static_cast<Qt::Key>(key), modifiers);
  QCoreApplication::processEvents();
  ASSERT_TRUE(rig.WaitIdle());
}

TEST(KeySelectionWindow, DragAcrossWToTSelectsFourKeysAndOneClickPaintsThem) {
  if (IsChild()) GTEST_SKIP() << "runs in the starting process";
  MainWindowRig rig;
  ShowUserColours(rig);
  ImageButton* w = rig.Button(kW);
  // The drag: pressed on W, moved across E and R to T (the moves reach W,
  // which holds the mouse), let go on T.
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
  for (int id : {kE, kR, kT}) QTest::mouseMove(w, CentreIn(rig.Button(id), w));
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, CentreIn(rig.Button(kT), w));
  QCoreApplication::processEvents();
  EXPECT_EQ(rig.core->Selection().SelectedList(), (std::vector<int>{kW, kE, kR, kT}));
  rig.keyboard.ClearExchanges();
  EXPECT_TRUE(rig.Commands().empty());  // selecting sends nothing
  SaveShot(rig, "selection.png");
  // The selected key is washed lighter and outlined; a painted one is not.
  const QImage selected = rig.window->grab().toImage();
  const QRect e = rig.Button(kE)->geometry();
  const QColor outline = selected.pixelColor(e.left() - 2, e.center().y());
  EXPECT_TRUE(outline == QColor(Qt::white) || outline == QColor(Qt::black)) << outline.name().toStdString();

  QTest::mouseClick(rig.Button(kR), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  for (int id : {kW, kE, kR, kT}) EXPECT_EQ(KeyboardColour(rig, id), kPaint) << id;
  EXPECT_EQ(rig.Commands(), (std::vector<std::uint8_t>{1, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 2}));
  Shortcut(rig, Qt::Key_Escape, Qt::NoModifier);
  EXPECT_TRUE(rig.core->Selection().Empty());
  SaveShot(rig, "painted.png");

  // Ctrl+Z sends the colours before the paint; Ctrl+Y paints again.
  const SlotColour before = KeyboardColour(rig, kEsc);
  Shortcut(rig, Qt::Key_Z);
  EXPECT_EQ(KeyboardColour(rig, kW), before);
  Shortcut(rig, Qt::Key_Y);
  EXPECT_EQ(KeyboardColour(rig, kW), kPaint);

  // Ctrl+A: every lit key; Ctrl+click takes one out; Esc clears.
  Shortcut(rig, Qt::Key_A);
  EXPECT_EQ(rig.core->Selection().Selected().size(), 54u);  // the 48 lit keys, G1..G5 and Fn (G6..G9 are disabled)
  QTest::mouseClick(rig.Button(kEsc), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(rig.core->Selection().IsSelected(kEsc));
  Shortcut(rig, Qt::Key_Escape, Qt::NoModifier);
  EXPECT_TRUE(rig.core->Selection().Empty());
}

TEST(KeySelectionWindow, CtrlAndShiftSpaceOnTheFocusedKeySelectWithTheKeyboardAlone) {
  if (IsChild()) GTEST_SKIP() << "runs in the starting process";
  MainWindowRig rig;
  ShowUserColours(rig);
  rig.keyboard.ClearExchanges();
  QTest::keyClick(rig.Button(kW), Qt::Key_Space, Qt::ControlModifier);
  EXPECT_EQ(rig.core->Selection().SelectedList(), (std::vector<int>{kW}));
  QTest::keyClick(rig.Button(kT), Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(rig.core->Selection().SelectedList(), (std::vector<int>{kW, kE, kR, kT}));
  QTest::keyClick(rig.Button(kE), Qt::Key_Space, Qt::ControlModifier);
  EXPECT_EQ(rig.core->Selection().SelectedList(), (std::vector<int>{kW, kR, kT}));
  EXPECT_TRUE(rig.Commands().empty());  // selecting sends nothing
}

TEST(KeySelectionWindow, CopyAndPasteAKeysFunctionWithTheKeyboardThenUndoIt) {
  if (IsChild()) GTEST_SKIP() << "runs in the starting process";
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));
  rig.core->AssignKey(static_cast<std::size_t>(KeyOfButton(kF1).record), testing::KeyTo(0x30));
  // The focused key is the one Ctrl+C copies; with nothing selected Ctrl+V
  // goes to the focused key.
  rig.Button(kF1)->setFocusPolicy(Qt::StrongFocus);
  rig.Button(kF2)->setFocusPolicy(Qt::StrongFocus);
  rig.Button(kF1)->setFocus();
  QCoreApplication::processEvents();
  Shortcut(rig, Qt::Key_C);
  rig.Button(kF2)->setFocus();
  QCoreApplication::processEvents();
  rig.keyboard.ClearExchanges();
  Shortcut(rig, Qt::Key_V);
  EXPECT_EQ(rig.core->KeyRecord(static_cast<std::size_t>(KeyOfButton(kF2).record)), testing::KeyTo(0x30));
  EXPECT_TRUE(rig.Button(kF2)->isChecked());
  EXPECT_TRUE(rig.core->UnappliedChanges());
  EXPECT_TRUE(rig.Commands().empty());  // a paste waits for Apply
  Shortcut(rig, Qt::Key_Z);
  EXPECT_EQ(rig.core->KeyRecord(static_cast<std::size_t>(KeyOfButton(kF2).record)), KeyFunction{});
  EXPECT_FALSE(rig.Button(kF2)->isChecked());
  Shortcut(rig, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(rig.Button(kF2)->isChecked());
}

// ---- under Xvfb ----

bool RunXdotool(const QStringList& args) {
  QProcess tool;
  tool.start("xdotool", args);
  return tool.waitForFinished(5000) && tool.exitCode() == 0;
}

TEST(KeySelectionUnderX, ARealDragAcrossWToTPaintsFourKeys) {
  if (IsChild()) GTEST_SKIP() << "runs in the starting process";
  if (QStandardPaths::findExecutable("Xvfb").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
    GTEST_SKIP() << "Xvfb or xdotool is not installed";
  testing::XServer server;
  ASSERT_TRUE(server.Ok()) << "Xvfb did not start";
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", server.Display());
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert(kRoleVariable, "1");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=KeySelectionUnderXChild.*"});
  if (!child.waitForFinished(60000)) {
    child.kill();
    child.waitForFinished();
  }
  const QString output = QString::fromLocal8Bit(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[       OK ] KeySelectionUnderXChild.DragWithTheMouse")) << output.toStdString();
}

TEST(KeySelectionUnderXChild, DragWithTheMouse) {
  if (!IsChild()) GTEST_SKIP() << "the Xvfb test's window";
  MainWindowRig rig;
  ShowUserColours(rig);
  rig.window->move(0, 0);
  rig.window->raise();
  rig.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.window.get(), 5000));
  const QPoint from = rig.Button(kW)->mapToGlobal(rig.Button(kW)->rect().center());
  const QPoint to = rig.Button(kT)->mapToGlobal(rig.Button(kT)->rect().center());
  auto n = [](int v) { return QString::number(v); };
  ASSERT_TRUE(RunXdotool({"mousemove", n(from.x()), n(from.y()), "sleep", "0.1", "mousedown", "1", "sleep", "0.1",
                          "mousemove", n(from.x() + 12), n(from.y()), "sleep", "0.1", "mousemove", n(to.x()), n(to.y()),
                          "sleep", "0.1", "mouseup", "1"}));
  ASSERT_TRUE(rig.WaitFor([&] { return rig.core->Selection().Selected().size() == 4; }, 5000))
      << rig.core->Selection().Selected().size();
  EXPECT_EQ(rig.core->Selection().SelectedList(), (std::vector<int>{kW, kE, kR, kT}));
  const QPoint r = rig.Button(kR)->mapToGlobal(rig.Button(kR)->rect().center());
  ASSERT_TRUE(RunXdotool({"mousemove", n(r.x()), n(r.y()), "sleep", "0.1", "click", "1"}));
  ASSERT_TRUE(rig.WaitFor([&] { return KeyboardColour(rig, kT) == kPaint; }, 5000));
  for (int id : {kW, kE, kR, kT}) EXPECT_EQ(KeyboardColour(rig, id), kPaint) << id;
  EXPECT_NE(KeyboardColour(rig, 1049), kPaint);  // Y was not selected
}

}  // namespace
}  // namespace zarvel
