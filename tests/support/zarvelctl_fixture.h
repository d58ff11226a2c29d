#pragma once
// Runs the built zarvelctl as people and scripts do: a separate process in a
// scratch folder of its own, with private settings and data folders and the
// C locale, its output and exit status captured.
#include <gtest/gtest.h>

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

  std::filesystem::path program_;
  std::filesystem::path dir_;
};

}  // namespace zarvel
