// The simulated keyboard as a strict keyboard: what it refuses, what it keeps
// between runs, and what it announces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/hid_device.h"
#include "device/report_frame.h"
#include "device/simulated_backend.h"
#include "model/atomic_file.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

// Sends one raw report straight to the keyboard and returns its reply.
class RawKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  }
  Report Send(const Report& request) {
    std::size_t n = 0;
    Report reply{};
    EXPECT_TRUE(device.Write(request, n, 1000));
    EXPECT_TRUE(device.Read(reply, n, 300));
    return reply;
  }
  std::uint8_t StatusOf(const Report& request) { return Send(request)[frame_offset::kStatus]; }

  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice device{backend};
};

TEST_F(RawKeyboardTest, RefusesMalformedRequestsWithFF) {
  Report bad_id = BuildRequest(Command::kReadDeviceInfo, 44, 0);
  bad_id[0] = 0x05;
  Report bad_sum = BuildRequest(Command::kReadDeviceInfo, 44, 0);
  bad_sum[1] ^= 1;
  Report too_long = BuildRequest(Command::kReadDeviceInfo, 44, 0);
  too_long[4] = 57;
  too_long[1] = 0x2F + 57 - 44;  // checksum still right
  const Report unknown = BuildRequest(static_cast<Command>(0x30), 0, 0);
  for (const Report& r : {bad_id, bad_sum, too_long, unknown}) EXPECT_EQ(StatusOf(r), 0xFF);
}

TEST_F(RawKeyboardTest, RefusesOutOfAreaAndUnbracketedRequestsWithFE) {
  const std::uint8_t data[56] = {};
  EXPECT_EQ(StatusOf(BuildRequest(Command::kReadDeviceInfo, 44, 1)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteKeyMatrix, 3, 0)), 0xFE);  // no bracket
  Send(BuildBracketRequest(Command::kBeginTransfer));
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteKeyMatrix, 3, 0, data)), 0x00);
  // A run crossing from profile 0's matrix into profile 1's.
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteKeyMatrix, 10, 370, data)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kReadKeyMatrix, 56, 4 * 378)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteLighting, 1, 168, data)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteKeyColours, 54, 500, data)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteMacroArea, 1, 8192, data)), 0xFE);
  EXPECT_EQ(StatusOf(BuildRequest(Command::kReadDefaultKeyMatrix, 1, 378)), 0xFE);
  Send(BuildBracketRequest(Command::kEndTransfer));
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteMacroArea, 1, 0, data)), 0xFE);
  // The last lighting record may be read 56 bytes at a time; the tail reads 0.
  const Report tail = Send(BuildRequest(Command::kReadLighting, 56, 126));
  EXPECT_EQ(tail[frame_offset::kStatus], 0x00);
  EXPECT_EQ(tail[frame_offset::kPayload], 0x01);
  EXPECT_EQ(tail[frame_offset::kPayload + 55], 0x00);
}

TEST_F(RawKeyboardTest, DeviceInformationKeepsTheKeyboardsOwnFacts) {
  DeviceInfoRecord record{};
  record.fill(0x77);
  record[10] = 3;
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteDeviceInfo, 44, 0, record)), 0x00);
  const auto info = keyboard.Area(KeyboardArea::kDeviceInfo);
  EXPECT_EQ(info[0], 0x77);
  EXPECT_EQ(info[10], 3);
  EXPECT_EQ(info[8], 0x08);   // firmware stays
  EXPECT_EQ(info[11], 64);    // capacity stays
  record[10] = 4;
  EXPECT_EQ(StatusOf(BuildRequest(Command::kWriteDeviceInfo, 44, 0, record)), 0xFE);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kDeviceInfo)[10], 3);
}

