// A keyboard that answers late: every reply reaches the request it belongs
// to, or the command fails; never the reply to another request. The
// simulated keyboard runs on its own clock here, so replies seconds late
// cost no wall time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "core/app_core.h"
#include "core/lighting_controller.h"
#include "device/device_link.h"
#include "device/simulated_backend.h"
#include "model/profile_file.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using namespace std::chrono_literals;
using testing::CoreRig;
using testing::KeyTo;
using testing::MakeMacro;

constexpr std::size_t kF2Record = 0x3C;
constexpr KeyCode kKeyB = 0x30;

std::vector<std::uint8_t> FirstBytes(std::span<const std::uint8_t> bytes, std::size_t n) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(n, bytes.size()))};
}

class LateLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyboard.UseVirtualClock(true);
    ASSERT_TRUE(command.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
    link.SetDeviceOpen(true);
    link.SetKeyMatrixGeometry(keyboard.Variant().key_matrix_size, keyboard.Variant().key_matrix_stride);
    link.SetTraceHook([this](std::string_view line) { trace.emplace_back(line); });
  }
  long TraceCount(std::string_view prefix) const {
    return std::count_if(trace.begin(), trace.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
  // The factory matrix as a connection reads it, then the device information.
  void ExpectRightBytes() {
    std::vector<std::uint8_t> matrix(512, 0xEE);
    ASSERT_EQ(link.ReadDefaultKeyMatrix(matrix), kResultDone);
    const std::size_t size = keyboard.Variant().key_matrix_size;
    EXPECT_EQ(FirstBytes(matrix, size), FirstBytes(keyboard.Area(KeyboardArea::kDefaultMatrix), size));
    DeviceInfoRecord info{};
    ASSERT_EQ(link.ReadDeviceInfo(info), kResultDone);
    EXPECT_EQ(FirstBytes(info, info.size()), keyboard.Area(KeyboardArea::kDeviceInfo));
  }

  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice command{backend};
  DeviceLink link{command};
  std::vector<std::string> trace;
};

TEST_F(LateLinkTest, RepliesNineHundredMillisecondsLateDoNotShiftTheFactoryMatrix) {
  // Each request is answered during its third attempt by its first attempt's
  // reply; the second and third attempts' replies follow while the next
  // request is being made. Taken for that request's answer, they used to
  // shift the matrix by one piece and answer the device information with
  // matrix data.
  keyboard.SetReplyDelay(900ms);
  ExpectRightBytes();
  EXPECT_GT(TraceCount("< late "), 0);
  // Three attempts per exchange and the quiet wait after each, no more.
  EXPECT_LE(keyboard.VirtualTimePassed(), 8 * 2 * 900ms);
}

TEST_F(LateLinkTest, AKeyboardThatEchoesNothingIsKeptInStepByTheQuietWait) {
  keyboard.SetEchoesRequests(false);
  for (const auto delay : {400ms, 900ms}) {
    SCOPED_TRACE(delay.count());
    keyboard.SetReplyDelay(delay);
    ExpectRightBytes();
  }
}

TEST_F(LateLinkTest, RepliesTooLateFailTheCommandAndNeverAnswerTheNextOne) {
  for (const bool echoes : {true, false}) {
    SCOPED_TRACE(echoes);
    keyboard.SetEchoesRequests(echoes);
    keyboard.SetReplyDelay(1500ms);
    DeviceInfoRecord info{};
    EXPECT_EQ(link.ReadDeviceInfo(info), kResultNoReply);
    // All four replies are still to come when the keyboard speeds up again.
    keyboard.SetReplyDelay(0ms);
    ASSERT_EQ(link.BeginTransfer(), kResultDone);
    std::uint8_t lighting[56] = {};
    ASSERT_EQ(link.ReadLighting(lighting, 0), kResultDone);
    const auto area = keyboard.Area(KeyboardArea::kLighting);
    EXPECT_TRUE(std::equal(lighting, lighting + 42, area.begin()));
    ASSERT_EQ(link.EndTransfer(), kResultDone);
  }
}

TEST_F(LateLinkTest, AReplyEchoingAnotherRequestIsThrownAway) {
  // A second program on the same interface: like hidraw, every open handle
  // gets a copy of every reply, so its answer lands in this link's queue.
  std::vector<std::uint8_t> matrix(512);
  ASSERT_EQ(link.ReadDefaultKeyMatrix(matrix), kResultDone);  // the keyboard shows that it echoes
  HidDevice other(backend);
  ASSERT_TRUE(other.Open(backend.PathOf(SimulatedInterface::kCommand), true, true, true, false));
  ASSERT_EQ(link.BeginTransfer(), kResultDone);
  keyboard.SetReplyDelay(100ms);
  std::size_t moved = 0;
  const Report foreign = BuildRequest(Command::kReadDeviceInfo, kDeviceInfoSize, 0);
  ASSERT_TRUE(other.Write(foreign, moved, kWriteTimeoutMs));
  std::uint8_t lighting[56] = {};
  ASSERT_EQ(link.ReadLighting(lighting, 0), kResultDone);
  const auto area = keyboard.Area(KeyboardArea::kLighting);
  EXPECT_TRUE(std::equal(lighting, lighting + 42, area.begin()));
  EXPECT_EQ(TraceCount("< late "), 1);
}

TEST_F(LateLinkTest, AStopSendsNothingNewButStillClosesTheTransfer) {
  std::atomic<int> stop{0};
  link.SetStopFlag(&stop);
  ASSERT_EQ(link.BeginTransfer(), kResultDone);
  keyboard.ClearExchanges();
  stop = 15;
  const std::vector<std::uint8_t> data(56, 0x11);
  EXPECT_EQ(link.WriteMacroArea(data), kResultStopped);
  EXPECT_EQ(keyboard.ExchangeCount(), 0u);
  EXPECT_TRUE(keyboard.InBracket());
  EXPECT_EQ(link.EndTransfer(), kResultDone);
  EXPECT_FALSE(keyboard.InBracket());
  // With the transfer closed, not even an end goes out any more.
  EXPECT_EQ(link.EndTransfer(), kResultStopped);
  EXPECT_EQ(link.BeginTransfer(), kResultStopped);
  EXPECT_EQ(keyboard.ExchangeCount(), 1u);
}

TEST_F(LateLinkTest, AStopBetweenAttemptsGivesTheExchangeUp) {
  std::atomic<int> stop{0};
  link.SetStopFlag(&stop);
  link.SetTraceHook([&](std::string_view line) {
    if (line == kTraceTimeoutLine) stop = 2;
  });
  keyboard.LoseNextReplies(10);
  DeviceInfoRecord info{};
  EXPECT_EQ(link.ReadDeviceInfo(info), kResultStopped);
  EXPECT_EQ(keyboard.ExchangeCount(), 1u);
}

// ---- whole sequences at 400, 900 and 1500 ms per reply ----------------------
//
// 400 and 900 ms: every exchange is answered within its four attempts, so
// each sequence must end with the right bytes in the keyboard and the store.
// 1500 ms: no reply ever comes in time; each sequence must fail plainly, with
// the store file as it was and the keyboard outside any transfer.

class SlowKeyboardTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    rig.keyboard.UseVirtualClock(true);
    ASSERT_TRUE(rig.Connect());
  }
  bool Answers() const { return GetParam() < kCommandAttempts * kReadTimeoutMs; }
  void SlowDown() { rig.keyboard.SetReplyDelay(std::chrono::milliseconds(GetParam())); }
  void SpeedUp() { rig.keyboard.SetReplyDelay(0ms); }
  std::vector<std::uint8_t> FactoryMatrixAsRead() const {
    const auto matrix = rig.context.DefaultMatrix();
    return FirstBytes(matrix, rig.link.KeyMatrixSize());
  }
  std::vector<std::uint8_t> FactoryMatrix() const {
    return FirstBytes(rig.keyboard.Area(KeyboardArea::kDefaultMatrix), rig.link.KeyMatrixSize());
  }

  CoreRig rig;
};

