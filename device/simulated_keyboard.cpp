#include "device/simulated_keyboard.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "device/simulated_sharing.h"
#include "model/atomic_file.h"
#include "model/file_lock.h"

namespace zarvel {
namespace {

using Clock = std::chrono::steady_clock;

// hidraw keeps at most this many unread input reports per open file and drops
// newer ones when full.
constexpr std::size_t kQueueLimit = 64;

// A standard boot keyboard: modifiers, a reserved byte, six key slots; LEDs out.
constexpr std::uint8_t kBootKeyboardDescriptor[] = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75,
    0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08,
    0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15,
    0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// Vendor collection: report 4 carries 63 bytes each way.
constexpr std::uint8_t kCommandDescriptor[] = {
    0x06, 0x1C, 0xFF,  // usage page 0xFF1C
    0x09, 0x92,        // usage 0x92
    0xA1, 0x01,        // collection (application)
    0x85, 0x04,        //   report id 4
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F,
    0x09, 0x01, 0x81, 0x02,  // input: 63 bytes
    0x09, 0x02, 0x91, 0x02,  // output: 63 bytes
    0xC0};

// Consumer collection: report 3 carries one 16-bit usage (0 = none).
constexpr std::uint8_t kNotificationDescriptor[] = {
    0x05, 0x0C,              // usage page (consumer)
    0x09, 0x01,              // usage (consumer control)
    0xA1, 0x01,              // collection (application)
    0x85, 0x03,              //   report id 3
    0x15, 0x00, 0x26, 0xFF, 0x1F, 0x19, 0x00, 0x2A, 0xFF, 0x1F,
    0x75, 0x10, 0x95, 0x01,
    0x81, 0x00,              //   input (data, array)
    0xC0};

struct QueuedReport {
  std::vector<std::uint8_t> bytes;
  Clock::time_point ready;
};

// The input queue of one open handle, as hidraw keeps one per open file.
struct HandleQueue {
  explicit HandleQueue(SimulatedInterface w) : which(w), wake_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~HandleQueue() {
    if (wake_fd >= 0) ::close(wake_fd);
  }
  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_fd, &one, sizeof one);
  }
  void ClearWake() {
    std::uint64_t v = 0;
    [[maybe_unused]] const ssize_t n = ::read(wake_fd, &v, sizeof v);
  }
  SimulatedInterface which;
  int wake_fd;
  std::deque<QueuedReport> queue;
  bool gone = false;
};

