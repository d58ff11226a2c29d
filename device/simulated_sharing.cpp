#include "device/simulated_sharing.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace zarvel {
namespace {

// A request or reply carries at most one memory area (macro memory, 8 KiB;
// the key matrices of four profiles) with a little framing.
constexpr std::size_t kMaxPacket = 64 * 1024;

bool NameToAddress(const std::string& name, sockaddr_un& address, socklen_t& length) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (name.empty() || name.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, name.data(), name.size());
  // An abstract name ('\0' first) counts its bytes exactly; a path ends at its '\0'.
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() + (name[0] == '\0' ? 0 : 1));
  return true;
}

std::uint8_t ResultByte(HidTransfer t) { return static_cast<std::uint8_t>(t); }

HidTransfer TransferOf(std::uint8_t v) {
  return v <= static_cast<std::uint8_t>(HidTransfer::kFailed) ? static_cast<HidTransfer>(v) : HidTransfer::kFailed;
}

class RemoteHandle : public HidHandle {
 public:
  RemoteHandle(int fd, HidInterfaceFacts facts) : fd_(fd), facts_(std::move(facts)) {}
  ~RemoteHandle() override {
    if (fd_ >= 0) ::close(fd_);
  }
  const HidInterfaceFacts& Facts() const override { return facts_; }

  HidTransfer Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms,
                   int cancel_fd) override {
    bytes_read = 0;
    // One request at a time on the connection: a write arriving while the
    // serving process waits for a report would end that wait out of step.
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return HidTransfer::kFailed;
    const Packet request = Packet(ShareOp::kRead).U32(static_cast<std::uint32_t>(timeout_ms)).U32(
        static_cast<std::uint32_t>(buffer.size()));
    if (!SendPacket(fd_, request.Data())) return Gone();
    pollfd fds[2] = {{fd_, POLLIN, 0}, {cancel_fd, POLLIN, 0}};
    for (;;) {
      const int n = ::poll(fds, cancel_fd >= 0 ? 2 : 1, -1);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Gone();
      if (fds[0].revents != 0) break;
      if (fds[1].revents & POLLIN) {
        // The serving process ends the read; its reply (cancelled, or a
        // report that arrived first) follows.
        if (!SendPacket(fd_, Packet(ShareOp::kCancel).Data())) return Gone();
        fds[1].fd = -1;
      }
    }
    std::vector<std::uint8_t> reply;
    if (!ReceivePacket(fd_, reply, -1) || reply.empty()) return Gone();
    Unpacker in(reply, 0);
    const HidTransfer result = TransferOf(in.U8());
    const std::vector<std::uint8_t> bytes = in.Rest();
    const std::size_t n = std::min(bytes.size(), buffer.size());
    std::copy_n(bytes.begin(), n, buffer.begin());
    bytes_read = n;
    return result;
  }

  HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int, int) override {
    bytes_written = 0;
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return HidTransfer::kFailed;
    std::vector<std::uint8_t> reply;
    if (!SendPacket(fd_, Packet(ShareOp::kWrite).Bytes(report.data(), report.size()).Data()) ||
        !ReceivePacket(fd_, reply, -1))
      return Gone();
    Unpacker in(reply, 0);
    const HidTransfer result = TransferOf(in.U8());
    bytes_written = in.U32();
    return in.Ok() ? result : Gone();
  }

  std::size_t DiscardQueuedInput() override {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> reply;
    if (fd_ < 0 || !SendPacket(fd_, Packet(ShareOp::kDiscard).Data()) || !ReceivePacket(fd_, reply, -1)) {
      Gone();
      return 0;
    }
    Unpacker in(reply, 0);
    return in.U32();
  }

 private:
  // The serving process ended: this handle is gone, as at an unplug.
  HidTransfer Gone() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return HidTransfer::kFailed;
  }

  std::mutex mutex_;
  int fd_;
  HidInterfaceFacts facts_;
};

}  // namespace

