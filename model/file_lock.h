#pragma once
// An advisory lock on a lock file of its own (flock), with a bounded wait.
//
// Used where two processes must not work on the same thing at once: the
// per-user profile store (core/store_lock_file.h) and a simulated keyboard's
// state file. The lock file itself holds nothing and is never removed: a
// removed lock file would let a third process lock a new file while the
// second still holds the old one.
#include <chrono>
#include <string>

namespace zarvel {

inline constexpr int kFileLockTaken = 1;
inline constexpr int kFileLockBusy = 0;      // another process held it for the whole wait
inline constexpr int kFileLockNoFile = -1;  // the lock file cannot be opened or made

// How long a process waits for another to finish: 10 s, or ZARVEL_LOCK_WAIT
// seconds (fractions allowed) from the environment.
std::chrono::milliseconds DefaultLockWait();

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates `path` when missing (mode 0600) and locks it exclusively, trying
  // again every few milliseconds until `wait` has passed. A lock file that
  // may only be read is locked all the same (flock needs no write access).
  int Take(const std::string& path, std::chrono::milliseconds wait);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace zarvel
