// Replies come from the keyboard: whatever bytes it sends, the command layer
// must copy only what the request asked for into the caller's buffer, and the
// device information record must parse without reading past it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "device/device_link.h"
#include "device/simulated_firmware.h"
#include "seed_writer.h"

namespace {

using namespace zarvel;

// Hands out the fuzz input as consecutive 64-byte replies; silent once used up.
class ScriptedHandle : public HidHandle {
 public:
  ScriptedHandle(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
    facts_.report_descriptor.assign(kDescriptor, kDescriptor + sizeof kDescriptor);
  }
  const HidInterfaceFacts& Facts() const override { return facts_; }
  HidTransfer Read(std::span<std::uint8_t> buffer, std::size_t& n, int, int) override {
    n = 0;
    if (pos_ >= size_) return HidTransfer::kTimeout;
    // A short last reply stands for a device that sent less than a report.
    n = std::min({buffer.size(), std::size_t{64}, size_ - pos_});
    std::copy_n(data_ + pos_, n, buffer.begin());
    pos_ += n;
    return HidTransfer::kDone;
  }
  HidTransfer Write(std::span<const std::uint8_t> report, std::size_t& n, int, int) override {
    n = report.size();
    return HidTransfer::kDone;
  }
  std::size_t DiscardQueuedInput() override { return 0; }

 private:
  static constexpr std::uint8_t kDescriptor[] = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x75,
                                                 0x08, 0x95, 0x3F, 0x81, 0x02, 0x91, 0x02, 0xC0};
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  HidInterfaceFacts facts_;
};

class ScriptedBackend : public HidBackend {
 public:
  ScriptedBackend(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ListPaths(std::vector<std::string>& paths) override {
    paths = {"/fuzz/hidraw0"};
    return true;
  }
  std::unique_ptr<HidHandle> Open(const std::string&, const HidOpenOptions&) override {
    return std::make_unique<ScriptedHandle>(data_, size_);
  }
  bool IsPresent(const std::string&) override { return true; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace

std::vector<std::vector<std::uint8_t>> ZarvelFuzzSeeds() {
  // Real replies of the simulated keyboard to the requests the fuzzer replays.
  SimulatedFirmware firmware(kDeviceVariants[0]);
  std::vector<std::uint8_t> seed = {0};
  for (const Report& r : {BuildRequest(Command::kReadDeviceInfo, 44, 0), BuildRequest(Command::kReadKeyMatrix, 56, 0)}) {
    const Report reply = firmware.Answer(r);
    seed.insert(seed.end(), reply.begin(), reply.end());
  }
  std::vector<std::uint8_t> refused = {3};
  const Report no = SimulatedFirmware::StatusReply(BuildRequest(Command::kReadMacroArea, 56, 0), kStatusRefused);
  refused.insert(refused.end(), no.begin(), no.end());
  return {seed, refused};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ScriptedBackend backend(data + 1, size - 1);
  HidDevice device(backend);
  if (!device.Open("/fuzz/hidraw0", true, true, true, false)) std::abort();
  DeviceLink link(device);
  link.SetDeviceOpen(true);
  const bool wide = data[0] & 0x80;
  link.SetKeyMatrixGeometry(wide ? 384 : 378, wide ? 512 : 378);

  // A guard byte after each buffer shows any write beyond what was asked for.
  constexpr std::uint8_t kGuard = 0xA5;
  switch (data[0] & 3) {
    case 0: {
      DeviceInfoRecord record{};
      if (link.ReadDeviceInfo(record) == 1) {
        DeviceInfo info;
        if (!ParseDeviceInfo(record, info)) std::abort();
        if (info.MacroCapacityBytes() > 255 * 128) std::abort();
      }
      break;
    }
    case 1: {
      std::vector<std::uint8_t> matrix(513, kGuard);
      link.ReadKeyMatrix(std::span(matrix).first(512), (data[0] >> 2) & 3);
      if (matrix[512] != kGuard) std::abort();
      break;
    }
    case 2: {
      std::uint8_t lighting[57];
      std::fill(std::begin(lighting), std::end(lighting), kGuard);
      link.ReadLighting(std::span(lighting).first(56), 0);
      if (lighting[56] != kGuard) std::abort();
      break;
    }
    default: {
      const std::size_t count = (data[0] >> 2) * 7u;
      std::vector<std::uint8_t> macros(count + 1, kGuard);
      link.ReadMacroArea(std::span(macros).first(count));
      if (macros[count] != kGuard) std::abort();
      break;
    }
  }
  return 0;
}