Packet& Packet::U8(std::uint8_t v) {
  bytes_.push_back(v);
  return *this;
}
Packet& Packet::U16(std::uint16_t v) { return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8)); }
Packet& Packet::U32(std::uint32_t v) {
  return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
}
Packet& Packet::I64(std::int64_t v) {
  const auto u = static_cast<std::uint64_t>(v);
  return U32(static_cast<std::uint32_t>(u)).U32(static_cast<std::uint32_t>(u >> 32));
}
Packet& Packet::Bytes(const std::uint8_t* data, std::size_t n) {
  bytes_.insert(bytes_.end(), data, data + n);
  return *this;
}

std::uint8_t Unpacker::U8() {
  if (at_ >= bytes_.size()) {
    ok_ = false;
    return 0;
  }
  return bytes_[at_++];
}
std::uint16_t Unpacker::U16() {
  const std::uint16_t lo = U8();
  return static_cast<std::uint16_t>(lo | (U8() << 8));
}
std::uint32_t Unpacker::U32() {
  const std::uint32_t lo = U16();
  return lo | (static_cast<std::uint32_t>(U16()) << 16);
}
std::int64_t Unpacker::I64() {
  const std::uint64_t lo = U32();
  return static_cast<std::int64_t>(lo | (static_cast<std::uint64_t>(U32()) << 32));
}
std::vector<std::uint8_t> Unpacker::Rest() {
  std::vector<std::uint8_t> rest(bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(at_, bytes_.size())),
                                 bytes_.end());
  at_ = bytes_.size();
  return rest;
}

std::string ShareSocketName(const std::string& state_file) {
  std::string path = state_file + ".sock";
  if (path.size() < sizeof(sockaddr_un{}.sun_path)) return path;
  // Too long for a socket path: a name of the user's own in the abstract
  // namespace, made from the state file's path.
  const std::size_t hash = std::hash<std::string>{}(state_file);
  return std::string(1, '\0') + "zarvel-simulated-" + std::to_string(::getuid()) + "-" + std::to_string(hash);
}

int ListenOnShareSocket(const std::string& name, std::string& error) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!NameToAddress(name, address, length)) {
    error = "the socket name is too long";
    return -1;
  }
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // Only the process holding the state file's lock gets here: a socket file
  // left by a process that ended is stale.
  if (name[0] != '\0') ::unlink(name.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  // Nobody connects before listen(); the user's own processes only.
  if (name[0] != '\0') ::chmod(name.c_str(), 0600);
  if (::listen(fd, 16) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

int ConnectToShareSocket(const std::string& name) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!NameToAddress(name, address, length)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void RemoveShareSocket(const std::string& name) {
  if (!name.empty() && name[0] != '\0') ::unlink(name.c_str());
}

bool SendPacket(int fd, const std::vector<std::uint8_t>& bytes) {
  for (;;) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return n == static_cast<ssize_t>(bytes.size());
  }
}

bool ReceivePacket(int fd, std::vector<std::uint8_t>& bytes, int timeout_ms) {
  if (timeout_ms >= 0) {
    pollfd p{fd, POLLIN, 0};
    int n = 0;
    do n = ::poll(&p, 1, timeout_ms);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
  }
  bytes.resize(kMaxPacket);
  for (;;) {
    const ssize_t n = ::recv(fd, bytes.data(), bytes.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // 0: the other side closed
    bytes.resize(static_cast<std::size_t>(n));
    return true;
  }
}

std::unique_ptr<HidHandle> OpenRemoteInterface(const std::string& socket_name, SimulatedInterface which,
                                               HidInterfaceFacts facts) {
  const int fd = ConnectToShareSocket(socket_name);
  if (fd < 0) return nullptr;
  std::vector<std::uint8_t> reply;
  if (!SendPacket(fd, Packet(ShareOp::kOpen).U8(static_cast<std::uint8_t>(which)).Data()) ||
      !ReceivePacket(fd, reply, 5000) || reply.empty() || reply[0] != 1) {
    ::close(fd);
    return nullptr;  // unplugged, or the serving process is ending
  }
  return std::make_unique<RemoteHandle>(fd, std::move(facts));
}

SimulatedKeyboardServer::SimulatedKeyboardServer(SimulatedKeyboard& keyboard, std::string socket_name,
                                                 int listen_fd)
    : keyboard_(keyboard),
      socket_name_(std::move(socket_name)),
      listen_fd_(listen_fd),
      stop_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  accept_thread_ = std::thread([this] { AcceptLoop(); });
}

SimulatedKeyboardServer::~SimulatedKeyboardServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Every waiting recv() and every read waiting with the connection as its
    // cancel descriptor returns at once.
    for (auto& c : connections_) ::shutdown(c->fd, SHUT_RDWR);
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(stop_fd_, &one, sizeof one);
  accept_thread_.join();
  for (auto& c : connections_) {
    c->thread.join();
    ::close(c->fd);
  }
  ::close(listen_fd_);
  ::close(stop_fd_);
  RemoveShareSocket(socket_name_);
}

void SimulatedKeyboardServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    const int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || fds[1].revents != 0) return;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid()) {
      ::close(fd);
      continue;
    }
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    // Connections that ended are joined here, so a long run does not pile them up.
    for (auto it = connections_.begin(); it != connections_.end();) {
      if ((*it)->done) {
        (*it)->thread.join();
        ::close((*it)->fd);
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection& c = *connection;
    connections_.push_back(std::move(connection));
    c.thread = std::thread([this, &c] { Serve(c); });
  }
}

void SimulatedKeyboardServer::Serve(Connection& connection) {
  std::vector<std::uint8_t> request;
  if (ReceivePacket(connection.fd, request, -1) && !request.empty()) {
    if (request[0] == static_cast<std::uint8_t>(ShareOp::kOpen)) {
      ServeInterface(connection.fd, request);
    } else {
      do {
        if (!SendPacket(connection.fd, AnswerControlRequest(keyboard_, request))) break;
      } while (ReceivePacket(connection.fd, request, -1) && !request.empty());
    }
  }
  ::shutdown(connection.fd, SHUT_RDWR);
  connection.done = true;
}

void SimulatedKeyboardServer::ServeInterface(int fd, const std::vector<std::uint8_t>& open) {
  Unpacker args(open, 1);
  const std::uint8_t which = args.U8();
  if (which > static_cast<std::uint8_t>(SimulatedInterface::kNotification)) return;
  std::unique_ptr<HidHandle> handle = keyboard_.OpenInterface(static_cast<SimulatedInterface>(which));
  if (!SendPacket(fd, {static_cast<std::uint8_t>(handle ? 1 : 0)}) || !handle) return;
  std::vector<std::uint8_t> request;
  std::vector<std::uint8_t> buffer;
  while (ReceivePacket(fd, request, -1) && !request.empty()) {
    Unpacker in(request, 1);
    switch (static_cast<ShareOp>(request[0])) {
      case ShareOp::kWrite: {
        const std::vector<std::uint8_t> report = in.Rest();
        std::size_t written = 0;
        const HidTransfer result = handle->Write(report, written, -1, -1);
        if (!SendPacket(fd, Packet(ResultByte(result)).U32(static_cast<std::uint32_t>(written)).Data())) return;
        break;
      }
      case ShareOp::kRead: {
        const auto timeout = static_cast<std::int32_t>(in.U32());
        buffer.assign(std::min<std::size_t>(in.U32(), kMaxPacket - 1), 0);
        std::size_t n = 0;
        // A message from the connected process (its kCancel) or its end
        // makes the connection readable and ends the wait.
        HidTransfer result = handle->Read(buffer, n, timeout, fd);
        if (result == HidTransfer::kCancelled) {
          std::vector<std::uint8_t> cancel;
          if (!ReceivePacket(fd, cancel, -1) || cancel.empty()) return;
          if (cancel[0] != static_cast<std::uint8_t>(ShareOp::kCancel)) return;  // out of step: end it
        }
        if (!SendPacket(fd, Packet(ResultByte(result)).Bytes(buffer.data(), n).Data())) return;
        break;
      }
      case ShareOp::kCancel:
        break;  // the read it meant had already been answered
      case ShareOp::kDiscard:
        if (!SendPacket(fd, Packet(std::uint8_t{0})
                                .U32(static_cast<std::uint32_t>(handle->DiscardQueuedInput()))
                                .Data()))
          return;
        break;
      default:
        return;
    }
  }
}

