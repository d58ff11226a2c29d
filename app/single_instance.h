#pragma once
// One running copy per user.
//
// The first copy listens on the local socket "QX40R11B-1" in the user's
// runtime folder ($XDG_RUNTIME_DIR, full path: a bare name would land in /tmp,
// which every user shares), readable and writable by the owner only. Which
// copy is the first is decided by the lock file beside it (InstanceLock); the
// socket is the way to reach that copy: a later copy connects and sends one
// message, the message number and its four-character code, then ends.
//
//   OPEN  0x5350 / "OPEN"   show yourself (as the notification area's Open)
//   KILL  0x4D4B / "KILL"   end
//
// Each travels as two 32-bit little-endian numbers. A message whose code does
// not match its number is ignored, as are short or unknown ones.
//
// Listening replaces whatever file has the socket's name, even a live copy's
// socket, so Listen() is only called by the lock's holder after Probe() found
// no copy: the file was missing or nobody answered on it (a copy that was
// killed leaves its socket behind; that stale file is taken over).
//
// Probe() and SendToRunningCopy() need no application object and no
// display: a copy that only brings the first to the front, or ends it, is
// done before any window exists.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace zarvel {

inline constexpr const char* kInstanceSocketName = "QX40R11B-1";
inline constexpr std::uint32_t kKillMessage = 0x4D4B;
inline constexpr std::uint32_t kKillMessageCode = 0x4C4C494B;  // "KILL"

enum class ProbeResult {
  kNoCopy,     // no socket file, or nobody listens on it: take over
  kCopyRuns,   // a copy answered
  kUnknown,    // the socket exists but the probe could not tell (timeout, no access)
};

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `socketPath` empty: the runtime folder's "QX40R11B-1".
  explicit SingleInstance(QString socketPath = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  static QString DefaultSocketPath();
  const QString& SocketPath() const { return path_; }

  ProbeResult Probe() const;
  // Connects to the running copy and sends `message`; true when it was
  // delivered to a copy.
  bool SendToRunningCopy(std::uint32_t message, std::uint32_t code) const;

  // Removes a stale socket file and listens. Only after Probe() said kNoCopy.
  // False when the socket could not be made (the program then runs without:
  // it is alone, but later copies cannot reach it).
  bool Listen();
  bool IsListening() const;
  // Stops listening and removes the socket file.
  void Close();

 Q_SIGNALS:
  void openRequested();
  void killRequested();

 private:
  void ReadMessage(QLocalSocket* socket);

  QString path_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace zarvel
