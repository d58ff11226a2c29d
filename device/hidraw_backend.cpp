#include "device/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "device/report_descriptor.h"
#include "model/atomic_file.h"

namespace zarvel {
namespace {

using Clock = std::chrono::steady_clock;

// hidraw never hands out more than this in one report.
constexpr std::size_t kMaxReportBytes = 16384;

std::string NodeOf(const std::string& path) { return path.substr(0, path.find('#')); }

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int MillisLeft(Clock::time_point deadline, int timeout_ms) {
  if (timeout_ms < 0) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool ParseHex(const std::string& text, std::size_t& pos, std::uint32_t& value) {
  const std::size_t start = pos;
  value = 0;
  while (pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos])) && pos - start < 8) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
    value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    ++pos;
  }
  return pos > start;
}

class HidrawHandle : public HidHandle {
 public:
  HidrawHandle(int fd, HidInterfaceFacts facts, bool numbered)
      : fd_(fd), done_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), facts_(std::move(facts)), numbered_(numbered) {}

  ~HidrawHandle() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    // The kernel bounds a stuck write at 5 s; the node is closed only after the
    // helper has left write(), so the descriptor cannot be reused under it.
    if (writer_.joinable()) writer_.join();
    if (done_fd_ >= 0) ::close(done_fd_);
    ::close(fd_);
  }

  const HidInterfaceFacts& Facts() const override { return facts_; }

  HidTransfer Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms,
                   int cancel_fd) override {
    bytes_read = 0;
    const std::size_t skip = numbered_ ? 0 : 1;
    if (buffer.size() <= skip) return HidTransfer::kFailed;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
      switch (WaitReadable(fd_, cancel_fd, MillisLeft(deadline, timeout_ms))) {
        case WaitResult::kCancelled: return HidTransfer::kCancelled;
        case WaitResult::kTimeout: return HidTransfer::kTimeout;
        case WaitResult::kHangup: return HidTransfer::kFailed;
        case WaitResult::kReady: break;
      }
      const ssize_t n = ::read(fd_, buffer.data() + skip, buffer.size() - skip);
      if (n > 0) {
        if (skip) buffer[0] = 0;
        bytes_read = static_cast<std::size_t>(n) + skip;
        return HidTransfer::kDone;
      }
      if (n == 0) return HidTransfer::kFailed;
      if (errno == EAGAIN || errno == EINTR) continue;  // another reader took it
      return HidTransfer::kFailed;
    }
  }

  HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int timeout_ms,
                    int cancel_fd) override {
    bytes_written = 0;
    if (report.empty() || done_fd_ < 0) return HidTransfer::kFailed;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    StartWriter();
    std::unique_lock lock(mutex_);
    if (busy_) {
      // A write abandoned earlier is still inside the kernel; ours goes after it.
      lock.unlock();
      const WaitResult w = WaitReadable(done_fd_, cancel_fd, MillisLeft(deadline, timeout_ms));
      if (w == WaitResult::kCancelled) return HidTransfer::kCancelled;
      if (w != WaitResult::kReady) return HidTransfer::kTimeout;
      lock.lock();
    }
    ResetDone();
    job_.assign(report.begin(), report.end());
    busy_ = true;
    has_job_ = true;
    lock.unlock();
    wake_.notify_all();

    const WaitResult w = WaitReadable(done_fd_, cancel_fd, MillisLeft(deadline, timeout_ms));
    if (w == WaitResult::kCancelled) return HidTransfer::kCancelled;
    if (w != WaitResult::kReady) return HidTransfer::kTimeout;
    lock.lock();
    ResetDone();
    if (result_ != static_cast<ssize_t>(report.size())) return HidTransfer::kFailed;
    bytes_written = report.size();
    return HidTransfer::kDone;
  }

  std::size_t DiscardQueuedInput() override {
    std::vector<std::uint8_t> scratch(kMaxReportBytes);
    std::size_t dropped = 0;
    // Look before each read, so an empty queue never blocks whatever the
    // descriptor's flags.
    for (;;) {
      pollfd fd{fd_, POLLIN, 0};
      if (dropped >= 1024 || ::poll(&fd, 1, 0) <= 0 || !(fd.revents & POLLIN)) break;
      if (::read(fd_, scratch.data(), scratch.size()) <= 0) break;
      ++dropped;
    }
    return dropped;
  }

 private:
  void StartWriter() {
    std::lock_guard lock(mutex_);
    if (!writer_.joinable()) writer_ = std::thread([this] { WriterLoop(); });
  }

  void ResetDone() {
    std::uint64_t v = 0;
    [[maybe_unused]] const ssize_t n = ::read(done_fd_, &v, sizeof v);
  }

  void WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || has_job_; });
      if (!has_job_) return;
      std::vector<std::uint8_t> job = std::move(job_);
      has_job_ = false;
      lock.unlock();
      ssize_t n;
      do {
        n = ::write(fd_, job.data(), job.size());
      } while (n < 0 && errno == EINTR);
      lock.lock();
      result_ = n;
      busy_ = false;
      const std::uint64_t one = 1;
      [[maybe_unused]] const ssize_t w = ::write(done_fd_, &one, sizeof one);
    }
  }

  int fd_;
  int done_fd_;
  HidInterfaceFacts facts_;
  bool numbered_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread writer_;
  std::vector<std::uint8_t> job_;
  bool has_job_ = false;
  bool busy_ = false;
  bool stop_ = false;
  ssize_t result_ = 0;
};

}  // namespace

