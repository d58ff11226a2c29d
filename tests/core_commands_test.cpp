// zarvelctl's sync, assign, defaults, import and export: the built binary,
// run in a scratch folder against a simulated keyboard whose memory is kept
// in a state file between runs, with its own per-user store.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/atomic_file.h"
#include "model/profile_store.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class CoreCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(ZARVEL_PROGRAM_DIR) / "zarvelctl";
    if (!fs::exists(program_)) GTEST_SKIP() << "zarvelctl is not built";
    dir_ = fs::temp_directory_path() / ("zarvel-core-commands-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::string File(const char* name) const { return (dir_ / name).string(); }

  // zarvelctl --simulate=<state> ARGS...
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv_text{program_.string(), "--simulate=" + File("keyboard.txt")};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text{"XDG_CONFIG_HOME=" + File("config"), "XDG_DATA_HOME=" + File("data"),
                                      "LANG=C"};
    std::vector<char*> env;
    for (std::string& e : env_text) env.push_back(e.data());
    env.push_back(nullptr);

    const std::string out_path = File("stdout"), err_path = File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    RunResult result;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = Slurp(out_path);
    result.err = Slurp(err_path);
    return result;
  }

  fs::path program_;
  fs::path dir_;
};

TEST_F(CoreCommandsTest, AssignedKeysReachTheKeyboardAndComeBackOnSync) {
  RunResult r = Run({"assign", "f1", "key:b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "F1 - key (B)\n");
  ASSERT_EQ(Run({"assign", "Caps Lock", "mouse:wheel-up"}).status, 0);
  ASSERT_EQ(Run({"assign", "Esc", "media:mute"}).status, 0);
  ASSERT_EQ(Run({"assign", "Tab", "function:1"}).status, 0);

  r = Run({"sync"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("F1 - key (B)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Caps Lock - key (Wheel Up)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Esc - multimedia (Mute)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Tab - keyboard function"), std::string::npos) << r.out;

  r = Run({"assign", "F1", "default"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Run({"sync"}).out.find("F1 - "), std::string::npos);
}

TEST_F(CoreCommandsTest, UnknownKeysFunctionsAndMacrosAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {"assign", "Nokey", "default"},     {"assign", "F1", "key:nokey"},   {"assign", "F1", "mouse:side"},
      {"assign", "F1", "media:nothing"},  {"assign", "F1", "function:0"},  {"assign", "F1", "function:12"},
      {"assign", "F1", "macro:x"},        {"assign", "F1", "macro:7"},     {"assign", "F1", "teleport"},
      {"assign", "F1", "key:G1"},         {"defaults", "--no"},
  };
  for (const auto& args : bad) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << args.back();
    EXPECT_FALSE(r.err.empty()) << args.back();
  }
}

TEST_F(CoreCommandsTest, DefaultsOnlyWithYes) {
  ASSERT_EQ(Run({"assign", "F1", "disabled"}).status, 0);
  RunResult r = Run({"defaults"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("answered No"), std::string::npos) << r.err;
  EXPECT_NE(Run({"sync"}).out.find("F1 - "), std::string::npos);

  r = Run({"defaults", "--yes"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Run({"sync"}).out.find("F1 - "), std::string::npos);
}

TEST_F(CoreCommandsTest, ExportThenImportRoundTripsAndShortFilesAreRefused) {
  ASSERT_EQ(Run({"assign", "F2", "key:c"}).status, 0);
  ASSERT_EQ(Run({"export", File("backup.zvl")}).status, 0);
  ProfileStore exported;
  ASSERT_TRUE(LoadStoreFile(exported, File("backup.zvl")));
  EXPECT_EQ(exported.Record(0, 0x3C), (KeyFunction{kFunctionKey, 0, 0x2E, 0, 0}));

  ASSERT_EQ(Run({"assign", "F2", "default"}).status, 0);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(File("backup.zvl"), bytes));
  bytes.resize(bytes.size() - 10);
  ASSERT_TRUE(WriteFileAtomically(File("short.zvl"), bytes));
  RunResult r = Run({"import", File("short.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(Run({"sync"}).out.find("F2 - "), std::string::npos);

  r = Run({"import", File("backup.zvl")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Run({"sync"}).out.find("F2 - key (C)"), std::string::npos);
}

}  // namespace
}  // namespace zarvel
