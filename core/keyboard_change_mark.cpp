#include "core/keyboard_change_mark.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "model/atomic_file.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

std::string MarkPath() { return UserDataFolder() + kKeyboardChangeMarkName; }

std::string Own() { return std::to_string(::getpid()) + " "; }

}  // namespace

void MarkKeyboardChanged() {
  static std::atomic<unsigned> count{0};
  const std::string text = Own() + std::to_string(++count) + "\n";
  // Renamed into place so a reader never sees half of it, but not synced to
  // the disk: the mark is news for a window running now, not a record, and
  // every panel edit writes it.
  const std::string path = MarkPath();
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
}

bool KeyboardChangedElsewhere(std::string& last_seen) {
  std::vector<std::uint8_t> bytes;
  if (ReadRegularFile(MarkPath(), bytes, 256) != 0) bytes.clear();
  std::string now(bytes.begin(), bytes.end());
  const bool first = last_seen.empty();
  const bool changed = now != last_seen;
  last_seen = now.empty() ? std::string("-") : now;
  if (first || !changed || now.empty()) return false;
  return now.compare(0, Own().size(), Own()) != 0;
}

}  // namespace zarvel
