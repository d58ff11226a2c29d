#include "core/store_lock_file.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "model/file_lock.h"
#include "model/user_lighting_file.h"
#include "skin/language.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

// The process's one hold on the lock file and how many holders share it.
struct ProcessHold {
  std::mutex mutex;
  // True while one thread waits for another process's lock. The mutex is
  // not held meanwhile; other threads wait on `taken` for that thread's
  // verdict, each no longer than its own bound.
  bool taking = false;
  std::condition_variable taken;
  FileLock lock;
  int holders = 0;
};

// How many failed locks this thread has alive: while one lives, the locks
// taken inside it fail without waiting again.
thread_local int t_failed_locks = 0;

ProcessHold& Hold() {
  static ProcessHold hold;
  return hold;
}

}  // namespace

std::chrono::milliseconds StoreLockFile::DefaultWait() { return DefaultLockWait(); }

std::string StoreLockFile::DefaultPath() { return UserDataFolder() + "/" + kStoreLockFileName; }

namespace {
// The lock file lives in the per-user folder, so the folder must exist before
// the first run's first save; it is made the way a first start makes it, with
// the lighting files from the template. Two first runs at once both seed the
// same template, which is harmless.
std::string SeededDefaultPath() {
  UserLightingFiles().SeedUserFolder();
  return StoreLockFile::DefaultPath();
}
}  // namespace

StoreLockFile::StoreLockFile() : StoreLockFile(SeededDefaultPath(), DefaultWait()) {}

StoreLockFile::StoreLockFile(std::chrono::milliseconds wait) : StoreLockFile(SeededDefaultPath(), wait) {}

StoreLockFile::StoreLockFile(const std::string& path, std::chrono::milliseconds wait) {
  if (t_failed_locks > 0) {
    enclosing_failed_ = true;
    Failed();
    return;
  }
  ProcessHold& hold = Hold();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::unique_lock guard(hold.mutex);
  if (!hold.taken.wait_until(guard, deadline, [&] { return !hold.taking; })) {
    Failed();
    return;
  }
  if (hold.holders == 0) {
    hold.taking = true;
    guard.unlock();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const int taken = hold.lock.Take(path, std::max(left, std::chrono::milliseconds(0)));
    guard.lock();
    hold.taking = false;
    hold.taken.notify_all();
    if (taken == kFileLockBusy) {
      Failed();
      return;
    }
  }
  ++hold.holders;
  held_ = true;
}

void StoreLockFile::Failed() {
  counted_failure_ = true;
  ++t_failed_locks;
}

StoreLockFile::~StoreLockFile() {
  if (counted_failure_) --t_failed_locks;
  if (!held_) return;
  ProcessHold& hold = Hold();
  std::lock_guard guard(hold.mutex);
  if (--hold.holders == 0) hold.lock.Release();
}

void TellIfBusy(const StoreLockFile& lock, Prompter& prompter) {
  if (lock.TellBusy()) prompter.ShowMessage("STORE_BUSY_PROMPT", LookupText("STORE_BUSY_PROMPT"));
}

}  // namespace zarvel
