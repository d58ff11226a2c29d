#pragma once
// Drawing of our skin: one dark theme, the key caps, buttons, tabs, lock
// indicators and glyphs, and whole windows in any button state.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <optional>
#include <string>

#include "tools/skin_generator/skin_layout.h"

class QPainter;

namespace zarvel::skingen {

namespace theme {
inline const QColor kWindow{0x14, 0x16, 0x1b};
inline const QColor kHeader{0x1a, 0x1d, 0x23};
inline const QColor kPanel{0x1d, 0x20, 0x27};  // flat: lighting pictures are composed over it
inline const QColor kPanelBorder{0x2d, 0x32, 0x3c};
inline const QColor kCase{0x0e, 0x10, 0x13};
inline const QColor kCaseBorder{0x30, 0x35, 0x3f};
inline const QColor kField{0x12, 0x14, 0x18};
inline const QColor kAccent{0x2f, 0xc6, 0xf6};
inline const QColor kAccentDeep{0x0d, 0x4a, 0x5e};
inline const QColor kWarm{0xff, 0x6a, 0x3d};
inline const QColor kText{0xe4, 0xe6, 0xea};
inline const QColor kTextDim{0x8a, 0x90, 0x9b};
inline const QColor kTextOff{0x50, 0x55, 0x5e};
}  // namespace theme

// DejaVu Sans (always on Debian) at a pixel size in window pixels.
QFont Font(qreal pixels, bool bold = false);

void FillPanel(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& border, qreal radius);
// A small upper-case heading with an accent bar, e.g. "LIGHTING".
void SectionTitle(QPainter& painter, const QPointF& at, const QString& text);
void DrawGlyph(QPainter& painter, const QRectF& rect, Glyph glyph, const QColor& colour);

// One control of the layout in a state. `imageSet` tells page pictures which page to show.
void DrawItem(QPainter& painter, const Item& item, FaceState state, const std::string& imageSet);

// The whole window at `scale` (1 or 2): the backdrop and every image button
// in `state`. Without a state: the background image (buttons in their
// normal look, unshifted; buttons of one page only are left out). With a
// state: a state image, drawn one pixel up and left, as image buttons show
// their pieces.
QImage RenderWindow(const WindowLayout& layout, const std::string& imageSet, std::optional<FaceState> state,
                    qreal scale);
// The window's outline: black inside, pure white outside (rounded corners).
QImage RenderMask(const WindowLayout& layout, qreal scale);
inline constexpr qreal kWindowRadius = 12;

}  // namespace zarvel::skingen
