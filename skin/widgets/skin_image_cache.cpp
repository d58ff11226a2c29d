#include "skin/widgets/skin_image_cache.h"

#include <QFileInfo>
#include <QImage>

#include "skin/skin_files.h"

namespace zarvel {

namespace {

// Screens at 150 % scaling or more get the double-size pictures.
constexpr qreal kHiDpiThreshold = 1.5;

QString FromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "main_normal.jpg" -> "main_normal@2x.jpg"; a name without extension gets
// the suffix at its end.
QString DoubleSizeName(const QString& name) {
  int slash = static_cast<int>(name.lastIndexOf('/'));
  int dot = static_cast<int>(name.lastIndexOf('.'));
  if (dot <= slash + 1) return name + "@2x";
  return name.left(dot) + "@2x" + name.mid(dot);
}

}  // namespace

SkinImageCache& SkinImageCache::Instance() {
  static SkinImageCache cache;
  return cache;
}

void SkinImageCache::SetFolder(const std::string& folder) {
  std::string wanted = folder;
  if (!wanted.empty() && wanted.back() != '/') wanted += '/';
  if (wanted == folder_) return;
  folder_ = wanted;
  Clear();
}

std::string SkinImageCache::Folder() const { return folder_.empty() ? SkinFolder() : folder_; }

QPixmap SkinImageCache::Pixmap(std::string_view name, qreal devicePixelRatio) {
  if (name.empty()) return QPixmap();
  const QString plain = FromView(name);
  const bool hiDpi = devicePixelRatio >= kHiDpiThreshold;
  const QString key = hiDpi ? DoubleSizeName(plain) : plain;
  auto found = pixmaps_.constFind(key);
  if (found != pixmaps_.constEnd()) return found.value();

  const QString folder = QString::fromStdString(Folder());
  QPixmap pixmap;
  if (hiDpi && QFileInfo::exists(folder + key) && pixmap.load(folder + key)) {
    pixmap.setDevicePixelRatio(2.0);
  } else if (hiDpi) {
    // No sharp variant: the 1x picture, scaled by the window system.
    pixmap = Pixmap(name, 1.0);
  } else {
    pixmap.load(folder + plain);
  }
  // A missing picture is remembered too, so painting does not probe the
  // disk on every frame.
  pixmaps_.insert(key, pixmap);
  return pixmap;
}

QImage SkinImageCache::Image(std::string_view name) { return Pixmap(name, 1.0).toImage(); }

void SkinImageCache::Clear() { pixmaps_.clear(); }

}  // namespace zarvel
