// The program as people start it: a second copy, /Kill, /Start, a copy that
// was killed, the signals of a session ending, a broken skin. Every process
// runs in a private world (runtime folder, settings, data, session bus); the
// named semaphores live in the machine-wide /dev/shm, so these tests run
// alone and follow the very files their processes had open.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

#include "core/version.h"
#include "gui/support/process_rig.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kStartTimeout{10000};
constexpr milliseconds kExitTimeout{10000};

const QString kLogRules = QStringLiteral("zarvel.start.info=true");

class ZarvelProcessTest : public ::testing::Test {
 protected:
  QProcessEnvironment Env() const {
    QProcessEnvironment env = world_.Environment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), kLogRules);
    return env;
  }
  // A first copy on the simulated keyboard, up and listening.
  void StartFirst(ZarvelProcess& first, const QStringList& extra = {}) {
    first.Start(QStringList{QStringLiteral("--simulate")} + extra, Env());
    ASSERT_TRUE(WaitUntil([&] { return first.Errors().contains(QStringLiteral("started")); }, kStartTimeout))
        << first.Errors().toStdString();
    ASSERT_TRUE(QFileInfo::exists(world_.SocketPath()));
    ASSERT_TRUE(WaitUntil([&] { return MappedSemaphoreCount(first.Pid()) == 208; }, kStartTimeout));
    semaphores_.merge(OpenSemaphores(first.Pid()));
  }
  int RunToEnd(const QStringList& args) {
    ZarvelProcess copy;
    copy.Start(args, Env());
    EXPECT_TRUE(copy.WaitForExit(kExitTimeout)) << "the copy did not end";
    return copy.ExitCode();
  }
  void ExpectNothingLeft() {
    EXPECT_FALSE(QFileInfo::exists(world_.SocketPath())) << "the instance socket was left behind";
    EXPECT_FALSE(QFileInfo::exists(world_.SocketPath() + QStringLiteral(".lock"))) << "the lock file was left behind";
    EXPECT_EQ(LeftoverSemaphores(semaphores_), 0) << "named semaphores were left in /dev/shm";
  }

  PrivateWorld world_;
  SemaphoreFiles semaphores_;  // every one a started copy had open
};

TEST_F(ZarvelProcessTest, FirstCopyOwnsAPrivateSocketAndTheSemaphores) {
  ZarvelProcess first;
  StartFirst(first);
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(world_.SocketPath()).constData(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 077, 0u) << "other users may reach the socket";
  EXPECT_EQ(MappedSemaphoreCount(first.Pid()), 208);
  first.Signal(SIGTERM);
  ASSERT_TRUE(first.WaitForExit(kExitTimeout));
  EXPECT_EQ(first.ExitCode(), 0);
  EXPECT_FALSE(first.CrashExit());
  ExpectNothingLeft();
}

TEST_F(ZarvelProcessTest, SecondCopyShowsTheHiddenFirstAndEnds) {
  ZarvelProcess first;
  StartFirst(first, {QStringLiteral("/Start")});
  // Started hidden: nothing is painted until someone asks.
  EXPECT_FALSE(WaitUntil([&] { return first.Errors().contains(QStringLiteral("painted")); }, milliseconds(1500)));
  EXPECT_EQ(RunToEnd({}), 0);
  EXPECT_TRUE(WaitUntil([&] { return first.Errors().contains(QStringLiteral("painted")); }, kStartTimeout))
      << first.Errors().toStdString();
  EXPECT_TRUE(first.Errors().contains(QStringLiteral("another copy asked to show the window")));
  EXPECT_TRUE(first.Running());
}

TEST_F(ZarvelProcessTest, KillEndsTheRunningCopyAndLeavesNothing) {
  ZarvelProcess first;
  StartFirst(first);
  // Any case, whole argument; the look-alikes are ignored.
  EXPECT_EQ(RunToEnd({QStringLiteral("-Kill"), QStringLiteral("/Killer"), QStringLiteral("/kILL")}), 0);
  ASSERT_TRUE(first.WaitForExit(kExitTimeout)) << "the first copy kept running";
  EXPECT_EQ(first.ExitCode(), 0);
  EXPECT_FALSE(first.CrashExit());
  ExpectNothingLeft();
}

