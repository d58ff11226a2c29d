#include "model/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <limits.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "model/temp_file_cleanup.h"

namespace zarvel {
namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a write to `path` really replaces: a symbolic link is followed to
// its target (the link itself stays), so the new content lands where the
// user's link points. Relative links are taken from the link's folder.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n < 0) return path;  // not a link (or missing): the path itself
    std::string next(buffer, static_cast<std::size_t>(n));
    if (next.empty() || next[0] != '/') next = FolderOf(path) + "/" + next;
    path = std::move(next);
  }
  errno = ELOOP;
  return {};
}

// Every thread's saves (the store file is saved beside a keyboard write).
struct OwnReplacements {
  std::mutex lock;
  std::map<std::string, FileStamp> by_path;
};

OwnReplacements& Replacements() {
  static OwnReplacements* replacements = new OwnReplacements;  // outlives every saving thread
  return *replacements;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {
  const std::string real = FollowLinks(target_);
  if (real.empty()) {
    error_ = errno;
    return;
  }
  target_ = real;
  // Only a regular file is replaced: a folder, a device or a FIFO in its
  // place is not ours to swap for a file. A file the user may not write is
  // refused as a shell redirect would refuse it, though the rename into its
  // folder would succeed.
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    error_ = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
    return;
  }
  if (exists && ::access(target_.c_str(), W_OK) != 0) {
    error_ = errno;
    return;
  }
  const std::string temp_prefix = TempFilePrefix(target_);
  RemoveStaleTempFiles(temp_prefix);
  std::string pattern = temp_prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) {
    error_ = errno;
    return;
  }
  temp_ = name.data();
  temp_slot_ = RememberTempFile(temp_);
  // Keep the permissions an existing target had; new files get the usual 0644.
  const mode_t mode = exists ? (existing.st_mode & 07777) : 0644;
  ::fchmod(fd_, mode);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
  ForgetTempFile(temp_slot_);
}

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (!ok()) {
    errno = error_;
    return false;
  }
  if (!WriteAll(fd_, bytes.data(), bytes.size())) {
    failed_ = true;
    error_ = errno;
  }
  return !failed_;
}

bool AtomicFileWriter::Write(const std::string& text) {
  return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool AtomicFileWriter::Commit() {
  if (!ok() || committed_) {
    errno = error_ != 0 ? error_ : EINVAL;
    return false;
  }
  bool good = ::fsync(fd_) == 0;
  if (!good) error_ = errno;
  // The rename keeps the inode, size and modification time.
  struct stat written {};
  const bool known = ::fstat(fd_, &written) == 0;
  // A full disk may only show at close on some file systems.
  if (::close(fd_) != 0 && good) {
    good = false;
    error_ = errno;
  }
  fd_ = -1;
  if (good && ::rename(temp_.c_str(), target_.c_str()) != 0) {
    good = false;
    error_ = errno;
  }
  if (!good) {
    failed_ = true;
    errno = error_;
    return false;
  }
  committed_ = true;
  if (known) {
    std::lock_guard lock(Replacements().lock);
    Replacements().by_path[target_] = StampOf(written);
  }
  // The rename itself must reach the disk, or a power cut could bring back the old name.
  int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  AtomicFileWriter writer(path);
  const bool done = writer.Write(bytes) && writer.Commit();
  const int error = writer.error();
  if (!done) errno = error;  // the writer's clean-up must not hide the reason
  return done;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  return WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

FileStamp LastOwnReplacement(const std::string& path) {
  const std::string target = FollowLinks(path);
  std::lock_guard lock(Replacements().lock);
  const auto found = Replacements().by_path.find(target);
  return found == Replacements().by_path.end() ? FileStamp{} : found->second;
}

int ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t max_bytes) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return kReadNotRegularFile;
  }
  // Kernel files (sysfs) say 4096 whatever they hold: the size is a hint, the
  // limit is enforced on what is read.
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    ::close(fd);
    return kReadTooLarge;
  }
  int result = 0;
  try {
    out.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        result = errno;
        break;
      }
      if (n == 0) break;
      if (out.size() + static_cast<std::size_t>(n) > max_bytes) {
        result = kReadTooLarge;  // it grew while being read
        break;
      }
      out.insert(out.end(), buffer, buffer + n);
    }
  } catch (const std::bad_alloc&) {
    result = kReadOutOfMemory;
  }
  ::close(fd);
  if (result != 0) out.clear();
  return result;
}

int ProbeRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular ? 0 : kReadNotRegularFile;
}

std::string ReadFailureText(int reason, std::size_t max_bytes) {
  switch (reason) {
    case 0: return "no error";
    case kReadNotRegularFile: return "not a regular file";
    case kReadTooLarge:
      return max_bytes == 0 ? std::string("too large") : "larger than " + std::to_string(max_bytes) + " bytes";
    case kReadOutOfMemory: return "not enough memory to read it";
    default: return std::strerror(reason);
  }
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t max_bytes) {
  return ReadRegularFile(path, out, max_bytes) == 0;
}

}  // namespace zarvel
