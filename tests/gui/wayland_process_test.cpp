// The program on a Wayland desktop (Qt's own Wayland platform, no X): it
// starts, shows its window when the keyboard is found, and ends on /Kill.
// Runs under Weston's headless compositor.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "gui/support/process_rig.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

class Weston {
 public:
  explicit Weston(const PrivateWorld& world) : socket_(QStringLiteral("zarvel-weston-%1").arg(::getpid())) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), world.RuntimeFolder());
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("weston"), {QStringLiteral("--backend=headless-backend.so"), "--socket=" + socket_,
                                              QStringLiteral("--idle-time=0")});
    const QString path = world.RuntimeFolder() + '/' + socket_;
    ok_ = process_.waitForStarted(5000) &&
          WaitUntil([&] { return QFileInfo::exists(path) || process_.state() == QProcess::NotRunning; },
                    milliseconds(10000)) &&
          process_.state() == QProcess::Running;
  }
  ~Weston() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  bool Ok() const { return ok_; }
  const QString& Socket() const { return socket_; }
  QString Log() { return QString::fromUtf8(process_.readAll()); }

 private:
  QString socket_;
  QProcess process_;
  bool ok_ = false;
};

TEST(WaylandProcessTest, StartsShowsItsWindowAndEndsOnKill) {
  PrivateWorld world;
  Weston weston(world);
  if (!weston.Ok()) GTEST_SKIP() << "weston's headless compositor cannot start here: " << weston.Log().toStdString();
  QProcessEnvironment env = world.Environment({}, QStringLiteral("wayland"));
  env.insert(QStringLiteral("WAYLAND_DISPLAY"), weston.Socket());
  env.remove(QStringLiteral("DISPLAY"));
  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  // In the sanitizer build: the Wayland client library and the graphics
  // driver Qt loads for it keep small allocations to the end, which the leak
  // checker would report as the program's exit status. Our own leaks are
  // checked by every other test.
  if (env.contains(QStringLiteral("ASAN_OPTIONS")))
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));

  ZarvelProcess zarvel;
  zarvel.Start({QStringLiteral("--simulate")}, env);
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("painted")); }, milliseconds(15000)))
      << zarvel.Errors().toStdString();
  const SemaphoreFiles semaphores = OpenSemaphores(zarvel.Pid());
  EXPECT_EQ(MappedSemaphoreCount(zarvel.Pid()), 208);

  ZarvelProcess kill;
  kill.Start({QStringLiteral("/Kill")}, env);
  ASSERT_TRUE(kill.WaitForExit(milliseconds(10000)));
  EXPECT_EQ(kill.ExitCode(), 0);
  ASSERT_TRUE(zarvel.WaitForExit(milliseconds(10000))) << "the program kept running after /Kill";
  EXPECT_EQ(zarvel.ExitCode(), 0);
  EXPECT_FALSE(zarvel.CrashExit());
  EXPECT_FALSE(QFileInfo::exists(world.SocketPath()));
  EXPECT_EQ(LeftoverSemaphores(semaphores), 0);
}

}  // namespace
}  // namespace zarvel::testing
