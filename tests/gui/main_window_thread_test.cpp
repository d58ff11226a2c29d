// The Qt link between the device threads and the window, and the window's
// keyboard writes on their worker, under the thread checker.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/qt_window_link.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using std::chrono::milliseconds;
using testing::KeyTo;
using testing::MainWindowRig;

void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(QtWindowLinkThreadTest, TimersMergeTrayPicturesRepeatNothingAndMessagesNeverBlock) {
  std::vector<int> timers;
  std::vector<int> icons;
  std::vector<std::string> boxes;
  QtWindowLink::Handlers handlers;
  handlers.timer = [&](int id) { timers.push_back(id); };
  handlers.tray_icon = [&](int icon) { icons.push_back(icon); };
  handlers.message_box = [&](const std::string& key) { boxes.push_back(key); };
  QtWindowLink link(handlers);

  std::thread listener([&] {
    for (int i = 0; i < 3; ++i) link.StartTimer(kProfileNotificationTimer, 0);
    link.StartTimer(kReloadNotificationTimer, 0);
    for (int icon : {kConnectedTrayIcon, kConnectedTrayIcon, kIndicatorTrayIcon, kConnectedTrayIcon})
      link.ShowTrayIcon(icon);
    link.ShowMessageBox("MAIN_DEFAULT_MATRIX_PROMPT");  // returns although nobody runs the window yet
  });
  listener.join();
  RunEventsFor(20);
  EXPECT_EQ(timers, (std::vector<int>{kProfileNotificationTimer, kReloadNotificationTimer}));
  EXPECT_EQ(icons, (std::vector<int>{kConnectedTrayIcon, kIndicatorTrayIcon, kConnectedTrayIcon}));
  EXPECT_EQ(boxes, (std::vector<std::string>{"MAIN_DEFAULT_MATRIX_PROMPT"}));

  // Handled: the next announcement runs the timer again.
  link.StartTimer(kProfileNotificationTimer, 0);
  RunEventsFor(10);
  EXPECT_EQ(timers.size(), 3u);
}

TEST(QtWindowLinkThreadTest, ASendWaitsForItsLateDoneAndShutdownReleasesIt) {
  QtWindowLink::Done pending;
  QtWindowLink::Handlers handlers;
  handlers.profile_message = [&](QtWindowLink::Done done) { pending = std::move(done); };
  QtWindowLink link(handlers);

  std::atomic<bool> returned{false};
  std::thread monitor([&] {
    link.SendProfileMessage();
    returned = true;
  });
  RunEventsFor(30);
  ASSERT_TRUE(pending);
  EXPECT_FALSE(returned);  // handled, but its work has not finished
  pending();
  monitor.join();
  EXPECT_TRUE(returned);

  // At shutdown nobody will finish it: the monitor must not hang.
  pending = nullptr;
  std::thread late([&] { link.SendProfileMessage(); });
  RunEventsFor(20);
  link.Release();
  late.join();
  // Released: a send returns at once without reaching the window.
  link.SendCloseDialogsMessage();
}

TEST(MainWindowThreadTest, ShutdownWhileTheConnectionsProfilesAreBeingRead) {
  MainWindowRig rig;
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(1000));
  rig.monitor = std::make_unique<ConnectionMonitor>(rig.link, rig.context, rig.window->Link(),
                                                    MonitorTiming{milliseconds(20), milliseconds(10), milliseconds(0)});
  rig.monitor->Start();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->Writes().Running(); }));
  rig.Shutdown();  // must neither hang nor touch a core that is gone
  SUCCEED();
}

TEST(MainWindowThreadTest, ShutdownWithTheKeyDialogOpenClosesItBeforeTheCoreGoes) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  rig.Click(1058);  // A: the key-function dialog opens on the core
  rig.Shutdown();   // must not leave the dialog holding a core that is gone
  SUCCEED();
}

TEST(MainWindowThreadTest, KeyboardAnnouncementsWaitUntilARunningWriteHasEnded) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(1000));
  rig.core->AssignKey(0x1E, KeyTo(0x30));
  rig.keyboard.ClearExchanges();
  rig.Click(kApplyButtonId);
  ASSERT_TRUE(rig.window->Writes().Running());
  rig.keyboard.ChangeProfileOnKeyboard(2);
  ASSERT_TRUE(rig.WaitFor([&] { return rig.Button(kProfileButtonIds[2])->isChecked(); }));
  ASSERT_TRUE(rig.WaitIdle());

  // The keyboard saw the whole write bracket before anything of the switch.
  const std::vector<std::uint8_t> commands = rig.Commands();
  const auto begin = std::find(commands.begin(), commands.end(), 0x01);
  const auto end = std::find(commands.begin(), commands.end(), 0x02);
  ASSERT_NE(begin, commands.end());
  ASSERT_NE(end, commands.end());
  EXPECT_EQ(std::count(begin, end, 0x03) + std::count(begin, end, 0x04), 0);
  EXPECT_NE(std::find(end, commands.end(), 0x04), commands.end());
}

int KeyMatrixWrites(const std::vector<std::uint8_t>& commands) {
  return static_cast<int>(std::count(commands.begin(), commands.end(), 0x08));
}

// The exit request may come while the window's thread sits in another loop
// and runs none of the worker's questions: the worker must not wait for it.
TEST(MainWindowThreadTest, ExitWhileAWriteWaitsForItsQuestionNeverWaitsForTheWindow) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.answers["MAIN_PROMPT_DEFAULT"] = true;  // a Yes that would come too late
  rig.keyboard.ClearExchanges();
  rig.Click(kDefaultButtonId);
  ASSERT_TRUE(rig.window->Writes().Running());
  std::this_thread::sleep_for(milliseconds(50));  // the worker now waits for its answer
  rig.window->ReleaseForExit();
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(rig.window->Writes().WaitForWorker(milliseconds(2000)));
  EXPECT_LT(clock.elapsed(), 500);
  EXPECT_EQ(KeyMatrixWrites(rig.Commands()), 0) << "the defaults were written on the way out";
  rig.Shutdown();
}

// 0x4753 while the Default question is open, and the user's Yes after it:
// the keyboard it asked about is gone, so nothing is written.
TEST(MainWindowThreadTest, AQuestionOutlivedByItsKeyboardAnswersNo) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->Prompts().SetResponder([&](const PromptRecord& prompt) {
    rig.prompts.push_back(prompt);
    rig.window->CloseChildDialogs();  // the keyboard went away meanwhile
    return true;
  });
  rig.keyboard.ClearExchanges();
  rig.Click(kDefaultButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.PromptedWith("MAIN_PROMPT_DEFAULT"));
  EXPECT_EQ(KeyMatrixWrites(rig.Commands()), 0) << "the defaults were written for a keyboard that was gone";

  // The next question is meant again.
  rig.window->Prompts().SetResponder([](const PromptRecord&) { return true; });
  rig.Click(kDefaultButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_GT(KeyMatrixWrites(rig.Commands()), 0);
}

}  // namespace
}  // namespace zarvel
