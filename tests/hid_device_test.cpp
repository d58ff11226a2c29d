// The HID layer: the record's open/close/transfer rules and the hidraw
// backend's enumeration of a sysfs tree laid out by the test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "device/hid_device.h"
#include "device/hidraw_backend.h"
#include "device/simulated_backend.h"
#include "model/atomic_file.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class HidDeviceTest : public ::testing::Test {
 protected:
  bool OpenCommand() {
    return device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false);
  }
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice device{backend};
};

TEST_F(HidDeviceTest, CloseOnAClosedRecordIsFalse) {
  EXPECT_FALSE(device.Close());
  ASSERT_TRUE(OpenCommand());
  EXPECT_TRUE(device.Close());
  EXPECT_FALSE(device.Close());
  EXPECT_EQ(device.Capabilities().input_report_length, 0);
  std::uint8_t buffer[64];
  std::size_t n = 7;
  EXPECT_FALSE(device.Read(buffer, n, 0));
  EXPECT_EQ(n, 0u);
}

TEST_F(HidDeviceTest, ReadWithoutInputTimesOut) {
  ASSERT_TRUE(OpenCommand());
  std::uint8_t buffer[64];
  std::size_t n = 0;
  const auto start = Clock::now();
  EXPECT_FALSE(device.Read(buffer, n, 300));
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 295ms);
  EXPECT_LT(took, 1000ms);
  EXPECT_EQ(n, 0u);
}

TEST_F(HidDeviceTest, UnplugFailsAPendingRead) {
  ASSERT_TRUE(OpenCommand());
  std::uint8_t buffer[64];
  std::size_t n = 0;
  keyboard.Unplug();
  const auto start = Clock::now();
  EXPECT_FALSE(device.Read(buffer, n, -1));
  EXPECT_LT(Clock::now() - start, 100ms);
}

TEST_F(HidDeviceTest, EmptyOrFailingEnumeration) {
  keyboard.Unplug();
  ASSERT_TRUE(device.BuildPathList());
  EXPECT_EQ(device.PathCount(), 0u);
  EXPECT_FALSE(device.NextPath().has_value());
  backend.SetEnumerationFails(true);
  EXPECT_FALSE(device.BuildPathList());
}

TEST_F(HidDeviceTest, OverlongPathIsRefusedNotCut) {
  const std::string path = backend.PathOf(SimulatedInterface::kCommand) + std::string(300, 'x');
  EXPECT_FALSE(device.Open(path, true, true, true, false));
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(HidDeviceTest, ThreadBlockedInReadIsReleasedByClose) {
  ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kNotification), true, false, true, false));
  std::atomic<bool> result{true};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    std::uint8_t buffer[3];
    std::size_t n = 0;
    result = device.Read(buffer, n, -1);
    done = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(done);
  const auto start = Clock::now();
  EXPECT_TRUE(device.Close());
  reader.join();
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_FALSE(result);
  // The cancel did not linger: a new open reads normally.
  ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kNotification), true, false, true, false));
  keyboard.SendNotification(0x0401);
  std::uint8_t buffer[3];
  std::size_t n = 0;
  EXPECT_TRUE(device.Read(buffer, n, 300));
  EXPECT_EQ(n, 3u);
}

TEST_F(HidDeviceTest, ThreadBlockedInReadIsReleasedByReopen) {
  ASSERT_TRUE(OpenCommand());
  std::atomic<bool> result{true};
  std::thread reader([&] {
    std::uint8_t buffer[64];
    std::size_t n = 0;
    result = device.Read(buffer, n, -1);
  });
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(OpenCommand());
  reader.join();
  EXPECT_FALSE(result);
}

TEST(HidUevent, ReadsVendorAndProduct) {
  std::uint16_t vid = 0, pid = 0;
  ASSERT_TRUE(ParseHidUevent("DRIVER=hid-generic\nHID_ID=0003:00000C45:00005004\nHID_NAME=x\n", vid, pid));
  EXPECT_EQ(vid, 0x0C45);
  EXPECT_EQ(pid, 0x5004);
  EXPECT_FALSE(ParseHidUevent("HID_NAME=x\n", vid, pid));
  EXPECT_FALSE(ParseHidUevent("HID_ID=0003:", vid, pid));
}

class HidrawTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-sysfs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root = pattern;
    fs::create_directories(root + "/class");
    fs::create_directories(root + "/dev");
  }
  void TearDown() override { fs::remove_all(root); }

  void AddNode(const std::string& name, const std::string& uevent, bool with_descriptor) {
    const std::string dir = root + "/class/" + name + "/device";
    fs::create_directories(dir);
    if (!uevent.empty()) {
      ASSERT_TRUE(WriteFileAtomically(dir + "/uevent", uevent));
    }
    if (with_descriptor) {
      const auto d = SimulatedKeyboard::ReportDescriptor(SimulatedInterface::kCommand);
      ASSERT_TRUE(WriteFileAtomically(dir + "/report_descriptor", d));
    }
    ASSERT_TRUE(WriteFileAtomically(root + "/dev/" + name, std::string()));
  }

  std::string root;
};

TEST_F(HidrawTreeTest, ListsEveryNodeWithItsIds) {
  AddNode("hidraw10", "HID_ID=0003:00000C45:00005004\n", true);
  AddNode("hidraw2", "HID_ID=0003:0000046D:0000C52B\n", true);  // a foreign receiver
  AddNode("hidraw3", "HID_ID=0003:0000320F:00005000\n", false);  // descriptor missing
  AddNode("hidraw4", "", true);                                  // uevent missing
  fs::create_directories(root + "/class/hidrawX");                // not a node

  HidrawBackend backend(root + "/class", root + "/dev");
  std::vector<HidrawNodeInfo> nodes;
  ASSERT_TRUE(backend.ListNodes(nodes));
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_EQ(nodes[0].path, root + "/dev/hidraw2#vid_046d&pid_c52b");
  EXPECT_EQ(nodes[1].path, root + "/dev/hidraw3#vid_320f&pid_5000");
  EXPECT_TRUE(nodes[1].report_descriptor.empty());
  EXPECT_EQ(nodes[2].path, root + "/dev/hidraw4");
  EXPECT_FALSE(nodes[2].has_ids);
  EXPECT_EQ(nodes[3].path, root + "/dev/hidraw10#vid_0c45&pid_5004");  // numeric order
  EXPECT_EQ(nodes[3].report_descriptor.size(), SimulatedKeyboard::ReportDescriptor(SimulatedInterface::kCommand).size());

  HidDevice device(backend);
  ASSERT_TRUE(device.BuildPathList());
  EXPECT_EQ(device.PathCount(), 4u);
  // A plain file is no HID device: its descriptor cannot be read, so it does not open.
  EXPECT_FALSE(device.Open(nodes[3].path, true, true, true, false));

  EXPECT_TRUE(backend.IsPresent(nodes[3].path));
  fs::remove_all(root + "/class/hidraw10");
  EXPECT_FALSE(backend.IsPresent(nodes[3].path));
}

TEST_F(HidrawTreeTest, NoHidrawClassMeansNoDevices) {
  HidrawBackend backend(root + "/absent", root + "/dev");
  std::vector<std::string> paths{"stale"};
  ASSERT_TRUE(backend.ListPaths(paths));
  EXPECT_TRUE(paths.empty());
}

}  // namespace
}  // namespace zarvel
