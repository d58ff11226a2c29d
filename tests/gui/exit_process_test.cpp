// Ending the program while something waits for the user: a question of a
// keyboard write, the profile manager's file dialog, the key dialog's
// message, a slow write, the menu. Each run is a real process on an X server
// of its own with a private session bus: this test executable again, in a
// role that runs the whole program and opens the box, while the test ends it
// with /Kill (without a display), SIGTERM or SIGHUP. Each must end within
// 2 s with exit code 0 and leave no socket, lock or semaphore behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/keyboard_write_runner.h"
#include "app/key_function_dialog.h"
#include "app/main_window.h"
#include "app/profile_manager_dialog.h"
#include "gui/support/desktop_rig.h"
#include "gui/support/process_rig.h"
#include "skin/language.h"
#include "skin/widgets/image_button.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

constexpr const char* kRoleVariable = "ZARVEL_EXIT_ROLE";
constexpr const char* kRuntimeVariable = "ZARVEL_EXIT_RUNTIME";
constexpr const char* kTraceVariable = "ZARVEL_EXIT_TRACE";
constexpr const char* kLatencyVariable = "ZARVEL_EXIT_LATENCY";
// What a user may wait; the sanitizer builds run everything several times
// slower, the way out included.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr milliseconds kExitLimit{4000};
#else
constexpr milliseconds kExitLimit{2000};
#endif

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

QString Text(const char* key) { return QString::fromStdString(LookupText(key)); }

// ---- the child: the whole program, driven to the box of its role ----

constexpr int kDefaultButton = 1138;
constexpr int kProfilesButton = 1005;
constexpr int kKeyA = 1058;
constexpr int kMenuButton = 1139;

void Say(const char* line) {
  std::fprintf(stderr, "role: %s\n", line);
  std::fflush(stderr);
}

QMessageBox* OpenBox() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }

template <typename Widget>
Widget* Visible(MainWindow& window) {
  for (Widget* w : window.findChildren<Widget*>())
    if (w->isVisible()) return w;
  return nullptr;
}

// One step of the role each 50 ms, from whatever loop runs then.
class Driver : public QObject {
 public:
  Driver(Application& application, std::string role) : application_(application), role_(std::move(role)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    timer_.start(50);
  }

 private:
  MainWindow& Window() { return *application_.Window(); }
  void Later(std::function<void()> act) { QTimer::singleShot(0, this, std::move(act)); }

  void Step() {
    if (application_.Window() == nullptr) return;
    switch (step_) {
      case 0:
        if (!Window().isVisible() || Window().Writes().Running()) return;
        ++step_;
        Start();
        return;
      case 1:
        if (Ready()) {
          ++step_;
          Say("ready");
          if (role_ == "unplug") Unplug();
        }
        return;
      default:
        return;
    }
  }

  void Start() {
    if (role_ == "default" || role_ == "unplug" || role_ == "apply") {
      Later([this] { Window().KeyButton(kDefaultButton)->click(); });
    } else if (role_ == "add") {
      Later([this] { Window().KeyButton(kProfilesButton)->click(); });
    } else if (role_ == "osk") {
      Later([this] { Window().KeyButton(kKeyA)->click(); });
    } else if (role_ == "about") {
      Later([this] { Window().KeyButton(kMenuButton)->click(); });
    }
  }

  // True once the role's box is open (opening the next one when needed).
  bool Ready() {
    if (role_ == "default" || role_ == "unplug") return OpenBox() != nullptr;
    if (role_ == "apply") {
      if (QMessageBox* box = OpenBox()) {
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (yes != nullptr) Later([yes] { yes->click(); });
        return false;
      }
      return Window().Writes().Running();
    }
    if (role_ == "add") {
      if (qobject_cast<QDialog*>(QApplication::activeModalWidget()) != nullptr &&
          QApplication::activeModalWidget()->inherits("QFileDialog"))
        return true;
      ProfileManagerDialog* manager = Visible<ProfileManagerDialog>(Window());
      if (manager != nullptr && !clicked_) {
        clicked_ = true;
        auto* add = manager->findChild<QAbstractButton*>(QStringLiteral("FUNC_ADD"));
        if (add != nullptr) Later([add] { add->click(); });
      }
      return false;
    }
    if (role_ == "osk") {
      if (OpenBox() != nullptr) return true;
      KeyFunctionDialog* dialog = Visible<KeyFunctionDialog>(Window());
      if (dialog != nullptr && !clicked_) {
        for (ImageButton* button : dialog->findChildren<ImageButton*>()) {
          if (button->toolTip() != Text("COMPOSITE_PROMPT_OSK")) continue;
          clicked_ = true;
          Later([button] { button->click(); });
        }
      }
      return false;
    }
    if (role_ == "about") {
      // While a keyboard write runs (a check of the user's folder after the
      // window's own first save is one) the user's keys are swallowed: Return
      // is pressed again until the menu has taken it.
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu != nullptr) {
        if (Window().Writes().Running()) return false;
        for (QAction* action : menu->actions()) {
          if (action->text() != Text("MAIN_MENU_ABOUT")) continue;
          clicked_ = true;
          menu->setActiveAction(action);
          QTest::keyClick(menu, Qt::Key_Return);
        }
        return false;
      }
      return clicked_;
    }
    return false;
  }

  // The keyboard goes while the question is open, comes back, and then the
  // user clicks Yes (when the box is still there to click).
  void Unplug() {
    ::kill(::getpid(), SIGUSR1);
    QTimer::singleShot(400, this, [] { ::kill(::getpid(), SIGUSR2); });
    QTimer::singleShot(1500, this, [] {
      if (QMessageBox* box = OpenBox())
        if (QAbstractButton* yes = box->button(QMessageBox::Yes)) yes->click();
      Say("answered");
    });
    QTimer::singleShot(3000, this, [] { Say("done"); });
  }

  Application& application_;
  std::string role_;
  QTimer timer_;
  int step_ = 0;
  bool clicked_ = false;
};