bool ParseHidUevent(const std::string& text, std::uint16_t& vendor_id, std::uint16_t& product_id) {
  const std::string key = "HID_ID=";
  std::size_t pos = text.find(key);
  if (pos == std::string::npos) return false;
  pos += key.size();
  std::uint32_t bus = 0, vendor = 0, product = 0;
  if (!ParseHex(text, pos, bus) || pos >= text.size() || text[pos++] != ':') return false;
  if (!ParseHex(text, pos, vendor) || pos >= text.size() || text[pos++] != ':') return false;
  if (!ParseHex(text, pos, product)) return false;
  vendor_id = static_cast<std::uint16_t>(vendor);
  product_id = static_cast<std::uint16_t>(product);
  return true;
}

HidrawBackend::HidrawBackend(std::string sysfs_root, std::string dev_root)
    : sysfs_root_(std::move(sysfs_root)), dev_root_(std::move(dev_root)) {}

bool HidrawBackend::ListNodes(std::vector<HidrawNodeInfo>& nodes) {
  nodes.clear();
  DIR* dir = ::opendir(sysfs_root_.c_str());
  if (!dir) return errno == ENOENT;  // no hidraw class at all: simply no devices
  std::vector<std::pair<unsigned long, std::string>> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind("hidraw", 0) != 0 || name.size() == 6) continue;
    if (!std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    names.emplace_back(std::stoul(name.substr(6, 9)), name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const auto& [number, name] : names) {
    HidrawNodeInfo node;
    const std::string device_dir = sysfs_root_ + "/" + name + "/device/";
    std::vector<std::uint8_t> uevent;
    if (ReadWholeFile(device_dir + "uevent", uevent))
      node.has_ids = ParseHidUevent(std::string(uevent.begin(), uevent.end()), node.vendor_id, node.product_id);
    if (!ReadWholeFile(device_dir + "report_descriptor", node.report_descriptor)) node.report_descriptor.clear();
    node.path = dev_root_ + "/" + name;
    if (node.has_ids) {
      char ids[32];
      std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x", node.vendor_id, node.product_id);
      node.path += ids;
    }
    nodes.push_back(std::move(node));
  }
  return true;
}

bool HidrawBackend::ListPaths(std::vector<std::string>& paths) {
  std::vector<HidrawNodeInfo> nodes;
  if (!ListNodes(nodes)) return false;
  paths.clear();
  for (HidrawNodeInfo& node : nodes) paths.push_back(std::move(node.path));
  return true;
}

std::unique_ptr<HidHandle> HidrawBackend::Open(const std::string& path, const HidOpenOptions& options) {
  // hidraw has no open without access; read access is the least it grants.
  // Reads are non-blocking so a drain stops at an empty queue; the kernel's
  // write() ignores the flag, which is why writes get their helper thread.
  int flags = O_CLOEXEC | O_NONBLOCK;
  flags |= options.want_write ? (options.want_read ? O_RDWR : O_WRONLY) : O_RDONLY;
  const int fd = ::open(NodeOf(path).c_str(), flags);
  if (fd < 0) return nullptr;

  HidInterfaceFacts facts;
  hidraw_devinfo info{};
  int size = 0;
  if (::ioctl(fd, HIDIOCGRAWINFO, &info) < 0 || ::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 ||
      size > HID_MAX_DESCRIPTOR_SIZE) {
    ::close(fd);
    return nullptr;
  }
  hidraw_report_descriptor desc{};
  desc.size = static_cast<std::uint32_t>(size);
  if (::ioctl(fd, HIDIOCGRDESC, &desc) < 0) {
    ::close(fd);
    return nullptr;
  }
  facts.vendor_id = static_cast<std::uint16_t>(info.vendor);
  facts.product_id = static_cast<std::uint16_t>(info.product);
  facts.report_descriptor.assign(desc.value, desc.value + desc.size);
  ReportDescriptorInfo parsed;
  if (!ParseReportDescriptor(facts.report_descriptor, parsed)) {
    ::close(fd);
    return nullptr;
  }
  return MakeHidrawHandle(fd, std::move(facts), parsed.numbered_reports);
}

std::unique_ptr<HidHandle> MakeHidrawHandle(int fd, HidInterfaceFacts facts, bool numbered_reports) {
  return std::make_unique<HidrawHandle>(fd, std::move(facts), numbered_reports);
}

bool HidrawBackend::IsPresent(const std::string& path) {
  // The class entry disappears the moment the kernel lets go of the device,
  // before udev gets round to removing the /dev node.
  const std::string node = NodeOf(path);
  struct stat st {};
  return ::stat((sysfs_root_ + "/" + BaseName(node)).c_str(), &st) == 0 && ::stat(node.c_str(), &st) == 0;
}

}  // namespace zarvel
