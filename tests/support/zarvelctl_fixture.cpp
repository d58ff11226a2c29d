#include "support/zarvelctl_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "skin/program_paths.h"

namespace zarvel {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void ZarvelctlFixture::SetUp() {
  program_ = fs::path(ZARVEL_PROGRAM_DIR) / "zarvelctl";
  if (!fs::exists(program_)) GTEST_SKIP() << "zarvelctl is not built";
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = fs::temp_directory_path() /
         ("zarvelctl-test-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  SetProgramFolder(ZARVEL_PROGRAM_DIR);
}

void ZarvelctlFixture::TearDown() {
  if (!dir_.empty()) fs::remove_all(dir_);
}

RunResult ZarvelctlFixture::Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

pid_t ZarvelctlFixture::Start(const std::vector<std::string>& args) {
  std::vector<std::string> argv_text;
  if (as_unprivileged_user_ && ::geteuid() == 0) {
    // The scratch folder becomes nobody's to work in, like a home folder.
    fs::permissions(dir_, fs::perms::all);
    argv_text = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  }
  argv_text.push_back(program_.string());
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text{"XDG_CONFIG_HOME=" + File("config"), "XDG_DATA_HOME=" + File("data"),
                                    "LANG=C"};
  env_text.insert(env_text.end(), env_.begin(), env_.end());
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);

  const std::string out_path = stdout_path_.empty() ? File("stdout") : stdout_path_, err_path = File("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

RunResult ZarvelctlFixture::Wait(pid_t pid) {
  RunResult result;
  if (pid <= 0) return result;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (stdout_path_.empty()) result.out = Slurp(File("stdout"));
  result.err = Slurp(File("stderr"));
  return result;
}

}  // namespace zarvel
