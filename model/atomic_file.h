#pragma once
// Whole-file reads and crash-safe replacement of files.
//
// Files the user cannot afford to lose (the store file, exported profiles, INI
// settings, lighting files) are never truncated in place: the new content goes
// to a temporary file in the same folder, is flushed to disk, and is renamed
// over the target. A program that dies mid-write leaves the old file intact.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

  // False when the temporary file could not be created.
  bool ok() const { return fd_ >= 0 && !failed_; }
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
  bool failed_ = false;
  bool committed_ = false;
};

// Replaces `path` with `bytes` atomically. False when nothing was replaced.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, const std::string& text);

// Reads a whole file. False when it cannot be opened or read; `out` is then empty.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);

}  // namespace zarvel