TEST_F(ZarvelProcessTest, StartThenKillLeavesNothingRunning) {
  ZarvelProcess first;
  StartFirst(first);
  ZarvelProcess second;
  second.Start({QStringLiteral("/Start"), QStringLiteral("/Kill"), QStringLiteral("--simulate")}, Env());
  ASSERT_TRUE(second.WaitForExit(kExitTimeout));
  EXPECT_EQ(second.ExitCode(), 0);
  ASSERT_TRUE(first.WaitForExit(kExitTimeout));
  ExpectNothingLeft();
}

TEST_F(ZarvelProcessTest, KillWithNoCopyStartsAsTheFirstCopyHidden) {
  ZarvelProcess only;
  only.Start({QStringLiteral("/Kill"), QStringLiteral("/Start"), QStringLiteral("--simulate")}, Env());
  ASSERT_TRUE(WaitUntil([&] { return only.Errors().contains(QStringLiteral("started hidden")); }, kStartTimeout))
      << only.Errors().toStdString();
  EXPECT_TRUE(only.Running());
  EXPECT_FALSE(WaitUntil([&] { return only.Errors().contains(QStringLiteral("painted")); }, milliseconds(1500)));
  EXPECT_EQ(RunToEnd({QStringLiteral("/KILL")}), 0);
  ASSERT_TRUE(only.WaitForExit(kExitTimeout));
  ExpectNothingLeft();
}

TEST_F(ZarvelProcessTest, SocketOfAKilledCopyIsTakenOver) {
  {
    ZarvelProcess killed;
    StartFirst(killed);
    killed.Signal(SIGKILL);
    ASSERT_TRUE(killed.WaitForExit(kExitTimeout));
  }
  ASSERT_TRUE(QFileInfo::exists(world_.SocketPath())) << "a killed copy should leave its socket";
  ZarvelProcess next;
  StartFirst(next);
  EXPECT_TRUE(next.Running());
  // The new copy, not a dead file, answers now: a third copy reaches it.
  EXPECT_EQ(RunToEnd({QStringLiteral("/Kill")}), 0);
  ASSERT_TRUE(next.WaitForExit(kExitTimeout));
  // The new copy also removed the semaphores the killed one left.
  ExpectNothingLeft();
}

TEST_F(ZarvelProcessTest, LiveSocketIsNeverReplaced) {
  ZarvelProcess first;
  StartFirst(first);
  const auto inode = [&] {
    struct stat info {};
    ::stat(QFile::encodeName(world_.SocketPath()).constData(), &info);
    return info.st_ino;
  };
  const auto first_inode = inode();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RunToEnd({QStringLiteral("--simulate")}), 0);
  EXPECT_EQ(inode(), first_inode) << "a second copy replaced the running copy's socket";
  QLocalSocket probe;
  probe.connectToServer(world_.SocketPath());
  EXPECT_TRUE(probe.waitForConnected(2000));
}

TEST_F(ZarvelProcessTest, HangUpAndInterruptRunTheShutdown) {
  for (int signal_number : {SIGHUP, SIGINT}) {
    ZarvelProcess first;
    StartFirst(first);
    first.Signal(signal_number);
    ASSERT_TRUE(first.WaitForExit(kExitTimeout)) << "signal " << signal_number;
    EXPECT_EQ(first.ExitCode(), 0);
    ExpectNothingLeft();
  }
}

