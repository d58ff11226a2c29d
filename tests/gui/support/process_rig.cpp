#include "gui/support/process_rig.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <set>

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

namespace {

// Inodes of the semaphore files a process has mapped. The C library maps a
// new semaphore under a temporary name before it gives it its own, so only
// the inode says which file it is.
std::set<unsigned long> MappedSemaphoreInodes(qint64 pid) {
  std::set<unsigned long> mapped;
  QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
  if (!maps.open(QIODevice::ReadOnly)) return mapped;
  // "start-end perms offset dev inode path"
  for (const QByteArray& line : maps.readAll().split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() >= 6 && fields[5].startsWith("/dev/shm/sem.")) mapped.insert(fields[4].toULong());
  }
  return mapped;
}

}  // namespace

int MappedSemaphoreCount(qint64 pid) { return static_cast<int>(MappedSemaphoreInodes(pid).size()); }

SemaphoreFiles OpenSemaphores(qint64 pid) {
  const std::set<unsigned long> mapped = MappedSemaphoreInodes(pid);
  SemaphoreFiles files;
  for (const QString& name : QDir(QStringLiteral("/dev/shm")).entryList({QStringLiteral("sem.Zarvel_Event_Main_*")},
                                                                         QDir::Files | QDir::System)) {
    const std::string path = "/dev/shm/" + name.toStdString();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && mapped.count(info.st_ino) != 0) files[path] = info.st_ino;
  }
  return files;
}

int LeftoverSemaphores(const SemaphoreFiles& files) {
  int left = 0;
  for (const auto& [path, inode] : files) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_ino == inode) ++left;
  }
  return left;
}

}  // namespace zarvel::testing
