// One simulated keyboard used by several keyboard objects on one state file,
// as several processes use it (flock() locks belong to an open file, so two
// objects in one test process shut each other out as two processes do).
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <filesystem>
#include <thread>

#include "device/device_link.h"
#include "device/hid_device.h"
#include "device/report_frame.h"
#include "device/simulated_backend.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class SharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("zarvel-share-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    state = (folder / "state.txt").string();
  }
  void TearDown() override { fs::remove_all(folder); }

  // Reads one notification report within `ms`; its usage, or -1.
  static int ReadUsage(HidHandle& handle, int ms) {
    std::uint8_t report[8] = {};
    std::size_t n = 0;
    if (handle.Read(report, n, ms, -1) != HidTransfer::kDone || n < 3) return -1;
    return report[1] | (report[2] << 8);
  }

  fs::path folder;
  std::string state;
};

TEST_F(SharingTest, SecondObjectReachesTheFirstsMemoryAndBothSeeEachOthersWrites) {
  SimulatedKeyboard first(kDeviceVariants[0], state);
  SimulatedKeyboard second(kDeviceVariants[0], state);
  EXPECT_TRUE(first.Serves());
  EXPECT_FALSE(second.Serves());
  EXPECT_EQ(second.StateFileError(), "");

  // A key matrix written through the second's command interface lands in the
  // one memory, and the first reads it back through its own.
  SimulatedBackend backend2(second);
  HidDevice device2(backend2);
  ASSERT_TRUE(device2.Open(backend2.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  DeviceLink link2(device2);
  link2.SetDeviceOpen(true);
  std::vector<std::uint8_t> matrix = first.Area(KeyboardArea::kKeyMatrices);
  matrix.resize(first.Variant().key_matrix_size);
  matrix[8] = 0x42;
  ASSERT_EQ(link2.BeginTransfer(), 1);
  ASSERT_EQ(link2.WriteKeyMatrix(matrix, 1), 1);
  ASSERT_EQ(link2.EndTransfer(), 1);
  EXPECT_EQ(first.Area(KeyboardArea::kKeyMatrices)[first.Variant().key_matrix_stride + 8], 0x42);

  SimulatedBackend backend1(first);
  HidDevice device1(backend1);
  ASSERT_TRUE(device1.Open(backend1.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  DeviceLink link1(device1);
  link1.SetDeviceOpen(true);
  std::vector<std::uint8_t> read(matrix.size());
  ASSERT_EQ(link1.ReadKeyMatrix(read, 1), 1);
  EXPECT_EQ(read, matrix);

  // The programmer's view through the second object is the same memory.
  const std::uint8_t byte = 0x17;
  EXPECT_TRUE(second.SetArea(KeyboardArea::kMacroMemory, 5, {&byte, 1}));
  EXPECT_EQ(first.Area(KeyboardArea::kMacroMemory)[5], 0x17);
  EXPECT_EQ(second.Area(KeyboardArea::kMacroMemory)[5], 0x17);
  // A variant that does not match the memory is refused, as with a file.
  SimulatedKeyboard other(kDeviceVariants[1], state);
  EXPECT_NE(other.StateFileError().find("other keyboard variant"), std::string::npos);
}

TEST_F(SharingTest, NotificationsReachEveryOpenHandleAndUnplugIsEveryones) {
  SimulatedKeyboard first(kDeviceVariants[0], state);
  SimulatedKeyboard second(kDeviceVariants[0], state);
  std::unique_ptr<HidHandle> n1 = first.OpenInterface(SimulatedInterface::kNotification);
  std::unique_ptr<HidHandle> n2 = second.OpenInterface(SimulatedInterface::kNotification);
  ASSERT_TRUE(n1 && n2);

  // The profile keys pressed on the keyboard: announced to both processes,
  // whichever of them the test drives it through.
  second.ChangeProfileOnKeyboard(2);
  EXPECT_EQ(ReadUsage(*n1, 1000), kProfileNotification);
  EXPECT_EQ(ReadUsage(*n1, 1000), 0);
  EXPECT_EQ(ReadUsage(*n2, 1000), kProfileNotification);
  EXPECT_EQ(ReadUsage(*n2, 1000), 0);
  EXPECT_EQ(first.Area(KeyboardArea::kDeviceInfo)[device_info_offset::kActiveProfile], 2);

  // A read waiting in the other process ends when the keyboard goes away,
  // whichever process was told to unplug it.
  std::atomic<int> usage{-2};
  std::thread reader([&] { usage = ReadUsage(*n2, 5000); });
  std::this_thread::sleep_for(50ms);
  second.Unplug();
  reader.join();
  EXPECT_EQ(usage, -1);
  EXPECT_FALSE(first.IsPluggedIn());
  EXPECT_FALSE(second.IsPluggedIn());
  EXPECT_EQ(second.OpenInterface(SimulatedInterface::kCommand), nullptr);
  first.PlugIn();
  EXPECT_TRUE(second.IsPluggedIn());
  EXPECT_NE(second.OpenInterface(SimulatedInterface::kCommand), nullptr);
}

TEST_F(SharingTest, CancelledReadInAConnectedProcessEndsAtOnce) {
  SimulatedKeyboard first(kDeviceVariants[0], state);
  SimulatedKeyboard second(kDeviceVariants[0], state);
  SimulatedBackend backend(second);
  HidDevice device(backend);
  ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kNotification), true, false, true, false));
  std::atomic<bool> done{false};
  std::thread reader([&] {
    std::uint8_t report[8];
    std::size_t n = 0;
    device.Read(report, n, -1);
    done = true;
  });
  std::this_thread::sleep_for(50ms);
  const auto start = std::chrono::steady_clock::now();
  device.Close();  // abandons the pending read
  reader.join();
  EXPECT_TRUE(done);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  // The connection stays in step: a new handle answers at once.
  second.SendNotification(0x00E9);
  std::unique_ptr<HidHandle> again = second.OpenInterface(SimulatedInterface::kNotification);
  ASSERT_TRUE(again);
  first.SendNotification(0x00EA);
  EXPECT_EQ(ReadUsage(*again, 1000), 0x00EA);
}

TEST_F(SharingTest, ConcurrentExchangesFromTwoProcessesEachGetTheirOwnAnswer) {
  SimulatedKeyboard first(kDeviceVariants[0], state);
  SimulatedKeyboard second(kDeviceVariants[0], state);
  // Each side writes its own profile's matrix and reads it back while the
  // other does the same: every exchange is carried out whole and answered to
  // the side that asked. The keyboard has one transfer bracket, as the real
  // one does, so the writes take turns (the programs' store lock); the reads
  // run between the other side's writes.
  std::mutex store_lock;
  auto worker = [&store_lock](SimulatedKeyboard& keyboard, int profile, std::uint8_t mark,
                              std::atomic<int>& failures) {
    SimulatedBackend backend(keyboard);
    HidDevice device(backend);
    if (!device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false)) {
      ++failures;
      return;
    }
    DeviceLink link(device);
    link.SetDeviceOpen(true);
    std::vector<std::uint8_t> matrix(keyboard.Variant().key_matrix_size, 0);
    std::vector<std::uint8_t> read(matrix.size());
    for (int round = 0; round < 5; ++round) {
      std::fill(matrix.begin(), matrix.end(), static_cast<std::uint8_t>(mark + round));
      {
        std::lock_guard lock(store_lock);
        if (link.BeginTransfer() != 1 || link.WriteKeyMatrix(matrix, profile) != 1 || link.EndTransfer() != 1)
          ++failures;
      }
      if (link.ReadKeyMatrix(read, profile) != 1 || read != matrix) ++failures;
    }
  };
  std::atomic<int> failures{0};
  std::thread a([&] { worker(first, 0, 0x10, failures); });
  std::thread b([&] { worker(second, 1, 0x40, failures); });
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  const std::size_t stride = first.Variant().key_matrix_stride;
  EXPECT_EQ(first.Area(KeyboardArea::kKeyMatrices)[0], 0x14);
  EXPECT_EQ(first.Area(KeyboardArea::kKeyMatrices)[stride], 0x44);
}

