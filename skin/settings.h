#pragma once
// The user's application settings (the per-user registry key of the original
// design), kept as INI files under UserConfigFolder(). Logic code takes a
// Settings& so tests can hand it an in-memory fake.
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvel {

class Settings {
 public:
  virtual ~Settings() = default;
  // The stored number, or `fallback` when the value is missing or not a number.
  virtual std::int64_t GetInt(std::string_view section, std::string_view key, std::int64_t fallback) = 0;
  // False when the value could not be stored (the caller goes on either way).
  virtual bool SetInt(std::string_view section, std::string_view key, std::int64_t value) = 0;
  virtual std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) = 0;
  virtual bool SetString(std::string_view section, std::string_view key, std::string_view value) = 0;
};

// The settings of the logged-in user: "<UserConfigFolder()>/settings.ini".
Settings& UserSettings();

}  // namespace zarvel
