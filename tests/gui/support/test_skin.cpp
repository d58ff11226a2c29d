#include "gui/support/test_skin.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "skin/ini_file.h"
#include "skin/skin_files.h"
#include "skin/skin_images.h"

namespace zarvel::testing {

namespace {

// Backgrounds and masks the three test skin files name.
constexpr const char* kScreens[][3] = {{"Main.ini", "main_bg.png", "main_mask.png"},
                                       {"Profile.ini", "profile_bg.png", "profile_mask.png"},
                                       {"Composite.ini", "composite_bg.png", "composite_mask.png"}};

// Black everywhere (all inside) but for a white top-left corner, so the
// outline is visible in tests.
QImage CornerMask(QSize size) {
  QImage mask(size, QImage::Format_RGB32);
  mask.fill(Qt::black);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4 - y; ++x) mask.setPixel(x, y, qRgb(255, 255, 255));
  return mask;
}

}  // namespace

int ImageTag(std::string_view name) {
  // Distinct for every image of the lists (FNV-1a folded to 7 bits, spread).
  unsigned hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return static_cast<int>((hash >> 8) % 251u);
}

QColor GeneratedPixel(std::string_view name, int x, int y) { return QColor(x % 256, y % 256, ImageTag(name)); }

QImage GeneratedImage(std::string_view name, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  const int tag = ImageTag(name);
  for (int y = 0; y < size.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) row[x] = qRgb(x % 256, y % 256, tag);
  }
  return image;
}

TestSkin::TestSkin() {
  char pattern[] = "/tmp/zarvel-test-skin-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  root_ = made ? made : "/tmp/zarvel-test-skin";
  folder_ = root_ + "/Skins/";
  std::filesystem::create_directories(folder_);
  for (const auto& screen : kScreens) {
    WriteProfileString(folder_ + screen[0], kScreenSection, "Main", screen[1]);
    WriteProfileString(folder_ + screen[0], kScreenSection, "Mask", screen[2]);
    WriteImage(screen[1], GeneratedImage(screen[1]));
    WriteImage(screen[2], CornerMask(kTestSkinSize));
  }
  for (auto name : kMainWindowImages) WriteImage(name, GeneratedImage(name));
  for (auto name : kProfileManagerImages) WriteImage(name, GeneratedImage(name));
  for (auto name : kKeyDialogImages) WriteImage(name, GeneratedImage(name));
}

TestSkin::~TestSkin() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void TestSkin::Place(std::string_view skinFile, std::string_view key, std::string_view value,
                     std::string_view section) {
  WriteProfileString(Path(skinFile), section, key, value);
}

void TestSkin::WriteImage(std::string_view name, const QImage& image) {
  // Lossless whatever the name says, so pixel checks are exact.
  image.save(QString::fromStdString(Path(name)), "PNG");
}

}  // namespace zarvel::testing
