#include "device/connection_monitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/device_discovery.h"
#include "device/simulated_backend.h"
#include "support/recording_window.h"

namespace zarvel {
namespace {

using std::chrono::milliseconds;
using testing::RecordingWindow;

// The simulated backend with an enumeration that can be broken while the
// monitor runs.
class FlakyBackend : public HidBackend {
 public:
  explicit FlakyBackend(HidBackend& inner) : inner_(inner) {}
  std::atomic<bool> fail_listing{false};
  std::atomic<int> listings{0};
  bool ListPaths(std::vector<std::string>& paths) override {
    ++listings;
    return !fail_listing && inner_.ListPaths(paths);
  }
  std::unique_ptr<HidHandle> Open(const std::string& path, const HidOpenOptions& options) override {
    return inner_.Open(path, options);
  }
  bool IsPresent(const std::string& path) override { return inner_.IsPresent(path); }

 private:
  HidBackend& inner_;
};

// The state is recorded after the window has been told, so tests wait for it.
bool WaitForState(const ConnectionContext& context, int state) {
  for (int i = 0; i < 5000; ++i) {
    if (context.State() == state) return true;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return false;
}

constexpr MonitorTiming kFast{milliseconds(20), milliseconds(5), milliseconds(1)};

struct MonitorRig {
  explicit MonitorRig(const DeviceVariant& variant = kDeviceVariants[0]) : keyboard(variant) {}
  SimulatedKeyboard keyboard;
  SimulatedBackend simulated{keyboard};
  FlakyBackend backend{simulated};
  HidDevice command{backend};
  DeviceLink link{command};
  ConnectionContext context;
  RecordingWindow window;
  ConnectionMonitor monitor{link, context, window, kFast};
};

TEST(ConnectionMonitorTest, MonitorReportsConnectionOnceWithDefaultMatrixAndCapacity) {
  MonitorRig rig(kDeviceVariants[1]);
  rig.context.SetStartHidden(true);
  rig.monitor.Start();
  ASSERT_TRUE(rig.monitor.WaitForFirstScan(milliseconds(5000)));
  ASSERT_TRUE(rig.window.WaitFor("prof"));
  // Let several presence probes pass: none may report the state again.
  std::this_thread::sleep_for(milliseconds(50));

  EXPECT_TRUE(WaitForState(rig.context, 1));
  EXPECT_EQ(rig.window.Count("prof"), 1);
  EXPECT_EQ(rig.window.Count("open"), 0);  // started hidden
  EXPECT_EQ(rig.window.Count("tray 141"), 1);
  EXPECT_EQ(rig.context.ConnectionIcon(), kConnectedTrayIcon);
  EXPECT_EQ(rig.context.MacroCapacity(), std::size_t{kSimulatedMacroCapacityUnits} * 128);
  EXPECT_EQ(rig.link.KeyMatrixSize(), 384);
  EXPECT_EQ(rig.link.KeyMatrixStride(), 512);

  const std::vector<std::uint8_t> factory = rig.keyboard.Area(KeyboardArea::kDefaultMatrix);
  const KeyMatrixSlot matrix = rig.context.DefaultMatrix();
  ASSERT_EQ(factory.size(), 384u);
  EXPECT_TRUE(std::equal(factory.begin(), factory.end(), matrix.begin()));
  EXPECT_TRUE(std::all_of(matrix.begin() + 384, matrix.end(), [](std::uint8_t b) { return b == 0; }));
  rig.monitor.Stop();
}

TEST(ConnectionMonitorTest, MonitorFollowsUnplugAndReplug) {
  MonitorRig rig;
  rig.context.SetStartHidden(true);
  rig.monitor.Start();
  ASSERT_TRUE(rig.window.WaitFor("tray 141"));
  rig.context.SetActiveProfileCache(2);

  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.window.WaitFor("tray 128"));
  EXPECT_TRUE(WaitForState(rig.context, 0));
  EXPECT_EQ(rig.context.ActiveProfileCache(), -1);
  EXPECT_FALSE(rig.link.IsDeviceOpen());
  EXPECT_EQ(rig.window.Events(), (std::vector<std::string>{"prof", "tray 141", "close", "hide", "tray 128"}));

  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.window.WaitFor("prof", 2));
  ASSERT_TRUE(rig.window.WaitFor("tray 141", 2));
  EXPECT_TRUE(WaitForState(rig.context, 1));
  EXPECT_EQ(rig.window.Count("open"), 0);
  EXPECT_EQ(rig.window.Count("close"), 1);
  rig.monitor.Stop();
}

TEST(ConnectionMonitorTest, MonitorShowsWindowOnlyOnFirstConnectionWhenNotStartedHidden) {
  MonitorRig rig;
  rig.monitor.Start();
  ASSERT_TRUE(rig.window.WaitFor("open"));
  // OPEN comes after the profiles were read and the tray shows the keyboard.
  EXPECT_EQ(rig.window.Events(), (std::vector<std::string>{"prof", "tray 141", "open"}));

  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.window.WaitFor("tray 128"));
  EXPECT_TRUE(WaitForState(rig.context, 0));
  EXPECT_TRUE(rig.context.StartHidden());
  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.window.WaitFor("prof", 2));
  rig.monitor.Stop();
  EXPECT_EQ(rig.window.Count("open"), 1);
}

