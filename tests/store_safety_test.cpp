// zarvelctl under hostile conditions: parallel runs, a busy store, special
// files where files belong, a refused import, full disks. The built binary
// runs against a simulated keyboard kept in a state file, with its own
// per-user store; nothing here may hang, lose an assignment or report a
// failure as success.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/atomic_file.h"
#include "model/macro.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "support/core_rig.h"
#include "support/zarvelctl_fixture.h"

namespace zarvel {
namespace {

namespace fs = std::filesystem;

class StoreSafetyTest : public ZarvelctlFixture {
 protected:
  void SetUp() override {
    ZarvelctlFixture::SetUp();
    env_.push_back("ZARVEL_LOCK_WAIT=0.3");
  }
  std::string State() const { return File("keyboard.txt"); }
  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--simulate=" + State()};
    all.insert(all.end(), args.begin(), args.end());
    return ZarvelctlFixture::Run(all);
  }
  std::string StoreFile() const { return (UserData() / "$Profile0").string(); }
  std::vector<std::uint8_t> Bytes(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
  }
  // Holds an exclusive flock on `path` for as long as the returned descriptor is open.
  static int HoldLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::flock(fd, LOCK_EX);
    return fd;
  }
};

TEST_F(StoreSafetyTest, ConcurrentAssignmentsAreAllKept) {
  ASSERT_EQ(Run({"sync"}).status, 0);
  const std::vector<std::string> keys = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8"};
  std::vector<pid_t> children;
  for (const std::string& key : keys) {
    std::vector<std::string> args{program_.string(), "--simulate=" + State(), "assign", key, "key:b"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Long enough that every run gets its turn: the point is that none is lost.
    std::vector<std::string> env_text{"XDG_CONFIG_HOME=" + File("config"), "XDG_DATA_HOME=" + File("data"),
                                      "LANG=C", "ZARVEL_LOCK_WAIT=60"};
    std::vector<char*> env;
    for (std::string& e : env_text) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  // The keyboard (read back by sync) and the store file both hold all of them.
  const RunResult synced = Run({"sync"});
  for (const std::string& key : keys) EXPECT_NE(synced.out.find(key + " - key (B)"), std::string::npos) << key;
  ProfileStore store;
  ASSERT_TRUE(LoadStoreFile(store, StoreFile()));
  EXPECT_EQ(store.Record(0, 0x3B).value, 0x30u);  // F1
  EXPECT_EQ(store.Record(0, 0x42).value, 0x30u);  // F8
}

TEST_F(StoreSafetyTest, BusyStoreOrStateFileIsSaidAndNothingChanges) {
  ASSERT_EQ(Run({"sync"}).status, 0);
  const auto before = Bytes(StoreFile());
  {
    const int held = HoldLock((UserData() / "zarvel.lock").string());
    ASSERT_GE(held, 0);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"assign", "F1", "key:b"}, {"sync"}, {"info"}}) {
      const RunResult r = Run(args);
      EXPECT_EQ(r.status, 1) << args[0];
      EXPECT_NE(r.err.find("another Zarvel process is busy"), std::string::npos) << r.err;
    }
    // Commands that touch neither the store nor the keyboard do not wait.
    EXPECT_EQ(Run({"new-file", File("new.zvl")}).status, 0);
    ::close(held);
  }
  EXPECT_EQ(Bytes(StoreFile()), before);
  {
    const int held = HoldLock(State() + ".lock");
    ASSERT_GE(held, 0);
    const RunResult r = Run({"info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("another process is using the simulated keyboard"), std::string::npos) << r.err;
    ::close(held);
  }
  EXPECT_EQ(Run({"assign", "F1", "key:b"}).status, 0);
}

TEST_F(StoreSafetyTest, SpecialKeyTheKeyboardCannotStoreIsRefused) {
  ASSERT_EQ(Run({"sync"}).status, 0);
  const auto before = Bytes(StoreFile());
  const RunResult r = Run({"assign", "G3", "media:Mute"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot store a function for G3"), std::string::npos) << r.err;
  EXPECT_EQ(Bytes(StoreFile()), before);
  EXPECT_EQ(Run({"assign", "G3", "default"}).status, 0);  // clearing it is always fine
}

TEST_F(StoreSafetyTest, FailedImportAndAssignLeaveTheStoreFileAsItWas) {
  ASSERT_EQ(Run({"assign", "F2", "key:c"}).status, 0);
  const auto before = Bytes(StoreFile());

  // One macro far larger than the keyboard's macro memory.
  ProfileStore big;
  MacroRecord macro;
  macro.id = 1;
  macro.repeat = 1;
  SetMacroNameUtf8(macro, "Huge");
  macro.actionCount = static_cast<std::uint16_t>(kMaxMacroActions);
  for (std::size_t i = 0; i < kMaxMacroActions; ++i)
    macro.actions[i] = MacroAction{5, 0x1E, static_cast<std::uint16_t>(i % 2 == 0 ? kPress : kRelease)};
  big.macros.push_back(macro);
  ASSERT_TRUE(SaveImageToFile(big, File("huge.zvl")));
  RunResult r = Run({"import", File("huge.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Bytes(StoreFile()), before);
  EXPECT_EQ(Run({"assign", "F3", "key:d"}).status, 0) << "a refused import must not block later assignments";
  const auto after_assign = Bytes(StoreFile());

  // An active profile the program cannot address: the keyboard refuses the
  // assignment before anything is sent.
  std::string state = Slurp(State());
  const std::size_t info = state.find("[device_info]");
  ASSERT_NE(info, std::string::npos);
  state.insert(state.find("\n[", info) + 1, "000a: 07\n");  // the section's last line wins
  ASSERT_TRUE(WriteFileAtomically(State(), state));
  r = Run({"assign", "F4", "key:e"});
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(Bytes(StoreFile()), after_assign);
}

TEST_F(StoreSafetyTest, ImportedKeysMustPlayMacrosTheFileHolds) {
  ProfileStore dangling;
  dangling.macros.push_back(testing::MakeMacro(4, "Four", 0x1E));
  dangling.Record(0, 0x3B) = KeyFunction{kFunctionMacro, 0, 9, 0, 0};  // F1 plays a macro that is not there
  dangling.Record(0, 0x3C) = KeyFunction{kFunctionMacro, 0, 4, 0, 0};  // F2 plays macro 4
  ASSERT_TRUE(SaveImageToFile(dangling, File("dangling.zvl")));
  RunResult r = Run({"import", File("dangling.zvl")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("profile 1 F1"), std::string::npos) << r.err;
  const RunResult synced = Run({"sync"});
  EXPECT_EQ(synced.out.find("F1 - "), std::string::npos) << synced.out;
  EXPECT_NE(synced.out.find("F2 - "), std::string::npos) << synced.out;

  const auto before = Bytes(StoreFile());
  dangling.macros.push_back(dangling.macros.front());  // a second macro with id 4
  ASSERT_TRUE(SaveImageToFile(dangling, File("twice.zvl")));
  r = Run({"import", File("twice.zvl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("two macros with the same number"), std::string::npos) << r.err;
  EXPECT_EQ(Bytes(StoreFile()), before);
}

TEST_F(StoreSafetyTest, SpecialFilesNeverHangAndAreNamedInTheError) {
  const std::string fifo = File("fifo.zvl");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"validate", fifo}, {"dump", fifo}, {"import", fifo}, {"write", fifo}}) {
    const RunResult r = Run(args);
    EXPECT_NE(r.status, 0) << args[0];
    EXPECT_NE(r.err.find(fifo), std::string::npos) << args[0] << ": " << r.err;
  }
  // A state file that cannot be read is an error, and is left as it is.
  for (const std::string& state : {fifo, std::string("/dev/zero"), File("")}) {
    const RunResult r = ZarvelctlFixture::Run({"--simulate=" + state, "info"});
    EXPECT_EQ(r.status, 1) << state;
    EXPECT_NE(r.err.find("state file"), std::string::npos) << state << ": " << r.err;
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  const RunResult missing = ZarvelctlFixture::Run({"--simulate=" + File("no/such/folder/kb.txt"), "info"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;

  const std::string other = "[keyboard]\nvendor = 320f\nproduct = 5000\n[lighting]\n0000: 09\n";
  ASSERT_TRUE(WriteFileAtomically(File("other.txt"), other));
  EXPECT_EQ(ZarvelctlFixture::Run({"--simulate=" + File("other.txt"), "info"}).status, 1);
  EXPECT_EQ(Slurp(File("other.txt")), other);
}

TEST_F(StoreSafetyTest, FaultsAreScriptableFromTheCommandLine) {
  // A keyboard that unplugs after a few exchanges: the run fails instead of
  // reporting what it could not read.
  EXPECT_NE(Run({"--simulate-faults=unplug-after=2", "info"}).status, 0);
  // A lost reply is retried; the trace shows it.
  const std::string trace = File("trace.txt");
  RunResult r = Run({"--simulate-faults=lose=1,latency=1000", "--trace=" + trace, "info"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(Slurp(trace).find("< timeout"), std::string::npos);
  // Refused commands are failures, not silence.
  EXPECT_NE(Run({"--simulate-faults=refuse=100", "profile", "2"}).status, 0);
  for (const char* bad : {"--simulate-faults=bogus=1", "--simulate-faults=delay=99999",
                                  "--simulate-faults=lose", "--simulate-faults=lose=x"}) {
    r = Run({bad, "info"});
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("fault"), std::string::npos) << bad << ": " << r.err;
  }
  r = ZarvelctlFixture::Run({"--simulate-faults=lose=1", "info"});
  EXPECT_EQ(r.status, 2);  // only with --simulate
}

TEST_F(StoreSafetyTest, LostOutputAndTraceAreFailures) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  stdout_path_ = "/dev/full";
  RunResult r = Run({"info"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write the output"), std::string::npos) << r.err;
  stdout_path_.clear();
  // A device is no trace file: refused before anything is sent.
  r = Run({"--trace=/dev/full", "info"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("trace file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace zarvel
