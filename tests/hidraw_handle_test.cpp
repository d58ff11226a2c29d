// The hidraw transfer rules on a stand-in node: a packet socket keeps report
// boundaries like hidraw does, blocks a writer when full like the kernel holds
// a write, and hangs up like an unplugged node.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <vector>

#include "device/hid_backend.h"
#include "device/hidraw_backend.h"

namespace zarvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class HidrawHandleTest : public ::testing::Test {
 protected:
  void Make(bool numbered) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
    peer = fds[1];
    handle = MakeHidrawHandle(fds[0], HidInterfaceFacts{}, numbered);
  }
  void TearDown() override {
    handle.reset();
    if (peer >= 0) ::close(peer);
  }
  void Send(std::vector<std::uint8_t> report) {
    ASSERT_EQ(::send(peer, report.data(), report.size(), 0), static_cast<ssize_t>(report.size()));
  }
  std::vector<std::uint8_t> Receive() {
    std::vector<std::uint8_t> buffer(256);
    const ssize_t n = ::recv(peer, buffer.data(), buffer.size(), MSG_DONTWAIT);
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return buffer;
  }

  int peer = -1;
  CancelEvent cancel;
  std::unique_ptr<HidHandle> handle;
};

TEST_F(HidrawHandleTest, ReportIdByteIsByteZeroBothWays) {
  Make(true);
  const std::vector<std::uint8_t> request = {0x04, 0x01, 0x00, 0x01};
  std::size_t n = 0;
  ASSERT_EQ(handle->Write(request, n, 1000, cancel.fd()), HidTransfer::kDone);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(Receive(), request);  // hidraw takes the id as byte 0 of the write

  Send({0x04, 0xAA, 0xBB});
  std::uint8_t buffer[64] = {};
  ASSERT_EQ(handle->Read(buffer, n, 300, cancel.fd()), HidTransfer::kDone);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(buffer[0], 0x04);
  EXPECT_EQ(buffer[1], 0xAA);
}

TEST_F(HidrawHandleTest, UnnumberedReportsGetAZeroIdByte) {
  Make(false);
  Send({0x02, 0x00, 0x04});
  std::uint8_t buffer[9];
  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  std::size_t n = 0;
  ASSERT_EQ(handle->Read(buffer, n, 300, cancel.fd()), HidTransfer::kDone);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(buffer[0], 0x00);
  EXPECT_EQ(buffer[1], 0x02);
  EXPECT_EQ(buffer[3], 0x04);
}

TEST_F(HidrawHandleTest, QueuedReportsAreDiscardedAndTimeoutsKeepTheirLimit) {
  Make(true);
  Send({0x04, 1});
  Send({0x04, 2});
  EXPECT_EQ(handle->DiscardQueuedInput(), 2u);
  EXPECT_EQ(handle->DiscardQueuedInput(), 0u);  // an empty queue never blocks
  std::uint8_t buffer[64];
  std::size_t n = 0;
  const auto start = Clock::now();
  EXPECT_EQ(handle->Read(buffer, n, 100, cancel.fd()), HidTransfer::kTimeout);
  EXPECT_GE(Clock::now() - start, 95ms);
  cancel.Signal();
  EXPECT_EQ(handle->Read(buffer, n, -1, cancel.fd()), HidTransfer::kCancelled);
}

TEST_F(HidrawHandleTest, UnpluggedNodeFailsReads) {
  Make(true);
  ::close(peer);
  peer = -1;
  std::uint8_t buffer[64];
  std::size_t n = 0;
  EXPECT_EQ(handle->Read(buffer, n, -1, cancel.fd()), HidTransfer::kFailed);
}

TEST_F(HidrawHandleTest, WriteThreadEnforcesTheTimeLimitOnAStuckWrite) {
  std::signal(SIGPIPE, SIG_IGN);
  Make(true);
  // Fill the node until a write would block, as the kernel blocks while the
  // keyboard does not take the report.
  const std::vector<std::uint8_t> report(64, 0x04);
  int queued = 0;
  std::size_t n = 0;
  const auto start = Clock::now();
  HidTransfer result = HidTransfer::kDone;
  while (result == HidTransfer::kDone && queued < 10000) {
    result = handle->Write(report, n, 200, cancel.fd());
    ++queued;
  }
  ASSERT_EQ(result, HidTransfer::kTimeout);
  EXPECT_LT(Clock::now() - start, 5s);
  // The next write waits for the stuck one within its own limit.
  const auto again = Clock::now();
  EXPECT_EQ(handle->Write(report, n, 100, cancel.fd()), HidTransfer::kTimeout);
  EXPECT_GE(Clock::now() - again, 95ms);
  // The keyboard takes reports again: everything goes through.
  while (!Receive().empty()) {
  }
  EXPECT_EQ(handle->Write(report, n, 1000, cancel.fd()), HidTransfer::kDone);
  while (!Receive().empty()) {
  }
}

}  // namespace
}  // namespace zarvel
