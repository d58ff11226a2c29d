#include "app/session_watcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QVariantMap>
#include <unistd.h>

namespace zarvel {
namespace {

Q_LOGGING_CATEGORY(lcSession, "zarvel.session", QtWarningMsg)

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// logind answers at once; a bus that does not must not hold up the start.
constexpr int kCallTimeoutMs = 2000;

// Whether a system bus could answer at all: a bus socket that does not exist
// is known without starting Qt's bus thread (containers and test rigs have none).
bool SystemBusSocketMayExist() {
  QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
  if (address.isEmpty()) address = QStringLiteral("unix:path=/var/run/dbus/system_bus_socket");
  const QString prefix = QStringLiteral("unix:path=");
  if (!address.startsWith(prefix) || address.contains(QLatin1Char(';'))) return true;
  return QFileInfo::exists(address.mid(prefix.size()).section(QLatin1Char(','), 0, 0));
}

}  // namespace

void SessionState::Apply(SessionChange change) {
  switch (change) {
    case SessionChange::kConsoleDisconnect:
    case SessionChange::kSessionLock:
      if (!suspended_) {
        suspended_ = true;
        cause_ = change;
      }
      break;
    case SessionChange::kConsoleConnect:
      if (suspended_ && cause_ == SessionChange::kConsoleDisconnect) suspended_ = false;
      break;
    case SessionChange::kSessionUnlock:
      if (suspended_ && cause_ == SessionChange::kSessionLock) suspended_ = false;
      break;
  }
}

SessionWatcher::SessionWatcher(QObject* parent) : QObject(parent) {}

bool SessionWatcher::Start() {
  if (!SystemBusSocketMayExist()) {
    qCInfo(lcSession) << "no system bus: session events are not followed";
    return false;
  }
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) {
    qCInfo(lcSession) << "no system bus: session events are not followed";
    return false;
  }
  auto ask = [&bus](const QString& method, const QVariant& argument) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogind, kManagerPath, kManager, method);
    call << argument;
    return QDBusReply<QDBusObjectPath>(bus.call(call, QDBus::Block, kCallTimeoutMs));
  };
  QDBusReply<QDBusObjectPath> session = ask(QStringLiteral("GetSessionByPID"), quint32(::getpid()));
  if (!session.isValid()) {
    // A program started outside the session's process tree (a systemd user
    // service) is in no session by its PID; the session id says which.
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) session = ask(QStringLiteral("GetSession"), id);
  }
  if (!session.isValid()) {
    qCInfo(lcSession) << "logind knows no session of this program:" << session.error().message();
    return false;
  }
  session_path_ = session.value().path();
  bus.connect(kLogind, session_path_, kSession, QStringLiteral("Lock"), this, SLOT(OnLock()));
  bus.connect(kLogind, session_path_, kSession, QStringLiteral("Unlock"), this, SLOT(OnUnlock()));
  bus.connect(kLogind, session_path_, kProperties, QStringLiteral("PropertiesChanged"), this,
              SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
  qCInfo(lcSession) << "following session" << session_path_;
  return true;
}

void SessionWatcher::OnLock() { Note(SessionChange::kSessionLock); }
void SessionWatcher::OnUnlock() { Note(SessionChange::kSessionUnlock); }

void SessionWatcher::OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
  // A session whose seat switches to another session is disconnected from
  // the console; switching back connects it again.
  if (interface != kSession || !changed.contains(QStringLiteral("Active"))) return;
  Note(changed.value(QStringLiteral("Active")).toBool() ? SessionChange::kConsoleConnect
                                                          : SessionChange::kConsoleDisconnect);
}

void SessionWatcher::Note(SessionChange change) {
  state_.Apply(change);
  qCInfo(lcSession) << "session change" << static_cast<int>(change) << "suspended" << state_.Suspended();
  Q_EMIT changed(static_cast<int>(change));
}

}  // namespace zarvel
