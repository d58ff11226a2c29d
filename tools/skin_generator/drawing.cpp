#include "tools/skin_generator/drawing.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace zarvel::skingen {
namespace {

struct Look {
  QColor skirt, top, topLow, border, text;
};

// Key caps: a darker skirt with a lighter top surface, like a real cap seen from above.
Look CapLook(FaceState state) {
  switch (state) {
    case FaceState::kHovered:
      return {QColor(0x26, 0x2f, 0x38), QColor(0x3a, 0x45, 0x52), QColor(0x33, 0x3d, 0x49), theme::kAccent, Qt::white};
    case FaceState::kPressed:
    case FaceState::kSunken:
      return {QColor(0x0a, 0x3a, 0x4a), QColor(0x16, 0x6a, 0x86), QColor(0x12, 0x5a, 0x72), theme::kAccent, Qt::white};
    case FaceState::kDisabled:
      return {QColor(0x17, 0x19, 0x1d), QColor(0x1e, 0x21, 0x26), QColor(0x1c, 0x1e, 0x23), QColor(0x25, 0x28, 0x2e),
              theme::kTextOff};
    case FaceState::kNormal:
      break;
  }
  return {QColor(0x20, 0x23, 0x29), QColor(0x31, 0x35, 0x3d), QColor(0x2a, 0x2e, 0x35), QColor(0x3a, 0x3f, 0x49),
          theme::kText};
}

// Command buttons: flat, rounded, with an accent edge when hovered or pressed.
Look ButtonLook(FaceState state) {
  switch (state) {
    case FaceState::kHovered:
      return {{}, QColor(0x30, 0x38, 0x44), QColor(0x2b, 0x32, 0x3d), theme::kAccent, Qt::white};
    case FaceState::kPressed:
      return {{}, QColor(0x14, 0x62, 0x7c), QColor(0x10, 0x52, 0x68), theme::kAccent, Qt::white};
    case FaceState::kDisabled:
      return {{}, QColor(0x1b, 0x1e, 0x23), QColor(0x1b, 0x1e, 0x23), QColor(0x26, 0x2a, 0x30), theme::kTextOff};
    case FaceState::kSunken:
      return {{}, QColor(0x13, 0x15, 0x19), QColor(0x17, 0x19, 0x1e), QColor(0x2a, 0x2e, 0x35), theme::kTextDim};
    case FaceState::kNormal:
      break;
  }
  return {{}, QColor(0x2a, 0x2f, 0x38), QColor(0x24, 0x28, 0x30), QColor(0x39, 0x3f, 0x4a), theme::kText};
}

// The largest font (from `pixels` down) at which `text` fits `width`.
QFont FittingFont(const QString& text, qreal pixels, qreal width, bool bold = false) {
  for (qreal size = pixels; size > 7; size -= 0.5) {
    QFont font = Font(size, bold);
    if (QFontMetricsF(font).horizontalAdvance(text) <= width) return font;
  }
  return Font(7, bold);
}

void DrawKeyCap(QPainter& painter, const Item& item, FaceState state) {
  const Look look = CapLook(state);
  const QRectF outer = QRectF(item.rect).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(QPen(look.border, 1));
  painter.setBrush(look.skirt);
  painter.drawRoundedRect(outer, 5, 5);
  // A pressed cap sits lower: its top surface moves down and shrinks.
  const qreal sink = state == FaceState::kPressed ? 2 : 0;
  const QRectF top = outer.adjusted(3, 2 + sink, -3, -5 + sink * 0.5);
  QLinearGradient gradient(top.topLeft(), top.bottomLeft());
  gradient.setColorAt(0, look.top);
  gradient.setColorAt(1, look.topLow);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawRoundedRect(top, 4, 4);

  painter.setPen(look.text);
  const QRectF text = top.adjusted(2, 1, -2, -1);
  if (item.legend2.isEmpty()) {
    const qreal base = item.legend.size() <= 2 ? 15 : 11;
    painter.setFont(FittingFont(item.legend, base, text.width()));
    painter.drawText(text, Qt::AlignCenter, item.legend);
    return;
  }
  // Two legends: the shifted symbol (or the pad's second function) small on
  // top, the main one at the bottom, as printed on real caps.
  const bool padKey = item.legend2.size() > 1 && item.legend2.at(0).isLetter();
  QColor second = look.text;
  if (state != FaceState::kDisabled) second.setAlpha(165);
  if (padKey) {
    painter.setFont(Font(13));
    painter.drawText(text.adjusted(0, -1, 0, 0), Qt::AlignHCenter | Qt::AlignTop, item.legend);
    painter.setPen(second);
    painter.setFont(FittingFont(item.legend2, 8.5, text.width()));
    painter.drawText(text.adjusted(0, 0, 0, 1), Qt::AlignHCenter | Qt::AlignBottom, item.legend2);
  } else {
    painter.setPen(second);
    painter.setFont(Font(10));
    painter.drawText(text.adjusted(0, -1, 0, 0), Qt::AlignHCenter | Qt::AlignTop, item.legend2);
    painter.setPen(look.text);
    painter.setFont(Font(12));
    painter.drawText(text.adjusted(0, 0, 0, 1), Qt::AlignHCenter | Qt::AlignBottom, item.legend);
  }
}

void DrawButton(QPainter& painter, const Item& item, FaceState state, Glyph glyph) {
  Look look = ButtonLook(state);
  const QRectF outer = QRectF(item.rect).adjusted(0.5, 0.5, -0.5, -0.5);
  if (glyph == Glyph::kLogo) {
    // The maker's mark in the header: no button body, a glow when hovered.
    if (state == FaceState::kHovered || state == FaceState::kPressed) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(0x2f, 0xc6, 0xf6, state == FaceState::kPressed ? 60 : 30));
      painter.drawRoundedRect(outer, 8, 8);
    }
    DrawGlyph(painter, QRectF(outer.left() + 4, outer.top() + 4, outer.height() - 8, outer.height() - 8), Glyph::kLogo,
              state == FaceState::kDisabled ? theme::kTextOff : theme::kAccent);
    painter.setPen(state == FaceState::kDisabled ? theme::kTextOff : theme::kText);
    painter.setFont(Font(17, true));
    const QRectF text = outer.adjusted(outer.height() + 2, 0, 0, 0);
    painter.drawText(text.adjusted(0, -7, 0, -7), Qt::AlignVCenter | Qt::AlignLeft, item.legend);
    painter.setPen(state == FaceState::kDisabled ? theme::kTextOff : theme::kTextDim);
    painter.setFont(Font(9.5));
    painter.drawText(text.adjusted(1, 13, 0, 13), Qt::AlignVCenter | Qt::AlignLeft, "Z7Q3RGB configuration");
    return;
  }
  if (item.key == "CONTROL_CLOSE" && state == FaceState::kHovered) look.top = look.topLow = QColor(0x8a, 0x24, 0x2c);
  if (item.key == "CONTROL_CLOSE" && state == FaceState::kPressed) look.top = look.topLow = QColor(0xb0, 0x2a, 0x34);
  QLinearGradient gradient(outer.topLeft(), outer.bottomLeft());
  gradient.setColorAt(0, look.top);
  gradient.setColorAt(1, look.topLow);
  painter.setPen(QPen(look.border, 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(outer, 6, 6);
  if (state == FaceState::kPressed) {
    painter.fillRect(QRectF(outer.left() + 6, outer.bottom() - 2.5, outer.width() - 12, 2), theme::kAccent);
  }

  const qreal glyphSize = std::min<qreal>(outer.height() - 10, 18);
  if (glyph != Glyph::kNone && item.legend.isEmpty()) {
    const QPointF centre = outer.center();
    QColor colour = glyph == Glyph::kRecord && state != FaceState::kDisabled ? theme::kWarm : look.text;
    QRectF box(centre.x() - glyphSize / 2, centre.y() - glyphSize / 2, glyphSize, glyphSize);
    // The record dot sits at the left: the window writes "Record"/"Stop" in the middle.
    if (glyph == Glyph::kRecord) box.moveLeft(outer.left() + 12);
    DrawGlyph(painter, box, glyph, colour);
    return;
  }
  painter.setPen(look.text);
  if (glyph != Glyph::kNone) {
    const QFont font = FittingFont(item.legend, 13, outer.width() - glyphSize - 16);
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(item.legend);
    const qreal left = outer.center().x() - (glyphSize + 6 + textWidth) / 2;
    DrawGlyph(painter, QRectF(left, outer.center().y() - glyphSize / 2, glyphSize, glyphSize), glyph, look.text);
    painter.setFont(font);
    painter.drawText(QRectF(left + glyphSize + 6, outer.top(), textWidth + 2, outer.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, item.legend);
    return;
  }
  if (!item.legend.isEmpty()) {
    painter.setFont(FittingFont(item.legend, outer.height() > 26 ? 13 : 11, outer.width() - 6));
    painter.drawText(outer, Qt::AlignCenter, item.legend);
  }
}

// Page buttons: a tab whose pressed look is the selected page.
void DrawTab(QPainter& painter, const Item& item, FaceState state) {
  const QRectF outer = QRectF(item.rect).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill(0x22, 0x26, 0x2d), border(0x33, 0x38, 0x42);
  if (state == FaceState::kHovered) fill = QColor(0x2c, 0x33, 0x3e), border = theme::kAccent;
  if (state == FaceState::kPressed) fill = theme::kPanel, border = theme::kAccent;
  if (state == FaceState::kDisabled) fill = QColor(0x19, 0x1b, 0x20), border = QColor(0x24, 0x27, 0x2d);
  painter.setPen(QPen(border, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(outer, 6, 6);
  if (state == FaceState::kPressed) painter.fillRect(QRectF(outer.left() + 8, outer.top() + 1, outer.width() - 16, 3), theme::kAccent);
}

// A lock indicator: a LED and its name. The window keeps indicators
// disabled, so the disabled look is the one people see: an unlit LED.
void DrawIndicator(QPainter& painter, const Item& item, FaceState state) {
  const QRectF outer(item.rect);
  const bool lit = state == FaceState::kHovered || state == FaceState::kPressed;
  const QPointF led(outer.left() + 6, outer.center().y());
  painter.setPen(Qt::NoPen);
  if (lit) {
    painter.setBrush(QColor(0x2f, 0xc6, 0xf6, 70));
    painter.drawEllipse(led, 6, 6);
  }
  painter.setBrush(lit ? theme::kAccent : QColor(0x2a, 0x3a, 0x40));
  painter.drawEllipse(led, 3.5, 3.5);
  painter.setPen(lit ? theme::kText : theme::kTextDim);
  painter.setFont(Font(9));
  painter.drawText(outer.adjusted(12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, item.legend);
}

// Printed on the case rather than a button: only hovering lights it.
void DrawCaption(QPainter& painter, const Item& item, FaceState state) {
  painter.setPen(state == FaceState::kHovered || state == FaceState::kPressed ? theme::kText
                 : state == FaceState::kDisabled                              ? theme::kTextOff
                                                                              : theme::kTextDim);
  painter.setFont(FittingFont(item.legend, 10, item.rect.width()));
  painter.drawText(QRectF(item.rect), Qt::AlignCenter, item.legend);
}

// The key-function dialog's page picture: one colour and symbol per page.
void DrawPageArt(QPainter& painter, const Item& item, FaceState state, const std::string& imageSet) {
  QColor colour = theme::kAccent;
  Glyph glyph = Glyph::kKey;
  if (imageSet == "macro" || imageSet == "macro2") colour = theme::kWarm, glyph = Glyph::kMacro;
  if (imageSet == "media") colour = QColor(0xb4, 0x7c, 0xff), glyph = Glyph::kMedia;
  if (imageSet == "function") colour = QColor(0x4c, 0xd9, 0x8a), glyph = Glyph::kFunction;
  const QRectF outer = QRectF(item.rect).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient gradient(outer.topLeft(), outer.bottomLeft());
  QColor deep = colour.darker(state == FaceState::kHovered ? 380 : 480);
  gradient.setColorAt(0, deep);
  gradient.setColorAt(1, theme::kPanel);
  painter.setPen(QPen(colour.darker(250), 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(outer, 8, 8);
  const qreal size = outer.width() * 0.5;
  DrawGlyph(painter, QRectF(outer.center().x() - size / 2, outer.top() + 36, size, size), glyph, colour);
  // A few faint bars, like a level meter, under the symbol.
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < 5; ++i) {
    QColor bar = colour;
    bar.setAlpha(40 + i * 25);
    painter.setBrush(bar);
    const qreal h = 10 + i * 9;
    painter.drawRoundedRect(QRectF(outer.left() + 24 + i * 15, outer.bottom() - 26 - h, 9, h), 2, 2);
  }
}

}  // namespace

QFont Font(qreal pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

void FillPanel(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& border, qreal radius) {
  painter.save();
  painter.setPen(QPen(border, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  painter.restore();
}

void SectionTitle(QPainter& painter, const QPointF& at, const QString& text) {
  painter.save();
  painter.fillRect(QRectF(at.x(), at.y() + 2, 3, 14), theme::kAccent);
  painter.setPen(theme::kTextDim);
  painter.setFont(Font(11, true));
  painter.drawText(QRectF(at.x() + 10, at.y(), 240, 18), Qt::AlignVCenter | Qt::AlignLeft, text);
  painter.restore();
}

void DrawItem(QPainter& painter, const Item& item, FaceState state, const std::string& imageSet) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  switch (item.kind) {
    case Kind::kKeyCap: DrawKeyCap(painter, item, state); break;
    case Kind::kButton: {
      Glyph glyph = item.glyph;
      if (glyph == Glyph::kKey && imageSet == "macro2") glyph = Glyph::kMacro;
      DrawButton(painter, item, state, glyph);
      break;
    }
    case Kind::kTab: DrawTab(painter, item, state); break;
    case Kind::kIndicator: DrawIndicator(painter, item, state); break;
    case Kind::kCaption: DrawCaption(painter, item, state); break;
    case Kind::kPageArt: DrawPageArt(painter, item, state, imageSet); break;
    case Kind::kPlainButton:
    case Kind::kArrow:
    case Kind::kArea:
    case Kind::kHidden: break;
  }
  painter.restore();
}

QImage RenderWindow(const WindowLayout& layout, const std::string& imageSet, std::optional<FaceState> state,
                    qreal scale) {
  QImage image(layout.size * scale, QImage::Format_RGB32);
  image.fill(theme::kWindow);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(scale, scale);
  if (state) painter.translate(-1, -1);
  QPainterPath outline;
  outline.addRoundedRect(QRectF(QPointF(0, 0), layout.size), kWindowRadius, kWindowRadius);
  painter.save();
  painter.setClipPath(outline);
  layout.backdrop(painter, layout, imageSet);
  painter.restore();
  painter.setPen(QPen(theme::kCaseBorder, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(0.5, 0.5, layout.size.width() - 1, layout.size.height() - 1), kWindowRadius, kWindowRadius);
  for (const Item& item : layout.items) {
    // A control that only some pages or effects show must not linger in the
    // background where the others are shown.
    if (!state && !item.group.empty()) continue;
    DrawItem(painter, item, state.value_or(FaceState::kNormal), imageSet);
  }
  painter.end();
  return image;
}

QImage RenderMask(const WindowLayout& layout, qreal scale) {
  QImage image(layout.size * scale, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(scale, scale);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawRoundedRect(QRectF(QPointF(0, 0), layout.size), kWindowRadius, kWindowRadius);
  painter.end();
  return image;
}

}  // namespace zarvel::skingen
