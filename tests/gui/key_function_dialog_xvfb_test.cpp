// The key-function dialog on a real X server, beside other X programs: keys
// typed with xdotool reach the dialog only while it is the active window,
// another program that has the focus gets its keys even with the dialog
// open, the desktop's media-key binding keeps working, Super is taken by the
// dialog while it is active, and every way out leaves the keyboard to the
// other programs.
//
// The test starts its own Xvfb on a free display and runs this executable
// again on it, in three roles: "dialog" runs the dialog's scenarios;
// "listen" is another program's window that reports every key it gets;
// "mute" is a hotkey daemon with a passive grab on XF86AudioMute on the root
// window, as desktops bind media keys. It is skipped when Xvfb or xdotool is
// not installed. Every wait is bounded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/key_capture_system_keys.h"
#include "app/key_dialog_pages.h"
#include "app/key_function_dialog.h"
#include "app/macro_page.h"
#include "core/key_dialog_session.h"
#include "model/evdev_keys.h"
#include "skin/widgets/image_button.h"
#include "support/core_rig.h"

#ifdef ZARVEL_HAVE_XCB
#include <poll.h>
#include <xcb/xcb.h>
#endif

namespace zarvel {
namespace {

constexpr const char* kRoleVariable = "ZARVEL_XVFB_ROLE";
constexpr KeyCode kA = 0x1E, kWin = 0x15B;
constexpr unsigned kXKeyX = 53, kXKeyY = 29, kXKeySuper = 133, kXKeyMute = 121;  // evdev + 8
constexpr int kF1Button = 1010;
constexpr int kF1Record = 0x3B;
constexpr int kG9Button = 1143;
constexpr int kG9Record = 264;

std::string Role() {
  const char* role = std::getenv(kRoleVariable);
  return role != nullptr ? role : "";
}

QProcessEnvironment RoleEnvironment(const QString& display, const char* role) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert(kRoleVariable, role);
  return env;
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

// Super, Right Super and Menu are grabbed where the build has xcb.
int SystemKeysOfThisBuild() { return SystemKeyGrab::Supported() ? 3 : 0; }

int Xdotool(const QStringList& args) { return QProcess::execute("xdotool", args); }

// Another program beside the dialog, started in `role`; it reports on its
// standard output, one line per thing it saw.
class OtherProgram {
 public:
  OtherProgram(const char* role, const char* filter) {
    process_.setProcessEnvironment(RoleEnvironment(qEnvironmentVariable("DISPLAY"), role));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QCoreApplication::applicationFilePath(), {QString("--gtest_filter=") + filter});
  }
  ~OtherProgram() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  void Send(const char* command) {
    process_.write(command);
    process_.write("\n");
    process_.waitForBytesWritten(1000);
  }
  // Waits until a line `line` arrives; every line read is kept.
  bool Saw(const QString& line, int ms = 5000) {
    return WaitFor(
        [&] {
          while (process_.canReadLine()) lines_ << QString::fromUtf8(process_.readLine()).trimmed();
          return lines_.contains(line);
        },
        ms);
  }
  void Forget() {
    while (process_.canReadLine()) process_.readLine();
    lines_.clear();
  }

