#include "model/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {
  std::string pattern = target_ + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ >= 0) {
    temp_ = name.data();
    // Keep the permissions an existing target had; new files get the usual 0644.
    struct stat st {};
    mode_t mode = (::stat(target_.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd_, mode);
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (!ok()) return false;
  if (!WriteAll(fd_, bytes.data(), bytes.size())) failed_ = true;
  return !failed_;
}

bool AtomicFileWriter::Write(const std::string& text) {
  return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool AtomicFileWriter::Commit() {
  if (!ok() || committed_) return false;
  bool good = ::fsync(fd_) == 0;
  good = (::close(fd_) == 0) && good;
  fd_ = -1;
  if (!good || ::rename(temp_.c_str(), target_.c_str()) != 0) {
    failed_ = true;
    return false;
  }
  committed_ = true;
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
  return writer.Write(bytes) && writer.Commit();
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  AtomicFileWriter writer(path);
  return writer.Write(text) && writer.Commit();
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
