#include "gui/support/process_rig.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>

namespace zarvel::testing {

PrivateBus::PrivateBus() {
  QProcess daemon;
  daemon.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1"),
                QStringLiteral("--fork"), QStringLiteral("--nosyslog")});
  if (!daemon.waitForFinished(10000) || daemon.exitCode() != 0) return;
  const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  if (lines.size() < 2) return;
  address_ = lines[0].trimmed();
  pid_ = static_cast<pid_t>(lines[1].trimmed().toLong());
}

PrivateBus::~PrivateBus() {
  if (pid_ > 0) ::kill(pid_, SIGTERM);
}

PrivateWorld::PrivateWorld() {
  static int serial = 0;
  root_ = QDir::tempPath() + QStringLiteral("/zarvel-process-%1-%2").arg(::getpid()).arg(++serial);
  QDir(root_).removeRecursively();
  for (const char* folder : {"run", "config", "data"}) QDir().mkpath(root_ + '/' + folder);
  QFile::setPermissions(RuntimeFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

PrivateWorld::~PrivateWorld() { QDir(root_).removeRecursively(); }

QProcessEnvironment PrivateWorld::Environment(const QString& sessionBus, const QString& platform) const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), root_ + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), root_ + QStringLiteral("/data"));
  env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
             sessionBus.isEmpty() ? QStringLiteral("unix:path=/nonexistent/zarvel-test-bus") : sessionBus);
  env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/zarvel-test-system-bus"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform.isEmpty() ? QStringLiteral("offscreen") : platform);
  env.remove(QStringLiteral("XDG_SESSION_ID"));
  return env;
}

ZarvelProcess::ZarvelProcess() : process_(std::make_unique<QProcess>()) {}

ZarvelProcess::~ZarvelProcess() {
  if (Running()) {
    process_->kill();
    process_->waitForFinished(5000);
  }
}

QString ZarvelProcess::Program() { return QStringLiteral(ZARVEL_PROGRAM_DIR "/zarvel"); }

void ZarvelProcess::Start(const QStringList& args, const QProcessEnvironment& env) {
  process_->setProcessEnvironment(env);
  process_->start(Program(), args);
  process_->waitForStarted(5000);
}

bool ZarvelProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (process_->state() == QProcess::NotRunning) return true;
  return process_->waitForFinished(static_cast<int>(timeout.count()));
}

bool ZarvelProcess::Running() const { return process_->state() != QProcess::NotRunning; }

void ZarvelProcess::Signal(int signal_number) const {
  if (Running()) ::kill(static_cast<pid_t>(process_->processId()), signal_number);
}

QString ZarvelProcess::Output() {
  out_ += QString::fromUtf8(process_->readAllStandardOutput());
  return out_;
}

QString ZarvelProcess::Errors() {
  err_ += QString::fromUtf8(process_->readAllStandardError());
  return err_;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return true;
}

int CountNamedSemaphores() {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
    if (entry.path().filename().string().rfind("sem.Zarvel_Event_Main_", 0) == 0) ++count;
  }
  return count;
}

}  // namespace zarvel::testing