TEST(ExitProcessRole, Child) {
  const std::string role = Env(kRoleVariable);
  if (role.empty()) GTEST_SKIP() << "run by the tests below";
  ::setenv("XDG_RUNTIME_DIR", Env(kRuntimeVariable).c_str(), 1);
  std::vector<std::string> args{"--simulate"};
  if (!Env(kTraceVariable).empty()) args.push_back("--trace=" + Env(kTraceVariable));
  // A slow keyboard: each report takes that many microseconds.
  if (role == "apply") args.push_back("--simulate-faults=latency=" + Env(kLatencyVariable));
  WindowOptions options;
  std::string error;
  ASSERT_TRUE(ParseWindowCommandLine(args, options, error)) << error;
  QElapsedTimer started;
  started.start();
  int status = 0;
  {
    Application application(options, started);
    Driver driver(application, role);
    status = application.Run();
  }
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(status);
}

// ---- the tests ----

class ExitProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Env(kRoleVariable).empty()) GTEST_SKIP();
    if (!x_.Ok()) GTEST_SKIP() << "Xvfb cannot start here";
    ASSERT_TRUE(bus_.Ok()) << "dbus-daemon cannot start";
  }
  QProcessEnvironment ChildEnv(const QString& role) const {
    QProcessEnvironment env = world_.Environment(bus_.Address(), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), x_.Display());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
    env.insert(kRoleVariable, role);
    env.insert(kRuntimeVariable, world_.RuntimeFolder());
    env.insert(kTraceVariable, TracePath());
    env.insert(kLatencyVariable, latency_);
    return env;
  }
  QString TracePath() const { return world_.Root() + QStringLiteral("/trace.txt"); }

  // Starts the role and waits until its box is open.
  void StartRole(QProcess& child, const QString& role) {
    child.setProcessEnvironment(ChildEnv(role));
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ExitProcessRole.Child")});
    ASSERT_TRUE(child.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] { return Errors(child).contains(QStringLiteral("role: ready")); }, milliseconds(20000)))
        << role.toStdString() << ": the box never opened; " << err_.toStdString();
    WaitUntil([&] { return MappedSemaphoreCount(child.processId()) == 208; }, milliseconds(5000));
    semaphores_ = OpenSemaphores(child.processId());
  }
  QString Errors(QProcess& child) {
    err_ += QString::fromUtf8(child.readAllStandardError());
    return err_;
  }

  enum class Way { kKill, kTerm, kHangUp };
  static const char* Name(Way way) { return way == Way::kKill ? "/Kill" : way == Way::kTerm ? "SIGTERM" : "SIGHUP"; }

  // Ends `child` the given way; the milliseconds until it ended, -1 when it
  // did not end within 10 s.
  qint64 End(QProcess& child, Way way) {
    QElapsedTimer clock;
    clock.start();
    if (way == Way::kKill) {
      // As from an ssh session: no display at all.
      QProcessEnvironment env = world_.Environment();
      env.remove(QStringLiteral("DISPLAY"));
      env.remove(QStringLiteral("WAYLAND_DISPLAY"));
      env.remove(QStringLiteral("QT_QPA_PLATFORM"));
      QProcess kill;
      kill.setProcessEnvironment(env);
      kill.start(ZarvelProcess::Program(), {QStringLiteral("/Kill")});
      EXPECT_TRUE(kill.waitForFinished(10000));
      EXPECT_EQ(kill.exitCode(), 0) << QString::fromUtf8(kill.readAllStandardError()).toStdString();
    } else {
      ::kill(static_cast<pid_t>(child.processId()), way == Way::kTerm ? SIGTERM : SIGHUP);
    }
    if (!child.waitForFinished(10000)) {
      child.kill();
      child.waitForFinished(5000);
      return -1;
    }
    return clock.elapsed();
  }
  void ExpectEndedCleanly(QProcess& child, qint64 ms, const std::string& what) {
    EXPECT_GE(ms, 0) << what << ": did not end; " << Errors(child).toStdString();
    EXPECT_LT(ms, kExitLimit.count()) << what;
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << what << "; " << Errors(child).toStdString();
    EXPECT_EQ(child.exitCode(), 0) << what;
    const QStringList left = QDir(world_.RuntimeFolder())
                                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_TRUE(left.isEmpty()) << what << ": left " << left.join(' ').toStdString();
    EXPECT_EQ(LeftoverSemaphores(semaphores_), 0) << what;
    std::fprintf(stderr, "[ timing ] %s: %lld ms\n", what.c_str(), static_cast<long long>(ms));
  }
  void EachWay(const QString& role) {
    for (Way way : {Way::kKill, Way::kTerm, Way::kHangUp}) {
      err_.clear();
      QProcess child;
      // The slow write: one that ends within the wait (40 ms an exchange),
      // and one that outlasts it (200 ms an exchange; its start takes long).
      latency_ = way == Way::kTerm ? QStringLiteral("100000") : QStringLiteral("20000");
      StartRole(child, role);
      if (HasFatalFailure()) return;
      const qint64 ms = End(child, way);
      ExpectEndedCleanly(child, ms, role.toStdString() + " + " + Name(way));
      // A write that outlasted the wait had the link closed under it (on a
      // loaded machine the slowest one may instead give up by itself first,
      // its replies too late).
      const QRegularExpressionMatch ended =
          QRegularExpression(QStringLiteral("ended (\\d+) ms after the request")).match(Errors(child));
      if (ended.hasMatch() && ended.captured(1).toLongLong() > kWriteWait.count()) {
        EXPECT_TRUE(Errors(child).contains(QStringLiteral("a keyboard write still runs"))) << err_.toStdString();
      }
    }
  }

  XServer x_;
  PrivateBus bus_;
  PrivateWorld world_;
  SemaphoreFiles semaphores_;
  QString err_;
  QString latency_ = QStringLiteral("20000");
};

