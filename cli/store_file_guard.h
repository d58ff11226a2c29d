#pragma once
// The store file as it was when a changing command started. A command that
// fails puts it back, so a failed run leaves the store exactly as it was
// (the keyboard may have taken part of a write that then failed; the next
// sync reads what it holds).
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/atomic_file.h"

namespace zarvel::cli {

class StoreFileGuard {
 public:
  explicit StoreFileGuard(std::string path) : path_(std::move(path)) {
    existed_ = ReadRegularFile(path_, bytes_, kDefaultReadLimit) == 0;
  }
  void Restore() {
    std::vector<std::uint8_t> now;
    const bool exists = ReadRegularFile(path_, now, kDefaultReadLimit) == 0;
    if (exists == existed_ && now == bytes_) return;
    if (existed_)
      WriteFileAtomically(path_, bytes_);
    else
      ::unlink(path_.c_str());
  }

 private:
  std::string path_;
  std::vector<std::uint8_t> bytes_;
  bool existed_ = false;
};

}  // namespace zarvel::cli