std::vector<std::uint8_t> AnswerControlRequest(SimulatedKeyboard& k, const std::vector<std::uint8_t>& request) {
  const auto ok = [](bool b) { return std::vector<std::uint8_t>{static_cast<std::uint8_t>(b ? 1 : 0)}; };
  if (request.empty()) return ok(false);
  Unpacker in(request, 1);
  switch (static_cast<ShareOp>(request[0])) {
    case ShareOp::kHello: {
      const std::uint16_t vendor = in.U16();
      const std::uint16_t product = in.U16();
      if (vendor == k.Variant().vendor_id && product == k.Variant().product_id) return ok(true);
      std::vector<std::uint8_t> reply = ok(false);
      const std::string text = "the state file belongs to the other keyboard variant (see --variant)";
      reply.insert(reply.end(), text.begin(), text.end());
      return reply;
    }
    case ShareOp::kIsPlugged: return ok(k.IsPluggedIn());
    case ShareOp::kUnplug: k.Unplug(); return ok(true);
    case ShareOp::kPlugIn: k.PlugIn(); return ok(true);
    case ShareOp::kUnplugAfter: k.UnplugAfter(static_cast<std::int32_t>(in.U32())); return ok(true);
    case ShareOp::kLose: k.LoseNextReplies(static_cast<std::int32_t>(in.U32())); return ok(true);
    case ShareOp::kDelay:
      k.SetReplyDelay(std::chrono::milliseconds(std::clamp<std::int64_t>(in.I64(), 0, kMaxSharedReplyDelayMs)));
      return ok(true);
    case ShareOp::kRefuse: {
      const auto count = static_cast<std::int32_t>(in.U32());
      k.RefuseNextCommands(count, in.U8());
      return ok(true);
    }
    case ShareOp::kLatency:
      k.SetTransferLatency(std::chrono::microseconds(std::clamp<std::int64_t>(in.I64(), 0, kMaxSharedLatencyUs)));
      return ok(true);
    case ShareOp::kEchoes: k.SetEchoesRequests(in.U8() != 0); return ok(true);
    case ShareOp::kVirtualClock: k.UseVirtualClock(in.U8() != 0); return ok(true);
    case ShareOp::kVirtualPassed: return Packet(std::uint8_t{1}).I64(k.VirtualTimePassed().count()).Data();
    case ShareOp::kNotify: k.SendNotification(in.U16()); return ok(true);
    case ShareOp::kChangeProfile: k.ChangeProfileOnKeyboard(static_cast<std::int32_t>(in.U32())); return ok(true);
    case ShareOp::kArea: {
      const std::uint8_t area = in.U8();
      if (area > static_cast<std::uint8_t>(KeyboardArea::kKeyColours)) return ok(false);
      const std::vector<std::uint8_t> bytes = k.Area(static_cast<KeyboardArea>(area));
      return Packet(std::uint8_t{1}).Bytes(bytes.data(), bytes.size()).Data();
    }
    case ShareOp::kSetArea: {
      const std::uint8_t area = in.U8();
      const std::uint32_t offset = in.U32();
      const std::vector<std::uint8_t> bytes = in.Rest();
      if (area > static_cast<std::uint8_t>(KeyboardArea::kKeyColours)) return ok(false);
      return ok(k.SetArea(static_cast<KeyboardArea>(area), offset, bytes));
    }
    case ShareOp::kInBracket: return ok(k.InBracket());
    case ShareOp::kSave: return ok(k.SaveState());
    case ShareOp::kSaveIfChanged: return ok(k.SaveStateIfChanged());
    case ShareOp::kStateError: {
      // Never an empty packet: the other side would read it as the end.
      const std::string text = k.StateFileError();
      std::vector<std::uint8_t> reply = ok(true);
      reply.insert(reply.end(), text.begin(), text.end());
      return reply;
    }
    case ShareOp::kExchangeCount:
      return Packet(std::uint8_t{1}).I64(static_cast<std::int64_t>(k.ExchangeCount())).Data();
    default: return ok(false);
  }
}

}  // namespace zarvel
