#include "device/simulated_backend.h"

#include <cstdio>

namespace zarvel {
namespace {

constexpr SimulatedInterface kInterfaces[] = {SimulatedInterface::kBootKeyboard, SimulatedInterface::kCommand,
                                              SimulatedInterface::kNotification};

std::string SimPath(std::size_t node, std::uint16_t vendor_id, std::uint16_t product_id) {
  char path[64];
  std::snprintf(path, sizeof path, "/sim/hidraw%zu#vid_%04x&pid_%04x", node, vendor_id, product_id);
  return path;
}

std::string NodeOf(const std::string& path) { return path.substr(0, path.find('#')); }

// Takes writes and never answers.
class SilentHandle : public HidHandle {
 public:
  explicit SilentHandle(HidInterfaceFacts facts) : facts_(std::move(facts)) {}
  const HidInterfaceFacts& Facts() const override { return facts_; }
  HidTransfer Read(std::span<std::uint8_t>, std::size_t& bytes_read, int timeout_ms, int cancel_fd) override {
    bytes_read = 0;
    const int never = -1;
    const WaitResult w = WaitReadable(never, cancel_fd, timeout_ms);
    return w == WaitResult::kCancelled ? HidTransfer::kCancelled : HidTransfer::kTimeout;
  }
  HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int, int) override {
    bytes_written = report.size();
    return HidTransfer::kDone;
  }
  std::size_t DiscardQueuedInput() override { return 0; }

 private:
  HidInterfaceFacts facts_;
};

}  // namespace

SimulatedBackend::SimulatedBackend(SimulatedKeyboard& keyboard) : keyboard_(keyboard) {}

void SimulatedBackend::AddForeignDevice(std::uint16_t vendor_id, std::uint16_t product_id,
                                        std::span<const std::uint8_t> report_descriptor) {
  Foreign f;
  // Foreign nodes are numbered from 100 so the keyboard's stay put.
  f.path = SimPath(100 + foreign_.size(), vendor_id, product_id);
  f.facts.vendor_id = vendor_id;
  f.facts.product_id = product_id;
  f.facts.report_descriptor.assign(report_descriptor.begin(), report_descriptor.end());
  foreign_.push_back(std::move(f));
}

std::string SimulatedBackend::PathOf(SimulatedInterface which) const {
  const DeviceVariant& v = keyboard_.Variant();
  return SimPath(static_cast<std::size_t>(which), v.vendor_id, v.product_id);
}

bool SimulatedBackend::ListPaths(std::vector<std::string>& paths) {
  if (enumeration_fails_) return false;
  paths.clear();
  for (const Foreign& f : foreign_) paths.push_back(f.path);
  if (keyboard_.IsPluggedIn())
    for (SimulatedInterface which : kInterfaces) paths.push_back(PathOf(which));
  return true;
}

std::unique_ptr<HidHandle> SimulatedBackend::Open(const std::string& path, const HidOpenOptions&) {
  const std::string node = NodeOf(path);
  for (const Foreign& f : foreign_)
    if (NodeOf(f.path) == node) return std::make_unique<SilentHandle>(f.facts);
  for (SimulatedInterface which : kInterfaces)
    if (NodeOf(PathOf(which)) == node) return keyboard_.OpenInterface(which);
  return nullptr;
}

bool SimulatedBackend::IsPresent(const std::string& path) {
  const std::string node = NodeOf(path);
  for (const Foreign& f : foreign_)
    if (NodeOf(f.path) == node) return true;
  for (SimulatedInterface which : kInterfaces)
    if (NodeOf(PathOf(which)) == node) return keyboard_.IsPluggedIn();
  return false;
}

}  // namespace zarvel
