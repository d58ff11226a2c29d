// The command layer against the simulated keyboard: attempts, result codes,
// piece-wise transfers and brackets, checked on the exact bytes exchanged.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/device_link.h"
#include "device/simulated_backend.h"

namespace zarvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class LinkTest : public ::testing::Test {
 protected:
  explicit LinkTest(const DeviceVariant& variant = kDeviceVariants[0]) : keyboard(variant) {}

  void SetUp() override {
    ASSERT_TRUE(device.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
    link.SetDeviceOpen(true);
    link.SetKeyMatrixGeometry(keyboard.Variant().key_matrix_size, keyboard.Variant().key_matrix_stride);
  }

  std::vector<SimulatedExchange> Sent() { return keyboard.Exchanges(); }
  static std::uint16_t OffsetOf(const SimulatedExchange& e) {
    return static_cast<std::uint16_t>(e.request[5] | (e.request[6] << 8));
  }

  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice device{backend};
  DeviceLink link{device};
};

class SecondVariantLinkTest : public LinkTest {
 protected:
  SecondVariantLinkTest() : LinkTest(kDeviceVariants[1]) {}
};

TEST_F(LinkTest, NothingIsSentWhileNoKeyboardIsOpen) {
  link.SetDeviceOpen(false);
  DeviceInfoRecord info{};
  const auto start = Clock::now();
  EXPECT_EQ(link.ReadDeviceInfo(info), 0);
  EXPECT_EQ(link.EndTransfer(), 0);
  EXPECT_LT(Clock::now() - start, 10ms);  // not even the pause before an end
  EXPECT_TRUE(Sent().empty());
}

TEST_F(LinkTest, ReadsTheDeviceInformation) {
  DeviceInfoRecord record{};
  ASSERT_EQ(link.ReadDeviceInfo(record), 1);
  DeviceInfo info;
  ASSERT_TRUE(ParseDeviceInfo(record, info));
  EXPECT_EQ(info.firmware_version, 0x0108);
  EXPECT_EQ(info.MacroCapacityBytes(), 8192u);
  EXPECT_TRUE(info.OffersEffect(21));
  EXPECT_FALSE(info.OffersEffect(19));
}

TEST_F(LinkTest, LostRepliesAreRetriedWithTheSameRequest) {
  keyboard.LoseNextReplies(3);
  DeviceInfoRecord info{};
  EXPECT_EQ(link.ReadDeviceInfo(info), 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  for (const auto& e : sent) EXPECT_EQ(e.request, sent[0].request);
}

TEST_F(LinkTest, FourLostRepliesGiveNoReply) {
  keyboard.LoseNextReplies(4);
  const auto start = Clock::now();
  EXPECT_EQ(link.BeginTransfer(), 0);
  EXPECT_GE(Clock::now() - start, 4 * 290ms);
  EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(LinkTest, RefusalsMapToTheirResults) {
  keyboard.RefuseNextCommands(1, 0xFF);
  EXPECT_EQ(link.BeginTransfer(), -102);
  keyboard.RefuseNextCommands(1, 0xFE);
  EXPECT_EQ(link.BeginTransfer(), -103);
  keyboard.RefuseNextCommands(1, 0xFD);  // any other status is success
  EXPECT_EQ(link.BeginTransfer(), 1);
  EXPECT_EQ(Sent().size(), 3u);  // a refusal is final, not retried
}

TEST_F(LinkTest, UnpluggedKeyboardFailsTheWriteAtOnce) {
  keyboard.Unplug();
  DeviceInfoRecord info{};
  EXPECT_EQ(link.ReadDeviceInfo(info), -1);
}

TEST_F(LinkTest, UnplugDuringPiecesEndsTheTransfer) {
  keyboard.UnplugAfter(2);
  std::vector<std::uint8_t> matrix(512, 0xEE);
  EXPECT_EQ(link.ReadKeyMatrix(matrix, 0), -1);
  EXPECT_EQ(Sent().size(), 2u);
  const auto defaults = keyboard.Area(KeyboardArea::kDefaultMatrix);
  // The two pieces that arrived were copied; the rest was left alone.
  EXPECT_TRUE(std::equal(matrix.begin(), matrix.begin() + 112, defaults.begin()));
  EXPECT_EQ(matrix[112], 0xEE);
}

TEST_F(LinkTest, LateReplyIsNotTakenAsTheNextAnswer) {
  // The first attempt's reply arrives after its read gave up; the second
  // attempt takes it, and the second attempt's own reply arrives late too.
  keyboard.SetReplyDelay(350ms);
  DeviceInfoRecord info{};
  ASSERT_EQ(link.ReadDeviceInfo(info), 1);
  std::this_thread::sleep_for(400ms);  // the extra reply is queued now
  keyboard.SetReplyDelay(0ms);
  std::uint8_t lighting[56] = {};
  link.BeginTransfer();
  ASSERT_EQ(link.ReadLighting(lighting, 0), 1);
  // The lighting record, not the device information.
  EXPECT_EQ(lighting[0], 0x01);
  EXPECT_EQ(lighting[1], 0x05);
  EXPECT_EQ(lighting[4], 0xFF);
}

TEST_F(LinkTest, KeyMatrixOfProfileThreeGoesInSevenPieces) {
  std::vector<std::uint8_t> matrix(512);
  for (std::size_t i = 0; i < matrix.size(); ++i) matrix[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_EQ(link.BeginTransfer(), 1);
  keyboard.ClearExchanges();
  ASSERT_EQ(link.WriteKeyMatrix(matrix, 3), 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 7u);
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].request[3], 0x08);
    EXPECT_EQ(OffsetOf(sent[i]), 1134 + 56 * i);
    EXPECT_EQ(sent[i].request[4], i < 6 ? 56 : 42);
  }
  const auto slots = keyboard.Area(KeyboardArea::kKeyMatrices);
  EXPECT_TRUE(std::equal(matrix.begin(), matrix.begin() + 378, slots.begin() + 1134));

  std::vector<std::uint8_t> back(512, 0);
  ASSERT_EQ(link.ReadKeyMatrix(back, 3), 1);
  EXPECT_TRUE(std::equal(back.begin(), back.begin() + 378, matrix.begin()));
}

TEST_F(SecondVariantLinkTest, KeyMatrixUsesTheWiderStride) {
  std::vector<std::uint8_t> matrix(512, 0x42);
  ASSERT_EQ(link.BeginTransfer(), 1);
  keyboard.ClearExchanges();
  ASSERT_EQ(link.WriteKeyMatrix(matrix, 3), 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 7u);
  EXPECT_EQ(OffsetOf(sent.front()), 1536);
  EXPECT_EQ(sent.back().request[4], 384 - 6 * 56);
}

TEST_F(LinkTest, UnaddressableRequestsSendNothing) {
  std::vector<std::uint8_t> matrix(512);
  std::uint8_t colours[54] = {};
  std::uint8_t too_long[57] = {};
  EXPECT_EQ(link.ReadKeyMatrix(matrix, 4), -201);
  EXPECT_EQ(link.WriteKeyMatrix(matrix, -1), -201);
  EXPECT_EQ(link.ReadKeyMatrix(std::span(matrix).first(100), 0), -201);
  EXPECT_EQ(link.WriteKeyColours(4, colours, 0), -201);
  EXPECT_EQ(link.WriteKeyColours(0, colours, 160), -201);  // would run into profile 1
  EXPECT_EQ(link.WriteLighting(too_long, 0), -201);
  EXPECT_EQ(link.WriteActiveProfile(4), -201);
  EXPECT_EQ(link.ReadMacroArea({}), 1);  // zero length: nothing to do
  EXPECT_TRUE(Sent().empty());
}

TEST_F(LinkTest, KeyboardRefusesWritesOutsideABracket) {
  const std::uint8_t brightness = 3;
  EXPECT_EQ(link.WriteLighting({&brightness, 1}, 1), -103);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kLighting)[1], 5);
  ASSERT_EQ(link.BeginTransfer(), 1);
  EXPECT_EQ(link.WriteLighting({&brightness, 1}, 1), 1);
  EXPECT_EQ(link.EndTransfer(), 1);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kLighting)[1], 3);
  EXPECT_EQ(link.WriteLighting({&brightness, 1}, 43), -103);  // bracket closed again
}