TEST_F(ExitProcessTest, EndsWhileAKeyboardWriteWaitsForItsQuestion) { EachWay(QStringLiteral("default")); }

TEST_F(ExitProcessTest, EndsWhileTheProfileManagersFileDialogIsOpen) { EachWay(QStringLiteral("add")); }

TEST_F(ExitProcessTest, EndsWhileTheKeyDialogsMessageIsOpen) { EachWay(QStringLiteral("osk")); }

TEST_F(ExitProcessTest, EndsWhileASlowWriteRuns) { EachWay(QStringLiteral("apply")); }

// The command of every report the program sent, from its trace file.
std::vector<int> SentCommands(const QString& trace) {
  QFile file(trace);
  std::vector<int> commands;
  if (!file.open(QIODevice::ReadOnly)) return commands;
  for (const QByteArray& raw : file.readAll().split('\n')) {
    if (!raw.startsWith("> ")) continue;
    const QByteArray hex = raw.mid(2).replace(' ', "");
    if (hex.size() >= 8) commands.push_back(hex.mid(6, 2).toInt(nullptr, 16));
  }
  return commands;
}

TEST_F(ExitProcessTest, AQuestionAnsweredAfterAnUnplugNeverRunsItsAction) {
  QProcess child;
  StartRole(child, QStringLiteral("unplug"));
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(WaitUntil([&] { return Errors(child).contains(QStringLiteral("role: done")); }, milliseconds(10000)))
      << err_.toStdString();
  // Restoring the defaults writes key matrices (command 0x08); reading the
  // keyboard again after it came back never does.
  const std::vector<int> sent = SentCommands(TracePath());
  EXPECT_FALSE(sent.empty()) << "no trace was written";
  EXPECT_EQ(std::count(sent.begin(), sent.end(), 0x08), 0) << "the defaults were written after the keyboard had gone";
  const qint64 ms = End(child, Way::kTerm);
  ExpectEndedCleanly(child, ms, "unplug, Yes, then SIGTERM");
}

TEST_F(ExitProcessTest, TheMenusAboutEntryOpensTheAboutBoxWithoutATray) {
  QProcess child;
  StartRole(child, QStringLiteral("about"));
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(WaitUntil([&] { return FindXWindows(x_.Display(), Text("LANG_ABOUT_TITLE")).size() == 1; },
                        milliseconds(5000)))
      << "no About box; " << err_.toStdString();
  EXPECT_TRUE(Errors(child).contains(QStringLiteral("without a tray icon")));
  const qint64 ms = End(child, Way::kTerm);
  ExpectEndedCleanly(child, ms, "About box + SIGTERM");
}

}  // namespace
}  // namespace zarvel::testing
