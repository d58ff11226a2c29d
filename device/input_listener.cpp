#include "device/input_listener.h"

#include <pthread.h>

#include "device/device_discovery.h"
#include "device/device_variant.h"

namespace zarvel {

std::uint16_t FirstNotificationUsage(const HidDevice& notification_interface, std::uint8_t report_id) {
  const std::vector<HidData>& fields = notification_interface.InputFields();
  if (fields.empty()) return 0;
  const HidData& first = fields.front();
  // A report of another collection on the same node leaves the field as the
  // previous report set it; acting on it again would repeat that announcement.
  if (!first.is_button || first.report_id != report_id || first.usage_list.empty()) return 0;
  return first.usage_list.front();
}

InputListener::InputListener(HidDevice& notification_interface, ConnectionContext& context, MainWindowLink& window,
                             ListenerTiming timing)
    : device_(notification_interface), context_(context), window_(window), timing_(timing) {}

InputListener::~InputListener() { Stop(); }

void InputListener::Start() {
  if (thread_.joinable()) return;
  stop_.Reset();
  thread_ = std::thread([this] { Run(); });
}

void InputListener::Stop() {
  if (thread_.joinable()) {
    stop_.Request([this] { device_.Close(); });
    thread_.join();
  }
  ReapIndicatorThreads(/*all=*/true);
}

bool InputListener::IsRunning() const { return thread_.joinable(); }

void InputListener::Run() {
  pthread_setname_np(pthread_self(), "zarvel-listener");
  while (!stop_.Requested()) {
    // A failed enumeration is simply tried again after the pause.
    if (device_.BuildPathList()) {
      if (OpenFirstInterface(device_, KeyboardInterface::kNotification, &stop_) != nullptr) ReadReports();
      device_.FreePathList();
    }
    if (stop_.WaitFor(timing_.rescan_interval)) break;
  }
}

void InputListener::ReadReports() {
  listening_ = true;
  std::span<std::uint8_t> report = device_.InputReportBuffer();
  std::vector<std::uint8_t> buffer(report.begin(), report.end());
  if (buffer.empty()) buffer.resize(1);
  for (;;) {
    std::size_t n = 0;
    if (!device_.Read(buffer, n, -1)) break;
    if (n == 0) continue;
    // Parsed under the stop lock: a stop closes the interface, which clears
    // the decoded fields this thread is about to look at.
    std::uint16_t usage = 0;
    if (!stop_.RunUnlessStopped([&] {
          if (device_.ParseInputReport(std::span<const std::uint8_t>(buffer.data(), n)))
            usage = FirstNotificationUsage(device_, buffer[0]);
        }))
      break;
    HandleUsage(usage);
  }
  listening_ = false;
  // The keyboard went away (or the listener is stopping): let go of the node.
  device_.Close();
}

void InputListener::HandleUsage(std::uint16_t usage) {
  switch (usage) {
    case kProfileNotification:
      window_.StartTimer(kProfileNotificationTimer, 0);
      break;
    case kReloadNotification:
      window_.StartTimer(kReloadNotificationTimer, 0);
      break;
    case kIndicatorOffNotification:
      ChangeIndicator(-1);
      break;
    case kIndicatorOnNotification:
      ChangeIndicator(kIndicatorTrayIcon);
      break;
    default:
      break;
  }
}

void InputListener::ChangeIndicator(int icon_resource) {
  ReapIndicatorThreads(/*all=*/false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([this, icon_resource, done] {
    pthread_setname_np(pthread_self(), "zarvel-indicator");
    // Tray changes take turns: each waits until no other one is running.
    bool expected = false;
    while (!indicator_running_.compare_exchange_weak(expected, true)) {
      expected = false;
      std::this_thread::sleep_for(timing_.indicator_poll);
    }
    // The connection picture is looked up when the change runs, so an
    // indicator-off after an unplug shows the not-connected picture.
    window_.ShowTrayIcon(icon_resource < 0 ? context_.ConnectionIcon() : icon_resource);
    std::this_thread::sleep_for(timing_.indicator_hold);
    indicator_running_ = false;
    *done = true;
  });
  std::lock_guard lock(indicators_lock_);
  indicators_.push_back(IndicatorThread{std::move(thread), std::move(done)});
}

void InputListener::ReapIndicatorThreads(bool all) {
  std::vector<IndicatorThread> finished;
  {
    std::lock_guard lock(indicators_lock_);
    for (auto it = indicators_.begin(); it != indicators_.end();) {
      if (all || *it->done) {
        finished.push_back(std::move(*it));
        it = indicators_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (IndicatorThread& t : finished) t.thread.join();
}

}  // namespace zarvel