TEST_F(LinkTest, WholeColourSetAndMacroImageLandWhereAddressed) {
  std::vector<std::uint8_t> colours(432);
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(link.BeginTransfer(), 1);
  for (int k = 0; k < 8; ++k)
    ASSERT_EQ(link.WriteKeyColours(2, std::span(colours).subspan(54 * k, 54), 18 * k), 1);
  std::vector<std::uint8_t> image(8192, 0x5A);
  image[0] = 0xAA;
  image[1] = 0x55;
  ASSERT_EQ(link.WriteMacroArea(image), 1);
  ASSERT_EQ(link.EndTransfer(), 1);
  const auto area = keyboard.Area(KeyboardArea::kKeyColours);
  EXPECT_TRUE(std::equal(colours.begin(), colours.end(), area.begin() + 1024));
  std::vector<std::uint8_t> back(8192);
  ASSERT_EQ(link.ReadMacroArea(back), 1);
  EXPECT_EQ(back, image);
  // One byte past the keyboard's macro memory is refused.
  std::vector<std::uint8_t> over(8193);
  EXPECT_EQ(link.ReadMacroArea(over), -103);
}

TEST_F(LinkTest, ActiveProfileIsReadModifyWrite) {
  const std::uint8_t head[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  keyboard.SetArea(KeyboardArea::kDeviceInfo, 0, head);
  const auto before = keyboard.Area(KeyboardArea::kDeviceInfo);
  ASSERT_EQ(link.WriteActiveProfile(2), 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].request[3], 0x04);
  std::vector<std::uint8_t> expected = before;
  expected[10] = 2;
  EXPECT_EQ(std::vector<std::uint8_t>(sent[1].request.begin() + 8, sent[1].request.begin() + 52), expected);
  EXPECT_EQ(keyboard.Area(KeyboardArea::kDeviceInfo), expected);
}

