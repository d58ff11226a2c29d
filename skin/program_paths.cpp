#include "skin/program_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace zarvel {

namespace {

std::mutex& OverrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& ProgramFolderOverride() {
  static std::string folder;
  return folder;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return "./";
  buffer.resize(static_cast<std::size_t>(length));
  std::size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) return "./";
  return buffer.substr(0, slash + 1);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are ignored, as the XDG rules say), else the home-relative default.
std::string XdgFolder(const char* variable, const char* homeRelativeDefault) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return WithSlash(value);
  return WithSlash(HomeFolder()) + homeRelativeDefault;
}

}  // namespace

std::string ProgramFolder() {
  {
    std::lock_guard<std::mutex> lock(OverrideMutex());
    if (!ProgramFolderOverride().empty()) return ProgramFolderOverride();
  }
  std::string executable = ExecutableFolder();
  if (IsDirectory(executable + "Skins") || IsFile(executable + "Lang0409.ini")) return executable;
  return executable + "../share/zarvel/";
}

void SetProgramFolder(const std::string& folder) {
  std::lock_guard<std::mutex> lock(OverrideMutex());
  ProgramFolderOverride() = folder.empty() ? std::string() : WithSlash(folder);
}

std::string UserDataFolder() {
  return XdgFolder("XDG_DATA_HOME", ".local/share/") + kProductFolderName + "/";
}

std::string UserConfigFolder() {
  return XdgFolder("XDG_CONFIG_HOME", ".config/") + kProductFolderName + "/";
}

bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  // Create each missing parent in turn, from the root down.
  for (std::size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (!part.empty() && !IsDirectory(part)) {
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    if (slash == std::string::npos) break;
  }
  return IsDirectory(folder);
}

}  // namespace zarvel
