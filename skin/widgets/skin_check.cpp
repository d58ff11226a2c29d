#include "skin/widgets/skin_check.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <filesystem>

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

SkinCheckResult CheckSkin(const std::string& skinFolder) {
  SkinImageCache& cache = SkinImageCache::Instance();
  cache.SetFolder(skinFolder);
  const std::string folder = cache.Folder();
  const qreal ratio = ScreenPixelRatio();
  const std::vector<std::string> names = SkinImagesToCheck(folder);
  std::vector<std::string> images;
  for (const std::string& name : names) {
    if (std::find(std::begin(kSkinFiles), std::end(kSkinFiles), name) == std::end(kSkinFiles)) images.push_back(name);
  }
  cache.Preload(images, 1.0);
  if (ratio >= 1.5) cache.Preload(images, ratio);
  for (const std::string& name : names) {
    const std::string path = folder + name;
    if (std::find(std::begin(kSkinFiles), std::end(kSkinFiles), name) != std::end(kSkinFiles)) {
      std::error_code error;
      return {false, path, std::filesystem::exists(path, error) ? "names no background image" : "missing"};
    }
    // Loads the picture the windows will use (the sharp one on a HiDPI
    // screen) and always the plain one, which masks and fallbacks need.
    if (cache.Pixmap(name, 1.0).isNull() || cache.Pixmap(name, ratio).isNull()) {
      std::error_code error;
      return {false, path, std::filesystem::exists(path, error) ? "unreadable" : "missing"};
    }
  }
  return {};
}

std::string DescribeSkinFailure(const SkinCheckResult& result) {
  if (result.ok) return {};
  return "zarvel: cannot load the skin: " + result.failed_file + " (" + result.reason + ")";
}

}  // namespace zarvel
