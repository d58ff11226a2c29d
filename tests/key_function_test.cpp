#include "model/key_function.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/key_description.h"
#include "model/key_table.h"
#include "model/record_delay.h"
#include "skin/language.h"
#include "skin/program_paths.h"

namespace zarvel {
namespace {

TEST(KeyFunctionBytes, GoldenRoundTripAndShortInput) {
  const KeyFunction record{kFunctionMacro, 0x0305, 0x11223344, 1, 0xA0B0C0D0};
  const std::vector<std::uint8_t> golden = {0x04, 0x00, 0x05, 0x03, 0x44, 0x33, 0x22, 0x11,
                                            0x01, 0x00, 0x00, 0x00, 0xD0, 0xC0, 0xB0, 0xA0};
  std::vector<std::uint8_t> bytes(16, 0xEE);
  WriteKeyFunction(record, bytes);
  EXPECT_EQ(bytes, golden);
  EXPECT_EQ(ReadKeyFunction(golden), record);
  EXPECT_EQ(ReadKeyFunction(std::span(golden).first(15)), KeyFunction{});
}

TEST(KeyFunctionBlock, SpecialIdsAndReset) {
  ProfileBlock block;
  block.fill({kFunctionKey, 1, 2, 3, 4});
  InitProfileBlock(block);
  for (std::size_t r = 0; r < kRecordsPerProfile; ++r) {
    std::uint16_t id = 0;
    if (r >= 256 && r <= 264) id = static_cast<std::uint16_t>(0x0301 + (r - 256));
    if (r >= 265 && r <= 273) id = static_cast<std::uint16_t>(0x1301 + (r - 265));
    EXPECT_EQ(block[r], (KeyFunction{0, id, 0, 0, 0})) << r;
  }
  ResetKeyFunction(block[256]);
  EXPECT_EQ(block[256], KeyFunction{});
}

class DescribeKeyFunctionTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolder(ZARVEL_PROGRAM_DIR); }
  void TearDown() override { SetProgramFolder(""); }
  std::string Set() const { return LookupText("KEY_PROMPT_SET"); }
};

TEST_F(DescribeKeyFunctionTest, EachTypeAsTheMainWindowShowsIt) {
  MacroRecord macro;
  macro.id = 5;
  SetMacroNameUtf8(macro, "Combo \xC3\xA9");
  const MacroSet macros = {macro};
  const std::string a = KeyDisplayName(0x01E);
  struct Case {
    KeyFunction record;
    std::string text;
    bool assigned;
  };
  const std::vector<Case> cases = {
      {{kFunctionDefault, 0, 0x030, 0, 0}, a, false},
      {{kFunctionDisabled, 0, 0, 0, 0}, a + Set(), true},
      {{kFunctionLaunch, 0, 12, 0, 0}, a + Set(), true},
      {{kFunctionStopMacro, 0, 0, 0, 0}, a + Set(), true},
      {{kFunctionText, 0, 0, 0, 0}, a + Set(), true},
      {{kFunctionKey, 0, 0x030, 0, 0}, a + Set() + LookupText("KEY_PROMPT_SINGLE") + KeyDisplayName(0x030) + ")", true},
      {{kFunctionMacro, 0, 5, 0, 0}, a + Set() + LookupText("KEY_PROMPT_MACRO") + "Combo \xC3\xA9)", true},
      {{kFunctionMacro, 0, 6, 0, 0}, a + Set() + LookupText("KEY_PROMPT_MACRO") + ")", true},  // deleted macro
      {{kFunctionMedia, 0, 7, 0, 0}, a + Set() + LookupText("KEY_PROMPT_MEDIA") + KeyDisplayName(0x120) + ")", true},
      {{kFunctionKeyboard, 0, 10, 0, 0},
       a + Set() + LookupText("KEY_PROMPT_FUNCTION") + LookupText("FUNC_KEY_DESC11") + ")", true},
  };
  for (const Case& c : cases) {
    KeyDescription d = DescribeKeyFunction(0x01E, c.record, macros);
    EXPECT_EQ(d.text, c.text) << "type " << c.record.type;
    EXPECT_EQ(d.assigned, c.assigned) << "type " << c.record.type;
  }
  EXPECT_NE(LookupText("FUNC_KEY_DESC11"), kMissingText);
}

TEST_F(DescribeKeyFunctionTest, SpecialKeysAreNamedGAndLongTextsAreCut) {
  EXPECT_EQ(DescribeKeyFunction(SpecialKeyCode(0), {}, {}).text, "G1");
  EXPECT_EQ(DescribeKeyFunction(SpecialKeyCode(8), {kFunctionDisabled, 0, 0, 0, 0}, {}).text, "G9" + Set());

  MacroSet macros(1);
  macros[0].id = 1;
  SetMacroName(macros[0], std::u16string(249, u'\u00e9'));  // two UTF-8 bytes each
  KeyDescription d = DescribeKeyFunction(0x01E, {kFunctionMacro, 0, 1, 0, 0}, macros);
  std::u16string wide = Utf8ToUtf16(d.text);
  EXPECT_EQ(wide.size(), kMaxDescriptionChars);
  EXPECT_EQ(wide.back(), u'\u00e9');  // cut on a character, not inside one
}

class FakeSettings : public Settings {
 public:
  std::int64_t GetInt(std::string_view, std::string_view, std::int64_t fallback) override { return fallback; }
  bool SetInt(std::string_view, std::string_view, std::int64_t) override { return true; }
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override {
    auto it = values.find(std::string(section) + "/" + std::string(key));
    return it == values.end() ? std::string(fallback) : it->second;
  }
  bool SetString(std::string_view section, std::string_view key, std::string_view value) override {
    values[std::string(section) + "/" + std::string(key)] = std::string(value);
    ++writes;
    return true;
  }
  std::map<std::string, std::string> values;
  int writes = 0;
};

TEST_F(DescribeKeyFunctionTest, RecordDelaySettingNormalisesWhatItFinds) {
  FakeSettings settings;
  const std::string key = "PROFILES/" + LookupText("MACRO_ACTION_RECORD_DELAY");
  EXPECT_EQ(ReadRecordDelaySetting(settings), 0);
  EXPECT_EQ(settings.writes, 0);
  EXPECT_EQ(WriteRecordDelaySetting(settings, true), 1);
  EXPECT_EQ(ReadRecordDelaySetting(settings), 1);
  for (const char* odd : {"2", " 1", ""}) {
    settings.values[key] = odd;
    EXPECT_EQ(ReadRecordDelaySetting(settings), 0) << odd;
    EXPECT_EQ(settings.values[key], "0") << odd;
  }
}

}  // namespace
}  // namespace zarvel
