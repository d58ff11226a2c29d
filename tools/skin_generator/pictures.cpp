#include "tools/skin_generator/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <stdexcept>

#include "tools/skin_generator/drawing.h"

namespace zarvel::skingen {
namespace {

QSize SizeOf(const WindowLayout& layout, const std::string& key) {
  const Item* item = layout.Find(key);
  if (item == nullptr) throw std::runtime_error("layout has no " + key);
  return item->rect.size();
}

// A rounded chip like a small button: lit when chosen.
void Chip(QPainter& painter, const QSize& size, bool lit) {
  painter.setPen(QPen(lit ? theme::kAccent : QColor(0x39, 0x40, 0x4a), 1));
  painter.setBrush(lit ? theme::kAccentDeep : QColor(0x26, 0x2a, 0x32));
  painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
}

enum class Arrow { kLeft, kRight, kUp, kDown, kSpread, kConverge };

void ArrowHead(QPainterPath& path, QPointF tip, qreal dx, qreal dy, qreal s) {
  // Two strokes back from the tip, (dx, dy) pointing along the arrow.
  path.moveTo(tip.x() - dx * s + dy * s * 0.8, tip.y() - dy * s + dx * s * 0.8);
  path.lineTo(tip);
  path.lineTo(tip.x() - dx * s - dy * s * 0.8, tip.y() - dy * s - dx * s * 0.8);
}

void DrawArrowPicture(QPainter& painter, const QSize& size, Arrow arrow, bool pressed) {
  Chip(painter, size, pressed);
  QPainterPath path;
  const QPointF c(size.width() / 2.0, size.height() / 2.0);
  const qreal len = size.height() * 0.32, head = size.height() * 0.2;
  switch (arrow) {
    case Arrow::kLeft:
    case Arrow::kRight: {
      const qreal d = arrow == Arrow::kRight ? 1 : -1;
      path.moveTo(c.x() - d * len, c.y());
      path.lineTo(c.x() + d * len, c.y());
      ArrowHead(path, QPointF(c.x() + d * len, c.y()), d, 0, head);
      break;
    }
    case Arrow::kUp:
    case Arrow::kDown: {
      const qreal d = arrow == Arrow::kDown ? 1 : -1;
      path.moveTo(c.x(), c.y() - d * len);
      path.lineTo(c.x(), c.y() + d * len);
      ArrowHead(path, QPointF(c.x(), c.y() + d * len), 0, d, head);
      break;
    }
    case Arrow::kSpread:
    case Arrow::kConverge: {
      // Spread: from the middle outwards; converge: from the sides inwards.
      const qreal out = size.width() * 0.36, in = size.width() * 0.08;
      for (qreal d : {-1.0, 1.0}) {
        const qreal from = arrow == Arrow::kSpread ? in : out, to = arrow == Arrow::kSpread ? out : in;
        path.moveTo(c.x() + d * from, c.y());
        path.lineTo(c.x() + d * to, c.y());
        const qreal dir = arrow == Arrow::kSpread ? d : -d;
        ArrowHead(path, QPointF(c.x() + d * to, c.y()), dir, 0, head);
      }
      break;
    }
  }
  painter.setPen(QPen(pressed ? Qt::white : theme::kTextDim, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void DrawSwitch(QPainter& painter, const QSize& size, bool on) {
  const QRectF track(1, 2, size.width() - 2, size.height() - 4);
  painter.setPen(QPen(on ? theme::kAccent : QColor(0x3a, 0x40, 0x4a), 1));
  painter.setBrush(on ? theme::kAccentDeep : QColor(0x24, 0x28, 0x2f));
  painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  const qreal knob = track.height() - 6;
  const qreal x = on ? track.right() - 3 - knob : track.left() + 3;
  painter.setPen(Qt::NoPen);
  painter.setBrush(on ? theme::kAccent : theme::kTextDim);
  painter.drawEllipse(QRectF(x, track.top() + 3, knob, knob));
  painter.setPen(on ? Qt::white : theme::kTextDim);
  painter.setFont(Font(9, true));
  const QRectF text = on ? QRectF(track.left() + 6, track.top(), track.width() - knob - 10, track.height())
                         : QRectF(track.left() + knob + 6, track.top(), track.width() - knob - 10, track.height());
  painter.drawText(text, Qt::AlignCenter, on ? "ON" : "OFF");
}

// The slider's track; the slider control draws its own thumb over it, so
// every position shows the same groove.
void DrawTrack(QPainter& painter, const QSize& size) {
  const qreal y = size.height() / 2.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x0f, 0x11, 0x15));
  painter.drawRoundedRect(QRectF(4, y - 3, size.width() - 8, 6), 3, 3);
  painter.setPen(QPen(QColor(0x33, 0x39, 0x43), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(4.5, y - 3.5, size.width() - 9, 7), 3.5, 3.5);
}

void DrawRandom(QPainter& painter, const QSize& size, bool on) {
  Chip(painter, size, on);
  // Four dots in four colours when random colour is on, grey when off.
  const QColor colours[] = {QColor(0xff, 0x4d, 0x4d), QColor(0xff, 0xd2, 0x3f), QColor(0x4c, 0xd9, 0x8a),
                            QColor(0x4d, 0x8d, 0xff)};
  const QPointF c(size.width() / 2.0, size.height() / 2.0);
  const qreal d = size.height() * 0.17, r = size.height() * 0.11;
  const QPointF offsets[] = {{-d, -d}, {d, -d}, {-d, d}, {d, d}};
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    painter.setBrush(on ? colours[i] : theme::kTextOff);
    painter.drawEllipse(c + offsets[i], r, r);
  }
}

void DrawChoice(QPainter& painter, const QSize& size, const QColor& colour, bool chosen) {
  const QPointF c(size.width() / 2.0, size.height() / 2.0);
  const qreal r = size.height() * 0.3;
  if (chosen) {
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, r + 4, r + 4);
  }
  painter.setPen(QPen(colour.darker(140), 1));
  painter.setBrush(chosen ? colour : colour.darker(165));
  painter.drawEllipse(c, r, r);
}

// Tool 1 paints with the paint colour (a brush), tool 2 with the base colour (a drop).
void DrawTool(QPainter& painter, const QSize& size, bool baseColourTool, bool chosen) {
  Chip(painter, size, chosen);
  const QColor ink = chosen ? Qt::white : theme::kTextDim;
  painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const QPointF c(size.width() / 2.0, size.height() / 2.0);
  const qreal s = size.height() * 0.3;
  if (!baseColourTool) {
    painter.drawLine(QPointF(c.x() + s, c.y() - s), QPointF(c.x() - s * 0.2, c.y() + s * 0.2));
    painter.setBrush(ink);
    painter.drawEllipse(QPointF(c.x() - s * 0.45, c.y() + s * 0.45), s * 0.35, s * 0.35);
  } else {
    QPainterPath drop;
    drop.moveTo(c.x(), c.y() - s * 1.1);
    drop.cubicTo(c.x() + s * 1.1, c.y() + s * 0.2, c.x() + s * 0.6, c.y() + s, c.x(), c.y() + s);
    drop.cubicTo(c.x() - s * 0.6, c.y() + s, c.x() - s * 1.1, c.y() + s * 0.2, c.x(), c.y() - s * 1.1);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(drop);
  }
}

void DrawProgress(QPainter& painter, const QSize& size, int frame) {
  const QRectF track(0.5, 0.5, size.width() - 1, size.height() - 1);
  painter.setPen(QPen(QColor(0x33, 0x39, 0x43), 1));
  painter.setBrush(theme::kField);
  painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  // A lit segment travelling left to right over ten frames.
  const qreal segment = size.width() * 0.3;
  const qreal x = (size.width() + segment) * frame / 10.0 - segment;
  QLinearGradient glow(x, 0, x + segment, 0);
  glow.setColorAt(0, QColor(0x2f, 0xc6, 0xf6, 0));
  glow.setColorAt(0.7, theme::kAccent);
  glow.setColorAt(1, QColor(0x2f, 0xc6, 0xf6, 0));
  painter.setClipRect(track.adjusted(2, 2, -2, -2));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawRoundedRect(QRectF(x, 3, segment, size.height() - 6), 4, 4);
}

// A keyboard seen from above, for the tray and the application icon.
void DrawKeyboardIcon(QPainter& painter, const QSize& size, const QColor& keys, const QColor& badge) {
  const qreal s = size.width();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1d, 0x20, 0x27));
  painter.drawRoundedRect(QRectF(s * 0.04, s * 0.2, s * 0.92, s * 0.6), s * 0.1, s * 0.1);
  painter.setBrush(keys);
  const qreal key = s * 0.13, gap = s * 0.035;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 5; ++col) {
      if (row == 2 && col > 0 && col < 4) continue;
      painter.drawRoundedRect(QRectF(s * 0.12 + col * (key + gap), s * 0.27 + row * (key + gap), key, key), s * 0.02, s * 0.02);
    }
  }
  painter.drawRoundedRect(QRectF(s * 0.12 + key + gap, s * 0.27 + 2 * (key + gap), 3 * key + 2 * gap, key), s * 0.02, s * 0.02);
  if (badge.isValid()) {
    painter.setBrush(badge);
    painter.setPen(QPen(QColor(0x14, 0x16, 0x1b), s * 0.04));
    painter.drawEllipse(QPointF(s * 0.8, s * 0.78), s * 0.16, s * 0.16);
  }
}

}  // namespace