 private:
  QProcess process_;
  QStringList lines_;
};

// ---- the starting process ----

TEST(KeyDialogUnderXTest, TheDesktopKeepsItsKeyboardWhileTheDialogIsOpen) {
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
  int result = -1;
  if (up) {
    QProcess child;
    child.setProcessEnvironment(RoleEnvironment(display, "dialog"));
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=KeyDialogUnderXChild.*"});
    if (!child.waitForFinished(150000)) {
      child.kill();
      child.waitForFinished();
    }
    output = QString::fromLocal8Bit(child.readAll());
    result = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
  }
  server.terminate();
  if (!server.waitForFinished(5000)) server.kill();
  ASSERT_TRUE(up) << "Xvfb did not start on " << display.toStdString();
  EXPECT_EQ(result, 0) << output.toStdString();
  // A child that skipped would exit 0 too.
  std::vector<const char*> names = {"KeysTypedIntoAnotherProgramStayThere",
                                    "EveryWayOutLeavesTheKeyboardToOtherPrograms"};
#ifdef ZARVEL_HAVE_XCB
  names.push_back("MediaKeysKeepTheDesktopsBinding");  // its hotkey program needs xcb
#endif
  for (const char* name : names)
    EXPECT_TRUE(output.contains(QString("[       OK ] KeyDialogUnderXChild.") + name)) << name << "\n"
                                                                                       << output.toStdString();
}

// ---- the dialog's scenarios ----

class KeyDialogUnderXChild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Role() != "dialog") GTEST_SKIP() << "a role of the Xvfb test";
    ASSERT_TRUE(rig.Connect());
    dialog = std::make_unique<KeyFunctionDialog>(*rig.core, nullptr, &rig.settings);
  }
  void TearDown() override {
    dialog.reset();
    listener.reset();
  }
  // Opens and makes the dialog the active window, as a click on it does.
  void OpenActive(int button, int record, bool macro_only = false) {
    dialog->OpenFor(button, record, macro_only, QRect(100, 100, 40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    Activate();
  }
  // As a click on it would (no window manager runs to do it).
  void Activate() {
    ASSERT_EQ(Xdotool({"windowfocus", QString::number(dialog->winId())}), 0);
    ASSERT_TRUE(WaitFor([&] { return dialog->isActiveWindow(); })) << "the dialog never became active";
    // Capture follows at once where the page captures.
    if (dialog->Capturing()) {
      EXPECT_TRUE(dialog->CaptureActive());
    }
  }
  void StartRecording() {
    dialog->Macros().AddButton().click();
    dialog->Macros().RecordButton().click();
    ASSERT_TRUE(dialog->Session().Recorder().Recording());
    ASSERT_TRUE(dialog->CaptureActive());
  }
  // The other program takes the focus, as a click into it would.
  void ListenerTakesTheFocus() {
    if (!listener) {
      listener = std::make_unique<OtherProgram>("listen", "KeyDialogUnderXRole.Listen");
      ASSERT_TRUE(listener->Saw("ready")) << "the other program did not start";
    }
    listener->Forget();
    listener->Send("focus");
    ASSERT_TRUE(listener->Saw("active"));
    ASSERT_TRUE(WaitFor([&] { return !dialog || !dialog->CaptureActive(); }));
  }
  // A key typed now reaches the other program.
  void ExpectListenerGets(const char* key, unsigned x_keycode) {
    listener->Forget();
    ASSERT_EQ(Xdotool({"key", key}), 0) << key;
    EXPECT_TRUE(listener->Saw(QString("key %1").arg(x_keycode))) << key << " did not reach the other program";
  }

  testing::CoreRig rig;
  std::unique_ptr<KeyFunctionDialog> dialog;
  std::unique_ptr<OtherProgram> listener;
};

TEST_F(KeyDialogUnderXChild, KeysTypedIntoAnotherProgramStayThere) {
  OpenActive(kF1Button, kF1Record);
  EXPECT_EQ(dialog->SystemKeysHeld(), SystemKeysOfThisBuild());
  // Super goes to the dialog, through its own grab, not to the desktop.
  ASSERT_EQ(Xdotool({"key", "Super_L"}), 0);
  EXPECT_TRUE(WaitFor([&] { return dialog->Session().Choice().SingleKey() == kWin; }));

  // The user goes to another program with the dialog still open: what is
  // typed there arrives there, Super included, and F1 stays as it was.
  ListenerTakesTheFocus();
  ASSERT_TRUE(WaitFor([&] { return !dialog->CaptureActive(); }));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->SystemKeysHeld(), 0);
  ExpectListenerGets("x", kXKeyX);
  ExpectListenerGets("Super_L", kXKeySuper);
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), kWin);

  // Back in the dialog, asked for the next key, capture resumes.
  QTest::keyClick(&dialog->SingleKey().KeyBox(), Qt::Key_Space);
  Activate();
  EXPECT_EQ(dialog->SystemKeysHeld(), SystemKeysOfThisBuild());
  ASSERT_EQ(Xdotool({"key", "a"}), 0);
  EXPECT_TRUE(WaitFor([&] { return dialog->Session().Choice().SingleKey() == kA; }));
  dialog->CancelButton().click();
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionDefault);
}

TEST_F(KeyDialogUnderXChild, MediaKeysKeepTheDesktopsBinding) {
#ifndef ZARVEL_HAVE_XCB
  GTEST_SKIP() << "built without xcb";
#endif
  OtherProgram hotkeys("mute", "KeyDialogUnderXRole.Mute");
  ASSERT_TRUE(hotkeys.Saw("ready")) << "the hotkey program could not grab XF86AudioMute";

  OpenActive(kF1Button, kF1Record);
  ASSERT_EQ(Xdotool({"key", "XF86AudioMute"}), 0);
  EXPECT_TRUE(hotkeys.Saw("mute")) << "the desktop's mute binding saw nothing";
  QTest::qWait(100);
  EXPECT_EQ(dialog->Session().Choice().SingleKey(), 0);
  dialog->CancelButton().click();

  // While recording as well: nothing is recorded, the desktop mutes.
  hotkeys.Forget();
  OpenActive(kG9Button, kG9Record, true);
  StartRecording();
  ASSERT_EQ(Xdotool({"key", "XF86AudioMute"}), 0);
  EXPECT_TRUE(hotkeys.Saw("mute"));
  ASSERT_EQ(Xdotool({"key", "a"}), 0);
  EXPECT_TRUE(WaitFor([&] { return dialog->Session().Editor().Rows().size() == 2; }));
  EXPECT_EQ(dialog->Session().Editor().Rows()[0].keyCode, kA);
  dialog->CancelButton().click();
}

