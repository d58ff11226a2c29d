// An edit survives a loose cable in the real program: on an X server of its
// own, the key A is given the function "B" through the key dialog (clicked
// and typed with xdotool), the simulated keyboard is unplugged (USR1) and
// plugged in again (USR2), Apply is clicked, the program ends, and zarvelctl
// reads the keyboard's memory back: A types B.
//
// Skipped when Xvfb or xdotool is not installed.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <map>
#include <QStandardPaths>

#include "gui/support/desktop_rig.h"
#include "gui/support/process_rig.h"
#include "model/profile_store.h"
#include "skin/ini_file.h"
#include "skin/placement.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

constexpr std::size_t kRecordA = 0x1E;
constexpr std::uint32_t kKeyB = 0x30;
const std::string kSkinFolder = std::string(ZARVEL_PROGRAM_DIR) + "/Skins/";

QString XDo(const QString& display, const QStringList& args) {
  QProcess xdo;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), display);
  xdo.setProcessEnvironment(env);
  xdo.start(QStringLiteral("xdotool"), args);
  if (!xdo.waitForFinished(5000)) return {};
  return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
}

// The visible windows of the program, with their areas in pixels.
std::map<QString, int> ProgramWindows(const QString& display) {
  std::map<QString, int> windows;
  const QStringList ids = XDo(display, {"search", "--onlyvisible", "--class", "zarvel"}).split('\n', Qt::SkipEmptyParts);
  for (const QString& id : ids) {
    int width = 0, height = 0;
    for (const QString& line : XDo(display, {"getwindowgeometry", "--shell", id}).split('\n')) {
      if (line.startsWith("WIDTH=")) width = line.mid(6).toInt();
      if (line.startsWith("HEIGHT=")) height = line.mid(7).toInt();
    }
    windows[id] = width * height;
  }
  return windows;
}

// The largest visible window of the program other than `except`.
QString LargestWindow(const QString& display, const QString& except = {}) {
  QString best;
  int best_area = 0;
  for (const auto& [id, area] : ProgramWindows(display)) {
    if (id != except && area > best_area) {
      best = id;
      best_area = area;
    }
  }
  return best;
}

void ClickControl(const QString& display, const QString& window, const std::string& skin_file, const char* key) {
  const CIniFile skin(kSkinFolder + skin_file);
  const Placement at = ReadPlacement(skin, key);
  XDo(display, {"mousemove", "--window", window, QString::number(at.left + at.width / 2),
                QString::number(at.top + at.height / 2)});
  WaitUntil([] { return false; }, milliseconds(100));
  XDo(display, {"click", "1"});
}

TEST(UnappliedEditsProcessTest, AnEditSurvivesUnplugAndReplugAndApplyWritesIt) {
  XServer x;
  if (!x.Ok()) GTEST_SKIP() << "Xvfb cannot start here";
  if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) GTEST_SKIP() << "no xdotool";
  PrivateWorld world;
  QProcessEnvironment env = world.Environment({}, QStringLiteral("xcb"));
  env.insert(QStringLiteral("DISPLAY"), x.Display());
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  const QString state = world.Root() + QStringLiteral("/keyboard.state");
  const QStringList args{QStringLiteral("--simulate=") + state};

  ZarvelProcess zarvel;
  zarvel.Start(args, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("painted")); }, milliseconds(30000)))
      << zarvel.Errors().toStdString();
  WaitUntil([] { return false; }, milliseconds(500));
  const QString main_window = LargestWindow(x.Display());
  ASSERT_FALSE(main_window.isEmpty());

  // A: the key dialog opens on its single-key page, which takes the next key.
  ClickControl(x.Display(), main_window, "Main.ini", "KEY_01E");
  QString dialog;
  ASSERT_TRUE(WaitUntil([&] { return !(dialog = LargestWindow(x.Display(), main_window)).isEmpty(); },
                        milliseconds(10000)))
      << "the key dialog did not open";
  WaitUntil([] { return false; }, milliseconds(500));
  XDo(x.Display(), {"key", "b"});
  WaitUntil([] { return false; }, milliseconds(300));
  ClickControl(x.Display(), dialog, "Composite.ini", "CONTROL_OK");
  ASSERT_TRUE(WaitUntil([&] { return LargestWindow(x.Display(), main_window).isEmpty(); }, milliseconds(10000)))
      << "the key dialog did not close";

  // The cable: out (the window hides) and in again (the window opens once
  // the connection's refresh has run).
  auto shown = [&] { return ProgramWindows(x.Display()).count(main_window) != 0; };
  zarvel.Signal(SIGUSR1);
  EXPECT_TRUE(WaitUntil([&] { return !shown(); }, milliseconds(10000))) << "the unplug did not hide the window";
  zarvel.Signal(SIGUSR2);
  WaitUntil(shown, milliseconds(15000));
  // Should the window stay hidden, a second start opens it.
  if (ProgramWindows(x.Display()).count(main_window) == 0) {
    ZarvelProcess second;
    second.Start(args, env);
    EXPECT_TRUE(second.WaitForExit(milliseconds(10000)));
    WaitUntil([&] { return ProgramWindows(x.Display()).count(main_window) != 0; }, milliseconds(5000));
  }
  ASSERT_EQ(ProgramWindows(x.Display()).count(main_window), 1u) << "the window did not come back";
  WaitUntil([] { return false; }, milliseconds(500));
  ClickControl(x.Display(), main_window, "Main.ini", "CONTROL2_APPLY");
  // The ending waits for a write that has started.
  WaitUntil([] { return false; }, milliseconds(1000));

  zarvel.Signal(SIGTERM);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000)));

  // What the keyboard holds, as zarvelctl reads it.
  const QString read_back = world.Root() + QStringLiteral("/read.zvl");
  QProcess ctl;
  ctl.setProcessEnvironment(env);
  ctl.start(QString(ZARVEL_PROGRAM_DIR) + QStringLiteral("/zarvelctl"),
            {QStringLiteral("--simulate=") + state, QStringLiteral("read"), read_back});
  ASSERT_TRUE(ctl.waitForFinished(20000));
  ASSERT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
  ProfileStore keyboard;
  ASSERT_TRUE(LoadStoreFile(keyboard, read_back.toStdString()));
  EXPECT_EQ(keyboard.Record(0, kRecordA).type, kFunctionKey) << zarvel.Errors().toStdString();
  EXPECT_EQ(keyboard.Record(0, kRecordA).value, kKeyB);
}

}  // namespace
}  // namespace zarvel::testing
