#include "skin/placement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/atomic_file.h"
#include "skin/ini_file.h"
#include "skin/skin_files.h"

namespace zarvel {
namespace {

TEST(PlacementTest, ParsesLeftTopWidthHeight) {
  struct Case {
    const char* value;
    Placement expected;
  };
  const Case cases[] = {
      {"10,20,30,40", {10, 20, 30, 40}},
      {"10,20,30,40,anything,else", {10, 20, 30, 40}},
      {"1,1,1,1,x", {1, 1, 1, 1}},
      {" 10, 20,\t30,  40", {10, 20, 30, 40}},  // spaces before a number are fine
      {"10 ,20,30,40", {10, 0, 0, 0}},           // but not before a comma
      {"-5,+6,7,8", {-5, 6, 7, 8}},
      {"10,20", {10, 20, 0, 0}},
      {"10,abc,30,40", {10, 0, 0, 0}},           // reading stops at the first non-number
      {"10;20;30;40", {10, 0, 0, 0}},
      {"abc", {0, 0, 0, 0}},
      {"", {0, 0, 0, 0}},
      {"10,20,30,40.5", {10, 20, 30, 40}},
      // Numbers past any screen are clamped, so left + width and origin - 1 stay in int.
      {"99999999999,-99999999999,0,0", {32767, -32767, 0, 0}},
      {"2147483647,2147483647,2147483647,2147483647", {32767, 32767, 32767, 32767}},
      {"-2147483648,-5,-99999,-1", {-32767, -5, -32767, -1}},
      {"32767,-32767,32768,-32768", {32767, -32767, 32767, -32767}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParsePlacement(c.value), c.expected) << c.value;
}

class SkinFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zarvel-skin-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    path_ = dir_ + "/Main.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
  std::string path_;
};

TEST_F(SkinFileTest, ReadsPlacementsOriginsAndScreen) {
  ASSERT_TRUE(WriteFileAtomically(path_,
                                  "[SCREEN]\nMain=main.jpg\nLink=https://example.org/\n"
                                  "[BUTTONINFO]\nCONTROL_OK=10,20,30,40\nLOCK_AB=1,1,5,5\nEMPTY=\n"
                                  "LEFT_ARROW=100,200,16,16\n"
                                  "[BUTTONINFO2]\nUP_ARROW_LEFT1=300,400\n"));
  CIniFile skin(path_);
  Placement ok = ReadPlacement(skin, "control_ok");
  EXPECT_EQ(ok, (Placement{10, 20, 30, 40}));
  EXPECT_FALSE(IsUnplacedButton(ok));
  EXPECT_EQ(StateImageCorner(OriginOf(ok)), (ImageOrigin{9, 19}));

  Placement missing = ReadPlacement(skin, "CONTROL_CANCEL");
  EXPECT_EQ(missing, (Placement{1, 1, 1, 1}));
  EXPECT_TRUE(IsUnplacedButton(missing));
  EXPECT_TRUE(IsUnplacedButton(ReadPlacement(skin, "LOCK_AB")));  // placed at (1, 1) on purpose
  EXPECT_EQ(ReadPlacement(skin, "EMPTY"), (Placement{1, 1, 1, 1}));

  EXPECT_EQ(ReadImageOrigin(skin, ArrowOriginKey("UP_ARROW_LEFT", 1)), (ImageOrigin{300, 400}));
  EXPECT_EQ(ReadImageOrigin(skin, "DOWN_ARROW_LEFT2"), (ImageOrigin{1, 1}));
  EXPECT_EQ(ReadImageOrigin(skin, "LEFT_ARROW"), (ImageOrigin{1, 1}));  // other section

  SkinScreen screen = ReadSkinScreen(skin, dir_ + "/");
  EXPECT_EQ(screen.background, dir_ + "/main.jpg");
  EXPECT_EQ(screen.mask, dir_ + "/main.jpg");  // no mask: the background is its own
  EXPECT_EQ(screen.link, "https://example.org/");

  ASSERT_TRUE(WriteProfileString(path_, "SCREEN", "Mask", "mask.bmp"));
  ASSERT_TRUE(DeleteProfileKey(path_, "SCREEN", "Link"));
  screen = ReadSkinScreen(skin, dir_ + "/");
  EXPECT_EQ(screen.mask, dir_ + "/mask.bmp");
  EXPECT_EQ(screen.link, kDefaultLinkAddress);

  SkinScreen none = ReadSkinScreen(CIniFile(dir_ + "/absent.ini"), dir_ + "/");
  EXPECT_TRUE(none.background.empty());
  EXPECT_TRUE(none.mask.empty());
}

TEST(PlacementTest, SkinKeyNames) {
  EXPECT_EQ(KeyButtonSkinKey(0x3B), "KEY_03B");
  EXPECT_EQ(KeyButtonSkinKey(0xD3), "KEY_0D3");
  EXPECT_EQ(GButtonSkinKey(9), "FUNC_G9");
  EXPECT_EQ(ArrowOriginKey("DOWN_ARROW_RIGHT", 2), "DOWN_ARROW_RIGHT2");
}

}  // namespace
}  // namespace zarvel
