#pragma once
// What a file looked like when this process last read or wrote it, so a
// change by another process (zarvelctl, a second tool) can be told from none.
//
// Every save of the per-user files replaces the file atomically, so a change
// gives the name a new inode; size and modification and change times (to the
// nanosecond) catch the rest, including a file written in place.
#include <cstdint>
#include <string>

struct stat;

namespace zarvel {

struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of `path` now; a missing or unreadable file has exists = false.
FileStamp StampOf(const std::string& path);
// The stamp of a file already stat()ed or fstat()ed.
FileStamp StampOf(const struct stat& info);

// Whether `stamp` (of `path`) is the file this process itself last saved
// there: the window's own saves are no news from another program.
bool SavedByThisProcess(const std::string& path, const FileStamp& stamp);

}  // namespace zarvel
