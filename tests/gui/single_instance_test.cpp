// The messages between two copies, in one process: what a copy accepts on its
// socket and when a probe lets a copy take a socket over.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <array>

#include "app/single_instance.h"
#include "device/main_window_link.h"
#include "gui/support/process_rig.h"

namespace zarvel {
namespace {

using testing::WaitUntil;
using std::chrono::milliseconds;

class SingleInstanceTest : public ::testing::Test {
 protected:
  QString Path() const { return dir_.path() + QStringLiteral("/QX40R11B-1"); }
  // Sends raw bytes to the listening copy, as a misbehaving client would.
  void SendRaw(const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(Path());
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(bytes);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
  }
  static QByteArray Message(quint32 number, quint32 code) {
    QByteArray bytes(8, '\0');
    qToLittleEndian<quint32>(number, bytes.data());
    qToLittleEndian<quint32>(code, bytes.data() + 4);
    return bytes;
  }

  QTemporaryDir dir_;
};

TEST_F(SingleInstanceTest, DefaultSocketLivesInTheUsersRuntimeFolder) {
  EXPECT_EQ(SingleInstance::DefaultSocketPath(), qEnvironmentVariable("XDG_RUNTIME_DIR") + "/QX40R11B-1");
}

TEST_F(SingleInstanceTest, OpenAndKillArriveOthersAreIgnored) {
  SingleInstance first(Path());
  ASSERT_EQ(first.Probe(), ProbeResult::kNoCopy);
  ASSERT_TRUE(first.Listen());
  QSignalSpy opened(&first, &SingleInstance::openRequested);
  QSignalSpy killed(&first, &SingleInstance::killRequested);

  SingleInstance second(Path());
  EXPECT_EQ(second.Probe(), ProbeResult::kCopyRuns);
  EXPECT_TRUE(second.SendToRunningCopy(kOpenMessage, kOpenMessageCode));
  ASSERT_TRUE(WaitUntil([&] { return opened.count() == 1; }, milliseconds(3000)));

  // The code must belong to the number; short and foreign messages do nothing.
  SendRaw(Message(kOpenMessage, kKillMessageCode));
  SendRaw(Message(kKillMessage, kOpenMessageCode));
  SendRaw(Message(kKillMessage, kKillMessageCode).left(7));
  SendRaw(QByteArray("GET / HTTP/1.0\r\n\r\n"));
  WaitUntil([] { return false; }, milliseconds(300));
  EXPECT_EQ(opened.count(), 1);
  EXPECT_EQ(killed.count(), 0);

  EXPECT_TRUE(second.SendToRunningCopy(kKillMessage, kKillMessageCode));
  ASSERT_TRUE(WaitUntil([&] { return killed.count() == 1; }, milliseconds(3000)));
}

TEST_F(SingleInstanceTest, TwoMessagesInOneConnectionBothCount) {
  SingleInstance first(Path());
  ASSERT_TRUE(first.Listen());
  QSignalSpy opened(&first, &SingleInstance::openRequested);
  SendRaw(Message(kOpenMessage, kOpenMessageCode) + Message(kOpenMessage, kOpenMessageCode));
  EXPECT_TRUE(WaitUntil([&] { return opened.count() == 2; }, milliseconds(3000)));
}

TEST_F(SingleInstanceTest, ProbeTellsNoFileStaleFileAndLiveCopyApart) {
  SingleInstance probe(Path());
  EXPECT_EQ(probe.Probe(), ProbeResult::kNoCopy) << "no file";
  EXPECT_FALSE(probe.SendToRunningCopy(kOpenMessage, kOpenMessageCode));

  // A socket file nobody listens on: what a killed copy leaves.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(Path());
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  EXPECT_EQ(probe.Probe(), ProbeResult::kNoCopy) << "stale file";

  SingleInstance taker(Path());
  ASSERT_TRUE(taker.Listen());
  EXPECT_EQ(probe.Probe(), ProbeResult::kCopyRuns);
  taker.Close();
  EXPECT_FALSE(QFile::exists(Path())) << "closing leaves the socket file behind";
}

TEST_F(SingleInstanceTest, AFileThatIsNoSocketIsNotTakenOver) {
  QFile plain(Path());
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  SingleInstance probe(Path());
  // Not a socket we can reach and not provably stale: the copy runs without
  // a socket rather than deleting someone's file.
  EXPECT_EQ(probe.Probe(), ProbeResult::kUnknown);
}

}  // namespace
}  // namespace zarvel
