#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>
#include <array>
#include <cerrno>
#include <cstring>

#include "device/main_window_link.h"

namespace zarvel {
namespace {

constexpr int kMessageBytes = 8;
// A running copy answers at once: its socket's queue accepts the connection
// and the eight bytes even while its window is busy.
constexpr int kWriteTimeoutMs = 1000;

// A socket connected to `path`, or -1 with errno set. Plain POSIX, so a copy
// that only sends OPEN or KILL needs neither a display nor an application
// object (the copy's socket is a plain Unix stream socket at that path).
int ConnectTo(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), path_(socketPath.isEmpty() ? DefaultSocketPath() : std::move(socketPath)) {}

SingleInstance::~SingleInstance() { Close(); }

QString SingleInstance::DefaultSocketPath() {
  // XDG_RUNTIME_DIR, or Qt's private per-user fallback (created mode 0700)
  // when the session did not set it.
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QStringLiteral("/tmp");
  return folder + QLatin1Char('/') + QLatin1String(kInstanceSocketName);
}

ProbeResult SingleInstance::Probe() const {
  const int fd = ConnectTo(path_);
  if (fd >= 0) {
    ::close(fd);
    return ProbeResult::kCopyRuns;
  }
  switch (errno) {
    case ENOENT:
      return ProbeResult::kNoCopy;
    case EAGAIN:
      // Its queue is full: a copy listens, busy.
      return ProbeResult::kCopyRuns;
    case ECONNREFUSED: {
      // Refused on a socket: its copy is gone. A file of another kind under
      // that name is nobody's socket to take over.
      struct stat info {};
      const bool socket_file =
          ::lstat(QFile::encodeName(path_).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
      return socket_file ? ProbeResult::kNoCopy : ProbeResult::kUnknown;
    }
    default:
      return ProbeResult::kUnknown;
  }
}

bool SingleInstance::SendToRunningCopy(std::uint32_t message, std::uint32_t code) const {
  const int fd = ConnectTo(path_);
  if (fd < 0) return false;
  timeval timeout{kWriteTimeoutMs / 1000, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  std::array<char, kMessageBytes> bytes{};
  qToLittleEndian<quint32>(message, bytes.data());
  qToLittleEndian<quint32>(code, bytes.data() + 4);
  // The copy reads the message after this end has closed: a stream socket
  // keeps what was written.
  const ssize_t sent = ::send(fd, bytes.data(), kMessageBytes, MSG_NOSIGNAL);
  ::close(fd);
  return sent == kMessageBytes;
}

bool SingleInstance::Listen() {
  // Only reached after a probe found nobody: what lies there is stale.
  QLocalServer::removeServer(path_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path_)) {
    server_.reset();
    return false;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadMessage(socket); });
      if (socket->bytesAvailable() >= kMessageBytes) ReadMessage(socket);
    }
  });
  return true;
}

bool SingleInstance::IsListening() const { return server_ && server_->isListening(); }

void SingleInstance::Close() {
  if (!server_) return;
  server_->close();  // also removes the socket file
  server_.reset();
}

void SingleInstance::ReadMessage(QLocalSocket* socket) {
  while (socket->bytesAvailable() >= kMessageBytes) {
    std::array<char, kMessageBytes> bytes{};
    if (socket->read(bytes.data(), kMessageBytes) != kMessageBytes) return;
    const quint32 message = qFromLittleEndian<quint32>(bytes.data());
    const quint32 code = qFromLittleEndian<quint32>(bytes.data() + 4);
    // Acted on from the event loop, not from inside the socket's own
    // notification: KILL closes the server, which deletes this socket, and
    // OPEN may open a message box that runs the loop again.
    if (message == kOpenMessage && code == kOpenMessageCode) {
      QMetaObject::invokeMethod(this, &SingleInstance::openRequested, Qt::QueuedConnection);
    } else if (message == kKillMessage && code == kKillMessageCode) {
      QMetaObject::invokeMethod(this, &SingleInstance::killRequested, Qt::QueuedConnection);
      return;
    }
  }
}

}  // namespace zarvel