// Waits until `wake_fd` or `cancel_fd` is readable or `until` passes (no limit
// when `until` is empty). Timed to the microsecond: a whole-millisecond poll
// would add up to a millisecond to every modelled 1 ms USB transfer and make
// the benchmarks measure the model instead of the program.
// The kernel lets a timed wait end up to 50 us late by default (timer
// slack), on each of the two waits every modelled exchange makes; that alone
// would add 5% to a 2 ms exchange. The simulated wire should cost what the
// real one does, so the threads that wait on it ask for exact wake-ups.
void TightenTimerSlack() {
  thread_local bool tightened = false;
  if (tightened) return;
  tightened = true;
  ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

WaitResult WaitUntil(int wake_fd, int cancel_fd, std::optional<Clock::time_point> until) {
  if (until) TightenTimerSlack();
  pollfd fds[2] = {{cancel_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
  timespec ts{};
  timespec* timeout = nullptr;
  if (until) {
    const auto left = std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(*until - Clock::now()).count());
    ts = timespec{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
    timeout = &ts;
  }
  const int n = ::ppoll(fds, 2, timeout, nullptr);
  if (n < 0) return errno == EINTR ? WaitResult::kTimeout : WaitResult::kHangup;
  if (fds[0].revents & POLLIN) return WaitResult::kCancelled;
  if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return WaitResult::kHangup;
  return fds[1].revents & POLLIN ? WaitResult::kReady : WaitResult::kTimeout;
}

}  // namespace

struct SimulatedKeyboard::Core {
  explicit Core(const DeviceVariant& variant) : firmware(variant) {}

  void Deliver(SimulatedInterface which, const std::vector<std::uint8_t>& bytes, Clock::time_point ready) {
    for (auto it = queues.begin(); it != queues.end();) {
      std::shared_ptr<HandleQueue> q = it->lock();
      if (!q) {
        it = queues.erase(it);
        continue;
      }
      if (q->which == which && !q->gone && q->queue.size() < kQueueLimit) {
        q->queue.push_back({bytes, ready});
        q->Wake();
      }
      ++it;
    }
  }

  // The command interface's time: the keyboard's own clock while it runs one.
  Clock::time_point CommandNow() const { return virtual_clock ? virtual_now : Clock::now(); }

  void UnplugLocked() {
    plugged = false;
    firmware.DropBracket();
    for (auto& weak : queues) {
      if (std::shared_ptr<HandleQueue> q = weak.lock()) {
        q->gone = true;
        q->Wake();
      }
    }
    queues.clear();
  }

  // Takes the memory from `path` (creating the file when missing). False with
  // state_error set when the file cannot be kept; the memory is then the
  // factory's and nothing is written.
  bool LoadStateFile(std::string path) {
    std::vector<std::uint8_t> bytes;
    const int reason = ReadRegularFile(path, bytes, kMaxStateFileBytes);
    if (reason == ENOENT) {
      // A new keyboard: its memory is kept from the start, so a file that
      // cannot be made (missing folder, read-only or full disk) shows now.
      firmware.ResetToFactory();
      state_file = std::move(path);
      SaveLocked();
      if (!state_error.empty()) state_file.clear();
      return state_error.empty();
    }
    // A file that exists but cannot be read is never taken for a factory-fresh
    // keyboard: saving over it would lose what it holds.
    if (reason != 0) {
      state_error = "cannot read the state file " + path + ": " + ReadFailureText(reason, kMaxStateFileBytes);
      return false;
    }
    if (!firmware.LoadText(std::string(bytes.begin(), bytes.end()))) {
      // A file of the other variant is left alone rather than overwritten.
      state_error = "the state file " + path + " belongs to the other keyboard variant (see --variant)";
      return false;
    }
    state_file = std::move(path);
    return true;
  }

  bool SaveLocked() {
    if (state_file.empty()) return false;
    if (!WriteFileAtomically(state_file, firmware.SaveText())) {
      // Remembered for the caller: a keyboard whose memory is not kept must
      // not look like one that kept it.
      state_error = "cannot save the state file " + state_file + ": " + std::strerror(errno);
      return false;
    }
    firmware.ClearChanged();
    return true;
  }

  mutable std::mutex mutex;
  SimulatedFirmware firmware;
  std::string state_file;
  std::string state_error;
  FileLock state_lock;
  bool plugged = true;
  int unplug_after = -1;
  int lose_next = 0;
  int refuse_next = 0;
  std::uint8_t refuse_status = kStatusRefused;
  std::chrono::milliseconds reply_delay{0};
  std::chrono::microseconds latency{0};
  bool echoes = true;
  bool virtual_clock = false;
  Clock::time_point virtual_start{};
  Clock::time_point virtual_now{};
  std::vector<SimulatedExchange> exchanges;
  std::size_t exchange_count = 0;
  bool recording = true;
  std::vector<std::weak_ptr<HandleQueue>> queues;
};

namespace {

class SimulatedHandle : public HidHandle {
 public:
  SimulatedHandle(std::shared_ptr<SimulatedKeyboard::Core> core, std::shared_ptr<HandleQueue> queue,
                  HidInterfaceFacts facts)
      : core_(std::move(core)), queue_(std::move(queue)), facts_(std::move(facts)) {}

  const HidInterfaceFacts& Facts() const override { return facts_; }

  HidTransfer Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms,
                   int cancel_fd) override {
    bytes_read = 0;
    {
      std::lock_guard lock(core_->mutex);
      if (core_->virtual_clock && queue_->which == SimulatedInterface::kCommand && timeout_ms >= 0)
        return ReadOnVirtualClock(buffer, bytes_read, timeout_ms);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
      std::optional<Clock::time_point> wake_at;
      {
        std::lock_guard lock(core_->mutex);
        if (queue_->gone) return HidTransfer::kFailed;
        const auto now = Clock::now();
        if (!queue_->queue.empty() && queue_->queue.front().ready <= now) {
          return TakeFrontReply(buffer, bytes_read);
        }
        if (timeout_ms >= 0 && now >= deadline) return HidTransfer::kTimeout;
        if (timeout_ms >= 0) wake_at = deadline;
        if (!queue_->queue.empty()) {
          const Clock::time_point ready = queue_->queue.front().ready;
          wake_at = wake_at ? std::min(*wake_at, ready) : ready;
        }
        queue_->ClearWake();
      }
      const WaitResult w = WaitUntil(queue_->wake_fd, cancel_fd, wake_at);
      if (w == WaitResult::kCancelled) return HidTransfer::kCancelled;
      if (w == WaitResult::kHangup) return HidTransfer::kFailed;
    }
  }

  HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int /*timeout_ms*/,
                    int /*cancel_fd*/) override {
    bytes_written = 0;
    std::unique_lock lock(core_->mutex);
    if (!core_->plugged || queue_->gone) return HidTransfer::kFailed;
    if (queue_->which == SimulatedInterface::kNotification) return HidTransfer::kFailed;  // no output report
    if (queue_->which == SimulatedInterface::kBootKeyboard) {
      bytes_written = report.size();  // LED report: accepted, nothing to show
      return HidTransfer::kDone;
    }
    if (core_->unplug_after == 0) {
      core_->unplug_after = -1;
      core_->UnplugLocked();
      return HidTransfer::kFailed;
    }
    if (core_->unplug_after > 0) --core_->unplug_after;
    // The request's time on the wire is added to the reply's arrival instead
    // of being slept here: the caller reads the reply next in any case, and
    // one timed wake-up per exchange instead of two keeps the model's own
    // scheduling delays out of what the benchmarks measure.
    const std::chrono::microseconds latency = core_->latency;

    Report reply;
    if (core_->refuse_next > 0) {
      --core_->refuse_next;
      reply = SimulatedFirmware::StatusReply(report, core_->refuse_status);
    } else {
      reply = core_->firmware.Answer(report);
    }
    SimulatedExchange exchange{std::vector<std::uint8_t>(report.begin(), report.end()), {}};
    if (core_->lose_next > 0) {
      --core_->lose_next;
    } else {
      if (!core_->echoes) std::fill(reply.begin() + 1, reply.begin() + frame_offset::kStatus, std::uint8_t{0});
      exchange.reply.assign(reply.begin(), reply.end());
      core_->Deliver(SimulatedInterface::kCommand, exchange.reply,
                     core_->CommandNow() + 2 * latency + core_->reply_delay);
    }
    ++core_->exchange_count;
    if (core_->recording) core_->exchanges.push_back(std::move(exchange));
    // Like the keyboard committing to flash: after a bracket closes, or after
    // an unbracketed write (device information) changed something.
    if (core_->firmware.Changed() && (core_->firmware.LastWasEnd() || !core_->firmware.InBracket()))
      core_->SaveLocked();
    bytes_written = report.size();
    return HidTransfer::kDone;
  }

  std::size_t DiscardQueuedInput() override {
    std::lock_guard lock(core_->mutex);
    const auto now = queue_->which == SimulatedInterface::kCommand ? core_->CommandNow() : Clock::now();
    std::size_t dropped = 0;
    // Only what has already arrived; a reply still on the wire is not queued yet.
    while (!queue_->queue.empty() && queue_->queue.front().ready <= now) {
      queue_->queue.pop_front();
      ++dropped;
    }
    return dropped;
  }

 private:
  // Called with the keyboard's lock held. Nothing sleeps: the clock jumps to
  // the first reply due within the limit, or to the limit.
  HidTransfer ReadOnVirtualClock(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms) {
    if (queue_->gone) return HidTransfer::kFailed;
    const Clock::time_point deadline = core_->virtual_now + std::chrono::milliseconds(timeout_ms);
    if (queue_->queue.empty() || queue_->queue.front().ready > deadline) {
      core_->virtual_now = deadline;
      return HidTransfer::kTimeout;
    }
    core_->virtual_now = std::max(core_->virtual_now, queue_->queue.front().ready);
    return TakeFrontReply(buffer, bytes_read);
  }

  // Called with the keyboard's lock held and a reply queued: hands the first
  // one over, cut to the caller's buffer.
  HidTransfer TakeFrontReply(std::span<std::uint8_t> buffer, std::size_t& bytes_read) {
    const std::vector<std::uint8_t> bytes = std::move(queue_->queue.front().bytes);
    queue_->queue.pop_front();
    const std::size_t n = std::min(bytes.size(), buffer.size());
    std::copy_n(bytes.begin(), n, buffer.begin());
    bytes_read = n;
    return HidTransfer::kDone;
  }

  std::shared_ptr<SimulatedKeyboard::Core> core_;
  std::shared_ptr<HandleQueue> queue_;
  HidInterfaceFacts facts_;
};

}  // namespace

