#include "core/keyboard_change_mark.h"

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
  WriteFileAtomically(MarkPath(), std::vector<std::uint8_t>(text.begin(), text.end()));
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