TEST_F(KeyDialogUnderXChild, EveryWayOutLeavesTheKeyboardToOtherPrograms) {
  using Close = std::function<void(KeyFunctionDialog&)>;
  const std::pair<const char*, Close> ways[] = {
      {"OK", [](KeyFunctionDialog& d) { d.OkButton().click(); }},
      {"Cancel", [](KeyFunctionDialog& d) { d.CancelButton().click(); }},
      {"unplug", [](KeyFunctionDialog& d) { d.CloseCancelled(); }},
  };
  for (const bool recording : {false, true}) {
    for (const auto& [how, close] : ways) {
      SCOPED_TRACE(std::string(how) + (recording ? ", recording" : ", single key"));
      if (recording) {
        OpenActive(kG9Button, kG9Record, true);
        StartRecording();
      } else {
        OpenActive(kF1Button, kF1Record);
      }
      ASSERT_EQ(dialog->SystemKeysHeld(), SystemKeysOfThisBuild());
      close(*dialog);
      EXPECT_FALSE(dialog->Capturing());
      ListenerTakesTheFocus();
      ExpectListenerGets("Super_L", kXKeySuper);
      ExpectListenerGets("y", kXKeyY);
    }
  }
  // The dialog destroyed while active (its window's owner went away).
  OpenActive(kF1Button, kF1Record);
  ASSERT_EQ(dialog->SystemKeysHeld(), SystemKeysOfThisBuild());
  dialog.reset();
  ListenerTakesTheFocus();
  ExpectListenerGets("Super_L", kXKeySuper);

  // The program ends: the dialog closes as the event loop ends.
  dialog = std::make_unique<KeyFunctionDialog>(*rig.core, nullptr, &rig.settings);
  OpenActive(kG9Button, kG9Record, true);
  StartRecording();
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(dialog->Capturing());
  ListenerTakesTheFocus();
  ExpectListenerGets("Super_L", kXKeySuper);
  ExpectListenerGets("y", kXKeyY);
}

// ---- the other programs ----

// A window that reports the X key number of every key press it gets, and
// takes the focus when told "focus" on its standard input.
class Listener : public QWidget {
 public:
  Listener() {
    setWindowTitle("other program");
    resize(200, 100);
    move(900, 600);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    std::printf("key %u\n", event->nativeScanCode());
    std::fflush(stdout);
  }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
      std::printf("active\n");
      std::fflush(stdout);
    }
    QWidget::changeEvent(event);
  }
};

TEST(KeyDialogUnderXRole, Listen) {
  if (Role() != "listen") GTEST_SKIP() << "a role of the Xvfb test";
  Listener window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
  bool done = false;
  QObject::connect(&commands, &QSocketNotifier::activated, [&] {
    char line[64] = {};
    const ssize_t got = ::read(STDIN_FILENO, line, sizeof line - 1);
    if (got <= 0) {
      done = true;
      commands.setEnabled(false);
      return;
    }
    if (std::string(line).find("focus") != std::string::npos) {
      // As a click into it would (no window manager runs to do it).
      QProcess::execute("xdotool", {"windowfocus", QString::number(window.winId())});
      if (window.isActiveWindow()) {
        std::printf("active\n");
        std::fflush(stdout);
      }
    }
  });
  std::printf("ready\n");
  std::fflush(stdout);
  // Ends when the dialog's process closes the pipe, or after two minutes.
  EXPECT_TRUE(WaitFor([&] { return done; }, 120000));
}

TEST(KeyDialogUnderXRole, Mute) {
  if (Role() != "mute") GTEST_SKIP() << "a role of the Xvfb test";
#ifdef ZARVEL_HAVE_XCB
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(connection), 0);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  xcb_generic_error_t* error = xcb_request_check(
      connection, xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_ANY, static_cast<xcb_keycode_t>(kXKeyMute),
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  ASSERT_EQ(error, nullptr);
  std::printf("ready\n");
  std::fflush(stdout);
  // Reports each press, until the dialog's process closes the pipe.
  pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  for (int waited = 0; waited < 120000;) {
    if (::poll(watched, 2, 100) == 0) {
      waited += 100;
      continue;
    }
    if (watched[1].revents != 0) {
      char ignored[64];
      if (::read(STDIN_FILENO, ignored, sizeof ignored) <= 0) break;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
        std::printf("mute\n");
        std::fflush(stdout);
      }
      std::free(event);
    }
  }
  xcb_disconnect(connection);
#endif
}

}  // namespace
}  // namespace zarvel