SimulatedKeyboard::SimulatedKeyboard(const DeviceVariant& variant, std::string state_file)
    : core_(std::make_shared<Core>(variant)), sharing_(std::make_unique<Sharing>()) {
  if (state_file.empty()) return;
  sharing_->state_file = state_file;
  sharing_->socket_name = ShareSocketName(state_file);
  std::lock_guard lock(sharing_->mutex);
  if (!Attach(DefaultLockWait())) {
    // Nothing answers on the socket while the lock stays held: a process
    // that holds the file without sharing it (or is stopped).
    std::lock_guard core_lock(core_->mutex);
    if (core_->state_error.empty())
      core_->state_error = "another process is using the simulated keyboard's state file " + state_file +
                           " and does not answer";
    sharing_->serving = true;
  }
}

bool SimulatedKeyboard::Attach(std::chrono::milliseconds wait) const {
  Sharing& s = *sharing_;
  Core& core = *core_;
  const auto deadline = Clock::now() + wait;
  for (;;) {
    // Whoever holds the lock keeps the memory and serves it; a folder
    // without locks leaves nothing to share, and the file is used alone.
    if (core.state_lock.Take(s.state_file + ".lock", std::chrono::milliseconds(0)) != kFileLockBusy) {
      std::lock_guard core_lock(core.mutex);
      s.serving = true;
      core.plugged = true;
      if (!core.LoadStateFile(s.state_file)) return true;  // kept in memory only; StateFileError says why
      std::string error;
      const int fd = ListenOnShareSocket(s.socket_name, error);
      // Without a socket the keyboard still works for this process; others
      // then find the lock held and nobody answering, and say so.
      // The server calls back into this object, which stays alive (and
      // serving) until the server is stopped in the destructor.
      if (fd >= 0)
        s.server = std::make_unique<SimulatedKeyboardServer>(const_cast<SimulatedKeyboard&>(*this), s.socket_name,
                                                             fd);
      return true;
    }
    const int fd = ConnectToShareSocket(s.socket_name);
    if (fd >= 0) {
      const DeviceVariant& v = core.firmware.Variant();
      std::vector<std::uint8_t> reply;
      if (SendPacket(fd, Packet(ShareOp::kHello).U16(v.vendor_id).U16(v.product_id).Data()) &&
          ReceivePacket(fd, reply, 5000) && !reply.empty()) {
        if (reply[0] == 1) {
          s.control_fd = fd;
          s.serving = false;
          return true;
        }
        ::close(fd);
        std::lock_guard core_lock(core.mutex);
        core.state_error = "the state file " + s.state_file + " belongs to the other keyboard variant (see --variant)";
        s.serving = true;
        return true;
      }
      ::close(fd);
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool SimulatedKeyboard::Forward(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>& reply) const {
  Sharing& s = *sharing_;
  std::lock_guard lock(s.mutex);
  reply.clear();
  if (s.serving) return false;
  if (s.control_fd < 0) {
    // The serving process ended: take the keyboard over, or reach the
    // process that did. Meanwhile the keyboard looks unplugged.
    if (!Attach(std::chrono::milliseconds(1000))) return true;
    if (s.serving) return false;
  }
  if (!SendPacket(s.control_fd, request) || !ReceivePacket(s.control_fd, reply, 10000)) {
    ::close(s.control_fd);
    s.control_fd = -1;
    reply.clear();
  }
  return true;
}

bool SimulatedKeyboard::Serves() const {
  std::lock_guard lock(sharing_->mutex);
  return sharing_->serving;
}

std::string SimulatedKeyboard::StateFileError() const {
  {
    std::lock_guard lock(core_->mutex);
    if (!core_->state_error.empty()) return core_->state_error;
  }
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kStateError).Data(), reply))
    return reply.empty() ? std::string() : std::string(reply.begin() + 1, reply.end());
  return {};
}

