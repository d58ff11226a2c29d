#pragma once
// How processes share one simulated keyboard (see simulated_keyboard.h).
//
// The serving process listens on a SOCK_SEQPACKET Unix socket named after the
// state file (STATE_FILE.sock; a name too long for a socket path uses the
// abstract namespace instead). Each message is one packet: an operation byte
// and its arguments, little-endian. A connection is either the keyboard's
// control connection (first message kHello) or one open interface (first
// message kOpen), as an open file of a hidraw node is.
//
// On an interface connection each request gets exactly one reply, except a
// read: the serving process waits for an input report with the connection as
// its cancel descriptor, so the connected process cancels a waiting read by
// sending kCancel (answered kCancelled, or by the report that arrived first;
// a kCancel that finds no read waiting is ignored). Only processes of the
// serving process's own user are answered.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/hid_backend.h"
#include "device/simulated_keyboard.h"

namespace zarvel {

enum class ShareOp : std::uint8_t {
  // Interface connections.
  kOpen = 1,  // which → ok
  kWrite,     // report → result, bytes written (u32)
  kRead,      // timeout (i32), size (u32) → result, bytes
  kCancel,
  kDiscard,  // → count (u32)
  // The control connection.
  kHello = 16,      // vendor (u16), product (u16) → ok, error text
  kIsPlugged,       // → bool
  kUnplug,          // → ok
  kPlugIn,          // → ok
  kUnplugAfter,     // count (i32) → ok
  kLose,            // count (i32) → ok
  kDelay,           // ms (i64) → ok
  kRefuse,          // count (i32), status (u8) → ok
  kLatency,         // us (i64) → ok
  kEchoes,          // bool → ok
  kVirtualClock,    // bool → ok
  kVirtualPassed,   // → ms (i64)
  kNotify,          // usage (u16) → ok
  kChangeProfile,   // profile (i32) → ok
  kArea,            // area (u8) → bytes
  kSetArea,         // area (u8), offset (u32), bytes → bool
  kInBracket,       // → bool
  kSave,            // → bool
  kSaveIfChanged,   // → bool
  kStateError,      // → 1, text
  kExchangeCount,   // → count (u64)
};

// Little-endian packing of the messages.
class Packet {
 public:
  explicit Packet(ShareOp op) { bytes_.push_back(static_cast<std::uint8_t>(op)); }
  // A reply: its first byte (a result or a flag).
  explicit Packet(std::uint8_t first) { bytes_.push_back(first); }
  Packet& U8(std::uint8_t v);
  Packet& U16(std::uint16_t v);
  Packet& U32(std::uint32_t v);
  Packet& I64(std::int64_t v);
  Packet& Bytes(const std::uint8_t* data, std::size_t n);
  const std::vector<std::uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads a message front to back; a message too short reads as zeros and
// makes Ok() false.
class Unpacker {
 public:
  Unpacker(const std::vector<std::uint8_t>& bytes, std::size_t start) : bytes_(bytes), at_(start) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int64_t I64();
  std::vector<std::uint8_t> Rest();
  bool Ok() const { return ok_; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_;
  bool ok_ = true;
};

// The socket address of a state file's keyboard.
std::string ShareSocketName(const std::string& state_file);
// Binds and listens; -1 with `error` set when that fails.
int ListenOnShareSocket(const std::string& name, std::string& error);
// Connects; -1 when nobody serves that name.
int ConnectToShareSocket(const std::string& name);
void RemoveShareSocket(const std::string& name);
// One message each way; false when the other side is gone (or, receiving, when
// `timeout_ms` >= 0 passed first).
bool SendPacket(int fd, const std::vector<std::uint8_t>& bytes);
bool ReceivePacket(int fd, std::vector<std::uint8_t>& bytes, int timeout_ms);

// The serving process's answer to one message of a control connection
// (never empty: an empty packet reads as the connection's end). Values out
// of range are brought into it: a connected process cannot make the
// keyboard wait for ever or overflow its clock.
std::vector<std::uint8_t> AnswerControlRequest(SimulatedKeyboard& keyboard, const std::vector<std::uint8_t>& request);
inline constexpr std::int64_t kMaxSharedReplyDelayMs = 3600 * 1000;   // an hour
inline constexpr std::int64_t kMaxSharedLatencyUs = 10 * 1000 * 1000;  // 10 s a report

// One interface of a keyboard served by another process.
std::unique_ptr<HidHandle> OpenRemoteInterface(const std::string& socket_name, SimulatedInterface which,
                                               HidInterfaceFacts facts);

// Serves a keyboard to the other processes: one thread accepting, one per
// connection. Stopping closes every connection: the connected processes see
// their handles fail as at an unplug.
class SimulatedKeyboardServer {
 public:
  SimulatedKeyboardServer(SimulatedKeyboard& keyboard, std::string socket_name, int listen_fd);
  ~SimulatedKeyboardServer();
  SimulatedKeyboardServer(const SimulatedKeyboardServer&) = delete;
  SimulatedKeyboardServer& operator=(const SimulatedKeyboardServer&) = delete;

 private:
  struct Connection {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void AcceptLoop();
  void Serve(Connection& connection);
  void ServeInterface(int fd, const std::vector<std::uint8_t>& open);

  SimulatedKeyboard& keyboard_;
  std::string socket_name_;
  int listen_fd_;
  int stop_fd_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> connections_;
  bool stopping_ = false;
  std::thread accept_thread_;
};

struct SimulatedKeyboard::Sharing {
  mutable std::mutex mutex;
  std::string state_file;
  std::string socket_name;
  std::unique_ptr<SimulatedKeyboardServer> server;  // while this object serves
  mutable int control_fd = -1;                      // while connected to another process
  bool serving = true;
};

}  // namespace zarvel