TEST(SimulatedKeyboard, FactoryMemory) {
  SimulatedKeyboard keyboard(kDeviceVariants[1]);
  const auto lighting = keyboard.Area(KeyboardArea::kLighting);
  ASSERT_EQ(lighting.size(), 168u);
  for (std::size_t p = 0; p < 4; ++p) {
    EXPECT_EQ(lighting[p * 42 + 0], 0x01);
    EXPECT_EQ(lighting[p * 42 + 1], 0x05);
    EXPECT_EQ(lighting[p * 42 + 7], 0xFF);
    EXPECT_EQ(lighting[p * 42 + 8], 0x00);
  }
  EXPECT_EQ(keyboard.Area(KeyboardArea::kDefaultMatrix).size(), 384u);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kKeyMatrices).size(), 2048u);
  const auto macros = keyboard.Area(KeyboardArea::kMacroMemory);
  ASSERT_EQ(macros.size(), 8192u);
  EXPECT_FALSE(macros[0] == 0xAA && macros[1] == 0x55);  // empty: no image header
  EXPECT_EQ(keyboard.Area(KeyboardArea::kKeyColours).size(), 2048u);
}

class StateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-sim-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    path = dir + "/keyboard.txt";
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string dir, path;
};

TEST_F(StateFileTest, MemorySurvivesARestart) {
  std::vector<std::uint8_t> colours(54, 0x3C);
  {
    SimulatedKeyboard keyboard(kDeviceVariants[0], path);
    SimulatedBackend backend(keyboard);
    HidDevice device(backend);
    ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
    std::size_t n = 0;
    for (const Report& r : {BuildBracketRequest(Command::kBeginTransfer),
                            BuildRequest(Command::kWriteKeyColours, 54, 512, colours),
                            BuildBracketRequest(Command::kEndTransfer)}) {
      ASSERT_TRUE(device.Write(r, n, 1000));
    }
    // Written when the bracket closed, not only at exit.
    std::vector<std::uint8_t> text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_NE(std::string(text.begin(), text.end()).find("[key_colours]"), std::string::npos);
    const std::uint8_t head[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    keyboard.SetArea(KeyboardArea::kDeviceInfo, 0, head);
  }
  SimulatedKeyboard again(kDeviceVariants[0], path);
  const auto area = again.Area(KeyboardArea::kKeyColours);
  EXPECT_TRUE(std::equal(colours.begin(), colours.end(), area.begin() + 512));
  EXPECT_EQ(area[0], 0xFF);  // untouched factory colours came back too
  EXPECT_EQ(area[566], 0xFF);
  EXPECT_EQ(again.Area(KeyboardArea::kDeviceInfo)[0], 9);  // saved on the way out
  EXPECT_EQ(again.Area(KeyboardArea::kLighting), SimulatedKeyboard().Area(KeyboardArea::kLighting));
}

TEST_F(StateFileTest, HandEditedFileIsReadLeniently) {
  ASSERT_TRUE(WriteFileAtomically(path, std::string("# edited by hand\n"
                                                    "[keyboard]\nvendor = 0c45\nproduct = 5004\n"
                                                    "[device_info]\n0008: 07 01 01 10\n"
                                                    "nonsense line\n"
                                                    "ffff: 01 02\n")));
  SimulatedKeyboard keyboard(kDeviceVariants[0], path);
  const auto info = keyboard.Area(KeyboardArea::kDeviceInfo);
  EXPECT_EQ(info[8], 0x07);
  EXPECT_EQ(info[10], 1);
  EXPECT_EQ(info[11], 0x10);
  EXPECT_EQ(info[12], 0);  // the area was in the file: lines left out are 0
  EXPECT_EQ(keyboard.Area(KeyboardArea::kMacroMemory).size(), 0x10u * 128);
}

TEST_F(StateFileTest, FileOfTheOtherVariantIsNeitherUsedNorOverwritten) {
  const std::string other = "[keyboard]\nvendor = 320f\nproduct = 5000\n[lighting]\n0000: 09\n";
  ASSERT_TRUE(WriteFileAtomically(path, other));
  {
    SimulatedKeyboard keyboard(kDeviceVariants[0], path);
    EXPECT_EQ(keyboard.Area(KeyboardArea::kLighting)[0], 0x01);
    EXPECT_FALSE(keyboard.SaveState());
  }
  std::vector<std::uint8_t> text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(std::string(text.begin(), text.end()), other);
}

TEST(SimulatedKeyboard, InterfacesIdentifyThemselves) {
  SimulatedKeyboard keyboard;
  SimulatedBackend backend(keyboard);
  const std::uint8_t mouse[] = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x30, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0xC0};
  backend.AddForeignDevice(0x046D, 0xC077, mouse);
  HidDevice device(backend);
  ASSERT_TRUE(device.BuildPathList());
  ASSERT_EQ(device.PathCount(), 4u);
  struct Seen {
    std::uint16_t page, usage, in, out;
  };
  std::vector<Seen> seen;
  while (auto path = device.NextPath()) {
    ASSERT_TRUE(device.Open(*path, true, false, true, false)) << *path;
    const HidCapabilities c = device.Capabilities();
    seen.push_back({c.usage_page, c.usage, c.input_report_length, c.output_report_length});
  }
  EXPECT_FALSE(device.NextPath().has_value());
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].page, 0x01);  // the foreign mouse comes first
  EXPECT_EQ(seen[1].usage, 0x06);  // then the boot keyboard, which discovery must skip
  EXPECT_EQ(seen[2].page, 0xFF1C);
  EXPECT_EQ(seen[2].usage, 0x92);
  EXPECT_EQ(seen[2].in, 64);
  EXPECT_EQ(seen[2].out, 64);
  EXPECT_EQ(seen[3].page, 0x0C);
  EXPECT_EQ(seen[3].usage, 0x01);
  EXPECT_EQ(device.Attributes().vendor_id, 0x0C45);

  keyboard.Unplug();
  ASSERT_TRUE(device.BuildPathList());
  EXPECT_EQ(device.PathCount(), 1u);
  EXPECT_FALSE(device.IsPresent());
  EXPECT_FALSE(device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  keyboard.PlugIn();
  EXPECT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  EXPECT_TRUE(device.IsPresent());
}