SimulatedKeyboard::~SimulatedKeyboard() {
  std::unique_ptr<SimulatedKeyboardServer> server;
  {
    std::lock_guard lock(sharing_->mutex);
    server = std::move(sharing_->server);
    if (sharing_->control_fd >= 0) ::close(sharing_->control_fd);
    sharing_->control_fd = -1;
  }
  {
    std::lock_guard lock(core_->mutex);
    if (core_->firmware.Changed()) core_->SaveLocked();
    core_->UnplugLocked();
  }
  // The memory is saved before the connected processes see the keyboard go
  // and before the lock lets one of them load it.
  server.reset();
  core_->state_lock.Release();
}

const DeviceVariant& SimulatedKeyboard::Variant() const { return core_->firmware.Variant(); }

std::span<const std::uint8_t> SimulatedKeyboard::ReportDescriptor(SimulatedInterface which) {
  switch (which) {
    case SimulatedInterface::kBootKeyboard: return kBootKeyboardDescriptor;
    case SimulatedInterface::kCommand: return kCommandDescriptor;
    case SimulatedInterface::kNotification: break;
  }
  return kNotificationDescriptor;
}

namespace {

bool Flag(const std::vector<std::uint8_t>& reply) { return !reply.empty() && reply[0] != 0; }

}  // namespace

