#include "skin/widgets/skin_region.h"

#include <vector>

namespace zarvel {

namespace {

using Runs = std::vector<std::pair<int, int>>;  // [first, last] columns

// The runs of pixels in `row` that are not pure white.
void InsideRuns(const QRgb* row, int width, Runs& runs) {
  runs.clear();
  int x = 0;
  while (x < width) {
    while (x < width && (row[x] & 0x00FFFFFFu) == 0x00FFFFFFu) ++x;
    if (x == width) break;
    int first = x;
    while (x < width && (row[x] & 0x00FFFFFFu) != 0x00FFFFFFu) ++x;
    runs.emplace_back(first, x - 1);
  }
}

}  // namespace

QRegion RegionFromMask(const QImage& mask) {
  if (mask.isNull()) return QRegion();
  // A 32-bit copy, so every row reads the same way whatever the file held.
  const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
  const int width = pixels.width();

  QRegion region;
  std::vector<QRect> batch;
  batch.reserve(kRegionBatchSize);
  auto flush = [&]() {
    if (batch.empty()) return;
    QRegion part;
    part.setRects(batch.data(), static_cast<int>(batch.size()));
    region = region.united(part);
    batch.clear();
  };

  // Rows whose runs equal the row above extend that row's rectangles
  // downwards: the same outline with far fewer rectangles, which keeps the
  // region cheap for the window system (a rounded window has a handful of
  // distinct rows).
  Runs previous;
  Runs current;
  int bandTop = 0;
  auto emitBand = [&](int bandBottom) {
    for (const auto& [first, last] : previous) {
      batch.emplace_back(QPoint(first, bandTop), QPoint(last, bandBottom));
      if (static_cast<int>(batch.size()) == kRegionBatchSize) flush();
    }
  };
  for (int y = 0; y < pixels.height(); ++y) {
    InsideRuns(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, current);
    if (y > 0 && current == previous) continue;
    if (y > 0) emitBand(y - 1);
    previous.swap(current);
    bandTop = y;
  }
  if (pixels.height() > 0) emitBand(pixels.height() - 1);
  flush();
  return region;
}

}  // namespace zarvel