TEST_F(ZarvelProcessTest, MissingSkinImageEndsQuietlyBeforeAnythingExists) {
  // A program folder of our own: the built program, its language file and a
  // copy of its skin without the arrow picture.
  const QString folder = world_.Root() + QStringLiteral("/program");
  QDir().mkpath(folder + QStringLiteral("/Skins"));
  const QString bin = QStringLiteral(ZARVEL_PROGRAM_DIR);
  ASSERT_TRUE(QFile::copy(bin + QStringLiteral("/zarvel"), folder + QStringLiteral("/zarvel")));
  QFile::copy(bin + QStringLiteral("/Lang0409.ini"), folder + QStringLiteral("/Lang0409.ini"));
  for (const QString& name : QDir(bin + QStringLiteral("/Skins")).entryList(QDir::Files)) {
    if (name != QStringLiteral("Arrow.jpg")) QFile::copy(bin + "/Skins/" + name, folder + "/Skins/" + name);
  }
  QProcess broken;
  broken.setProcessEnvironment(Env());
  broken.start(folder + QStringLiteral("/zarvel"), {QStringLiteral("--simulate")});
  ASSERT_TRUE(broken.waitForFinished(static_cast<int>(kExitTimeout.count())));
  EXPECT_EQ(broken.exitCode(), 0);
  const QStringList lines =
      QString::fromUtf8(broken.readAllStandardError()).split('\n', Qt::SkipEmptyParts).filter(QStringLiteral("skin"));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].contains(QStringLiteral("Arrow.jpg"))) << lines[0].toStdString();
  EXPECT_TRUE(QDir(world_.RuntimeFolder()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
      << "the socket was made before the skin was checked";
}

TEST_F(ZarvelProcessTest, BadKeyboardOptionIsAUsageError) {
  ZarvelProcess copy;
  copy.Start({QStringLiteral("--variant=1234:5678"), QStringLiteral("--simulate")}, Env());
  ASSERT_TRUE(copy.WaitForExit(kExitTimeout));
  EXPECT_EQ(copy.ExitCode(), 2);
  EXPECT_TRUE(copy.Errors().contains(QStringLiteral("unknown keyboard variant")));
  EXPECT_FALSE(QFileInfo::exists(world_.SocketPath()));
}

TEST_F(ZarvelProcessTest, BadFaultSpecIsAUsageError) {
  ZarvelProcess copy;
  copy.Start({QStringLiteral("--simulate"), QStringLiteral("--simulate-faults=unplug-after=x")}, Env());
  ASSERT_TRUE(copy.WaitForExit(kExitTimeout));
  EXPECT_EQ(copy.ExitCode(), 2);
  EXPECT_TRUE(copy.Errors().contains(QStringLiteral("unplug-after"))) << copy.Errors().toStdString();
}

// A trace file that cannot be opened ends the start with the reason, the
// way zarvelctl says it, before any socket exists.
TEST_F(ZarvelProcessTest, UnopenableTraceFileSaysWhy) {
  const QString folder = world_.Root() + QStringLiteral("/trace-folder");
  ASSERT_TRUE(QDir().mkpath(folder));
  ZarvelProcess copy;
  copy.Start({QStringLiteral("--simulate"), QStringLiteral("--trace=") + folder}, Env());
  ASSERT_TRUE(copy.WaitForExit(kExitTimeout));
  EXPECT_EQ(copy.ExitCode(), 2);
  EXPECT_TRUE(copy.Errors().contains(QStringLiteral("cannot open the trace file ") + folder + QStringLiteral(": ")))
      << copy.Errors().toStdString();
  EXPECT_FALSE(QFileInfo::exists(world_.SocketPath()));
}

// A state file that cannot be read (here a folder) is never taken for a
// fresh keyboard: the program says so on its terminal and in the window, runs
// on a memory it does not keep, and leaves the file alone.
TEST_F(ZarvelProcessTest, UnreadableStateFileIsToldAndLeftAlone) {
  const QString state = world_.Root() + QStringLiteral("/keyboard-state");
  ASSERT_TRUE(QDir().mkpath(state));
  ZarvelProcess copy;
  copy.Start({QStringLiteral("--simulate=") + state}, Env());
  ASSERT_TRUE(WaitUntil([&] { return copy.Errors().contains(QStringLiteral("painted")); }, kStartTimeout))
      << copy.Errors().toStdString();
  EXPECT_TRUE(copy.Errors().contains(QStringLiteral("zarvel: cannot read the state file ") + state))
      << copy.Errors().toStdString();
  EXPECT_TRUE(copy.Errors().contains(QStringLiteral("told the user:")));
  copy.Signal(SIGTERM);
  ASSERT_TRUE(copy.WaitForExit(kExitTimeout));
  EXPECT_EQ(copy.ExitCode(), 0);
  EXPECT_EQ(copy.Errors().count(QStringLiteral("cannot read the state file")), 2) << "told once on the terminal, once in the log";
  EXPECT_TRUE(QFileInfo(state).isDir());
}

// Two starts a moment apart (a login autostart while the user clicks the
// menu entry): exactly one runs, and the other brings it to the front.
TEST_F(ZarvelProcessTest, TwoStartsAMillisecondApartLeaveOneCopy) {
  for (int round = 0; round < 20; ++round) {
    ZarvelProcess first;
    ZarvelProcess second;
    first.Start({QStringLiteral("--simulate")}, Env());
    ::usleep(1000);
    second.Start({QStringLiteral("--simulate")}, Env());
    // One of them ends by itself, with 0; the other runs on.
    ASSERT_TRUE(WaitUntil([&] { return !first.Running() || !second.Running(); }, kStartTimeout))
        << "round " << round << ": both copies run";
    ZarvelProcess& ended = first.Running() ? second : first;
    ZarvelProcess& survivor = first.Running() ? first : second;
    EXPECT_EQ(ended.ExitCode(), 0) << "round " << round << ": " << ended.Errors().toStdString();
    WaitUntil([] { return false; }, milliseconds(100));
    ASSERT_TRUE(survivor.Running()) << "round " << round << ": no copy survived; " << survivor.Errors().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return survivor.Errors().contains(QStringLiteral("another copy asked to show")); },
                          kStartTimeout))
        << "round " << round << ": the survivor was not brought to the front";
    semaphores_.merge(OpenSemaphores(survivor.Pid()));
    EXPECT_EQ(RunToEnd({QStringLiteral("/Kill")}), 0);
    ASSERT_TRUE(survivor.WaitForExit(kExitTimeout));
    ExpectNothingLeft();
  }
}

