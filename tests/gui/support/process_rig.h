#pragma once
// Real zarvel processes for the tests of start-up, single instance, tray,
// session and exit, each run in a private world: its own runtime, settings
// and data folders, and its own D-Bus session bus (so Qt never reaches the
// desktop's bus and a fake tray or logind can answer).
#include <sys/types.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <memory>

namespace zarvel::testing {

// A dbus-daemon of our own; stopped by the destructor.
class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;
  bool Ok() const { return pid_ > 0; }
  const QString& Address() const { return address_; }

 private:
  QString address_;
  pid_t pid_ = 0;
};

// Runtime, settings and data folders under one temp folder, removed by the
// destructor.
class PrivateWorld {
 public:
  PrivateWorld();
  ~PrivateWorld();
  PrivateWorld(const PrivateWorld&) = delete;
  PrivateWorld& operator=(const PrivateWorld&) = delete;

  QString Root() const { return root_; }
  QString RuntimeFolder() const { return root_ + QStringLiteral("/run"); }
  QString SocketPath() const { return RuntimeFolder() + QStringLiteral("/QX40R11B-1"); }
  // The environment for a zarvel process: offscreen unless `platform` says
  // otherwise, private folders, `sessionBus` (a dead address when empty).
  QProcessEnvironment Environment(const QString& sessionBus = {}, const QString& platform = {}) const;

 private:
  QString root_;
};

// One zarvel process.
class ZarvelProcess {
 public:
  ZarvelProcess();
  ~ZarvelProcess();  // kills the process if it still runs

  static QString Program();
  void Start(const QStringList& args, const QProcessEnvironment& env);
  // Waits for the end; false on timeout.
  bool WaitForExit(std::chrono::milliseconds timeout);
  bool Running() const;
  int ExitCode() const { return process_->exitCode(); }
  bool CrashExit() const { return process_->exitStatus() == QProcess::CrashExit; }
  qint64 Pid() const { return process_->processId(); }
  void Signal(int signal_number) const;
  // Everything the process wrote so far.
  QString Output();
  QString Errors();

 private:
  std::unique_ptr<QProcess> process_;
  QString out_;
  QString err_;
};

// Polls `condition` (running the event loop between looks) until it holds.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The program's named semaphores a process has open, by file name, with the
// inode of each. /dev/shm is shared by every process of the machine (other
// copies of the program may create and remove the same names at any time), so
// a test follows the very files its process had open.
using SemaphoreFiles = std::map<std::string, unsigned long>;
SemaphoreFiles OpenSemaphores(qint64 pid);
// How many named semaphores (of any name) a process has mapped.
int MappedSemaphoreCount(qint64 pid);
// How many of `files` still exist as the same file: left behind.
int LeftoverSemaphores(const SemaphoreFiles& files);

}  // namespace zarvel::testing
