// The start-up check of the skin, and the image cache it fills.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "gui/support/test_skin.h"
#include "skin/ini_file.h"
#include "skin/skin_images.h"
#include "skin/widgets/skin_check.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {
namespace {

using testing::GeneratedImage;
using testing::TestSkin;

class SkinCheckTest : public ::testing::Test {
 protected:
  void TearDown() override { SkinImageCache::Instance().SetFolder(""); }
  TestSkin skin_;
};

TEST_F(SkinCheckTest, CoversEveryImageOfAllThreeWindows) {
  const std::vector<std::string> names = SkinImagesToCheck(skin_.Folder());
  auto has = [&](std::string_view name) { return std::find(names.begin(), names.end(), name) != names.end(); };
  for (auto name : {"main_bg.png", "main_mask.png", "profile_bg.png", "profile_mask.png", "composite_bg.png",
                    "composite_mask.png"})
    EXPECT_TRUE(has(name)) << name;
  for (auto name : kMainWindowImages) EXPECT_TRUE(has(name)) << name;
  for (auto name : kProfileManagerImages) EXPECT_TRUE(has(name)) << name;
  for (auto name : kKeyDialogImages) EXPECT_TRUE(has(name)) << name;
  EXPECT_EQ(names.size(), 6 + kMainWindowImages.size() + kProfileManagerImages.size() + kKeyDialogImages.size());

  const SkinCheckResult result = CheckSkin(skin_.Folder());
  EXPECT_TRUE(result.ok) << result.failed_file;
  EXPECT_TRUE(DescribeSkinFailure(result).empty());
}

TEST_F(SkinCheckTest, NamesTheFirstBrokenFile) {
  struct Case {
    std::string file;
    bool corrupt;  // else deleted
    std::string reason;
  };
  // One image of each window, and a mask: each is needed only when that
  // window first opens, yet must fail the check at start-up.
  const Case cases[] = {{"Arrow.jpg", false, "missing"},
                        {"Profile_over.jpg", false, "missing"},
                        {"function_down.jpg", true, "unreadable"},
                        {"composite_mask.png", false, "missing"}};
  for (const Case& c : cases) {
    TestSkin skin;
    if (c.corrupt) {
      std::ofstream(skin.Path(c.file), std::ios::trunc) << "not a picture";
    } else {
      std::filesystem::remove(skin.Path(c.file));
    }
    const SkinCheckResult result = CheckSkin(skin.Folder());
    EXPECT_FALSE(result.ok) << c.file;
    EXPECT_EQ(result.failed_file, skin.Path(c.file));
    EXPECT_EQ(result.reason, c.reason) << c.file;
    const std::string line = DescribeSkinFailure(result);
    EXPECT_NE(line.find(skin.Path(c.file)), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }

  // A skin file that is missing, or names no background, is named itself.
  TestSkin noFile;
  std::filesystem::remove(noFile.Path("Composite.ini"));
  EXPECT_EQ(CheckSkin(noFile.Folder()).failed_file, noFile.Path("Composite.ini"));
  TestSkin noBackground;
  ASSERT_TRUE(DeleteProfileKey(noBackground.Path("Profile.ini"), "SCREEN", "Main"));
  const SkinCheckResult unnamed = CheckSkin(noBackground.Folder());
  EXPECT_EQ(unnamed.failed_file, noBackground.Path("Profile.ini"));
  EXPECT_NE(unnamed.reason, "missing");
}

// A FIFO or a folder put in place of a skin file must not stop the start for
// ever (a FIFO blocks any plain open until a writer comes): the check fails at
// once and names the file and the reason.
TEST_F(SkinCheckTest, NeverWaitsOnAFifoOrFolderInPlaceOfASkinFile) {
  struct Case {
    std::string file;
    bool fifo;  // else a folder
  };
  const Case cases[] = {{"main_bg.png", true},   // decoded at start
                        {"key_over.jpg", true},  // kept as bytes for later
                        {"Main.ini", true},
                        {"Main.ini", false},
                        {"Arrow.jpg", false}};
  for (const Case& c : cases) {
    TestSkin skin;
    const std::string path = skin.Path(c.file);
    std::filesystem::remove(path);
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
    } else {
      std::filesystem::create_directory(path);
    }
    const SkinCheckResult result = CheckSkin(skin.Folder());
    EXPECT_FALSE(result.ok) << c.file;
    EXPECT_EQ(result.failed_file, path);
    EXPECT_EQ(result.reason, "not a regular file") << c.file;
    SkinImageCache::Instance().SetFolder("");
  }
}

TEST_F(SkinCheckTest, ImagesLoadOnceAndKeepServingAfterTheCheck) {
  ASSERT_TRUE(CheckSkin(skin_.Folder()).ok);
  // Once checked, a picture deleted while the program runs is still shown:
  // the main window's, kept decoded, and a dialog's, kept as its bytes until
  // the dialog first opens.
  std::filesystem::remove(skin_.Path("main_over.jpg"));
  std::filesystem::remove(skin_.Path("key_over.jpg"));
  EXPECT_FALSE(SkinImageCache::Instance().Pixmap("main_over.jpg").isNull());
  EXPECT_FALSE(SkinImageCache::Instance().Pixmap("key_over.jpg").isNull());
  EXPECT_EQ(SkinImageCache::Instance().Image("key_over.jpg").size(), testing::kTestSkinSize);
  // Another folder is another skin.
  TestSkin other;
  SkinImageCache::Instance().SetFolder(other.Folder());
  std::filesystem::remove(other.Path("key_over.jpg"));
  EXPECT_TRUE(SkinImageCache::Instance().Pixmap("key_over.jpg").isNull());
  EXPECT_TRUE(SkinImageCache::Instance().Pixmap("").isNull());
}

TEST_F(SkinCheckTest, SharpPicturesOnHiDpiScreensKeepTheLayoutSize) {
  SkinImageCache& cache = SkinImageCache::Instance();
  cache.SetFolder(skin_.Folder());
  skin_.WriteImage("main_over@2x.jpg", GeneratedImage("main_over@2x.jpg", testing::kTestSkinSize * 2));

  const QPixmap sharp = cache.Pixmap("main_over.jpg", 2.0);
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  EXPECT_EQ(sharp.size(), testing::kTestSkinSize * 2);
  EXPECT_EQ(sharp.deviceIndependentSize().toSize(), testing::kTestSkinSize);
  EXPECT_EQ(cache.Pixmap("main_over.jpg", 1.5).devicePixelRatio(), 2.0);

  // Below 1.5, or without a sharp file, the plain picture.
  for (qreal ratio : {1.0, 1.25}) {
    const QPixmap plain = cache.Pixmap("main_over.jpg", ratio);
    EXPECT_EQ(plain.devicePixelRatio(), 1.0);
    EXPECT_EQ(plain.size(), testing::kTestSkinSize);
  }
  const QPixmap fallback = cache.Pixmap("main_down.jpg", 2.0);
  EXPECT_EQ(fallback.size(), testing::kTestSkinSize);
  EXPECT_EQ(fallback.devicePixelRatio(), 1.0);
  // Masks are read at layout size whatever the screen.
  EXPECT_EQ(cache.Image("main_over.jpg").size(), testing::kTestSkinSize);
}

}  // namespace
}  // namespace zarvel
