#pragma once
// The lock that makes one copy per user the only one, without a race.
//
// A file beside the instance socket ("QX40R11B-1.lock" in the runtime
// folder, mode 0600) locked with flock() for the whole life of the copy that
// holds it. Two copies started together cannot both take it; a copy that was
// killed loses it to the kernel, so the next start takes over at once.
//
// The holder removes the file while it still holds the lock; a copy that
// took the lock of a file that has since been removed (its inode no longer
// the path's) lets it go and tries the new file, so two copies never hold
// locks on different files of the same name.
#include <string>

namespace zarvel {

inline constexpr const char* kInstanceLockSuffix = ".lock";

enum class LockResult {
  kTaken,        // this copy holds it
  kHeld,         // another copy holds it
  kUnavailable,  // the file cannot be made or locked (no runtime folder)
};

class InstanceLock {
 public:
  explicit InstanceLock(std::string path);
  ~InstanceLock();  // releases
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  const std::string& Path() const { return path_; }
  LockResult TryTake();
  bool Held() const { return fd_ >= 0; }
  // Removes the file and lets go of the lock. Safe to call more than once,
  // and right before _exit().
  void Release();

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace zarvel
