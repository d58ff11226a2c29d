#pragma once
// Whole-file reads and crash-safe replacement of files.
//
// Files the user cannot afford to lose (the store file, exported profiles, INI
// settings, lighting files) are never truncated in place: the new content goes
// to a temporary file in the same folder, is flushed to disk, and is renamed
// over the target. A program that dies mid-write leaves the old file intact.
//
// A target that is a symbolic link is written through: the link's final
// target is replaced, with the temporary file in that target's folder. A
// target that exists but is not a regular file, or that the user may not
// write, is refused. Temporary files are removed on SIGTERM and SIGINT, and
// abandoned ones of an earlier run are removed by the next write beside them
// (temp_file_cleanup.h).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/file_stamp.h"

namespace zarvel {

// Streams the new content of `target` into a temporary sibling file. Nothing
// is visible at `target` until Commit() succeeds; destroying an uncommitted
// writer removes the temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string target);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False when the target was refused or the temporary file could not be created.
  bool ok() const { return fd_ >= 0 && !failed_; }
  // Why the write failed: an errno value (EISDIR or EINVAL for a target that
  // is not a regular file, EACCES for one the user may not write), 0 while
  // nothing failed. Failing calls also leave it in errno.
  int error() const { return error_; }
  // Appends bytes; a failed write makes ok() false and Commit() fail.
  bool Write(std::span<const std::uint8_t> bytes);
  bool Write(const std::string& text);
  // fsync, rename over the target, fsync the folder. False on any failure, in
  // which case the target keeps its previous content.
  bool Commit();

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int temp_slot_ = -1;
  int error_ = 0;
  bool failed_ = false;
  bool committed_ = false;
};

// Replaces `path` with `bytes` atomically. False when nothing was replaced,
// with the reason in errno.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text);

// The file this process last put in place at `path` (as the writer resolved
// it), stamped just before the rename, so a watcher of the user's folder can
// tell its own saves from another program's (SavedByThisProcess): a later
// replacement by anyone is another inode, a write in place another size or
// time. exists is false when this process never replaced it.
FileStamp LastOwnReplacement(const std::string& path);

// Why a bounded read failed: 0 for none, a positive errno value, or one of these.
inline constexpr int kReadNotRegularFile = -1;  // a folder, FIFO, device or socket
inline constexpr int kReadTooLarge = -2;        // longer than the caller's limit
inline constexpr int kReadOutOfMemory = -3;

// The largest file ReadWholeFile reads unless told otherwise.
inline constexpr std::size_t kDefaultReadLimit = 64u * 1024u * 1024u;

// Reads a whole regular file of at most `max_bytes` bytes. Never waits: the
// file is opened without blocking (a FIFO put in place of a file would block
// the open and every read for ever) and must be a regular file. Returns 0, or
// the reason it failed; `out` is then empty.
int ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t max_bytes);
// The reason in words, for messages ("No such file or directory", "not a
// regular file", "larger than 65536 bytes").
std::string ReadFailureText(int reason, std::size_t max_bytes = 0);

// Whether `path` is a regular file this process may open for reading,
// without waiting and without reading it: 0, or the reason as above.
int ProbeRegularFile(const std::string& path);

// ReadRegularFile with `max_bytes`; false when it failed.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t max_bytes = kDefaultReadLimit);

}  // namespace zarvel