// ssh sessions, scripts and service units have no display.
TEST_F(ZarvelProcessTest, KillWithoutADisplayEndsTheRunningCopy) {
  ZarvelProcess first;
  StartFirst(first);
  QProcessEnvironment bare = Env();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) bare.remove(QString::fromLatin1(name));
  ZarvelProcess kill;
  kill.Start({QStringLiteral("/Kill")}, bare);
  ASSERT_TRUE(kill.WaitForExit(kExitTimeout));
  EXPECT_EQ(kill.ExitCode(), 0) << kill.Errors().toStdString();
  EXPECT_FALSE(kill.CrashExit());
  ASSERT_TRUE(first.WaitForExit(kExitTimeout)) << "the running copy kept running";
  EXPECT_EQ(first.ExitCode(), 0);
  ExpectNothingLeft();

  // With nothing running there is nothing to end; help and version need no
  // display either.
  ZarvelProcess again;
  again.Start({QStringLiteral("/Kill")}, bare);
  ASSERT_TRUE(again.WaitForExit(kExitTimeout));
  EXPECT_EQ(again.ExitCode(), 0) << again.Errors().toStdString();
  ZarvelProcess version;
  version.Start({QStringLiteral("--version")}, bare);
  ASSERT_TRUE(version.WaitForExit(kExitTimeout));
  EXPECT_EQ(version.ExitCode(), 0);
  EXPECT_TRUE(version.Output().startsWith(QStringLiteral("zarvel ") + QString::fromLatin1(ZarvelVersion())))
      << version.Output().toStdString();
  ZarvelProcess help;
  help.Start({QStringLiteral("--help")}, bare);
  ASSERT_TRUE(help.WaitForExit(kExitTimeout));
  EXPECT_EQ(help.ExitCode(), 0);
  EXPECT_TRUE(help.Output().contains(QStringLiteral("/Kill")));
  EXPECT_TRUE(
      QDir(world_.RuntimeFolder()).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
}

// The lock of a killed copy goes with it: the next start takes over at once.
TEST_F(ZarvelProcessTest, KilledCopysLockIsTakenOverAndRemovedAtTheEnd) {
  {
    ZarvelProcess killed;
    StartFirst(killed);
    EXPECT_TRUE(QFileInfo::exists(world_.SocketPath() + QStringLiteral(".lock")));
    killed.Signal(SIGKILL);
    ASSERT_TRUE(killed.WaitForExit(kExitTimeout));
  }
  ZarvelProcess next;
  StartFirst(next);
  next.Signal(SIGTERM);
  ASSERT_TRUE(next.WaitForExit(kExitTimeout));
  EXPECT_EQ(next.ExitCode(), 0);
  ExpectNothingLeft();
  EXPECT_FALSE(QFileInfo::exists(world_.SocketPath() + QStringLiteral(".lock")));
}

}  // namespace
}  // namespace zarvel::testing
