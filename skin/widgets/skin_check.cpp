#include "skin/widgets/skin_check.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "model/atomic_file.h"
#include "skin/ini_file.h"
#include "skin/skin_files.h"
#include "skin/skin_images.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {

namespace {

constexpr std::string_view kSkinFiles[] = {kMainSkinFile, kProfileSkinFile, kCompositeSkinFile};

template <std::size_t N>
void AddAll(std::vector<std::string>& names, const std::array<std::string_view, N>& images) {
  for (std::string_view image : images) names.emplace_back(image);
}

void AddUnique(std::vector<std::string>& names, const std::string& name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// Background and mask of one skin file; a file that names no background
// lists itself, so the check reports the file people must fix.
void AddScreenImages(std::vector<std::string>& names, const std::string& skinFolder, std::string_view skinFile) {
  const CIniFile skin(skinFolder + std::string(skinFile));
  const std::string background = skin.ReadString(kScreenSection, "Main").value_or("");
  const std::string mask = skin.ReadString(kScreenSection, "Mask", background).value_or(background);
  AddUnique(names, background.empty() ? std::string(skinFile) : background);
  if (!mask.empty()) AddUnique(names, mask);
}

qreal ScreenPixelRatio() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

std::vector<std::string> SkinImagesToCheck(const std::string& skinFolder) {
  std::vector<std::string> names;
  AddScreenImages(names, skinFolder, kMainSkinFile);
  AddAll(names, kMainWindowImages);
  AddScreenImages(names, skinFolder, kProfileSkinFile);
  AddAll(names, kProfileManagerImages);
  AddScreenImages(names, skinFolder, kCompositeSkinFile);
  AddAll(names, kKeyDialogImages);
  return names;
}

namespace {

// Decodes each image (a truncated or corrupt file fails here, not when its
// dialog first opens) and drops the picture at once, on a few threads. True
// for each name that decoded.
std::vector<bool> DecodeAndDrop(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<char> ok(names.size(), 0);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < names.size(); i = next++) {
      const QImage image = QImage::fromData(SkinImageCache::ReadPictureFile(QString::fromStdString(folder + names[i])));
      ok[i] = image.isNull() ? 0 : 1;
    }
  };
  const std::size_t helpers = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), 4) - 1;
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return std::vector<bool>(ok.begin(), ok.end());
}

// Why `path` could not be used: "missing" when it is not there, else the
// reason a read fails ("not a regular file" for a folder or FIFO, "larger
// than ... bytes"), else `fallback` (the file is there and readable, yet its
// content is wrong).
std::string FailureReason(const std::string& path, std::size_t limit, const char* fallback) {
  std::vector<std::uint8_t> bytes;
  const int reason = ReadRegularFile(path, bytes, limit);
  if (reason == ENOENT || reason == ENOTDIR) return "missing";
  if (reason != 0) return ReadFailureText(reason, limit);
  return fallback;
}

}  // namespace

SkinCheckResult CheckSkin(const std::string& skinFolder) {
  SkinImageCache& cache = SkinImageCache::Instance();
  cache.SetFolder(skinFolder);
  const std::string folder = cache.Folder();
  const qreal ratio = ScreenPixelRatio();
  const std::vector<std::string> names = SkinImagesToCheck(folder);

  // Only the main window shows at start; it keeps its pictures decoded. The
  // dialogs' pictures, and the two of the key-selection mode (never switched
  // on), are checked, then wait as the files' bytes until first used: decoded
  // they would cost some 26 MB the program may never need.
  std::vector<std::string> shownNow;
  AddScreenImages(shownNow, folder, kMainSkinFile);
  for (std::string_view name : kMainWindowImages)
    if (name != "main_color0.jpg" && name != "main_color1.jpg") shownNow.emplace_back(name);
  std::vector<std::string> later;
  for (const std::string& name : names) {
    const bool skinFile = std::find(std::begin(kSkinFiles), std::end(kSkinFiles), name) != std::end(kSkinFiles);
    if (!skinFile && std::find(shownNow.begin(), shownNow.end(), name) == shownNow.end()) later.push_back(name);
  }
  cache.Preload(shownNow, 1.0);
  if (ratio >= 1.5) cache.Preload(shownNow, ratio);
  std::vector<std::string> laterFiles;
  for (const std::string& name : later) {
    laterFiles.push_back(name);
    // The window uses the sharp file where one exists on a HiDPI screen.
    if (ratio >= 1.5) {
      const std::string sharp = SkinImageCache::SharpName(name);
      std::error_code error;
      if (std::filesystem::exists(folder + sharp, error)) laterFiles.push_back(sharp);
    }
  }
  const std::vector<bool> laterOk = DecodeAndDrop(folder, laterFiles);

  for (const std::string& name : names) {
    const std::string path = folder + name;
    if (std::find(std::begin(kSkinFiles), std::end(kSkinFiles), name) != std::end(kSkinFiles))
      return {false, path, FailureReason(path, kDefaultReadLimit, "names no background image")};
    bool readable = true;
    const auto shown = std::find(shownNow.begin(), shownNow.end(), name);
    if (shown != shownNow.end()) {
      // The picture the window will use (the sharp one on a HiDPI screen)
      // and always the plain one, which masks and fallbacks need.
      readable = !cache.Pixmap(name, 1.0).isNull() && !cache.Pixmap(name, ratio).isNull();
    } else {
      for (std::size_t i = 0; i < laterFiles.size(); ++i)
        if ((laterFiles[i] == name || laterFiles[i] == SkinImageCache::SharpName(name)) && !laterOk[i]) readable = false;
    }
    if (!readable) return {false, path, FailureReason(path, SkinImageCache::kPictureReadLimit, "unreadable")};
  }
  cache.KeepEncoded(later);
  return {};
}

std::string DescribeSkinFailure(const SkinCheckResult& result) {
  if (result.ok) return {};
  return "zarvel: cannot load the skin: " + result.failed_file + " (" + result.reason + ")";
}

}  // namespace zarvel
