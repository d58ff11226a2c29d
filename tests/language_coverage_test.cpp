// Every language key the program looks up must be in the shipped English
// language file; a missing one would show "#Error" in the window.
//
// Where the keys come from:
//  1. The source tree (device/ model/ skin/ app/ cli/ controls/, *.cpp and *.h):
//     - a string literal passed directly to LookupText / LookupLight / LookupMode
//       (section TEXT / LIGHT / MODE);
//     - a string literal passed as the key of Prompter::ShowMessage / AskYesNo;
//     - a string constant whose name ends in "TextKey" or "LightKey", for keys
//       kept in a named constant, e.g.  constexpr std::string_view kHelpTextKey = "MAIN_HELP_PROMPT";
//    Keys built at run time must be listed by one of those forms or come from
//    a table checked below.
//  2. Tables: the text key of every key-table row, the keyboard-function names
//     FUNC_KEY_DESC1..11, and the effect names 1..21 of section MODE.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/media_functions.h"
#include "skin/ini_file.h"

namespace zarvel {
namespace {

const std::string kLanguageFile = std::string(ZARVEL_SOURCE_DIR) + "/assets/Lang0409.ini";

struct UsedKey {
  std::string section;
  std::string key;
  std::string where;
};

// Language keys compare without regard to case, as the lookups do.
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> SourceFiles() {
  std::vector<std::string> files;
  for (const char* folder : {"device", "model", "skin", "app", "cli", "controls"}) {
    std::filesystem::path root = std::filesystem::path(ZARVEL_SOURCE_DIR) / folder;
    if (!std::filesystem::is_directory(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      std::string extension = entry.path().extension().string();
      if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h")) files.push_back(entry.path().string());
    }
  }
  return files;
}

std::vector<UsedKey> KeysInSources() {
  static const std::regex lookup(R"re(Lookup(Text|Light|Mode)\s*\(\s*"([^"]+)")re");
  static const std::regex prompt(R"re((ShowMessage|AskYesNo)\s*\(\s*"([^"]+)")re");
  static const std::regex constant(R"re(\b\w*(TextKey|LightKey)\s*=\s*"([^"]+)")re");
  std::vector<UsedKey> keys;
  for (const std::string& file : SourceFiles()) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::string source = text.str();
    std::string where = file.substr(std::string(ZARVEL_SOURCE_DIR).size() + 1);
    for (std::sregex_iterator it(source.begin(), source.end(), lookup), end; it != end; ++it) {
      std::string kind = (*it)[1];
      std::string section = kind == "Text" ? "TEXT" : kind == "Light" ? "LIGHT" : "MODE";
      keys.push_back({section, (*it)[2], where});
    }
    for (std::sregex_iterator it(source.begin(), source.end(), prompt), end; it != end; ++it) {
      keys.push_back({"TEXT", (*it)[2], where});
    }
    for (std::sregex_iterator it(source.begin(), source.end(), constant), end; it != end; ++it) {
      keys.push_back({(*it)[1] == "TextKey" ? "TEXT" : "LIGHT", (*it)[2], where});
    }
  }
  return keys;
}

std::vector<UsedKey> KeysInTables() {
  std::vector<UsedKey> keys;
  for (const KeyInfo& row : KeyTable()) {
    if (!row.textKey.empty()) keys.push_back({"TEXT", std::string(row.textKey), "key table row " + std::string(row.name)});
  }
  for (std::uint32_t index = 0; index < 11; ++index) {
    keys.push_back({"TEXT", KeyboardFunctionTextKey(index), "keyboard functions"});
  }
  for (int effect = 1; effect <= 21; ++effect) keys.push_back({"MODE", std::to_string(effect), "lighting effects"});
  return keys;
}

TEST(LanguageCoverageTest, EveryKeyTheProgramLooksUpIsShipped) {
  std::vector<UsedKey> fromSources = KeysInSources();
  std::vector<UsedKey> fromTables = KeysInTables();
  // Guards against a scan that silently finds nothing.
  ASSERT_GE(fromSources.size(), 5u);
  ASSERT_GE(fromTables.size(), 150u);

  std::map<std::string, std::set<std::string>> shipped;
  for (const char* section : {"TEXT", "LIGHT", "MODE"}) {
    for (const auto& entry : ReadProfileSection(kLanguageFile, section)) shipped[section].insert(Upper(entry.first));
  }
  for (const std::vector<UsedKey>* list : {&fromSources, &fromTables}) {
    for (const UsedKey& used : *list) {
      EXPECT_TRUE(shipped[used.section].count(Upper(used.key)))
          << "[" << used.section << "] " << used.key << " used in " << used.where;
    }
  }
}

TEST(LanguageCoverageTest, ShippedFileHasNoDuplicateKeysAndItsMessagesTakeTheirArguments) {
  for (const char* section : {"TEXT", "LIGHT", "MODE"}) {
    std::map<std::string, int> seen;
    for (const auto& [key, value] : ReadProfileSection(kLanguageFile, section)) {
      EXPECT_EQ(++seen[Upper(key)], 1) << "[" << section << "] " << key << " appears twice; only the first is read";
      EXPECT_FALSE(value.empty()) << "[" << section << "] " << key;
    }
  }
  // Texts formatted with an argument must carry a conversion for it, else the
  // argument (a path, a key code, a limit) silently disappears.
  const std::pair<const char*, const char*> formatted[] = {
      {"PROFILE_FORMAT_ERROR", "%s"}, {"UNKNOWN_KEY", "X"}, {"MACRO_ERR_MAX", "d"}, {"MACRO_ACTION_ERR_DELAY_MAX", "d"}};
  for (auto [key, conversion] : formatted) {
    std::string text = ReadProfileString(kLanguageFile, "TEXT", key, "", 259);
    EXPECT_NE(text.find('%'), std::string::npos) << key;
    EXPECT_NE(text.find(conversion), std::string::npos) << key;
  }
}

}  // namespace
}  // namespace zarvel
