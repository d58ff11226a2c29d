#include "device/hid_device.h"

#include <algorithm>

namespace zarvel {
namespace {

// Most usages one page can report at once; a descriptor claiming more is not a
// keyboard's and must not make us allocate without bound.
constexpr std::uint32_t kMaxUsageListCapacity = 4096;

}  // namespace

HidDevice::HidDevice(HidBackend& backend) : backend_(backend) {}

HidDevice::~HidDevice() {
  std::unique_lock lock(mutex_);
  CloseLocked(lock);
}

bool HidDevice::BuildPathList() {
  std::vector<std::string> found;
  if (!backend_.ListPaths(found)) {
    FreePathList();
    return false;
  }
  paths_ = std::move(found);
  cursor_ = 0;
  return true;
}

std::optional<std::string> HidDevice::NextPath() {
  if (cursor_ >= paths_.size()) return std::nullopt;
  return paths_[cursor_++];
}

void HidDevice::FreePathList() {
  paths_.clear();
  paths_.shrink_to_fit();
  cursor_ = 0;
}

std::size_t HidDevice::PathCount() const { return paths_.size(); }

void HidDevice::CloseLocked(std::unique_lock<std::mutex>& lock) {
  if (pending_ > 0) {
    // Wake every waiting transfer, then wait until they have all let go of the
    // handle, so none of them can take the cancel meant for this close into a
    // later transfer.
    cancel_.Signal();
    idle_.wait(lock, [this] { return pending_ == 0; });
    cancel_.Reset();
  }
  handle_.reset();
  descriptor_ = ReportDescriptorInfo{};
  collection_ = 0;
  caps_ = HidCapabilities{};
  attributes_ = HidAttributes{};
  input_report_.clear();
  fields_.clear();
}

bool HidDevice::Open(const std::string& path, bool want_read, bool want_write, bool overlapped, bool exclusive) {
  std::unique_lock lock(mutex_);
  CloseLocked(lock);
  options_ = HidOpenOptions{want_read, want_write, overlapped, exclusive};
  // A path the record cannot hold is refused rather than cut, so a truncated
  // path can never name another node.
  if (path.size() > kMaxDevicePathLength) {
    path_.clear();
    return false;
  }
  path_ = path;
  std::unique_ptr<HidHandle> handle = backend_.Open(path, options_);
  if (!handle) return false;
  ReportDescriptorInfo info;
  if (!ParseReportDescriptor(handle->Facts().report_descriptor, info)) return false;
  attributes_ = HidAttributes{handle->Facts().vendor_id, handle->Facts().product_id, handle->Facts().version};
  descriptor_ = std::move(info);
  handle_ = std::move(handle);
  BuildTables(0);
  return true;
}

bool HidDevice::Close() {
  std::unique_lock lock(mutex_);
  if (!handle_) return false;
  CloseLocked(lock);
  return true;
}

bool HidDevice::IsOpen() const {
  std::lock_guard lock(mutex_);
  return handle_ != nullptr;
}

bool HidDevice::SelectCollection(std::uint16_t usage_page, std::uint16_t usage) {
  std::lock_guard lock(mutex_);
  if (!handle_) return false;
  for (std::size_t i = 0; i < descriptor_.collections.size(); ++i) {
    if (descriptor_.collections[i].usage_page == usage_page && descriptor_.collections[i].usage == usage) {
      BuildTables(i);
      return true;
    }
  }
  return false;
}

void HidDevice::BuildTables(std::size_t collection) {
  collection_ = collection;
  const HidCollectionInfo& c = descriptor_.collections[collection];
  caps_ = HidCapabilities{c.usage_page,
                          c.usage,
                          c.input_report_length,
                          c.output_report_length,
                          c.feature_report_length,
                          static_cast<std::uint16_t>(std::min<std::size_t>(c.input_buttons.size(), 0xFFFF)),
                          static_cast<std::uint16_t>(std::min<std::size_t>(c.input_values.size(), 0xFFFF))};
  input_report_.assign(c.input_report_length, 0);
  fields_.clear();
  for (const HidButtonField& b : c.input_buttons) {
    HidData d;
    d.is_button = true;
    d.usage_page = b.usage_page;
    d.report_id = b.report_id;
    d.usage_min = b.usage_min;
    d.usage_max = b.usage_max;
    std::uint64_t capacity = 0;
    for (const HidButtonField& other : c.input_buttons)
      if (other.usage_page == b.usage_page) capacity += other.count;
    d.usage_list_capacity = static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, kMaxUsageListCapacity));
    d.usage_list.assign(d.usage_list_capacity, 0);
    fields_.push_back(std::move(d));
  }
  for (const HidValueField& v : c.input_values) {
    HidData d;
    d.usage_page = v.usage_page;
    d.report_id = v.report_id;
    d.usage = v.usage;
    fields_.push_back(std::move(d));
  }
}

