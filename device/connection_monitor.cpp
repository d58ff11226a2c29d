#include "device/connection_monitor.h"

#include <pthread.h>

#include "device/device_discovery.h"
#include "device/device_info_record.h"

namespace zarvel {

const DeviceVariant* OpenCommandInterface(DeviceLink& link, ConnectionContext& context, StopSignal* stop) {
  HidDevice& device = link.CommandInterface();
  const DeviceVariant* variant = OpenFirstInterface(device, KeyboardInterface::kCommand, stop);
  if (variant == nullptr) return nullptr;
  // Geometry before the flag: a command of the window's thread that slips in
  // as soon as the flag is up must already address the right matrix slots.
  link.SetKeyMatrixGeometry(variant->key_matrix_size, variant->key_matrix_stride);
  context.SetLastOpenedIds(variant->vendor_id, variant->product_id);
  link.SetDeviceOpen(true);
  return variant;
}

ConnectionReads ReadConnectionData(DeviceLink& link, ConnectionContext& context) {
  ConnectionReads reads;
  // Bytes past the keyboard's matrix size are not sent by the keyboard; they
  // read as zero rather than as whatever the slot held before.
  KeyMatrixSlot matrix{};
  reads.default_matrix_result = link.ReadDefaultKeyMatrix(matrix);
  if (reads.default_matrix_result == kResultDone) context.SetDefaultMatrix(matrix);

  DeviceInfoRecord record{};
  reads.device_info_result = link.ReadDeviceInfo(record);
  if (reads.device_info_result == kResultDone)
    context.SetMacroCapacity(std::size_t{record[device_info_offset::kMacroCapacity]} * kMacroCapacityUnit);
  return reads;
}

ConnectionMonitor::ConnectionMonitor(DeviceLink& link, ConnectionContext& context, MainWindowLink& window,
                                     MonitorTiming timing)
    : link_(link), context_(context), window_(window), timing_(timing) {}

ConnectionMonitor::~ConnectionMonitor() { Stop(); }

void ConnectionMonitor::Start() {
  if (thread_.joinable()) return;
  stop_.Reset();
  {
    std::lock_guard lock(first_scan_lock_);
    first_scan_done_ = false;
  }
  thread_ = std::thread([this] { Run(); });
}

void ConnectionMonitor::Stop() {
  if (!thread_.joinable()) return;
  stop_.Request([this] {
    link_.SetDeviceOpen(false);
    link_.CommandInterface().Close();
  });
  first_scan_cv_.notify_all();
  thread_.join();
}

bool ConnectionMonitor::IsRunning() const { return thread_.joinable(); }

bool ConnectionMonitor::WaitForFirstScan(std::chrono::milliseconds timeout) {
  std::unique_lock lock(first_scan_lock_);
  first_scan_cv_.wait_for(lock, timeout, [this] { return first_scan_done_ || stop_.Requested(); });
  return first_scan_done_;
}

void ConnectionMonitor::MarkFirstScanDone() {
  {
    std::lock_guard lock(first_scan_lock_);
    first_scan_done_ = true;
  }
  first_scan_cv_.notify_all();
}

void ConnectionMonitor::Run() {
  pthread_setname_np(pthread_self(), "zarvel-monitor");
  if (context_.StartHidden() && stop_.WaitFor(timing_.start_hidden_delay)) return;
  FirstProbe();
  bool first_pass = true;
  while (!stop_.Requested()) {
    if (!link_.IsDeviceOpen()) {
      // A failed enumeration is tried again at the next scan; giving up would
      // leave the program blind to the keyboard for the rest of the run.
      if (Scan(first_pass)) {
        if (first_pass) MarkFirstScanDone();
        first_pass = false;
      }
    } else {
      ProbePresence();
    }
    const auto wait = link_.IsDeviceOpen() ? timing_.probe_interval : timing_.scan_interval;
    if (stop_.WaitFor(wait)) break;
  }
}

void ConnectionMonitor::FirstProbe() {
  HidDevice& device = link_.CommandInterface();
  if (!device.BuildPathList()) return;
  if (OpenFirstInterface(device, KeyboardInterface::kCommand, &stop_) != nullptr) {
    // Wakes a keyboard that came up with the machine; the answer is not used.
    link_.SetDeviceOpen(true);
    DeviceInfoRecord unused{};
    link_.ReadDeviceInfo(unused);
    device.Close();
  }
  device.FreePathList();
  link_.SetDeviceOpen(false);
}

bool ConnectionMonitor::Scan(bool first_pass) {
  HidDevice& device = link_.CommandInterface();
  if (!device.BuildPathList()) return false;
  if (OpenCommandInterface(link_, context_, &stop_) != nullptr && !stop_.Requested()) ReportState(1);
  if (first_pass && !stop_.Requested()) {
    ReportState(link_.IsDeviceOpen() ? 1 : 0);
    if (!link_.IsDeviceOpen()) context_.SetStartHidden(true);
  }
  device.FreePathList();
  return true;
}

void ConnectionMonitor::ProbePresence() {
  if (link_.CommandInterface().IsPresent()) return;
  // The interface's handle stays as it is; the next successful scan replaces it.
  link_.SetDeviceOpen(false);
  ReportState(0);
}

void ConnectionMonitor::ReportState(int state) {
  if (state == context_.State()) return;
  if (state == 1) {
    const ConnectionReads reads = ReadConnectionData(link_, context_);
    if (reads.default_matrix_result != kResultDone) window_.ShowMessageBox("MAIN_DEFAULT_MATRIX_PROMPT");
    window_.SendProfileMessage();
    window_.ShowTrayIcon(kConnectedTrayIcon);
    context_.SetConnectionIcon(kConnectedTrayIcon);
  } else {
    context_.SetActiveProfileCache(-1);
    window_.SendCloseDialogsMessage();
    window_.HideWindow();
    window_.ShowTrayIcon(kNotConnectedTrayIcon);
    context_.SetConnectionIcon(kNotConnectedTrayIcon);
  }
  context_.SetState(state);
  if (!context_.StartHidden()) {
    if (state == 1) window_.PostOpenMessage();
    context_.SetStartHidden(true);
  }
}

}  // namespace zarvel
