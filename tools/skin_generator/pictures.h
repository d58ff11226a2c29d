#pragma once
// The skin's small pictures: the lighting panel's pictures (by the names the
// lighting model hands out), the progress frames, the flip arrows' atlas and
// the program's icons.
#include <QColor>
#include <QSize>
#include <functional>
#include <string>
#include <vector>

#include "tools/skin_generator/skin_layout.h"

class QPainter;

namespace zarvel::skingen {

struct Picture {
  std::string file;  // "dengup.bmp"
  QSize size;        // layout pixels; the @2x file is twice as large
  // Opaque pictures are composed over this colour (a BMP has no alpha);
  // an invalid colour keeps the picture transparent (PNG icons).
  QColor ground;
  std::function<void(QPainter&, const QSize&)> draw;
};

// Sizes come from the main window's layout table, so every picture fits the
// control that shows it.
std::vector<Picture> LightingPictures(const WindowLayout& mainWindow);
std::vector<Picture> ProgressFrames(const WindowLayout& mainWindow);
Picture ArrowAtlas(const WindowLayout& mainWindow);

// Tray pictures: not connected, connected, indicator flash.
inline constexpr int kTrayIconSize = 64;
std::vector<Picture> TrayIcons();
// The application icon at every size the desktop's icon theme asks for.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
std::vector<Picture> AppIcons();

}  // namespace zarvel::skingen
