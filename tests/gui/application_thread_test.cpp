// The whole program in this process, ended at the moments that race with
// its device threads: before the keyboard's first reads are done, in the
// middle of plugging and unplugging, and by another copy's KILL. Each run must
// end (no thread left waiting for another) and leave nothing behind; under
// the thread checker, without a data race.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/application.h"
#include "app/single_instance.h"
#include "gui/support/process_rig.h"

namespace zarvel {
namespace {

class ApplicationShutdownThreadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // No logind here, and never the machine's system bus.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zarvel-test-system-bus", 1);
  }
  static WindowOptions Simulated() {
    WindowOptions options;
    options.keyboard.simulate = true;
    return options;
  }
  static QElapsedTimer Now() {
    QElapsedTimer started;
    started.start();
    return started;
  }
  // Follows the semaphore files this process opens while `application` runs.
  void Watch(Application& application) {
    semaphores_.clear();
    auto* look = new QTimer(&application);
    QObject::connect(look, &QTimer::timeout, [this] { semaphores_.merge(testing::OpenSemaphores(::getpid())); });
    look->start(2);
  }
  void ExpectNothingLeft() {
    EXPECT_FALSE(QFileInfo::exists(SingleInstance::DefaultSocketPath()));
    EXPECT_EQ(testing::LeftoverSemaphores(semaphores_), 0);
  }
  testing::SemaphoreFiles semaphores_;
};

TEST_F(ApplicationShutdownThreadTest, ExitAtEveryMomentOfTheFirstConnection) {
  // An exit at 0 ms may come before the program opened its semaphores (on a
  // loaded machine, even at a few ms): the check that nothing is left must
  // have seen them in the later moments at least.
  bool seen = false;
  for (int delay_ms : {0, 1, 5, 20, 60, 150, 400}) {
    Application application(Simulated(), Now());
    Watch(application);
    QTimer::singleShot(delay_ms, &application, [&] {
      semaphores_.merge(testing::OpenSemaphores(::getpid()));
      application.RequestExit();
    });
    EXPECT_EQ(application.Run(), 0) << "exit after " << delay_ms << " ms";
    seen = seen || !semaphores_.empty();
    ExpectNothingLeft();
  }
  EXPECT_TRUE(seen) << "the semaphores were never seen";
}

TEST_F(ApplicationShutdownThreadTest, ExitWhilePluggingConcurrently) {
  Application application(Simulated(), Now());
  Watch(application);
  std::atomic<bool> stop{false};
  std::thread plugger;
  // Only once the program runs: before it watches the signals they would end
  // this test process.
  QTimer::singleShot(0, &application, [&] {
    plugger = std::thread([&] {
      for (int i = 0; !stop; ++i) {
        ::kill(::getpid(), i % 2 == 0 ? SIGUSR1 : SIGUSR2);
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
      }
    });
  });
  QTimer::singleShot(700, &application, [&] {
    // The plugging stops first: a signal arriving after the program stopped
    // watching would end this test process.
    stop = true;
    if (plugger.joinable()) plugger.join();
    application.RequestExit();
  });
  EXPECT_EQ(application.Run(), 0);
  if (plugger.joinable()) {
    stop = true;
    plugger.join();
  }
  ExpectNothingLeft();
}

TEST_F(ApplicationShutdownThreadTest, KillFromAnotherCopyWhileConnecting) {
  for (int delay_ms : {0, 30, 200}) {
    Application application(Simulated(), Now());
    Watch(application);
    std::thread other_copy([delay_ms] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      SingleInstance copy;
      for (int attempt = 0; attempt < 200; ++attempt) {
        if (copy.SendToRunningCopy(kKillMessage, kKillMessageCode)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
    EXPECT_EQ(application.Run(), 0) << "KILL after " << delay_ms << " ms";
    other_copy.join();
    ExpectNothingLeft();
  }
}

}  // namespace
}  // namespace zarvel
