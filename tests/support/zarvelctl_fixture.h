#pragma once
// Runs the built zarvelctl as people and scripts do: a separate process in a
// scratch folder of its own, with private settings and data folders and the
// C locale, its output and exit status captured.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zarvel {

struct RunResult {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

std::string Slurp(const std::filesystem::path& path);

class ZarvelctlFixture : public ::testing::Test {
 protected:
  // Skips the test when zarvelctl is not built.
  void SetUp() override;
  void TearDown() override;

  std::string File(const char* name) const { return (dir_ / name).string(); }
  // zarvelctl ARGS..., started in the scratch folder.
  RunResult Run(const std::vector<std::string>& args);
  // The same in two steps, for a test that acts on the run meanwhile:
  // Start() returns the process id (-1 when it could not be started), Wait()
  // collects it.
  pid_t Start(const std::vector<std::string>& args);
  RunResult Wait(pid_t pid);

  std::filesystem::path program_;
  std::filesystem::path dir_;
  // Added to the run's environment ("NAME=value").
  std::vector<std::string> env_;
  // Runs as the unprivileged user "nobody" when the tests run as root (as CI
  // does), so the system's permission checks apply; as anyone else the run
  // keeps the caller's user. Set before the first Run().
  bool as_unprivileged_user_ = false;
  // Where the run's standard output goes; the scratch folder's "stdout" when empty.
  std::string stdout_path_;
  // The per-user data folder the runs use.
  std::filesystem::path UserData() const { return dir_ / "data" / "Varnok Z7Q3RGB"; }
};

}  // namespace zarvel
