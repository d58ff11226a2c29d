#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  // Tests must never touch the user's real settings or data folders: each test
  // program gets private ones, removed when it ends. Tests that need their own
  // set XDG_CONFIG_HOME / XDG_DATA_HOME themselves.
  char pattern[] = "/tmp/zarvel-test-home-XXXXXX";
  const char* home = ::mkdtemp(pattern);
  std::string root = home ? home : "/tmp";
  ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  if (home) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  return result;
}
