// The main window as a screen reader on the desktop hears it: the real
// program on a simulated keyboard under Xvfb, with the accessibility bus of
// a private session bus (never the machine's), dumped through AT-SPI by
// pyatspi. Skipped, saying why, where Xvfb, the bus launcher or pyatspi are
// missing (`make deps` installs them).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <chrono>
#include <map>

#include "gui/support/desktop_rig.h"
#include "gui/support/process_rig.h"

namespace zarvel::testing {
namespace {

using std::chrono::milliseconds;

const QString kBusLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
// Debian's own Python, where python3-pyatspi installs (not whatever
// python3 comes first on the PATH).
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kDumpScript = QStringLiteral(ZARVEL_SOURCE_DIR "/tests/gui/support/atspi_dump.py");

bool HavePyatspi() {
  QProcess probe;
  probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import pyatspi")});
  return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

// The accessibility bus launcher in a process group of its own, so the
// bus and registry it starts end with it.
class AccessibilityBus {
 public:
  explicit AccessibilityBus(const QProcessEnvironment& env) {
    process_.setProcessEnvironment(env);
    process_.setChildProcessModifier([] { ::setsid(); });
    process_.start(kBusLauncher, {QStringLiteral("--launch-immediately")});
    started_ = process_.waitForStarted(5000);
  }
  ~AccessibilityBus() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(-static_cast<pid_t>(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(3000)) ::kill(-static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(2000);
  }
  bool Ok() const { return started_; }

 private:
  QProcess process_;
  bool started_ = false;
};

TEST(AtspiTreeTest, TheMainWindowIsNamedAndEveryControlSaysWhatItIs) {
  if (!QFile::exists(kBusLauncher)) GTEST_SKIP() << "at-spi2-core is not installed (make deps installs it)";
  if (!HavePyatspi()) GTEST_SKIP() << "python3-pyatspi is not installed (make deps installs it)";
  XServer x;
  if (!x.Ok()) GTEST_SKIP() << "Xvfb cannot start here";
  PrivateBus bus;
  ASSERT_TRUE(bus.Ok()) << "dbus-daemon cannot start";
  PrivateWorld world;
  QProcessEnvironment env = world.Environment(bus.Address(), QStringLiteral("xcb"));
  env.insert(QStringLiteral("DISPLAY"), x.Display());
  env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
  AccessibilityBus a11y(env);
  ASSERT_TRUE(a11y.Ok()) << "at-spi-bus-launcher did not start";

  ZarvelProcess zarvel;
  QProcessEnvironment zarvel_env = env;
  zarvel_env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("zarvel.start.info=true"));
  zarvel.Start({QStringLiteral("--simulate")}, zarvel_env);
  // The sanitizer builds start slowly on a busy machine: the dump begins
  // once the window has painted.
  ASSERT_TRUE(WaitUntil([&] { return zarvel.Errors().contains(QStringLiteral("main window painted")); },
                        std::chrono::milliseconds(60000)))
      << "the window never painted; " << zarvel.Errors().toStdString();

  QProcess dump;
  dump.setProcessEnvironment(env);
  dump.start(kPython, {kDumpScript, QStringLiteral("zarvel"), QStringLiteral("40")});
  ASSERT_TRUE(dump.waitForFinished(60000)) << "the AT-SPI dump did not finish";
  const QString out = QString::fromUtf8(dump.readAllStandardOutput());
  const QString err = QString::fromUtf8(dump.readAllStandardError());
  ASSERT_EQ(dump.exitCode(), 0) << out.toStdString() << err.toStdString() << zarvel.Errors().toStdString();

  std::map<QString, int> counts;
  const QRegularExpressionMatch summary = QRegularExpression(QStringLiteral("summary (.*)")).match(out);
  ASSERT_TRUE(summary.hasMatch()) << out.toStdString();
  for (const QString& pair : summary.captured(1).split(' ', Qt::SkipEmptyParts))
    counts[pair.section('=', 0, 0)] = pair.section('=', 1).toInt();
  std::printf("census: main window through AT-SPI: %s\n", summary.captured(1).toUtf8().constData());
  // The keyboard picture (104 keys, G1..G5, Fn), the profile row, the
  // command buttons and the lighting switch at least.
  EXPECT_GE(counts["controls"], 125) << out.toStdString();
  EXPECT_EQ(counts["named"], counts["controls"]) << out.toStdString();
  EXPECT_EQ(counts["fillers"], 0) << out.toStdString();
  EXPECT_EQ(counts["checkboxes"], 0) << "buttons announced as check boxes:\n" << out.toStdString();
  EXPECT_GE(counts["radios"], 4) << out.toStdString();  // the profile buttons
  // The chosen profile says so; the lighting switch (Qt 6.4's bridge has no
  // toggle-button role: a push button that reports "checked" while on) is
  // off on a new keyboard.
  EXPECT_TRUE(out.contains(QStringLiteral("control radio button\tProfile 1\tchecked"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("control push button\tLighting switch\t(?!checked)"))))
      << out.toStdString();
  // A key says what it does and whether it is assigned.
  EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("control push button\\tEsc\\t[^\\t]*\\t.*ssigned"))))
      << out.toStdString();
}

}  // namespace
}  // namespace zarvel::testing
