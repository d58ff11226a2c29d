// How long the skin takes to get ready at start-up: every picture of the
// three skinned windows loaded from disk into the image cache (the start-up
// check) and each window's outline built from its mask.
//
// Uses the build's generated skin when it exists (bin/Skins), else writes a
// synthetic skin of realistic size into a temp folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "skin/ini_file.h"
#include "skin/skin_files.h"
#include "skin/skin_images.h"
#include "skin/widgets/skin_check.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_region.h"

namespace zarvel {
namespace {

struct Window {
  std::string_view skinFile;
  QSize size;
};
constexpr Window kWindows[] = {{kMainSkinFile, {1200, 600}}, {kProfileSkinFile, {640, 420}},
                               {kCompositeSkinFile, {900, 560}}};

std::string& SkinUnderTest() {
  static std::string folder;
  return folder;
}

// A picture with the detail of a real one (gradients, panels, noise), so
// JPEG decoding costs what it would.
QImage SyntheticPicture(QSize size, int seed) {
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, size.width(), size.height());
  gradient.setColorAt(0, QColor(30 + seed % 40, 32, 38));
  gradient.setColorAt(1, QColor(12, 14, 18 + seed % 30));
  painter.fillRect(image.rect(), gradient);
  QRandomGenerator random(static_cast<quint32>(seed));
  for (int i = 0; i < 400; ++i) {
    const QRect key(random.bounded(size.width()), random.bounded(size.height()), 20 + random.bounded(40),
                    20 + random.bounded(30));
    painter.fillRect(key, QColor(random.bounded(256), random.bounded(256), random.bounded(256)));
    painter.setPen(Qt::white);
    painter.drawText(key, Qt::AlignCenter, QString::number(i));
  }
  return image;
}

QImage RoundedMask(QSize size) {
  QImage mask(size, QImage::Format_RGB32);
  mask.fill(Qt::white);
  QPainter painter(&mask);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::black);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRect(QPoint(0, 0), size), 24, 24);
  return mask;
}

std::string WriteSyntheticSkin() {
  char pattern[] = "/tmp/zarvel-bench-skin-XXXXXX";
  const char* root = ::mkdtemp(pattern);
  if (root == nullptr) return {};
  const std::string folder = std::string(root) + "/Skins/";
  std::filesystem::create_directories(folder);
  int seed = 1;
  auto save = [&](std::string_view name, const QImage& image) {
    image.save(QString::fromStdString(folder + std::string(name)));
  };
  for (const Window& window : kWindows) {
    const std::string stem(window.skinFile.substr(0, window.skinFile.find('.')));
    WriteProfileString(folder + std::string(window.skinFile), kScreenSection, "Main", stem + "_bg.jpg");
    WriteProfileString(folder + std::string(window.skinFile), kScreenSection, "Mask", stem + "_mask.bmp");
    save(stem + "_bg.jpg", SyntheticPicture(window.size, seed++));
    save(stem + "_mask.bmp", RoundedMask(window.size));
  }
  for (auto name : kMainWindowImages) save(name, SyntheticPicture(kWindows[0].size, seed++));
  for (auto name : kProfileManagerImages) save(name, SyntheticPicture(kWindows[1].size, seed++));
  for (auto name : kKeyDialogImages) save(name, SyntheticPicture(kWindows[2].size, seed++));
  return folder;
}

std::string MaskName(const std::string& folder, std::string_view skinFile) {
  const CIniFile skin(folder + std::string(skinFile));
  const std::string background = skin.ReadString(kScreenSection, "Main").value_or("");
  return skin.ReadString(kScreenSection, "Mask", background).value_or(background);
}

// Everything the program does with the skin before its first window shows.
void BM_SkinColdStart(benchmark::State& state) {
  const std::string& folder = SkinUnderTest();
  SkinImageCache& cache = SkinImageCache::Instance();
  cache.SetFolder(folder);
  for (auto _ : state) {
    cache.Clear();
    const SkinCheckResult result = CheckSkin(folder);
    if (!result.ok) {
      state.SkipWithError(("skin incomplete: " + result.failed_file).c_str());
      return;
    }
    for (const Window& window : kWindows) {
      const QRegion region = RegionFromMask(cache.Image(MaskName(folder, window.skinFile)));
      benchmark::DoNotOptimize(region.rectCount());
    }
  }
  cache.Clear();
}
BENCHMARK(BM_SkinColdStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// One full-window picture of the main window decoded from disk: the unit
// the cold start is made of.
void BM_DecodeMainPicture(benchmark::State& state) {
  const QString path = QString::fromStdString(SkinUnderTest() + "main_normal.jpg");
  for (auto _ : state) {
    QImage image(path);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_DecodeMainPicture)->Unit(benchmark::kMillisecond);

// The outline of the largest window alone.
void BM_MainWindowRegion(benchmark::State& state) {
  const std::string& folder = SkinUnderTest();
  SkinImageCache& cache = SkinImageCache::Instance();
  cache.SetFolder(folder);
  const QImage mask = cache.Image(MaskName(folder, kMainSkinFile));
  for (auto _ : state) {
    const QRegion region = RegionFromMask(mask);
    benchmark::DoNotOptimize(region.rectCount());
  }
  state.counters["rects"] = RegionFromMask(mask).rectCount();
}
BENCHMARK(BM_MainWindowRegion)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarvel

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const std::string generated = std::string(ZARVEL_PROGRAM_DIR) + "/Skins/";
  std::string synthetic;
  if (std::filesystem::exists(generated + std::string(zarvel::kMainSkinFile))) {
    zarvel::SkinUnderTest() = generated;
  } else {
    synthetic = zarvel::WriteSyntheticSkin();
    zarvel::SkinUnderTest() = synthetic;
  }
  std::fprintf(stderr, "skin under test: %s%s\n", zarvel::SkinUnderTest().c_str(),
               synthetic.empty() ? "" : " (synthetic)");
  ::benchmark::Initialize(&argc, argv);
  if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  if (!synthetic.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(synthetic).parent_path().parent_path(), ignored);
  }
  return 0;
}