TEST(SimulatedKeyboard, ProfileChangeOnTheKeyboardIsAnnounced) {
  SimulatedKeyboard keyboard;
  SimulatedBackend backend(keyboard);
  HidDevice listener(backend);
  ASSERT_TRUE(listener.Open(backend.PathOf(SimulatedInterface::kNotification), true, false, true, false));
  keyboard.ChangeProfileOnKeyboard(2);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kDeviceInfo)[10], 2);

  std::span<std::uint8_t> buffer = listener.InputReportBuffer();
  ASSERT_EQ(buffer.size(), 3u);
  std::size_t n = 0;
  ASSERT_TRUE(listener.Read(buffer, n, 300));
  ASSERT_TRUE(listener.ParseInputReport(buffer.first(n)));
  ASSERT_FALSE(listener.InputFields().empty());
  EXPECT_TRUE(listener.InputFields()[0].is_set);
  EXPECT_EQ(listener.InputFields()[0].usage_list[0], 0x0401);
  // Then the release.
  ASSERT_TRUE(listener.Read(buffer, n, 300));
  ASSERT_TRUE(listener.ParseInputReport(buffer.first(n)));
  EXPECT_EQ(listener.InputFields()[0].usage_list[0], 0);

  for (std::uint16_t usage : {0x0402, 0x1810, 0x1811}) {
    keyboard.SendNotification(usage);
    ASSERT_TRUE(listener.Read(buffer, n, 300));
    ASSERT_TRUE(listener.ParseInputReport(buffer.first(n)));
    EXPECT_EQ(listener.InputFields()[0].usage_list[0], usage);
    ASSERT_TRUE(listener.Read(buffer, n, 300));
  }
}

}  // namespace
}  // namespace zarvel
