// Locking and unlocking the user's session, and switching the seat away and
// back, with a fake logind on a private system bus: the program notes it and
// does nothing else, neither on the keyboard nor on the screen.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>

#include "gui/support/desktop_rig.h"
#include "gui/support/process_rig.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

qint64 FileSize(const QString& path) { return QFile(path).size(); }

TEST(SessionProcessTest, LockAndUnlockChangeNothingVisibleAndSendNothing) {
  PrivateBus system_bus;
  ASSERT_TRUE(system_bus.Ok()) << "dbus-daemon cannot start";
  FakeService logind(QStringLiteral("logind"), system_bus.Address());
  ASSERT_TRUE(logind.Ok()) << "the fake logind (python3-dbus) cannot start";
  PrivateWorld world;
  QProcessEnvironment env = world.Environment();
  env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), system_bus.Address());
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.session.info=true\nzarvel.start.info=true"));
  const QString trace = world.Root() + QStringLiteral("/trace.txt");

  ZarvelProcess zarvel;
  zarvel.Start({QStringLiteral("--simulate"), QStringLiteral("/Start"), "--trace=" + trace}, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("following session")); },
                        milliseconds(10000)))
      << zarvel.Errors().toStdString();
  EXPECT_TRUE(zarvel.Errors().contains(QStringLiteral("/org/freedesktop/login1/session/c1")));
  // The connection's reads are done once the trace stops growing.
  qint64 size = -1;
  WaitUntil(
      [&] {
        const qint64 now = FileSize(trace);
        const bool settled = now > 0 && now == size;
        size = now;
        WaitUntil([] { return false; }, milliseconds(300));
        return settled;
      },
      milliseconds(10000));
  ASSERT_GT(size, 0) << "the keyboard was never read";

  struct Step {
    const char* command;
    const char* noted;
  };
  const Step steps[] = {
      {"lock", "session change 7 suspended true"},
      {"unlock", "session change 8 suspended false"},
      {"inactive", "session change 2 suspended true"},
      {"lock", "session change 7 suspended true"},
      {"unlock", "session change 8 suspended true"},  // disconnected first: still suspended
      {"active", "session change 1 suspended false"},
  };
  int seen = 0;
  for (const Step& step : steps) {
    logind.Tell(QString::fromLatin1(step.command));
    const QString noted = QString::fromLatin1(step.noted);
    EXPECT_TRUE(WaitUntil([&] { return zarvel.Errors().count(noted) > 0 && zarvel.Errors().count(QStringLiteral("session change")) > seen; },
                          milliseconds(5000)))
        << step.command << ": " << zarvel.Errors().toStdString();
    ++seen;
  }
  EXPECT_EQ(FileSize(trace), size) << "a session change talked to the keyboard";
  EXPECT_FALSE(zarvel.Errors().contains(QStringLiteral("painted"))) << "a session change showed the window";
  EXPECT_TRUE(zarvel.Running());
  zarvel.Signal(SIGTERM);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000)));
  EXPECT_EQ(zarvel.ExitCode(), 0);
}

TEST(SessionProcessTest, NoLogindMeansNoSessionEventsButAnOrdinaryStart) {
  PrivateWorld world;
  QProcessEnvironment env = world.Environment();
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  ZarvelProcess zarvel;
  zarvel.Start({QStringLiteral("--simulate")}, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("started")); }, milliseconds(10000)));
  zarvel.Signal(SIGTERM);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000)));
  EXPECT_EQ(zarvel.ExitCode(), 0);
}

}  // namespace
}  // namespace zarvel::testing
