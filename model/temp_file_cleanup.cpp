#include "model/temp_file_cleanup.h"

#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string_view>

namespace zarvel {
namespace {

// Fixed storage: the signal handler may not allocate or lock. A slot's name
// is complete before `used` turns true and is not touched until it is false.
constexpr int kSlots = 16;
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
Slot g_slots[kSlots];
std::once_flag g_install_once;

extern "C" void RemoveTempFilesAndDie(int signal_number) {
  for (Slot& slot : g_slots)
    if (slot.used.load()) ::unlink(slot.path);
  // Die of the same signal, so the parent sees what happened.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void InstallHandlers() {
  for (int signal_number : {SIGTERM, SIGINT}) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler != SIG_DFL || (current.sa_flags & SA_SIGINFO) != 0) continue;
    struct sigaction ours {};
    ours.sa_handler = RemoveTempFilesAndDie;
    sigemptyset(&ours.sa_mask);
    ::sigaction(signal_number, &ours, nullptr);
  }
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

constexpr std::size_t kRandomPart = 6;  // mkstemp's "XXXXXX"
constexpr const char* kTempMark = ".tmp-";

}  // namespace

std::string TempFilePrefix(const std::string& target) {
  const auto slash = target.find_last_of('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const std::string_view name = std::string_view(target).substr(name_start);
  long name_max = ::pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
  if (name_max <= 0) name_max = NAME_MAX;
  if (name.size() + std::strlen(kTempMark) + kRandomPart <= static_cast<std::size_t>(name_max))
    return target + kTempMark;
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : name) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return target.substr(0, name_start) + ".zarvel-" + hex + kTempMark;
}

int RememberTempFile(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  std::call_once(g_install_once, InstallHandlers);
  static std::mutex claim;
  std::lock_guard lock(claim);
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    if (slot.used.load()) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.used.store(true);
    return i;
  }
  return -1;
}

void ForgetTempFile(int slot) {
  if (slot >= 0 && slot < kSlots) g_slots[slot].used.store(false);
}

int RemoveStaleTempFiles(const std::string& temp_prefix, long min_age_seconds) {
  const std::string folder = FolderOf(temp_prefix);
  const auto slash = temp_prefix.find_last_of('/');
  const std::string prefix = slash == std::string::npos ? temp_prefix : temp_prefix.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + kRandomPart || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    // A younger file may be another process's write in progress.
    if (now - info.st_mtime < min_age_seconds) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace zarvel