TEST(ConnectionMonitorTest, MonitorWithoutKeyboardAtFirstScanStaysHiddenWhenPluggedLater) {
  MonitorRig rig;
  rig.keyboard.Unplug();
  rig.monitor.Start();
  ASSERT_TRUE(rig.monitor.WaitForFirstScan(milliseconds(5000)));
  EXPECT_TRUE(rig.context.StartHidden());
  EXPECT_EQ(rig.context.State(), 0);
  EXPECT_TRUE(rig.window.Events().empty());  // state 0 was already the state: nothing reported

  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.window.WaitFor("tray 141"));
  rig.monitor.Stop();
  EXPECT_EQ(rig.window.Count("open"), 0);
}

TEST(ConnectionMonitorTest, MonitorReportsUnreadableDefaultMatrixAndKeepsThePreviousOne) {
  MonitorRig rig;
  KeyMatrixSlot previous{};
  previous.fill(0x5A);
  rig.context.SetDefaultMatrix(previous);
  rig.context.SetStartHidden(true);
  rig.keyboard.Unplug();
  rig.monitor.Start();
  ASSERT_TRUE(rig.monitor.WaitForFirstScan(milliseconds(5000)));
  // The first request after the plug-in is the factory matrix read.
  rig.keyboard.RefuseNextCommands(1);
  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.window.WaitFor("tray 141"));
  rig.monitor.Stop();

  EXPECT_EQ(rig.window.Events(),
            (std::vector<std::string>{"box MAIN_DEFAULT_MATRIX_PROMPT", "prof", "tray 141"}));
  EXPECT_EQ(rig.context.DefaultMatrix(), previous);
  EXPECT_EQ(rig.context.MacroCapacity(), std::size_t{kSimulatedMacroCapacityUnits} * 128);
}

TEST(ConnectionMonitorTest, MonitorRetriesAFailedEnumeration) {
  MonitorRig rig;
  rig.context.SetStartHidden(true);
  rig.backend.fail_listing = true;
  rig.monitor.Start();
  // Wait until the monitor has been refused a few times, then heal the system.
  for (int i = 0; i < 500 && rig.backend.listings < 3; ++i) std::this_thread::sleep_for(milliseconds(5));
  ASSERT_GE(rig.backend.listings, 3);
  EXPECT_TRUE(rig.monitor.IsRunning());
  rig.backend.fail_listing = false;
  EXPECT_TRUE(rig.window.WaitFor("prof"));
  rig.monitor.Stop();
}

TEST(ConnectionMonitorTest, MonitorStopEndsTheThreadAndClosesTheInterface) {
  MonitorRig rig;
  rig.context.SetStartHidden(true);
  rig.monitor.Start();
  ASSERT_TRUE(rig.window.WaitFor("prof"));
  rig.monitor.Stop();
  EXPECT_FALSE(rig.monitor.IsRunning());
  EXPECT_FALSE(rig.command.IsOpen());
  EXPECT_FALSE(rig.link.IsDeviceOpen());
  // A second start after a stop works as the first did.
  rig.context.SetState(0);
  rig.monitor.Start();
  EXPECT_TRUE(rig.window.WaitFor("prof", 2));
  rig.monitor.Stop();
}

