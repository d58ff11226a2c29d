#pragma once
// Skin images, loaded once per run and shared by every window.
//
// Images are named as the skin files and the lighting controller name them
// ("main_normal.jpg", "dengdown.bmp") and looked up in the skin folder
// (SkinFolder() unless a folder is set). On a screen whose device pixel ratio
// is 1.5 or more, "NAME@2x.EXT" beside "NAME.EXT" is used instead, with device
// pixel ratio 2: its size in layout pixels is the same, so placements stay in
// 1x pixels and the window is sharp on a HiDPI screen.
//
// Not thread-safe: use it from the window thread only.
#include <QHash>
#include <QPixmap>
#include <QString>
#include <string>
#include <string_view>

namespace zarvel {

class SkinImageCache {
 public:
  // The one cache of the program.
  static SkinImageCache& Instance();

  // The folder images are read from; ends with '/'. Setting it empties the
  // cache. Empty restores SkinFolder().
  void SetFolder(const std::string& folder);
  std::string Folder() const;

  // The image `name`; a null pixmap when it is missing or unreadable (the
  // start-up check has already reported such a skin). The device pixel ratio
  // picks the @2x variant: pass the window's devicePixelRatioF().
  QPixmap Pixmap(std::string_view name, qreal devicePixelRatio = 1.0);
  // The same image as a QImage at 1x (masks, pixel tests).
  QImage Image(std::string_view name);

  void Clear();

 private:
  SkinImageCache() = default;
  std::string folder_;
  QHash<QString, QPixmap> pixmaps_;
};

}  // namespace zarvel
