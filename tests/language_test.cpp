#include "skin/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "model/atomic_file.h"
#include "skin/program_paths.h"
#include "skin/settings.h"

namespace zarvel {
namespace {

// Sets the locale variables for one test and restores them afterwards.
class LocaleEnvironment {
 public:
  LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
    Set("LC_ALL", lcAll);
    Set("LC_MESSAGES", lcMessages);
    Set("LANG", lang);
  }
  ~LocaleEnvironment() {
    for (auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(LanguageIdTest, RegionalVariantsFoldOntoTheirLanguage) {
  const std::pair<std::uint16_t, std::uint16_t> cases[] = {
      {0x0C04, 0x0409}, {0x1004, 0x0409}, {0x0809, 0x0409}, {0x2C09, 0x0409}, {0x080C, 0x040C},
      {0xE40C, 0x040C}, {0x1C0C, 0x040C}, {0x0C07, 0x0407}, {0x0807, 0x0407}, {0x0407, 0x0407},
      {0x0804, 0x0804}, {0x0404, 0x0404}, {0x3009, 0x3009},  // no row: unchanged
  };
  for (auto [from, to] : cases) EXPECT_EQ(MapSystemLanguage(from), to) << std::hex << from;
}

TEST(LanguageIdTest, LocaleNamesGiveWindowsLanguageIdentifiers) {
  const std::pair<const char*, std::uint16_t> cases[] = {
      {"de_DE.UTF-8", 0x0407}, {"de_AT", 0x0C07}, {"en_GB.utf8", 0x0809}, {"en_US", 0x0409},
      {"fr_CA.UTF-8", 0x0C0C}, {"zh_TW.UTF-8", 0x0404}, {"zh_HK", 0x0C04}, {"zh_CN.GB18030", 0x0804},
      {"sr_RS@latin", 0x241A}, {"sr_RS.UTF-8@latin", 0x241A}, {"sr_RS", 0x281A}, {"de_BE", 0x0407},
      {"ja_JP.eucJP", 0x0411}, {"C", 0x0409}, {"POSIX", 0x0409}, {"C.UTF-8", 0x0409}, {"", 0x0409},
      {"xx_YY", 0x0409},
  };
  for (auto [name, id] : cases) EXPECT_EQ(LanguageIdFromLocale(name), id) << name;
}

TEST(LanguageIdTest, SystemLanguageTakesTheFirstNonEmptyVariable) {
  {
    LocaleEnvironment env("fr_FR.UTF-8", "de_DE", "ja_JP");
    EXPECT_EQ(SystemLanguageId(), 0x040C);
  }
  {
    LocaleEnvironment env("", "de_AT", "ja_JP");
    EXPECT_EQ(SystemLanguageId(), 0x0C07);
  }
  {
    LocaleEnvironment env(nullptr, nullptr, "ja_JP");
    EXPECT_EQ(SystemLanguageId(), 0x0411);
  }
  {
    LocaleEnvironment env(nullptr, nullptr, nullptr);
    EXPECT_EQ(SystemLanguageId(), 0x0409);
  }
}

TEST(LanguageIdTest, StoredChoiceWinsAndIsDecidedOnceOtherwise) {
  LocaleEnvironment env(nullptr, nullptr, "de_DE.UTF-8");
  struct Case {
    const char* stored;  // null: no value
    std::uint16_t expected;
    const char* storedAfter;
  };
  const Case cases[] = {
      {nullptr, 0x0409, "1033"},  // German system: not in the table, English chosen and stored
      {"0", 0x0409, "1033"},
      {"1036", 0x040C, "1036"},  // a stored French choice stays, though no file serves it
      {"banana", 0x0409, "1033"},
      {"-5", 0x0409, "1033"},
      {"70000", 0x0409, "1033"},
  };
  for (const Case& c : cases) {
    MemorySettings settings;
    if (c.stored) settings.SetString(kApplicationKeySection, kLanguageIdValueName, c.stored);
    EXPECT_EQ(GetLanguageId(settings), c.expected) << (c.stored ? c.stored : "(none)");
    EXPECT_EQ(settings.GetString(kApplicationKeySection, kLanguageIdValueName, "?"), c.storedAfter);
    EXPECT_EQ(GetLanguageIndex(settings), 0);
  }
  MemorySettings readOnly;
  readOnly.SetWritable(false);
  EXPECT_EQ(GetLanguageId(readOnly), 0x0409);  // a failed write changes nothing visible
}

TEST(LanguageIdTest, ChineseHongKongSystemMapsToEnglishBeforeTheComparison) {
  LocaleEnvironment env(nullptr, nullptr, "zh_HK.UTF-8");
  MemorySettings settings;
  EXPECT_EQ(GetLanguageId(settings), 0x0409);
}

class LanguageLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-lang-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    SetProgramFolder(dir_);
    config_ = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
  }
  void TearDown() override {
    SetProgramFolder("");
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }
  void WriteLanguageFile(const std::string& text) {
    ASSERT_TRUE(WriteFileAtomically(dir_ + "/Lang0409.ini", text));
  }
  std::string dir_;
  std::string config_;
};

TEST_F(LanguageLookupTest, LooksUpEachSectionAndShowsErrorForWhatIsMissing) {
  WriteLanguageFile(
      "[TEXT]\nMAIN_CAPTION=Keyboard\nEMPTY=\nLONG=" + std::string(300, 'w') +
      "\n[LIGHT]\nSpeed=Speed\n[MODE]\n20=User\n");
  EXPECT_EQ(LookupText("MAIN_CAPTION", 0), "Keyboard");
  EXPECT_EQ(LookupText("main_caption", 1), "Keyboard");
  EXPECT_EQ(LookupText("EMPTY", 0), "");
  EXPECT_EQ(LookupText("ABSENT", 0), "#Error");
  EXPECT_EQ(LookupText("Speed", 0), "#Error");  // sections are kept apart
  EXPECT_EQ(LookupText("LONG", 0), std::string(259, 'w'));
  EXPECT_EQ(LookupLight("Speed", 0), "Speed");
  EXPECT_EQ(LookupMode("20", 0), "User");
  EXPECT_EQ(LookupMode("020", 0), "#Error");
  EXPECT_EQ(LookupText("MAIN_CAPTION", 7), "Keyboard");  // above 2 reads index 0
  EXPECT_EQ(LookupText("MAIN_CAPTION", 2), "#Error");    // Lang0C04.ini is not shipped
  EXPECT_EQ(LanguageFilePath(2), dir_ + "/Lang0C04.ini");

  // The current-index forms decide the language through the user settings.
  EXPECT_EQ(LookupText("MAIN_CAPTION"), "Keyboard");
  EXPECT_EQ(LookupEffectName(20), "User");
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/config/Varnok Z7Q3RGB/settings.ini"));

  std::filesystem::remove(dir_ + "/Lang0409.ini");
  EXPECT_EQ(LookupText("MAIN_CAPTION", 0), "#Error");
}

TEST_F(LanguageLookupTest, AnEditedFileShowsInTheNextLookup) {
  WriteLanguageFile("[TEXT]\nMENU_11=Open\n");
  EXPECT_EQ(LookupText("MENU_11", 0), "Open");
  WriteLanguageFile("[TEXT]\nMENU_11=Show window\n");
  EXPECT_EQ(LookupText("MENU_11", 0), "Show window");
  // An edit of the same length in the same instant must show too: lookups
  // may reuse a parse only for the very same bytes.
  WriteLanguageFile("[TEXT]\nMENU_11=Show windoW\n");
  EXPECT_EQ(LookupText("MENU_11", 0), "Show windoW");
}

}  // namespace
}  // namespace zarvel
