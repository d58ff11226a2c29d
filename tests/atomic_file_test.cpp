#include "model/atomic_file.h"
#include "model/temp_file_cleanup.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

namespace zarvel {
namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-atomic-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::size_t EntriesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                  std::filesystem::directory_iterator()));
  }
  std::string dir_;
};

TEST_F(AtomicFileTest, ReplacesContentAndLeavesNoTemporaryFile) {
  std::string path = dir_ + "/store";
  ASSERT_TRUE(WriteFileAtomically(path, std::string("old content that is longer")));
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new")));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, AbandonedWriteKeepsTheOldFile) {
  std::string path = dir_ + "/store";
  ASSERT_TRUE(WriteFileAtomically(path, std::string("kept")));
  {
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Write(std::string("half of a new fi")));
    // Dies here without Commit(): as if the program ended mid-write.
  }
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "kept");
  EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, FailsCleanlyWhereTheFolderIsMissing) {
  EXPECT_FALSE(WriteFileAtomically(dir_ + "/no/such/folder/file", std::string("x")));
  std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_FALSE(ReadWholeFile(dir_ + "/missing", bytes));
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace zarvel

namespace zarvel {
namespace {

namespace fs = std::filesystem;

std::string Content(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

// Runs `body` in a child process as the unprivileged user "nobody" when the
// tests run as root (as CI does), so permission checks apply; as anyone else
// the child keeps the caller's user. The child's result is body's.
bool AsUnprivilegedUser(const std::function<bool()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0) {
      const passwd* nobody = ::getpwnam("nobody");
      const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
      const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(2);
    }
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class AtomicFileSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-atomic-safety-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    ::chmod(dir_.c_str(), 0777);  // the unprivileged cases work in it too
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return dir_ + "/" + name; }
  std::size_t TempFilesIn(const std::string& folder) const {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder))
      n += entry.path().filename().string().find(".tmp-") != std::string::npos;
    return n;
  }
  std::string dir_;
};

TEST_F(AtomicFileSafetyTest, SymbolicLinksAreWrittenThroughToTheirTarget) {
  fs::create_directory(Path("real"));
  ASSERT_TRUE(WriteFileAtomically(Path("real/profiles.zvl"), std::string("old")));
  fs::create_symlink("real/profiles.zvl", Path("link.zvl"));  // relative, as users make them
  fs::create_symlink(Path("link.zvl"), Path("link2.zvl"));      // a link to a link
  ASSERT_TRUE(WriteFileAtomically(Path("link2.zvl"), std::string("new")));
  EXPECT_TRUE(fs::is_symlink(Path("link.zvl")));
  EXPECT_TRUE(fs::is_symlink(Path("link2.zvl")));
  EXPECT_EQ(Content(Path("real/profiles.zvl")), "new");
  EXPECT_EQ(TempFilesIn(dir_) + TempFilesIn(Path("real")), 0u);
  // A dangling link creates its target.
  fs::create_symlink("real/fresh.zvl", Path("dangling.zvl"));
  ASSERT_TRUE(WriteFileAtomically(Path("dangling.zvl"), std::string("made")));
  EXPECT_EQ(Content(Path("real/fresh.zvl")), "made");
}

TEST_F(AtomicFileSafetyTest, TargetsThatAreNotRegularOrNotWritableAreRefused) {
  fs::create_directory(Path("folder"));
  EXPECT_FALSE(WriteFileAtomically(Path("folder"), std::string("x")));
  EXPECT_EQ(errno, EISDIR);
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(WriteFileAtomically(Path("fifo"), std::string("x")));
  EXPECT_TRUE(fs::is_fifo(Path("fifo")));
  EXPECT_FALSE(WriteFileAtomically("/dev/null", std::string("x")));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(TempFilesIn(dir_), 0u);

  // A read-only file is refused as a shell redirect refuses it; only an
  // unprivileged user sees that (root may write anything).
  ASSERT_TRUE(WriteFileAtomically(Path("readonly.zvl"), std::string("kept")));
  ::chmod(Path("readonly.zvl").c_str(), 0444);
  const std::string readonly = Path("readonly.zvl");
  EXPECT_TRUE(AsUnprivilegedUser([&] {
    return !WriteFileAtomically(readonly, std::string("lost")) && errno == EACCES;
  }));
  EXPECT_EQ(Content(readonly), "kept");
}

