#pragma once
// A window's outline from its mask image.
//
// Every pixel that is not pure white (red, green and blue all 255) is inside
// the window; pure white is outside (clicks go through, nothing is drawn).
// Each row's runs of inside pixels become one-pixel-high rectangles, united
// in batches of at most 2000. A mask that is white everywhere gives an empty
// region; one with no white pixel gives the whole rectangle.
#include <QImage>
#include <QRegion>

namespace zarvel {

inline constexpr int kRegionBatchSize = 2000;

QRegion RegionFromMask(const QImage& mask);

}  // namespace zarvel
