// The store lock between threads of one process while another process holds
// it: each thread waits no longer than its own bound, whatever another thread
// of the process is waiting for, and the lock is shared once taken.
#include "core/store_lock_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "model/file_lock.h"

namespace zarvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The lock file's folder, as a first start makes it.
std::string LockPath() {
  const std::string path = StoreLockFile::DefaultPath();
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return path;
}

TEST(StoreLockConcurrentTest, AShortWaitIsNotStretchedByAnotherThreadsLongOne) {
  FileLock other_process;  // its own open file: to flock, another process
  ASSERT_EQ(other_process.Take(LockPath(), 0ms), kFileLockTaken);

  std::atomic<bool> long_wait_started{false};
  bool long_wait_held = false;
  std::thread worker([&] {
    long_wait_started = true;
    const StoreLockFile sequence(5000ms);  // a window sequence's wait
    long_wait_held = sequence.Held();
  });
  while (!long_wait_started) std::this_thread::yield();
  std::this_thread::sleep_for(50ms);  // the worker is now waiting on the file

  const auto start = Clock::now();
  {
    const StoreLockFile panel_edit(200ms);
    EXPECT_TRUE(panel_edit.Busy());
    EXPECT_TRUE(panel_edit.TellBusy());
  }
  EXPECT_LT(Clock::now() - start, 2000ms) << "the short wait sat behind the long one";

  // The other process lets go: the waiting worker gets the lock, and a
  // thread asking meanwhile shares it instead of waiting for itself.
  other_process.Release();
  worker.join();
  EXPECT_TRUE(long_wait_held);

  const StoreLockFile outer(0ms);
  ASSERT_TRUE(outer.Held());
  bool inner_held = false;
  std::thread([&] { inner_held = StoreLockFile(0ms).Held(); }).join();
  EXPECT_TRUE(inner_held);
}

TEST(StoreLockConcurrentTest, StepsInsideAFailedSequenceFailAtOnceAndStaySilent) {
  FileLock other_process;
  ASSERT_EQ(other_process.Take(LockPath(), 0ms), kFileLockTaken);
  {
    const StoreLockFile sequence(100ms);
    ASSERT_TRUE(sequence.TellBusy());
    const auto start = Clock::now();
    const StoreLockFile step(5000ms);
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_TRUE(step.Busy());
    EXPECT_TRUE(step.EnclosingFailed());
    EXPECT_FALSE(step.TellBusy());
    // Another thread is not inside this sequence: it says so itself.
    bool other_thread_tells = false;
    std::thread([&] { other_thread_tells = StoreLockFile(50ms).TellBusy(); }).join();
    EXPECT_TRUE(other_thread_tells);
  }
  // The failed sequence is over: the next one waits and tells again.
  EXPECT_TRUE(StoreLockFile(50ms).TellBusy());
  other_process.Release();
  EXPECT_TRUE(StoreLockFile(0ms).Held());
}

// A symbolic link where the lock file belongs, dangling or aimed at another
// file, once let every process run without the lock: it is replaced by a lock
// file of its own, its target untouched, and the lock then works between two
// holders as always.
TEST(FileLockTest, ASymbolicLinkInPlaceOfTheLockFileIsReplacedNotFollowed) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("zarvel-lock-link-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string lock = (folder / "zarvel.lock").string();
  const fs::path target = folder / "precious.txt";
  for (const bool dangling : {true, false}) {
    fs::remove(lock);
    fs::remove(target);
    if (!dangling) std::ofstream(target) << "keep me";
    fs::create_symlink(target, lock);

    FileLock first;
    EXPECT_EQ(first.Take(lock, 0ms), kFileLockTaken) << (dangling ? "dangling" : "to a file");
    EXPECT_FALSE(fs::is_symlink(lock));
    EXPECT_TRUE(fs::is_regular_file(lock));
    FileLock second;
    EXPECT_EQ(second.Take(lock, 0ms), kFileLockBusy);
    if (!dangling) {
      std::ifstream in(target);
      std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(content, "keep me");
    } else {
      EXPECT_FALSE(fs::exists(target));
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace zarvel