TEST_F(LinkTest, TraceShowsEveryReportAndTimeout) {
  std::vector<std::string> lines;
  link.SetTraceHook([&](std::string_view line) { lines.emplace_back(line); });
  keyboard.LoseNextReplies(1);
  ASSERT_EQ(link.BeginTransfer(), 1);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 14), "> 04 01 00 01 ");
  EXPECT_EQ(lines[1], "< timeout");
  EXPECT_EQ(lines[2], lines[0]);
  EXPECT_EQ(lines[3].substr(0, 2), "< ");
  EXPECT_EQ(lines[3].size(), lines[0].size());
}

TEST_F(LinkTest, ConcurrentCommandsEachGetTheirOwnReply) {
  // Two threads share the link the way the window and the connection monitor
  // do; neither may ever see the other's data.
  std::atomic<int> wrong{0};
  std::thread monitor([&] {
    for (int i = 0; i < 40; ++i) {
      DeviceInfoRecord info{};
      if (link.ReadDeviceInfo(info) != 1 || info[8] != 0x08) ++wrong;
    }
  });
  for (int i = 0; i < 40; ++i) {
    std::vector<std::uint8_t> matrix(512);
    if (link.ReadDefaultKeyMatrix(matrix) != 1 ||
        !std::equal(matrix.begin(), matrix.begin() + 378, keyboard.Area(KeyboardArea::kDefaultMatrix).begin()))
      ++wrong;
  }
  monitor.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace zarvel
