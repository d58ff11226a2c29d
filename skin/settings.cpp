#include "skin/settings.h"

#include <charconv>

#include "skin/ini_file.h"
#include "skin/ini_text.h"
#include "skin/program_paths.h"

namespace zarvel {

namespace {

// Settings values are short; anything longer is cut like any INI read.
constexpr std::size_t kMaxSettingChars = 32767;

std::string MemoryKey(std::string_view section, std::string_view key) {
  std::string joined = std::string(TrimIniSpace(section)) + "\n" + std::string(TrimIniSpace(key));
  for (char& c : joined) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return joined;
}

// The user's settings file, found afresh at every call.
class UserIniSettings final : public Settings {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return IniSettings(Path()).GetString(section, key, fallback);
  }
  bool SetString(std::string_view section, std::string_view key, std::string_view value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return EnsureFolder(UserConfigFolder()) && IniSettings(Path()).SetString(section, key, value);
  }

 private:
  static std::string Path() { return UserConfigFolder() + "settings.ini"; }
  std::mutex mutex_;
};

}  // namespace

bool ParseSettingsInt(std::string_view text, std::int64_t& value) {
  text = TrimIniSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  std::int64_t parsed = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

Settings& UserSettings() {
  static UserIniSettings settings;
  return settings;
}

std::int64_t Settings::GetInt(std::string_view section, std::string_view key, std::int64_t fallback) {
  std::int64_t value = fallback;
  if (!ParseSettingsInt(GetString(section, key, ""), value)) return fallback;
  return value;
}

bool Settings::SetInt(std::string_view section, std::string_view key, std::int64_t value) {
  return SetString(section, key, std::to_string(value));
}

std::string IniSettings::GetString(std::string_view section, std::string_view key, std::string_view fallback) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ReadProfileString(path_, section, key, fallback, kMaxSettingChars);
}

bool IniSettings::SetString(std::string_view section, std::string_view key, std::string_view value) {
  std::lock_guard<std::mutex> lock(mutex_);
  return WriteProfileString(path_, section, key, value);
}

std::string MemorySettings::GetString(std::string_view section, std::string_view key, std::string_view fallback) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = values_.find(MemoryKey(section, key));
  return found == values_.end() ? std::string(fallback) : found->second;
}

bool MemorySettings::SetString(std::string_view section, std::string_view key, std::string_view value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!writable_) return false;
  values_[MemoryKey(section, key)] = std::string(value);
  return true;
}

}  // namespace zarvel
