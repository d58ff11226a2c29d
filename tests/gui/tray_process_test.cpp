// The tray icon as a desktop's tray sees it: the program on an X server of
// its own, a fake StatusNotifierWatcher on a private session bus, and the
// item's properties and menu read and clicked over D-Bus.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFileInfo>

#include "gui/support/desktop_rig.h"
#include "gui/support/process_rig.h"
#include "skin/language.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

QString Text(const char* key) { return QString::fromStdString(LookupText(key)); }

class TrayProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x_.Ok()) GTEST_SKIP() << "Xvfb cannot start here";
    ASSERT_TRUE(bus_.Ok()) << "dbus-daemon cannot start";
    watcher_ = std::make_unique<FakeService>(QStringLiteral("watcher"), bus_.Address());
    ASSERT_TRUE(watcher_->Ok()) << "the fake tray (python3-dbus) cannot start";
  }
  QProcessEnvironment Env() const {
    QProcessEnvironment env = world_.Environment(bus_.Address(), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), x_.Display());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
    return env;
  }
  // The D-Bus name of the program's tray item, once it registered.
  QString WaitForItem() {
    QString service;
    WaitUntil(
        [&] {
          for (const QString& line : watcher_->Lines())
            if (line.startsWith(QStringLiteral("registered "))) service = line.mid(11);
          return !service.isEmpty();
        },
        milliseconds(10000));
    return service;
  }
  QString Icon(const QString& service) { return AskTrayItem(bus_.Address(), service, "icon").value(0); }

  XServer x_;
  PrivateBus bus_;
  PrivateWorld world_;
  std::unique_ptr<FakeService> watcher_;
};

TEST_F(TrayProcessTest, MenuOpenAboutExitAndThePictureFollowsThePlug) {
  ZarvelProcess zarvel;
  zarvel.Start({QStringLiteral("--simulate"), QStringLiteral("/Start")}, Env());
  const QString service = WaitForItem();
  SemaphoreFiles semaphores;
  WaitUntil([&] { return MappedSemaphoreCount(zarvel.Pid()) == 208; }, milliseconds(5000));
  semaphores = OpenSemaphores(zarvel.Pid());
  ASSERT_FALSE(service.isEmpty()) << "no tray item registered; stderr: " << zarvel.Errors().toStdString();

  EXPECT_EQ(AskTrayItem(bus_.Address(), service, "tooltip"), QStringList{Text("KEYBOARD_TRAY_DESC")});
  EXPECT_EQ(AskTrayItem(bus_.Address(), service, "menu"),
            (QStringList{Text("MENU_11"), Text("MENU_22"), Text("MENU_33")}));

  // Connected picture; unplugged, another; plugged in again, the first back.
  QString connected;
  WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("started")); }, milliseconds(5000));
  WaitUntil([] { return false; }, milliseconds(1500));
  connected = Icon(service);
  ASSERT_FALSE(connected.isEmpty());
  zarvel.Signal(SIGUSR1);
  EXPECT_TRUE(WaitUntil([&] { return Icon(service) != connected; }, milliseconds(5000)))
      << "the picture did not change on unplug";
  const QString unplugged = Icon(service);
  zarvel.Signal(SIGUSR2);
  EXPECT_TRUE(WaitUntil([&] { return Icon(service) == connected; }, milliseconds(5000)))
      << "the connected picture did not come back; now " << Icon(service).toStdString() << ", unplugged was "
      << unplugged.toStdString();

  // Started hidden: Open shows the window.
  EXPECT_FALSE(zarvel.Errors().contains(QStringLiteral("painted")));
  EXPECT_EQ(AskTrayItem(bus_.Address(), service, "click", Text("MENU_11")).value(0), "clicked " + Text("MENU_11"));
  EXPECT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("painted")); }, milliseconds(5000)));

  // About opens one box, however often it is asked for.
  for (int i = 0; i < 2; ++i) AskTrayItem(bus_.Address(), service, "click", Text("MENU_22"));
  EXPECT_TRUE(WaitUntil([&] { return FindXWindows(x_.Display(), Text("LANG_ABOUT_TITLE")).size() == 1; },
                        milliseconds(5000)));
  WaitUntil([] { return false; }, milliseconds(300));
  EXPECT_EQ(FindXWindows(x_.Display(), Text("LANG_ABOUT_TITLE")).size(), 1);

  AskTrayItem(bus_.Address(), service, "click", Text("MENU_33"));
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000))) << "Exit did not end the program";
  EXPECT_EQ(zarvel.ExitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(world_.SocketPath()));
  EXPECT_EQ(LeftoverSemaphores(semaphores), 0);
}

TEST_F(TrayProcessTest, WithoutATrayAHiddenStartSaysWhyNoWindowAppears) {
  // Nobody owns the watcher's name on this bus: the desktop has no tray.
  watcher_.reset();
  PrivateBus bare;
  QProcessEnvironment env = world_.Environment(bare.Address(), QStringLiteral("xcb"));
  env.insert(QStringLiteral("DISPLAY"), x_.Display());
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  ZarvelProcess zarvel;
  // The real keyboard, which these machines do not have: nothing at the first scan.
  zarvel.Start({}, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("no keyboard and no tray")); },
                        milliseconds(10000)))
      << zarvel.Errors().toStdString();
  // The message box carries the program's caption; the window stays hidden.
  EXPECT_TRUE(WaitUntil([&] { return FindXWindows(x_.Display(), Text("MAIN_CAPTION")).size() == 1; },
                        milliseconds(5000)))
      << "no message box appeared";
  EXPECT_FALSE(zarvel.Errors().contains(QStringLiteral("painted")));
  zarvel.Signal(SIGTERM);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000)));
  EXPECT_EQ(zarvel.ExitCode(), 0);
}

// A login autostart that beat the panel: the tray's watcher appears 2 s after
// the program, which then shows its icon.
TEST_F(TrayProcessTest, ATrayThatAppearsLaterGetsTheIcon) {
  watcher_.reset();
  PrivateBus late_bus;
  ASSERT_TRUE(late_bus.Ok());
  QProcessEnvironment env = world_.Environment(late_bus.Address(), QStringLiteral("xcb"));
  env.insert(QStringLiteral("DISPLAY"), x_.Display());
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  ZarvelProcess zarvel;
  zarvel.Start({QStringLiteral("--simulate"), QStringLiteral("/Start")}, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("without a tray icon")); },
                        milliseconds(10000)))
      << zarvel.Errors().toStdString();
  WaitUntil([] { return false; }, milliseconds(2000));
  FakeService watcher(QStringLiteral("watcher"), late_bus.Address());
  ASSERT_TRUE(watcher.Ok());
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const QString& line : watcher.Lines())
          if (line.startsWith(QStringLiteral("registered "))) return true;
        return false;
      },
      milliseconds(10000)))
      << "the icon never registered; " << zarvel.Errors().toStdString();
  EXPECT_TRUE(zarvel.Errors().contains(QStringLiteral("a tray appeared")));
  zarvel.Signal(SIGTERM);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000)));
  EXPECT_EQ(zarvel.ExitCode(), 0);
}

}  // namespace
}  // namespace zarvel::testing
