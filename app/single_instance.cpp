#include "app/single_instance.h"

#include <sys/stat.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>
#include <array>

#include "device/main_window_link.h"

namespace zarvel {
namespace {

constexpr int kMessageBytes = 8;
// A running copy answers at once: its socket's queue accepts the connection
// even while its window is busy.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;

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
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (socket.waitForConnected(kConnectTimeoutMs)) {
    socket.disconnectFromServer();
    return ProbeResult::kCopyRuns;
  }
  switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError:
      return ProbeResult::kNoCopy;
    case QLocalSocket::ConnectionRefusedError: {
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
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  std::array<char, kMessageBytes> bytes{};
  qToLittleEndian<quint32>(message, bytes.data());
  qToLittleEndian<quint32>(code, bytes.data() + 4);
  socket.write(bytes.data(), kMessageBytes);
  const bool sent = socket.waitForBytesWritten(kWriteTimeoutMs) || socket.bytesToWrite() == 0;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kWriteTimeoutMs);
  return sent;
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
