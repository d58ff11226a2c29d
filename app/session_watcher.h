#pragma once
// Follows the locking of the user's own login session (logind on the system
// bus) and whether its seat is switched away, the way the keyboard's program
// follows the session: it notes that it is suspended, and why, and does
// nothing else. No keyboard command and nothing visible follows.
//
//   console disconnect / session lock:  suspended (the first cause is kept)
//   console connect after a disconnect,
//   unlock after a lock:                no longer suspended
//
// Without a system bus or logind the program runs without session events.
#include <QObject>
#include <QString>

namespace zarvel {

// The session changes, numbered as the desktop reports them.
enum class SessionChange { kConsoleConnect = 1, kConsoleDisconnect = 2, kSessionLock = 7, kSessionUnlock = 8 };

// The suspended flag and its cause.
class SessionState {
 public:
  void Apply(SessionChange change);
  bool Suspended() const { return suspended_; }

 private:
  bool suspended_ = false;
  SessionChange cause_ = SessionChange::kSessionLock;
};

class SessionWatcher : public QObject {
  Q_OBJECT
 public:
  explicit SessionWatcher(QObject* parent = nullptr);

  // Finds the own session and subscribes to its signals; false when there is
  // no system bus or no logind answers.
  bool Start();
  const SessionState& State() const { return state_; }
  const QString& SessionPath() const { return session_path_; }

 Q_SIGNALS:
  // After each change was noted (tests watch it; the program does nothing more).
  void changed(int change);

 private Q_SLOTS:
  void OnLock();
  void OnUnlock();
  void OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

 private:
  void Note(SessionChange change);

  SessionState state_;
  QString session_path_;
};

}  // namespace zarvel