std::shared_ptr<HidHandle> HidDevice::BeginTransfer() {
  std::lock_guard lock(mutex_);
  if (!handle_) return nullptr;
  ++pending_;
  return handle_;
}

void HidDevice::EndTransfer() {
  std::lock_guard lock(mutex_);
  --pending_;
  if (pending_ == 0) idle_.notify_all();
}

bool HidDevice::Read(std::span<std::uint8_t> buffer, std::size_t& bytes_read, int timeout_ms) {
  bytes_read = 0;
  std::shared_ptr<HidHandle> handle = BeginTransfer();
  if (!handle) return false;
  std::size_t n = 0;
  const HidTransfer result = handle->Read(buffer, n, timeout_ms, cancel_.fd());
  EndTransfer();
  if (result != HidTransfer::kDone) return false;
  bytes_read = n;
  return true;
}

bool HidDevice::Write(std::span<const std::uint8_t> report, std::size_t& bytes_written, int timeout_ms) {
  bytes_written = 0;
  std::shared_ptr<HidHandle> handle = BeginTransfer();
  if (!handle) return false;
  std::size_t n = 0;
  const HidTransfer result = handle->Write(report, n, timeout_ms, cancel_.fd());
  EndTransfer();
  if (result != HidTransfer::kDone) return false;
  bytes_written = n;
  return true;
}

std::size_t HidDevice::DiscardQueuedInput() {
  std::shared_ptr<HidHandle> handle = BeginTransfer();
  if (!handle) return 0;
  const std::size_t n = handle->DiscardQueuedInput();
  EndTransfer();
  return n;
}

bool HidDevice::IsPresent() {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    path = path_;
  }
  return !path.empty() && backend_.IsPresent(path);
}

bool HidDevice::ParseInputReport(std::span<const std::uint8_t> report) {
  if (report.empty()) return false;
  std::lock_guard lock(mutex_);
  if (descriptor_.collections.empty()) return false;
  const HidCollectionInfo& c = descriptor_.collections[collection_];
  std::size_t value_index = 0;
  for (HidData& field : fields_) {
    if (!field.is_button) {
      const HidValueField& v = c.input_values[value_index++];
      if (field.report_id != report[0]) continue;
      if (!ReadFieldValue(v, report, field.raw_value, field.scaled_value)) {
        field.status = kHidStatusUsageNotFound;
        return false;
      }
    } else {
      if (field.report_id != report[0]) continue;
      std::size_t n = 0;
      for (std::uint16_t usage : PressedUsages(c, report, field.usage_page)) {
        if (usage < field.usage_min || usage > field.usage_max) continue;
        if (n >= field.usage_list.size()) break;
        field.usage_list[n++] = usage;
      }
      if (n < field.usage_list.size()) field.usage_list[n] = 0;
    }
    field.status = kHidStatusSuccess;
    field.is_set = true;
  }
  return true;
}

std::string HidDevice::DevicePath() const {
  std::lock_guard lock(mutex_);
  return path_;
}

HidCapabilities HidDevice::Capabilities() const {
  std::lock_guard lock(mutex_);
  return caps_;
}

HidAttributes HidDevice::Attributes() const {
  std::lock_guard lock(mutex_);
  return attributes_;
}

}  // namespace zarvel
