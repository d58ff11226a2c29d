#pragma once
// A tiny skin written into a temp folder for the kit's tests: the three skin
// files and every image the start-up check wants, with pictures whose pixels
// say where they came from, so a test can tell which state image and which
// piece of it a button shows.
//
// Every state image is lossless (PNG bytes under the skin's ".jpg" names;
// the image loader goes by content). Pixel (x, y) of image `name` is
// (x mod 256, y mod 256, ImageTag(name)).
#include <QColor>
#include <QImage>
#include <QSize>
#include <map>
#include <string>
#include <string_view>

namespace zarvel::testing {

inline constexpr QSize kTestSkinSize(240, 120);

class TestSkin {
 public:
  // A fresh folder under /tmp; removed by the destructor.
  TestSkin();
  ~TestSkin();
  TestSkin(const TestSkin&) = delete;
  TestSkin& operator=(const TestSkin&) = delete;

  // Ends with '/'.
  const std::string& Folder() const { return folder_; }
  std::string Path(std::string_view name) const { return folder_ + std::string(name); }

  // Adds "key=value" to "BUTTONINFO" (or `section`) of `skinFile`.
  void Place(std::string_view skinFile, std::string_view key, std::string_view value,
             std::string_view section = "BUTTONINFO");
  // Replaces an image (the mask tests draw their own).
  void WriteImage(std::string_view name, const QImage& image);

 private:
  std::string root_;
  std::string folder_;
};

// The blue channel every pixel of `name` carries.
int ImageTag(std::string_view name);
// The colour of pixel (x, y) of generated image `name`.
QColor GeneratedPixel(std::string_view name, int x, int y);
// A generated image of `size`.
QImage GeneratedImage(std::string_view name, QSize size = kTestSkinSize);

}  // namespace zarvel::testing
