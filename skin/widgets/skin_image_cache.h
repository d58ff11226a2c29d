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
#include <QByteArray>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

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

  // Loads every image of `names` that is not cached yet, decoding them on
  // several threads at once (start-up decodes some thirty full-window
  // pictures, which is nearly all of its time). Afterwards Pixmap() with the
  // same device pixel ratio finds each one ready, or null when it failed.
  void Preload(const std::vector<std::string>& names, qreal devicePixelRatio = 1.0);

  // Keeps `names` (and their sharp variants) as the files' bytes instead of
  // decoded pictures: the dialogs' full-window pictures cost some 26 MB
  // decoded, yet are needed only once a dialog opens. Their bytes still
  // serve if the files vanish while the program runs; Pixmap() decodes them
  // again on first use.
  void KeepEncoded(const std::vector<std::string>& names);

  void Clear();

  // "main_normal.jpg" -> "main_normal@2x.jpg": the sharp file of a picture.
  static std::string SharpName(std::string_view name);

  // The bytes of a skin picture, read without ever waiting: a FIFO or device
  // put in place of a picture would otherwise block the start for ever. Empty
  // when the file is missing, not a regular file or larger than any picture
  // (`reason` then says why, as ReadRegularFile does).
  static QByteArray ReadPictureFile(const QString& path, int* reason = nullptr);
  // The largest picture file read: a full-window @2x picture is a few MB.
  static constexpr std::size_t kPictureReadLimit = 32u * 1024u * 1024u;

 private:
  // Loads `key` (a file name in the folder) from the kept bytes, else the file.
  bool LoadInto(QPixmap& pixmap, const QString& key) const;

  SkinImageCache() = default;
  // The cache key and, for a HiDPI screen, whether the sharp file is meant.
  static QString KeyFor(std::string_view name, qreal devicePixelRatio);

  std::string folder_;
  QHash<QString, QPixmap> pixmaps_;
  QHash<QString, QByteArray> encoded_;
};

}  // namespace zarvel