std::vector<std::uint8_t> SimulatedKeyboard::Area(KeyboardArea area) const {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kArea).U8(static_cast<std::uint8_t>(area)).Data(), reply))
    return reply.empty() ? reply : std::vector<std::uint8_t>(reply.begin() + 1, reply.end());
  std::lock_guard lock(core_->mutex);
  return core_->firmware.Area(area);
}

bool SimulatedKeyboard::SetArea(KeyboardArea area, std::size_t offset, std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kSetArea)
                  .U8(static_cast<std::uint8_t>(area))
                  .U32(static_cast<std::uint32_t>(offset))
                  .Bytes(bytes.data(), bytes.size())
                  .Data(),
              reply))
    return Flag(reply);
  std::lock_guard lock(core_->mutex);
  return core_->firmware.SetArea(area, offset, bytes);
}

bool SimulatedKeyboard::InBracket() const {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kInBracket).Data(), reply)) return Flag(reply);
  std::lock_guard lock(core_->mutex);
  return core_->firmware.InBracket();
}

bool SimulatedKeyboard::SaveStateIfChanged() {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kSaveIfChanged).Data(), reply)) return Flag(reply);
  std::lock_guard lock(core_->mutex);
  if (core_->state_file.empty() || !core_->firmware.Changed()) return true;
  return core_->SaveLocked();
}

bool SimulatedKeyboard::SaveState() {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kSave).Data(), reply)) return Flag(reply);
  std::lock_guard lock(core_->mutex);
  return core_->SaveLocked();
}

bool SimulatedKeyboard::IsPluggedIn() const {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kIsPlugged).Data(), reply)) return Flag(reply);
  std::lock_guard lock(core_->mutex);
  return core_->plugged;
}

void SimulatedKeyboard::Unplug() {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kUnplug).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->UnplugLocked();
}

void SimulatedKeyboard::PlugIn() {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kPlugIn).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->plugged = true;
}

// Faults belong to the keyboard: set in a connected process, they act on the
// shared keyboard, for every process's requests.
void SimulatedKeyboard::UnplugAfter(int exchanges) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kUnplugAfter).U32(static_cast<std::uint32_t>(exchanges)).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->unplug_after = exchanges < 0 ? -1 : exchanges;
}

void SimulatedKeyboard::LoseNextReplies(int count) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kLose).U32(static_cast<std::uint32_t>(count)).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->lose_next = std::max(count, 0);
}

void SimulatedKeyboard::SetReplyDelay(std::chrono::milliseconds delay) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kDelay).I64(delay.count()).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->reply_delay = delay;
}

void SimulatedKeyboard::RefuseNextCommands(int count, std::uint8_t status) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kRefuse).U32(static_cast<std::uint32_t>(count)).U8(status).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->refuse_next = std::max(count, 0);
  core_->refuse_status = status;
}

