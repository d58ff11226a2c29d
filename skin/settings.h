#pragma once
// The user's application settings (language, window place, profile list and
// the like), kept as INI files under UserConfigFolder(). Logic code takes a
// Settings& so tests can hand it an in-memory fake.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace zarvel {

class Settings {
 public:
  virtual ~Settings() = default;
  virtual std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) = 0;
  // False when the value could not be stored (the caller goes on either way).
  virtual bool SetString(std::string_view section, std::string_view key, std::string_view value) = 0;
  // Numbers are stored as decimal text. The stored number, or `fallback` when
  // the value is missing or not a whole decimal number (see ParseSettingsInt).
  virtual std::int64_t GetInt(std::string_view section, std::string_view key, std::int64_t fallback);
  virtual bool SetInt(std::string_view section, std::string_view key, std::int64_t value);
};

// The section of the settings file that holds the program's own values, such
// as "dwLanguageId", under the keyboard's name. Other sections ("PROFILES",
// ...) each hold one part of the settings.
inline constexpr std::string_view kApplicationKeySection = "Varnok Z7Q3RGB";

// The settings of the logged-in user: "<UserConfigFolder()>/settings.ini".
// The path is taken at every call, so a changed XDG_CONFIG_HOME applies at once;
// writes create the folder when it is missing. Safe to use from any thread.
Settings& UserSettings();

// Settings kept in one INI file (section and key names case-insensitive).
// Numbers are written in decimal; GetInt accepts an optional sign and decimal
// digits with surrounding spaces, nothing else.
class IniSettings final : public Settings {
 public:
  explicit IniSettings(std::string path) : path_(std::move(path)) {}
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override;
  bool SetString(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  std::string path_;
  std::mutex mutex_;
};

// Settings held in memory only, for tests and for callers with nowhere to store.
class MemorySettings final : public Settings {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override;
  bool SetString(std::string_view section, std::string_view key, std::string_view value) override;
  // When false, every Set fails and changes nothing (a settings file that cannot be written).
  void SetWritable(bool writable) { writable_ = writable; }

 private:
  std::map<std::string, std::string> values_;  // "SECTION\nKEY" upper-cased -> value
  bool writable_ = true;
  std::mutex mutex_;
};

// Parses a whole settings value as a decimal integer (optional sign, spaces
// around it allowed). False when it is not one or does not fit.
bool ParseSettingsInt(std::string_view text, std::int64_t& value);

}  // namespace zarvel
