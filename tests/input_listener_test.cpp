#include "device/input_listener.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/simulated_backend.h"
#include "support/recording_window.h"

namespace zarvel {
namespace {

using std::chrono::milliseconds;
using testing::RecordingWindow;

constexpr ListenerTiming kFast{milliseconds(10), milliseconds(1), milliseconds(1)};

bool WaitUntil(const std::function<bool()>& condition, milliseconds deadline = milliseconds(5000)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return true;
}

struct ListenerRig {
  SimulatedKeyboard keyboard;
  SimulatedBackend backend{keyboard};
  HidDevice notifications{backend};
  ConnectionContext context;
  RecordingWindow window;
  InputListener listener{notifications, context, window, kFast};

  void StartListening() {
    listener.Start();
    ASSERT_TRUE(WaitUntil([&] { return listener.IsListening(); }));
  }
};

TEST(InputListenerTest, ListenerStartsTheWindowTimersOfProfileAndReloadNotifications) {
  ListenerRig rig;
  rig.StartListening();
  // Three quick profile changes: each starts the timer; the window merges them.
  rig.keyboard.SendNotification(kProfileNotification);
  rig.keyboard.SendNotification(kProfileNotification);
  rig.keyboard.SendNotification(kProfileNotification);
  rig.keyboard.SendNotification(0x0999);  // unknown: ignored
  rig.keyboard.SendNotification(kReloadNotification);
  ASSERT_TRUE(rig.window.WaitFor("timer 1053 0"));
  rig.listener.Stop();
  EXPECT_EQ(rig.window.Events(),
            (std::vector<std::string>{"timer 1051 0", "timer 1051 0", "timer 1051 0", "timer 1053 0"}));
}

TEST(InputListenerTest, ListenerIndicatorThreadsSwitchTheTrayPicture) {
  ListenerRig rig;
  rig.context.SetConnectionIcon(kConnectedTrayIcon);
  rig.StartListening();
  rig.keyboard.SendNotification(kIndicatorOnNotification);
  ASSERT_TRUE(rig.window.WaitFor("tray 142"));
  rig.keyboard.SendNotification(kIndicatorOffNotification);
  ASSERT_TRUE(rig.window.WaitFor("tray 141"));
  // Indicator-off brings back whatever the connection shows by then.
  rig.context.SetConnectionIcon(kNotConnectedTrayIcon);
  rig.keyboard.SendNotification(kIndicatorOffNotification);
  ASSERT_TRUE(rig.window.WaitFor("tray 128"));
  rig.listener.Stop();
  EXPECT_EQ(rig.window.Events(), (std::vector<std::string>{"tray 142", "tray 141", "tray 128"}));
}

TEST(InputListenerTest, ListenerConcurrentIndicatorThreadsAllFinish) {
  ListenerRig rig;
  for (int i = 0; i < 20; ++i) rig.listener.HandleUsage(i % 2 ? kIndicatorOnNotification : kIndicatorOffNotification);
  rig.listener.Stop();  // joins every tray thread
  EXPECT_EQ(rig.window.Count("tray 142"), 10);
  EXPECT_EQ(rig.window.Count("tray 128"), 10);
}

TEST(InputListenerTest, ListenerFindsTheKeyboardAgainAfterAnUnplug) {
  ListenerRig rig;
  rig.StartListening();
  rig.keyboard.Unplug();
  ASSERT_TRUE(WaitUntil([&] { return !rig.listener.IsListening(); }));
  EXPECT_FALSE(rig.notifications.IsOpen());
  rig.keyboard.PlugIn();
  ASSERT_TRUE(WaitUntil([&] { return rig.listener.IsListening(); }));
  rig.keyboard.ChangeProfileOnKeyboard(2);
  EXPECT_TRUE(rig.window.WaitFor("timer 1051 0"));
  rig.listener.Stop();
}

TEST(InputListenerTest, ListenerStopEndsAReadThatWaitsWithoutLimit) {
  ListenerRig rig;
  rig.StartListening();
  rig.listener.Stop();
  EXPECT_FALSE(rig.listener.IsRunning());
  EXPECT_FALSE(rig.notifications.IsOpen());
  // Stopped while no keyboard was there to be found.
  ListenerRig empty;
  empty.keyboard.Unplug();
  empty.listener.Start();
  std::this_thread::sleep_for(milliseconds(20));
  empty.listener.Stop();
  EXPECT_FALSE(empty.listener.IsRunning());
}

}  // namespace
}  // namespace zarvel
