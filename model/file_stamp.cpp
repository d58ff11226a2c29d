#include "model/file_stamp.h"

#include <sys/stat.h>

#include "model/atomic_file.h"

namespace zarvel {

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.modified_ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changed_ns = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  return stamp;
}

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return StampOf(info);
}

bool SavedByThisProcess(const std::string& path, const FileStamp& stamp) {
  if (!stamp.exists) return false;
  // The change time is left out: the rename that put the file in place
  // changed it after the stamp was taken.
  const FileStamp own = LastOwnReplacement(path);
  return own.exists && own.device == stamp.device && own.inode == stamp.inode && own.size == stamp.size &&
         own.modified_ns == stamp.modified_ns;
}

}  // namespace zarvel
