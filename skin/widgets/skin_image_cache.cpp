#include "skin/widgets/skin_image_cache.h"

#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <thread>

#include "model/atomic_file.h"
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

QByteArray SkinImageCache::ReadPictureFile(const QString& path, int* reason) {
  std::vector<std::uint8_t> bytes;
  const int failure = ReadRegularFile(path.toStdString(), bytes, kPictureReadLimit);
  if (reason != nullptr) *reason = failure;
  if (failure != 0) return {};
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

std::string SkinImageCache::SharpName(std::string_view name) { return DoubleSizeName(FromView(name)).toStdString(); }

std::string SkinImageCache::Folder() const { return folder_.empty() ? SkinFolder() : folder_; }

QString SkinImageCache::KeyFor(std::string_view name, qreal devicePixelRatio) {
  const QString plain = FromView(name);
  return devicePixelRatio >= kHiDpiThreshold ? DoubleSizeName(plain) : plain;
}

QPixmap SkinImageCache::Pixmap(std::string_view name, qreal devicePixelRatio) {
  if (name.empty()) return QPixmap();
  const QString plain = FromView(name);
  const bool hiDpi = devicePixelRatio >= kHiDpiThreshold;
  const QString key = KeyFor(name, devicePixelRatio);
  auto found = pixmaps_.constFind(key);
  if (found != pixmaps_.constEnd()) return found.value();

  const QString folder = QString::fromStdString(Folder());
  QPixmap pixmap;
  if (hiDpi && LoadInto(pixmap, key)) {
    pixmap.setDevicePixelRatio(2.0);
  } else if (hiDpi) {
    // No sharp variant: the 1x picture, scaled by the window system.
    pixmap = Pixmap(name, 1.0);
  } else {
    LoadInto(pixmap, plain);
  }
  // A missing picture is remembered too, so painting does not probe the
  // disk on every frame.
  pixmaps_.insert(key, pixmap);
  return pixmap;
}

QImage SkinImageCache::Image(std::string_view name) { return Pixmap(name, 1.0).toImage(); }

void SkinImageCache::Preload(const std::vector<std::string>& names, qreal devicePixelRatio) {
  const bool hiDpi = devicePixelRatio >= kHiDpiThreshold;
  const QString folder = QString::fromStdString(Folder());
  // The files to decode: each name once, cached ones skipped; on a HiDPI
  // screen only the sharp files that exist (the rest fall back below).
  std::vector<QString> keys;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    const QString key = KeyFor(name, devicePixelRatio);
    if (pixmaps_.contains(key) || std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    if (hiDpi && !QFileInfo::exists(folder + key)) continue;
    keys.push_back(key);
  }

  // Decoding into QImage is safe off the window thread; turning the result
  // into a pixmap is not, so that stays here.
  std::vector<QImage> decoded(keys.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < keys.size(); i = next++) {
      decoded[i] = QImage::fromData(ReadPictureFile(folder + keys[i]));
    }
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t helpers = std::min<std::size_t>({cores, 8u, keys.size()}) - (keys.empty() ? 0 : 1);
  std::vector<std::thread> threads;
  threads.reserve(helpers);
  for (std::size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();

  for (std::size_t i = 0; i < keys.size(); ++i) {
    QPixmap pixmap = QPixmap::fromImage(std::move(decoded[i]));
    if (hiDpi && !pixmap.isNull()) pixmap.setDevicePixelRatio(2.0);
    // A sharp file that cannot be read is retried by Pixmap(), which then
    // falls back to the plain one.
    if (hiDpi && pixmap.isNull()) continue;
    pixmaps_.insert(keys[i], pixmap);
  }
  if (hiDpi) {
    for (const std::string& name : names) Pixmap(name, devicePixelRatio);
  }
}

bool SkinImageCache::LoadInto(QPixmap& pixmap, const QString& key) const {
  auto kept = encoded_.constFind(key);
  if (kept != encoded_.constEnd()) return pixmap.loadFromData(kept.value());
  const QByteArray bytes = ReadPictureFile(QString::fromStdString(Folder()) + key);
  return !bytes.isEmpty() && pixmap.loadFromData(bytes);
}

void SkinImageCache::KeepEncoded(const std::vector<std::string>& names) {
  const QString folder = QString::fromStdString(Folder());
  for (const std::string& name : names) {
    if (name.empty()) continue;
    for (const QString& key : {KeyFor(name, 1.0), KeyFor(name, 2.0)}) {
      pixmaps_.remove(key);
      if (encoded_.contains(key)) continue;
      QByteArray bytes = ReadPictureFile(folder + key);
      if (!bytes.isEmpty()) encoded_.insert(key, std::move(bytes));
    }
  }
}

void SkinImageCache::Clear() {
  pixmaps_.clear();
  encoded_.clear();
}

}  // namespace zarvel
