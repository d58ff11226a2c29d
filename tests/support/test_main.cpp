#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Tests must never touch the user's real settings or data folders.
  ::setenv("XDG_CONFIG_HOME", "/nonexistent/zarvel-test-config", 1);
  ::setenv("XDG_DATA_HOME", "/nonexistent/zarvel-test-data", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
