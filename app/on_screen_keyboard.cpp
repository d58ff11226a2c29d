#include "app/on_screen_keyboard.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace zarvel {

QStringList OnScreenKeyboardPrograms() {
  return {"onboard", "florence", "squeekboard", "matchbox-keyboard", "xvkbd", "kvkbd"};
}

QString InstalledOnScreenKeyboard() {
  for (const QString& program : OnScreenKeyboardPrograms()) {
    const QString path = QStandardPaths::findExecutable(program);
    if (!path.isEmpty()) return path;
  }
  return {};
}

bool OnScreenKeyboardRuns() {
  // Every process's short name is in /proc/<pid>/comm; only our own user's
  // processes matter, but a program name seen anywhere is close enough.
  const QStringList programs = OnScreenKeyboardPrograms();
  const QStringList pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& pid : pids) {
    bool numeric = false;
    pid.toLongLong(&numeric);
    if (!numeric) continue;
    QFile comm("/proc/" + pid + "/comm");
    if (!comm.open(QIODevice::ReadOnly)) continue;
    const QString name = QString::fromUtf8(comm.readAll()).trimmed();
    if (programs.contains(name)) return true;
  }
  return false;
}

OnScreenKeyboardStart StartOnScreenKeyboard() {
  if (OnScreenKeyboardRuns()) return OnScreenKeyboardStart::kAlreadyRunning;
  const QString program = InstalledOnScreenKeyboard();
  if (program.isEmpty()) return OnScreenKeyboardStart::kNoneInstalled;
  return QProcess::startDetached(program, {}, QDir::homePath()) ? OnScreenKeyboardStart::kStarted
                                                                 : OnScreenKeyboardStart::kFailed;
}

}  // namespace zarvel
