#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  // Window tests render offscreen unless the caller chose a display (the
  // Xvfb tests set their own), never touch the user's settings or data, and
  // never reach the desktop's session bus.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zarvel-test-bus", 0);
  char pattern[] = "/tmp/zarvel-gui-test-home-XXXXXX";
  const char* home = ::mkdtemp(pattern);
  std::string root = home ? home : "/tmp";
  ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
  std::filesystem::create_directories(root + "/run");
  std::filesystem::permissions(root + "/run", std::filesystem::perms::owner_all);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  if (home) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  return result;
}