TEST_F(AtomicFileSafetyTest, ReadsNeverWaitAndStayWithinTheirLimit) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(ReadRegularFile(Path("fifo"), bytes, 1024), kReadNotRegularFile);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadRegularFile("/dev/zero", bytes, 1024), kReadNotRegularFile);
  EXPECT_EQ(ReadRegularFile(dir_, bytes, 1024), kReadNotRegularFile);
  EXPECT_EQ(ReadRegularFile(Path("missing"), bytes, 1024), ENOENT);
  ASSERT_TRUE(WriteFileAtomically(Path("eleven"), std::string("01234567890")));
  EXPECT_EQ(ReadRegularFile(Path("eleven"), bytes, 10), kReadTooLarge);
  EXPECT_EQ(ReadRegularFile(Path("eleven"), bytes, 11), 0);
  EXPECT_EQ(bytes.size(), 11u);
  EXPECT_EQ(ReadFailureText(kReadTooLarge, 10), "larger than 10 bytes");
  EXPECT_EQ(ProbeRegularFile(Path("fifo")), kReadNotRegularFile);
  // Unreadable for its owner's group and others: a permission error, not "missing".
  ::chmod(Path("eleven").c_str(), 0600);
  const std::string secret = Path("eleven");
  EXPECT_TRUE(AsUnprivilegedUser([&] {
    std::vector<std::uint8_t> out;
    return ::geteuid() == 0 || ReadRegularFile(secret, out, 100) == EACCES;
  }));
}

TEST_F(AtomicFileSafetyTest, AbandonedTemporaryFilesAreRemovedByTheNextWrite) {
  const std::string target = Path("store");
  ASSERT_TRUE(WriteFileAtomically(target, std::string("v1")));
  const std::string stale = target + ".tmp-Ab12Cd", fresh = target + ".tmp-Zz99Yy", other = target + ".tmp-short";
  for (const std::string& p : {stale, fresh, other}) ASSERT_TRUE(WriteFileAtomically(p, std::string("junk")));
  const timespec old_times[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, stale.c_str(), old_times, 0), 0);
  ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), old_times, 0), 0);
  ASSERT_TRUE(WriteFileAtomically(target, std::string("v2")));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh));  // may be another process's write in progress
  EXPECT_TRUE(fs::exists(other));  // not our pattern
}

// A name as long as the folder allows leaves no room for ".tmp-XXXXXX":
// such a target is written through a short hidden temporary name, and that
// name's leftovers are cleaned up like any other.
TEST_F(AtomicFileSafetyTest, NamesUpToTheFolderLimitAreWritten) {
  const long name_max = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  ASSERT_GT(name_max, 20);
  for (const long length : {name_max - 11, name_max - 10, name_max}) {
    const std::string target = dir_ + "/" + std::string(static_cast<std::size_t>(length), 'n');
    ASSERT_TRUE(WriteFileAtomically(target, std::string("first"))) << length << ": " << std::strerror(errno);
    ASSERT_TRUE(WriteFileAtomically(target, std::string("second"))) << length;
    EXPECT_EQ(Content(target), "second") << length;
    fs::remove(target);
  }
  EXPECT_EQ(TempFilesIn(dir_), 0u);

  const std::string longest = dir_ + "/" + std::string(static_cast<std::size_t>(name_max), 'm');
  const std::string prefix = TempFilePrefix(longest);
  EXPECT_NE(prefix, TempFilePrefix(dir_ + "/" + std::string(static_cast<std::size_t>(name_max), 'q')));
  const std::string stale = prefix + "Ab12Cd";
  ASSERT_TRUE(WriteFileAtomically(stale, std::string("junk")));
  const timespec old_times[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, stale.c_str(), old_times, 0), 0);
  ASSERT_TRUE(WriteFileAtomically(longest, std::string("v1")));
  EXPECT_FALSE(fs::exists(stale));

  // One byte over the limit is the system's refusal, not a crash or a cut name.
  const std::string over = dir_ + "/" + std::string(static_cast<std::size_t>(name_max + 1), 'o');
  EXPECT_FALSE(WriteFileAtomically(over, std::string("x")));
  EXPECT_EQ(errno, ENAMETOOLONG);
}

TEST_F(AtomicFileSafetyTest, TerminationRemovesTheTemporaryFile) {
  const std::string target = Path("store");
  for (int signal_number : {SIGTERM, SIGINT}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      AtomicFileWriter writer(target);
      writer.Write(std::string(1 << 20, 'x'));
      ::raise(signal_number);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
    EXPECT_EQ(TempFilesIn(dir_), 0u) << signal_number;
  }
}

}  // namespace
}  // namespace zarvel
