#include "model/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace zarvel {

std::chrono::milliseconds DefaultLockWait() {
  if (const char* text = std::getenv("ZARVEL_LOCK_WAIT"); text != nullptr && *text != '\0') {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end != text && *end == '\0' && seconds >= 0 && seconds <= 3600)
      return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  }
  return std::chrono::seconds(10);
}

int FileLock::Take(const std::string& path, std::chrono::milliseconds wait) {
  Release();
  // O_NONBLOCK: a FIFO put where the lock file belongs must not stop us.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
  if (fd < 0 && errno == ELOOP) {
    // A symbolic link where the lock file belongs (dangling, or aimed at some
    // other file) is never followed; left there it would make every process
    // run without the lock. The lock file holds nothing, so the link is
    // replaced by a fresh one, and only while it is still a link: a process
    // that replaced it a moment earlier keeps its file.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) ::unlink(path.c_str());
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
  }
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return kFileLockNoFile;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return kFileLockTaken;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      // A file system without locks: nothing can be shared through it.
      ::close(fd);
      return kFileLockNoFile;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return kFileLockBusy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void FileLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the last descriptor of the open file drops the lock
  fd_ = -1;
}

}  // namespace zarvel
