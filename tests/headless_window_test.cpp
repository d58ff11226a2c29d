#include "core/headless_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/input_listener.h"
#include "device/simulated_backend.h"

namespace zarvel {
namespace {

using std::chrono::milliseconds;

TEST(HeadlessWindowThreadTest, AnnouncementsWhileTheWindowIsBusyMergeIntoOneTimerRun) {
  SimulatedKeyboard keyboard;
  SimulatedBackend backend(keyboard);
  HidDevice notifications(backend);
  ConnectionContext context;
  SilentPrompter prompter;
  std::vector<int> fired;
  HeadlessMainWindow::Handlers handlers;
  handlers.timer = [&](int id) { fired.push_back(id); };
  HeadlessMainWindow window(prompter, handlers);
  InputListener listener(notifications, context, window, ListenerTiming{milliseconds(10), milliseconds(1), milliseconds(1)});
  listener.Start();
  for (int i = 0; i < 5000 && !listener.IsListening(); ++i) std::this_thread::sleep_for(milliseconds(1));
  ASSERT_TRUE(listener.IsListening());

  // The window thread is busy while three profile changes arrive.
  for (int i = 0; i < 3; ++i) keyboard.SendNotification(kProfileNotification);
  keyboard.SendNotification(kReloadNotification);
  std::this_thread::sleep_for(milliseconds(100));
  while (window.ProcessEvents(milliseconds(20)) > 0) {
  }
  listener.Stop();
  EXPECT_EQ(fired, (std::vector<int>{kProfileNotificationTimer, kReloadNotificationTimer}));

  // Once handled, the next announcement starts the timer again.
  window.StartTimer(kProfileNotificationTimer, 0);
  window.ProcessEvents(milliseconds(0));
  EXPECT_EQ(fired.size(), 3u);
}

TEST(HeadlessWindowThreadTest, SendsRunOnTheWindowThreadAndShutdownReleasesThem) {
  SilentPrompter prompter;
  std::thread::id ran_on;
  HeadlessMainWindow::Handlers handlers;
  handlers.profile_message = [&] { ran_on = std::this_thread::get_id(); };
  HeadlessMainWindow window(prompter, handlers);

  std::atomic<bool> returned{false};
  std::thread monitor([&] {
    window.SendProfileMessage();
    returned = true;
  });
  while (window.ProcessEvents(milliseconds(10)) == 0) {
  }
  monitor.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ran_on, std::this_thread::get_id());

  // Nobody processes any more: a send must not hang the sender for ever.
  std::thread late([&] { window.SendCloseDialogsMessage(); });
  std::this_thread::sleep_for(milliseconds(20));
  window.Shutdown();
  late.join();
}

}  // namespace
}  // namespace zarvel