std::vector<Picture> LightingPictures(const WindowLayout& mainWindow) {
  std::vector<Picture> pictures;
  const QColor ground = theme::kPanel;
  const QSize toggle = SizeOf(mainWindow, "CONTROL_DengStaPic");
  for (bool on : {false, true}) {
    pictures.push_back({on ? "dengdown.bmp" : "dengup.bmp", toggle, ground,
                        [on](QPainter& p, const QSize& s) { DrawSwitch(p, s, on); }});
  }
  // Brightness shows 0..5.bmp, speed 5..8.bmp: one slider size for both.
  const QSize slider = SizeOf(mainWindow, "CONTROL_LightSlider");
  if (slider != SizeOf(mainWindow, "CONTROL_SpeedSlider")) throw std::runtime_error("the two sliders differ in size");
  for (int n = 0; n <= 8; ++n) {
    pictures.push_back({std::to_string(n) + ".bmp", slider, ground, [](QPainter& p, const QSize& s) { DrawTrack(p, s); }});
  }
  const QSize arrow = SizeOf(mainWindow, "CONTROL_BLFXLStaPic");
  const struct { const char* name; Arrow arrow; } arrows[] = {
      {"left", Arrow::kLeft}, {"right", Arrow::kRight}, {"up", Arrow::kUp},
      {"down", Arrow::kDown}, {"kuosan", Arrow::kSpread}, {"julong", Arrow::kConverge}};
  for (const auto& entry : arrows) {
    // Released/pressed: "leftup"/"leftdown" and so on; the spread and
    // converge pair is "kuosan"/"kuosandown".
    const bool plainIsBare = entry.arrow == Arrow::kSpread || entry.arrow == Arrow::kConverge;
    const std::string base = entry.name;
    const Arrow kind = entry.arrow;
    pictures.push_back({base + (plainIsBare ? "" : "up") + ".bmp", arrow, ground,
                        [kind](QPainter& p, const QSize& s) { DrawArrowPicture(p, s, kind, false); }});
    pictures.push_back({base + "down.bmp", arrow, ground,
                        [kind](QPainter& p, const QSize& s) { DrawArrowPicture(p, s, kind, true); }});
  }
  const QSize random = SizeOf(mainWindow, "CONTROL_HXsjsStaPic");
  pictures.push_back({"sjsup.bmp", random, ground, [](QPainter& p, const QSize& s) { DrawRandom(p, s, false); }});
  pictures.push_back({"sjsdown.bmp", random, ground, [](QPainter& p, const QSize& s) { DrawRandom(p, s, true); }});
  const QSize choice = SizeOf(mainWindow, "CONTROL_HONGPIC");
  const struct { const char* name; QColor colour; } choices[] = {{"hong", QColor(0xff, 0x3b, 0x3b)},
                                                                 {"huang", QColor(0xff, 0xd0, 0x2e)},
                                                                 {"lv", QColor(0x3c, 0xd8, 0x6e)},
                                                                 {"lan", QColor(0x3c, 0x7c, 0xff)}};
  for (const auto& entry : choices) {
    const QColor colour = entry.colour;
    pictures.push_back({std::string(entry.name) + ".bmp", choice, ground,
                        [colour](QPainter& p, const QSize& s) { DrawChoice(p, s, colour, false); }});
    pictures.push_back({std::string(entry.name) + "ok.bmp", choice, ground,
                        [colour](QPainter& p, const QSize& s) { DrawChoice(p, s, colour, true); }});
  }
  const QSize tool = SizeOf(mainWindow, "CONTROL_USERgjStaPic1");
  for (int n = 1; n <= 2; ++n) {
    for (bool chosen : {false, true}) {
      pictures.push_back({"user" + std::to_string(n) + (chosen ? "down" : "up") + ".bmp", tool, ground,
                          [n, chosen](QPainter& p, const QSize& s) { DrawTool(p, s, n == 2, chosen); }});
    }
  }
  return pictures;
}

