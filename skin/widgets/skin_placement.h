#pragma once
// The four placement operations: each reads one key of "BUTTONINFO" of a
// window's skin file (skin/placement.h parses it) and puts a control there.
//
// Placements are in the background image's pixels (1x layout pixels, also on
// a HiDPI screen).
#include <QWidget>
#include <string_view>

#include "skin/ini_file.h"
#include "skin/placement.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

// Moves and sizes `button` to the key's rectangle and gives it `images` with
// its own position as image origin. A button left at (1, 1), the default of a
// missing key, is disabled. Returns the placement.
Placement PlaceImageButton(const CIniFile& skin, std::string_view key, ImageButton& button,
                           const StateImages& images);
// Moves and sizes any control to the key's rectangle.
Placement PlaceControl(const CIniFile& skin, std::string_view key, QWidget& control);
// Moves a control to the key's position, keeping its size, and repaints it.
Placement PlacePosition(const CIniFile& skin, std::string_view key, QWidget& control);
// Moves and sizes from `key` in "BUTTONINFO", then takes the image origin
// from the first two numbers of `originKey` in "BUTTONINFO2"; every state
// shows `image` (the main window's arrow buttons with "Arrow.jpg").
Placement PlaceArrowButton(const CIniFile& skin, std::string_view key, std::string_view originKey,
                           ImageButton& button, const QPixmap& image);

inline QRect ToRect(const Placement& p) { return QRect(p.left, p.top, p.width, p.height); }

}  // namespace zarvel
