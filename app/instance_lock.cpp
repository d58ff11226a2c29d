#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zarvel {
namespace {

// A holder may remove the file between our open and our lock any number of
// times in theory; in practice once. A few tries, then the lock is held.
constexpr int kTries = 8;

}  // namespace

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() { Release(); }

LockResult InstanceLock::TryTake() {
  if (fd_ >= 0) return LockResult::kTaken;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    // Close-on-exec: the companion program and the browser started from here
    // must not inherit it, or the lock would outlive this copy.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return LockResult::kUnavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      return error == EWOULDBLOCK ? LockResult::kHeld : LockResult::kUnavailable;
    }
    // Still the file of that name? The copy that held it may have removed it
    // on its way out, after we opened it.
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd, &locked) == 0 && ::stat(path_.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
        locked.st_ino == named.st_ino) {
      fd_ = fd;
      return LockResult::kTaken;
    }
    ::close(fd);
  }
  return LockResult::kHeld;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  // Removed while still locked: a copy waiting to take it sees the file gone
  // and makes a new one.
  ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zarvel