TEST_F(SharingTest, WhenTheServingProcessEndsAnotherTakesOverWithTheMemory) {
  auto first = std::make_unique<SimulatedKeyboard>(kDeviceVariants[0], state);
  SimulatedKeyboard second(kDeviceVariants[0], state);
  SimulatedKeyboard third(kDeviceVariants[0], state);
  std::unique_ptr<HidHandle> command = second.OpenInterface(SimulatedInterface::kCommand);
  ASSERT_TRUE(command);
  const std::uint8_t byte = 0x5A;
  ASSERT_TRUE(second.SetArea(KeyboardArea::kMacroMemory, 9, {&byte, 1}));

  const auto start = std::chrono::steady_clock::now();
  first.reset();
  // An open handle finds the keyboard gone, as at an unplug...
  std::size_t n = 0;
  const Report request = BuildRequest(Command::kReadDeviceInfo, 44, 0);
  EXPECT_EQ(command->Write(request, n, 1000, -1), HidTransfer::kFailed);
  // ...and it is back within a moment, served by one of the others, holding
  // what the first saved.
  bool back = false;
  while (!back && std::chrono::steady_clock::now() - start < 5s) {
    back = second.IsPluggedIn() && third.IsPluggedIn();
    if (!back) std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(back);
  EXPECT_NE(second.Serves(), third.Serves());
  EXPECT_EQ(third.Area(KeyboardArea::kMacroMemory)[9], 0x5A);
  EXPECT_EQ(second.StateFileError(), "");
  EXPECT_EQ(third.StateFileError(), "");
  std::unique_ptr<HidHandle> again = third.OpenInterface(SimulatedInterface::kCommand);
  ASSERT_TRUE(again);
  Report reply{};
  EXPECT_EQ(again->Write(request, n, 1000, -1), HidTransfer::kDone);
  EXPECT_EQ(again->Read(reply, n, 1000, -1), HidTransfer::kDone);
  EXPECT_EQ(reply[frame_offset::kStatus], 0x00);
}

}  // namespace
}  // namespace zarvel