std::vector<Picture> ProgressFrames(const WindowLayout& mainWindow) {
  std::vector<Picture> frames;
  const QSize size = SizeOf(mainWindow, "CONTROL_JDTStatic");
  for (int n = 1; n <= 10; ++n) {
    frames.push_back({"jdt" + std::to_string(n) + ".bmp", size, theme::kWindow,
                      [n](QPainter& p, const QSize& s) { DrawProgress(p, s, n); }});
  }
  return frames;
}

Picture ArrowAtlas(const WindowLayout& mainWindow) {
  // Cells as the BUTTONINFO2 origins say: row 1 plain, row 2 lit.
  std::vector<ImageOriginEntry> origins = mainWindow.imageOrigins;
  return {"Arrow.jpg", ArrowAtlasSize(), theme::kCase, [origins](QPainter& p, const QSize&) {
            for (const ImageOriginEntry& entry : origins) {
              const bool up = entry.key.rfind("UP_", 0) == 0;
              const bool lit = entry.key.back() == '2';
              const QRectF cell(entry.origin.x() - 1, entry.origin.y() - 1, kArrowCell, kArrowCell);
              p.save();
              p.translate(cell.topLeft());
              DrawArrowPicture(p, QSize(kArrowCell, kArrowCell), up ? Arrow::kUp : Arrow::kDown, lit);
              p.restore();
            }
          }};
}

