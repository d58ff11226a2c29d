#pragma once
// The lock that keeps two Zarvel processes (the window, zarvelctl runs, a
// script's loop) from changing the profile store and the keyboard at once.
//
// A store change is a read-modify-write of the per-user store file and of
// the keyboard's memory: two runs that interleave lose one change, or leave
// the keyboard holding what the file does not. Every sequence that reads or
// changes them holds this lock, a FileLock on "zarvel.lock" in the per-user
// folder.
//
// Within one process the lock is counted: a command that holds it calls core
// sequences that take it again (Apply inside an assignment). flock() locks
// belong to an open file, so a second open in the same process would wait for
// itself; the count avoids that. Threads of one process are kept apart by the
// store lock (a mutex), not by this one.
//
// A sequence made of several locked steps (a connection's read, then its
// lighting load) takes the lock once around them all, so another process
// cannot slip in between. When that enclosing lock could not be taken, the
// steps' own locks on the same thread fail at once, without a second wait,
// and EnclosingFailed() tells them the user hears about it once, from the
// enclosing sequence.
//
// Waiting is bounded: after the wait (10 s, or ZARVEL_LOCK_WAIT seconds from
// the environment) the lock is not held and Busy() is true. A folder where no
// lock file can be made (read-only, not creatable) leaves nothing to share
// with another process: the lock then counts as held, and saving into that
// folder fails on its own.
#include <chrono>
#include <string>

#include "model/prompter.h"

namespace zarvel {

inline constexpr const char* kStoreLockFileName = "zarvel.lock";
inline constexpr const char* kStoreLockBusyText = "another Zarvel process is busy with the keyboard or the profile store";

class StoreLockFile {
 public:
  // Takes the lock on UserDataFolder()/zarvel.lock with the default wait.
  StoreLockFile();
  // Takes the lock on UserDataFolder()/zarvel.lock, waiting at most `wait`
  // (a short edit on the window's thread must not freeze it for the default).
  explicit StoreLockFile(std::chrono::milliseconds wait);
  // Takes the lock on `path`, waiting at most `wait`.
  StoreLockFile(const std::string& path, std::chrono::milliseconds wait);
  ~StoreLockFile();
  StoreLockFile(const StoreLockFile&) = delete;
  StoreLockFile& operator=(const StoreLockFile&) = delete;

  bool Held() const { return held_; }
  bool Busy() const { return !held_; }
  // Busy because a lock around this one on the same thread already was: the
  // sequence that took that one tells the user.
  bool EnclosingFailed() const { return enclosing_failed_; }
  // Whether the user is to be told that another process is busy.
  bool TellBusy() const { return !held_ && !enclosing_failed_; }

  // 10 s, or ZARVEL_LOCK_WAIT (seconds, fractions allowed) when set.
  static std::chrono::milliseconds DefaultWait();
  // UserDataFolder()/zarvel.lock.
  static std::string DefaultPath();

 private:
  void Failed();
  bool held_ = false;
  bool enclosing_failed_ = false;
  bool counted_failure_ = false;
};

// Shows STORE_BUSY_PROMPT when `lock` is one the user is to hear about
// (TellBusy()); nothing otherwise.
void TellIfBusy(const StoreLockFile& lock, Prompter& prompter);

}  // namespace zarvel