TEST_P(SlowKeyboardTest, ReadingTheKeyboard) {
  rig.core->AssignKey(kF2Record, KeyTo(kKeyB));
  ASSERT_TRUE(rig.core->Apply());
  // The store file says something else than the keyboard now holds.
  ProfileStore stale;
  ASSERT_TRUE(SaveStoreFile(stale, rig.core->StoreFile()));
  const std::vector<std::uint8_t> before = rig.StoreFileBytes();

  rig.Disconnect();
  SlowDown();
  rig.keyboard.PlugIn();
  rig.Connect();
  const bool saved = rig.core->LastKeyboardRead().saved;
  SpeedUp();
  EXPECT_FALSE(rig.keyboard.InBracket());
  if (Answers()) {
    EXPECT_TRUE(saved);
    EXPECT_EQ(FactoryMatrixAsRead(), FactoryMatrix());
    EXPECT_EQ(rig.StoreFileBytes(), rig.KeyboardAsFile());
    EXPECT_EQ(rig.core->KeyRecord(kF2Record).type, kFunctionKey);
  } else {
    EXPECT_FALSE(saved);
    EXPECT_EQ(rig.StoreFileBytes(), before);
  }
}

TEST_P(SlowKeyboardTest, Apply) {
  const std::vector<std::uint8_t> before = rig.StoreFileBytes();
  SlowDown();
  rig.core->AssignKey(kF2Record, KeyTo(kKeyB));
  const bool applied = rig.core->Apply();
  SpeedUp();
  EXPECT_FALSE(rig.keyboard.InBracket());
  if (Answers()) {
    EXPECT_TRUE(applied);
    EXPECT_TRUE(rig.core->LastWrite().keyboard_took);
    EXPECT_EQ(rig.StoreFileBytes(), rig.KeyboardAsFile());
    EXPECT_NE(rig.StoreFileBytes(), before);
  } else {
    EXPECT_FALSE(applied);
    EXPECT_FALSE(rig.core->LastWrite().keyboard_took);
    // Nothing claims the change reached the keyboard; Apply stays available.
    EXPECT_TRUE(rig.core->UnappliedChanges());
  }
}