std::vector<Picture> TrayIcons() {
  const QSize size(kTrayIconSize, kTrayIconSize);
  return {{"icon128.png", size, QColor(), [](QPainter& p, const QSize& s) {
             DrawKeyboardIcon(p, s, theme::kTextOff, QColor(0xe0, 0x4a, 0x4a));
           }},
          {"icon141.png", size, QColor(), [](QPainter& p, const QSize& s) { DrawKeyboardIcon(p, s, theme::kAccent, QColor()); }},
          {"icon142.png", size, QColor(), [](QPainter& p, const QSize& s) {
             DrawKeyboardIcon(p, s, theme::kAccent, theme::kWarm);
           }}};
}

std::vector<Picture> AppIcons() {
  std::vector<Picture> icons;
  for (int pixels : kAppIconSizes) {
    icons.push_back({"zarvel_" + std::to_string(pixels) + ".png", QSize(pixels, pixels), QColor(),
                     [](QPainter& p, const QSize& s) {
                       const qreal w = s.width();
                       p.setPen(Qt::NoPen);
                       p.setBrush(theme::kHeader);
                       p.drawRoundedRect(QRectF(w * 0.04, w * 0.04, w * 0.92, w * 0.92), w * 0.2, w * 0.2);
                       DrawGlyph(p, QRectF(w * 0.18, w * 0.18, w * 0.64, w * 0.64), Glyph::kLogo, theme::kAccent);
                     }});
  }
  return icons;
}

}  // namespace zarvel::skingen