TEST(ConnectionMonitorTest, MonitorStopsWhileAKeyboardStopsAnswering) {
  MonitorRig rig;
  rig.context.SetStartHidden(true);
  rig.keyboard.Unplug();
  rig.monitor.Start();
  ASSERT_TRUE(rig.monitor.WaitForFirstScan(milliseconds(5000)));
  // Every reply lost: the connection's reads would take four 300 ms attempts each.
  rig.keyboard.LoseNextReplies(1000);
  rig.keyboard.PlugIn();
  std::this_thread::sleep_for(milliseconds(60));
  const auto started = std::chrono::steady_clock::now();
  rig.monitor.Stop();
  // Stopping cancels the read in progress instead of sitting out its retries.
  EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(2000));
}

// Identification of candidate paths happens without opening anything.
TEST(DevicePathTest, CandidatesNeedTheWholePairOfOneVariant) {
  struct Case {
    const char* path;
    const DeviceVariant* variant;
  };
  const Case cases[] = {
      {"/dev/hidraw3#vid_0c45&pid_5004", &kDeviceVariants[0]},
      {"\\\\?\\HID#VID_0C45&PID_5004&MI_01#7&1a2b", &kDeviceVariants[0]},
      {"/dev/hidraw9#Vid_320F&PiD_5000", &kDeviceVariants[1]},
      {"/dev/hidraw1#vid_0c45&pid_5000", nullptr},   // halves of two variants
      {"/dev/hidraw1#vid_320f&pid_5004", nullptr},
      {"/dev/hidraw1#vid_10c45&pid_25004", &kDeviceVariants[0]},  // only the low 16 bits count
      {"/dev/hidraw1#vid_0x0c45&pid_5004", &kDeviceVariants[0]},  // read the way %x reads
      {"/dev/hidraw1#vid_0c45", nullptr},
      {"/dev/hidraw1#vid_zz&pid_5004", nullptr},
      {"/dev/hidraw1", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(IdentifyDevicePath(c.path), c.variant) << c.path;

  EXPECT_EQ(ReadPathIds("x#vid_0C45garbage&pid_").vendor_id, 0x0C45);
  EXPECT_EQ(ReadPathIds("x#vid_0C45garbage&pid_").product_id, 0);
}

TEST(DevicePathTest, OnlyTheVerifiedCommandInterfaceIsOpened) {
  SimulatedKeyboard keyboard;
  SimulatedBackend backend(keyboard);
  // Listed before the keyboard: a device whose ids are half right, with the
  // command interface's descriptor. Its path is no candidate.
  backend.AddForeignDevice(0x0C45, 0x5000, SimulatedKeyboard::ReportDescriptor(SimulatedInterface::kCommand));
  HidDevice device(backend);
  DeviceLink link(device);
  ConnectionContext context;
  ASSERT_TRUE(device.BuildPathList());
  const DeviceVariant* variant = OpenCommandInterface(link, context);
  ASSERT_EQ(variant, &kDeviceVariants[0]);
  // The boot keyboard, listed before it with the same ids, was skipped.
  EXPECT_EQ(device.DevicePath(), backend.PathOf(SimulatedInterface::kCommand));
  EXPECT_EQ(device.Capabilities().usage_page, kCommandUsagePage);
  EXPECT_TRUE(link.IsDeviceOpen());
  EXPECT_EQ(context.LastOpenedVariant(), &kDeviceVariants[0]);

  HidDevice listener(backend);
  ASSERT_TRUE(listener.BuildPathList());
  ASSERT_NE(OpenFirstInterface(listener, KeyboardInterface::kNotification), nullptr);
  EXPECT_EQ(listener.DevicePath(), backend.PathOf(SimulatedInterface::kNotification));
}

TEST(FirmwareCheckTest, OnlyOldFirmwareOfTheFirstVariantAsks) {
  EXPECT_TRUE(FirmwareNeedsUpdate(&kDeviceVariants[0], 0x0107));
  EXPECT_TRUE(FirmwareNeedsUpdate(&kDeviceVariants[0], 0x0001));
  EXPECT_FALSE(FirmwareNeedsUpdate(&kDeviceVariants[0], 0x0108));
  EXPECT_FALSE(FirmwareNeedsUpdate(&kDeviceVariants[0], 0));
  EXPECT_FALSE(FirmwareNeedsUpdate(&kDeviceVariants[1], 0x0107));
  EXPECT_FALSE(FirmwareNeedsUpdate(nullptr, 0x0107));
}

}  // namespace
}  // namespace zarvel