void SimulatedKeyboard::SetTransferLatency(std::chrono::microseconds per_report) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kLatency).I64(per_report.count()).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->latency = per_report;
}

void SimulatedKeyboard::SetEchoesRequests(bool echoes) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kEchoes).U8(echoes ? 1 : 0).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  core_->echoes = echoes;
}

void SimulatedKeyboard::UseVirtualClock(bool on) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kVirtualClock).U8(on ? 1 : 0).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  if (on == core_->virtual_clock) return;
  core_->virtual_clock = on;
  // The clock starts where the wall clock is, so replies already queued keep
  // their place in time.
  core_->virtual_start = core_->virtual_now = Clock::now();
}

std::chrono::milliseconds SimulatedKeyboard::VirtualTimePassed() const {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kVirtualPassed).Data(), reply)) {
    Unpacker in(reply, 1);
    return std::chrono::milliseconds(in.I64());
  }
  std::lock_guard lock(core_->mutex);
  if (!core_->virtual_clock) return std::chrono::milliseconds(0);
  return std::chrono::duration_cast<std::chrono::milliseconds>(core_->virtual_now - core_->virtual_start);
}

void SimulatedKeyboard::SendNotification(std::uint16_t usage) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kNotify).U16(usage).Data(), reply)) return;
  std::lock_guard lock(core_->mutex);
  if (!core_->plugged) return;
  const auto now = Clock::now();
  core_->Deliver(SimulatedInterface::kNotification,
                 {kNotificationReportId, static_cast<std::uint8_t>(usage), static_cast<std::uint8_t>(usage >> 8)}, now);
  core_->Deliver(SimulatedInterface::kNotification, {kNotificationReportId, 0, 0}, now);
}

void SimulatedKeyboard::ChangeProfileOnKeyboard(int profile) {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kChangeProfile).U32(static_cast<std::uint32_t>(profile)).Data(), reply)) return;
  {
    std::lock_guard lock(core_->mutex);
    const std::uint8_t p = static_cast<std::uint8_t>(std::clamp(profile, 0, 3));
    core_->firmware.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, {&p, 1});
  }
  SendNotification(kProfileNotification);
}

std::vector<SimulatedExchange> SimulatedKeyboard::Exchanges() const {
  std::lock_guard lock(core_->mutex);
  return core_->exchanges;
}

void SimulatedKeyboard::ClearExchanges() {
  std::lock_guard lock(core_->mutex);
  core_->exchanges.clear();
  core_->exchange_count = 0;
}

std::unique_ptr<HidHandle> SimulatedKeyboard::OpenInterface(SimulatedInterface which) {
  HidInterfaceFacts facts;
  facts.vendor_id = Variant().vendor_id;
  facts.product_id = Variant().product_id;
  facts.version = kSimulatedFirmwareVersion;
  const auto descriptor = ReportDescriptor(which);
  facts.report_descriptor.assign(descriptor.begin(), descriptor.end());
  {
    std::lock_guard lock(sharing_->mutex);
    if (!sharing_->serving) {
      // Not attached (the serving process ended and nobody took over yet):
      // gone, as at an unplug; the next presence probe attaches again.
      if (sharing_->control_fd < 0) return nullptr;
      return OpenRemoteInterface(sharing_->socket_name, which, std::move(facts));
    }
  }
  std::lock_guard lock(core_->mutex);
  if (!core_->plugged) return nullptr;
  auto queue = std::make_shared<HandleQueue>(which);
  core_->queues.push_back(queue);
  return std::make_unique<SimulatedHandle>(core_, std::move(queue), std::move(facts));
}

std::size_t SimulatedKeyboard::ExchangeCount() const {
  std::vector<std::uint8_t> reply;
  if (Forward(Packet(ShareOp::kExchangeCount).Data(), reply)) {
    Unpacker in(reply, 1);
    return static_cast<std::size_t>(in.I64());
  }
  std::lock_guard lock(core_->mutex);
  return core_->exchange_count;
}

void SimulatedKeyboard::SetRecordingExchanges(bool on) {
  std::lock_guard lock(core_->mutex);
  core_->recording = on;
}

}  // namespace zarvel
