// The key-function dialog on a real X server: keys typed with xdotool are
// caught by their scan codes, and once the dialog is cancelled another
// program can take the keyboard again (a leaked grab would keep the whole
// desktop's keyboard).
//
// The test starts its own Xvfb on a free display and runs this executable
// again on it, in two roles: "dialog" opens the dialog and types into it,
// "grab" is the other program that tries to grab the keyboard. It is skipped
// when Xvfb or xdotool is not installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <string>

#include "app/key_function_dialog.h"
#include "core/key_dialog_session.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

constexpr const char* kRoleVariable = "ZARVEL_XVFB_ROLE";

std::string Role() {
  const char* role = std::getenv(kRoleVariable);
  return role != nullptr ? role : "";
}

// Runs this test executable again on `display` in `role`; its exit code.
int RunRole(const QString& display, const char* role, const char* filter, QString* output = nullptr) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert(kRoleVariable, role);
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {QString("--gtest_filter=") + filter});
  if (!child.waitForFinished(90000)) {
    child.kill();
    child.waitForFinished();
  }
  if (output != nullptr) *output = QString::fromLocal8Bit(child.readAll());
  return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(20);
  }
  return true;
}

int Xdotool(const QStringList& args) { return QProcess::execute("xdotool", args); }

TEST(KeyDialogUnderXTest, TypedKeysAreCapturedAndCancelGivesTheKeyboardBack) {
  if (!Role().empty()) GTEST_SKIP() << "runs only as the starting process";
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  if (xvfb.isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
    GTEST_SKIP() << "Xvfb or xdotool is not installed";
  int number = 0;
  for (int n = 140; n < 400 && number == 0; ++n)
    if (!QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)) && !QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
      number = n;
  ASSERT_NE(number, 0) << "no free display number";
  const QString display = QString(":%1").arg(number);
  QProcess server;
  server.setProcessChannelMode(QProcess::ForwardedChannels);
  server.start(xvfb, {display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  ASSERT_TRUE(server.waitForStarted(5000));
  const bool up = WaitFor([&] { return QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)); }, 10000);
  QString output;
  const int result = up ? RunRole(display, "dialog", "KeyDialogUnderXChild.Dialog", &output) : -1;
  server.terminate();
  if (!server.waitForFinished(5000)) server.kill();
  ASSERT_TRUE(up) << "Xvfb did not start on " << display.toStdString();
  EXPECT_EQ(result, 0) << output.toStdString();
  // A child that skipped would exit 0 too.
  EXPECT_TRUE(output.contains("[       OK ] KeyDialogUnderXChild.Dialog")) << output.toStdString();
}

TEST(KeyDialogUnderXChild, Dialog) {
  if (Role() != "dialog") GTEST_SKIP() << "a role of the Xvfb test";
  const QString display = qEnvironmentVariable("DISPLAY");
  testing::CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  KeyFunctionDialog dialog(*rig.core, nullptr, &rig.settings);
  dialog.OpenFor(1010, 0x3B, false, QRect(100, 100, 40, 40));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  dialog.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return dialog.GrabbingKeyboard(); }));
  // While the dialog holds the keyboard, no other program can take it.
  EXPECT_NE(RunRole(display, "grab", "KeyDialogUnderXChild.Grab"), 0);

  const std::pair<const char*, KeyCode> typed[] = {
      {"a", 0x01E}, {"Shift_R", 0x036}, {"Super_L", 0x15B}, {"Print", 0x137}, {"KP_Enter", 0x11C}, {"Escape", 0x001}};
  for (const auto& [name, key] : typed) {
    ASSERT_EQ(Xdotool({"key", name}), 0) << name;
    EXPECT_TRUE(WaitFor([&, key = key] { return dialog.Session().Choice().SingleKey() == key; })) << name;
    EXPECT_TRUE(dialog.isVisible()) << name;
  }

  dialog.CancelButton().click();
  QApplication::processEvents();
  EXPECT_FALSE(dialog.GrabbingKeyboard());
  EXPECT_FALSE(dialog.Capturing());
  EXPECT_EQ(RunRole(display, "grab", "KeyDialogUnderXChild.Grab"), 0);
  EXPECT_EQ(rig.core->KeyRecord(0x3B).type, kFunctionDefault);
}

TEST(KeyDialogUnderXChild, Grab) {
  if (Role() != "grab") GTEST_SKIP() << "a role of the Xvfb test";
  QWindow window;
  window.resize(50, 50);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(window.setKeyboardGrabEnabled(true));
  window.setKeyboardGrabEnabled(false);
}

}  // namespace
}  // namespace zarvel
