#include "model/user_lighting_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "model/atomic_file.h"
#include "skin/ini_file.h"

namespace zarvel {
namespace {

class UserLightingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-userd-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    user_ = dir_ + "/user/";
    program_ = dir_ + "/program/";
    std::filesystem::create_directories(user_);
    std::filesystem::create_directories(program_ + "Skins");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Raw(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  UserLightingFiles Files() const { return UserLightingFiles(user_, program_); }

  std::string dir_;
  std::string user_;
  std::string program_;
};

TEST_F(UserLightingFileTest, FilesLieWhereTheProgramLooksForThem) {
  UserLightingFiles files = Files();
  EXPECT_EQ(files.LightingFilePath(2), user_ + "UserDengColor_2.userd");
  EXPECT_EQ(files.TemplatePath(), program_ + "Skins/UserDengColor_4.userd");
  EXPECT_EQ(files.SettingsFilePath(), user_ + "qnkb.ini");
}

TEST_F(UserLightingFileTest, MissingFileReadsDefaults) {
  UserLightingFiles files = Files();
  EXPECT_EQ(files.ReadCurrentSlot(0), 0);
  EXPECT_EQ(files.ReadSlotName(0, 9), "0");
  EXPECT_EQ(files.ReadSlotSettings(1, 3), SlotSettings{});
  EXPECT_EQ(files.ReadKeyEntry(3, 0, 85), (KeyColourEntry{{255, 0, 0}, true}));
  EXPECT_FALSE(files.ReadLightingSwitch());
}

TEST_F(UserLightingFileTest, ReadsStoredValuesAndToleratesMalformedOnes) {
  UserLightingFiles files = Files();
  ASSERT_TRUE(WriteFileAtomically(files.LightingFilePath(1),
                                  "[PRESENTMODE]\r\nmode=7\r\n[MODENAME]\r\n0=Desk\r\n1=\r\n"
                                  "[Mode2]\r\ntool=abc\r\njcolor=1,2\r\ncolor=300,-1,256\r\n"
                                  "0=12,34,56,0\r\n1=12,34,56,7\r\n2=12,34\r\n3=\r\n4=x\r\n"));
  EXPECT_EQ(files.ReadCurrentSlot(1), 7);
  EXPECT_EQ(files.ReadSlotName(1, 0), "Desk");
  EXPECT_EQ(files.ReadSlotName(1, 1), "");
  SlotSettings settings = files.ReadSlotSettings(1, 2);
  EXPECT_EQ(settings.tool, 0);
  EXPECT_EQ(settings.baseColour, (SlotColour{1, 2, 0}));
  EXPECT_EQ(settings.paintColour, (SlotColour{44, 255, 0}));  // low eight bits of each number
  struct Case {
    int colourIndex;
    KeyColourEntry expected;
  };
  const Case cases[] = {
      {0, {{12, 34, 56}, false}},
      {1, {{12, 34, 56}, true}},  // any mark but 0 is 1
      {2, {{12, 34, 0}, true}},   // missing numbers from the default entry
      {3, {{255, 0, 0}, true}},
      {4, {{255, 0, 0}, true}},
      {5, {{255, 0, 0}, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(files.ReadKeyEntry(1, 2, c.colourIndex), c.expected) << c.colourIndex;

  // A slot number from the file outside the ten slots would index past the list.
  for (const char* stored : {"10", "-1", "99999999999"}) {
    ASSERT_TRUE(WriteProfileString(files.LightingFilePath(1), "PRESENTMODE", "mode", stored));
    EXPECT_EQ(files.ReadCurrentSlot(1), 0) << stored;
  }
}

TEST_F(UserLightingFileTest, WritesStoreTheDocumentedKeysAndNothingElse) {
  UserLightingFiles files = Files();
  std::string path = files.LightingFilePath(0);
  ASSERT_TRUE(WriteFileAtomically(path, "[MODENAME]\r\n0=Old\r\n1=Keep\r\n[Mode3]\r\n5=1,2,3,1\r\n"));
  ASSERT_TRUE(files.WriteSlotName(0, 0, "Gaming"));
  ASSERT_TRUE(files.WriteSlotSettings(0, 3, {1, {1, 2, 3}, {4, 5, 6}}));
  ASSERT_TRUE(files.WriteKeyEntry(0, 3, 85, {{10, 20, 30}, false}));
  ASSERT_TRUE(files.WriteCurrentSlot(0, 3));
  EXPECT_EQ(Raw(path),
            "[MODENAME]\r\n0=Gaming\r\n1=Keep\r\n"
            "[Mode3]\r\n5=1,2,3,1\r\ntool=1\r\njcolor=1,2,3\r\ncolor=4,5,6\r\n85=10,20,30,0\r\n"
            "[PRESENTMODE]\r\nmode=3\r\n");
  EXPECT_EQ(files.ReadSlotSettings(0, 3), (SlotSettings{1, {1, 2, 3}, {4, 5, 6}}));

  const UserLightingFiles::IndexedEntry batch[] = {{5, {{7, 7, 7}, true}}, {6, {{8, 8, 8}, true}}};
  ASSERT_TRUE(files.WriteKeyEntries(0, 3, batch));
  EXPECT_EQ(files.ReadKeyEntry(0, 3, 5), (KeyColourEntry{{7, 7, 7}, true}));
  EXPECT_EQ(files.ReadKeyEntry(0, 3, 6), (KeyColourEntry{{8, 8, 8}, true}));

  // Out-of-range profiles and slots name no file or section.
  std::string before = Raw(path);
  EXPECT_FALSE(files.WriteCurrentSlot(0, 10));
  EXPECT_FALSE(files.WriteSlotName(0, -1, "x"));
  EXPECT_FALSE(files.WriteKeyEntry(4, 0, 1, {}));
  EXPECT_FALSE(files.WriteSlotName(0, 1, "two\nlines"));
  EXPECT_EQ(Raw(path), before);
  EXPECT_FALSE(std::filesystem::exists(user_ + "UserDengColor_4.userd"));
}

TEST_F(UserLightingFileTest, LightingSwitchRoundTrips) {
  UserLightingFiles files = Files();
  ASSERT_TRUE(files.WriteLightingSwitch(true));
  EXPECT_TRUE(files.ReadLightingSwitch());
  EXPECT_EQ(Raw(files.SettingsFilePath()), "[KEYCOLOR]\nDengCheck=1\n");
  ASSERT_TRUE(files.WriteLightingSwitch(false));
  EXPECT_FALSE(files.ReadLightingSwitch());
  ASSERT_TRUE(WriteProfileString(files.SettingsFilePath(), "KEYCOLOR", "DengCheck", "2"));
  EXPECT_FALSE(files.ReadLightingSwitch());
}

TEST_F(UserLightingFileTest, RestoreCopiesTheTemplateWithCrLfLineEnds) {
  UserLightingFiles files = Files();
  ASSERT_TRUE(WriteFileAtomically(files.TemplatePath(), "[PRESENTMODE]\nmode=2\r\n[MODENAME]\n0=Factory\n"));
  ASSERT_TRUE(files.WriteSlotName(3, 0, "Mine"));
  EXPECT_EQ(files.RestoreFromTemplate(3), 1);
  EXPECT_EQ(Raw(files.LightingFilePath(3)), "[PRESENTMODE]\r\nmode=2\r\n[MODENAME]\r\n0=Factory\r\n");
  EXPECT_EQ(files.ReadCurrentSlot(3), 2);

  // Without a template the user's file is kept rather than emptied.
  ASSERT_TRUE(files.WriteSlotName(3, 0, "Mine"));
  std::filesystem::remove(files.TemplatePath());
  EXPECT_EQ(files.RestoreFromTemplate(3), 0);
  EXPECT_EQ(files.ReadSlotName(3, 0), "Mine");
  EXPECT_EQ(files.RestoreFromTemplate(4), 0);
}

TEST_F(UserLightingFileTest, FirstStartSeedsFourFilesOnce) {
  std::string fresh = dir_ + "/fresh/Varnok Z7Q3RGB/";
  UserLightingFiles files(fresh, std::string(ZARVEL_SOURCE_DIR) + "/assets/");
  EXPECT_EQ(files.SeedUserFolder(), 1);
  std::string shipped = Raw(files.TemplatePath());
  ASSERT_FALSE(shipped.empty());
  for (int p = 0; p < 4; ++p) EXPECT_EQ(Raw(files.LightingFilePath(p)), shipped) << p;
  EXPECT_FALSE(std::filesystem::exists(fresh + "UserDengColor_4.userd"));

  ASSERT_TRUE(files.WriteSlotName(1, 0, "Edited"));
  std::filesystem::remove(files.LightingFilePath(2));
  EXPECT_EQ(files.SeedUserFolder(), 0);  // an existing folder is left as it is
  EXPECT_EQ(files.ReadSlotName(1, 0), "Edited");
  EXPECT_FALSE(std::filesystem::exists(files.LightingFilePath(2)));
}

// The shipped template is our own data: ten named slots, each with a colour
// for every colour index the keyboard takes.
TEST_F(UserLightingFileTest, ShippedTemplateHoldsTenSlotsAndEveryColourIndex) {
  UserLightingFiles files(user_, std::string(ZARVEL_SOURCE_DIR) + "/assets/");
  ASSERT_EQ(files.RestoreFromTemplate(0), 1);
  EXPECT_EQ(files.ReadCurrentSlot(0), 0);
  for (int slot = 0; slot < kUserSlotCount; ++slot) {
    EXPECT_NE(files.ReadSlotName(0, slot), "0") << slot;
    std::set<std::string> keys;
    for (const auto& entry : ReadProfileSection(files.LightingFilePath(0), "Mode" + std::to_string(slot))) {
      keys.insert(entry.first);
    }
    for (int index = 0; index < 144; ++index) EXPECT_TRUE(keys.count(std::to_string(index))) << slot << "/" << index;
  }
}

}  // namespace
}  // namespace zarvel