TEST_P(SlowKeyboardTest, Import) {
  ProfileStore file;
  file.macros.push_back(MakeMacro(7, "Seven"));
  for (std::size_t p = 0; p < kProfileCount; ++p) {
    file.Record(p, kF2Record) = KeyTo(kKeyB);
    file.Record(p, 0x3B) = KeyFunction{kFunctionMacro, 0, 7, 0, 0};
  }
  const std::string path = rig.folders.Path("import.zvl");
  ASSERT_TRUE(SaveImageToFile(file, path));
  SlowDown();
  const int result = rig.core->ImportProfileFile(path);
  SpeedUp();
  EXPECT_FALSE(rig.keyboard.InBracket());
  if (Answers()) {
    EXPECT_EQ(result, kCoreImportDone);
    // The keyboard holds the file's keys and macro.
    ProfileStore held;
    ASSERT_TRUE(LoadStoreFromBytes(held, rig.KeyboardAsFile()));
    ASSERT_EQ(held.macros.size(), 1u);
    for (std::size_t p = 0; p < kProfileCount; ++p) {
      EXPECT_EQ(held.Record(p, kF2Record), KeyTo(kKeyB)) << p;
      // The keyboard numbers macros by position.
      EXPECT_EQ(held.Record(p, 0x3B), (KeyFunction{kFunctionMacro, 0, held.macros[0].id, 0, 0})) << p;
    }
  } else {
    EXPECT_EQ(result, kCoreImportWriteFailed);
    EXPECT_FALSE(rig.core->LastWrite().keyboard_took);
    EXPECT_TRUE(rig.core->UnappliedChanges());
  }
}

TEST_P(SlowKeyboardTest, LightingLoad) {
  // Something the load must bring back: profile 0's effect changed behind
  // the program's back.
  const std::uint8_t effect = 7;
  ASSERT_TRUE(rig.keyboard.SetArea(KeyboardArea::kLighting, 0, {&effect, 1}));
  const LightingState before = rig.core->Lighting().State();
  SlowDown();
  const int result = rig.core->Lighting().LoadLighting();
  SpeedUp();
  EXPECT_FALSE(rig.keyboard.InBracket());
  const LightingState& after = rig.core->Lighting().State();
  if (Answers()) {
    EXPECT_EQ(result, kResultDone);
    const auto area = rig.keyboard.Area(KeyboardArea::kLighting);
    EXPECT_TRUE(std::equal(area.begin(), area.end(), after.records.begin()));
    EXPECT_EQ(after.effect, effect);
  } else {
    EXPECT_NE(result, kResultDone);
    EXPECT_EQ(after.records, before.records);
  }
}

INSTANTIATE_TEST_SUITE_P(DelayMs, SlowKeyboardTest, ::testing::Values(400, 900, 1500));

}  // namespace
}  // namespace zarvel
