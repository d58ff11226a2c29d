// Small vector symbols of our skin, drawn into any square at any scale, so
// the @2x pictures get them sharp rather than scaled up.
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "tools/skin_generator/drawing.h"

namespace zarvel::skingen {
namespace {

// A chevron pointing up (or down) across the square, at height `y` (0..1).
QPainterPath Chevron(const QRectF& r, qreal y, bool up) {
  QPainterPath path;
  const qreal h = r.height() * 0.28;
  const qreal top = r.top() + r.height() * y;
  path.moveTo(r.left() + r.width() * 0.2, up ? top + h : top);
  path.lineTo(r.center().x(), up ? top : top + h);
  path.lineTo(r.left() + r.width() * 0.8, up ? top + h : top);
  return path;
}

void Bar(QPainter& painter, const QRectF& r, qreal y) {
  painter.drawLine(QPointF(r.left() + r.width() * 0.18, r.top() + r.height() * y),
                   QPointF(r.left() + r.width() * 0.82, r.top() + r.height() * y));
}

}  // namespace

void DrawGlyph(QPainter& painter, const QRectF& r, Glyph glyph, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal stroke = std::max<qreal>(1.6, r.width() / 9);
  QPen pen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const QPointF c = r.center();
  const qreal w = r.width(), h = r.height();
  switch (glyph) {
    case Glyph::kNone: break;
    case Glyph::kHelp:
      painter.setFont(Font(h * 0.95, true));
      painter.drawText(r, Qt::AlignCenter, "?");
      break;
    case Glyph::kMinimise: Bar(painter, r, 0.62); break;
    case Glyph::kClose:
      painter.drawLine(QPointF(r.left() + w * 0.25, r.top() + h * 0.25), QPointF(r.right() - w * 0.25, r.bottom() - h * 0.25));
      painter.drawLine(QPointF(r.right() - w * 0.25, r.top() + h * 0.25), QPointF(r.left() + w * 0.25, r.bottom() - h * 0.25));
      break;
    case Glyph::kMenu:
      for (qreal y : {0.3, 0.5, 0.7}) Bar(painter, r, y);
      break;
    case Glyph::kGlobe:
      painter.drawEllipse(r.adjusted(w * 0.12, h * 0.12, -w * 0.12, -h * 0.12));
      painter.drawEllipse(QRectF(c.x() - w * 0.15, r.top() + h * 0.12, w * 0.3, h * 0.76));
      painter.drawLine(QPointF(r.left() + w * 0.14, c.y()), QPointF(r.right() - w * 0.14, c.y()));
      break;
    case Glyph::kLetterF:
      painter.drawRoundedRect(r.adjusted(w * 0.1, h * 0.1, -w * 0.1, -h * 0.1), w * 0.18, w * 0.18);
      painter.setFont(Font(h * 0.62, true));
      painter.drawText(r.adjusted(w * 0.08, h * 0.08, 0, 0), Qt::AlignCenter, "f");
      break;
    case Glyph::kBird: {
      // A speech bubble: the short-message network.
      QPainterPath bubble;
      bubble.addRoundedRect(QRectF(r.left() + w * 0.1, r.top() + h * 0.14, w * 0.8, h * 0.56), w * 0.16, w * 0.16);
      painter.drawPath(bubble);
      QPainterPath tail;
      tail.moveTo(r.left() + w * 0.3, r.top() + h * 0.7);
      tail.lineTo(r.left() + w * 0.24, r.top() + h * 0.88);
      tail.lineTo(r.left() + w * 0.48, r.top() + h * 0.7);
      painter.drawPath(tail);
      break;
    }
    case Glyph::kPlus:
      Bar(painter, r, 0.5);
      painter.drawLine(QPointF(c.x(), r.top() + h * 0.18), QPointF(c.x(), r.bottom() - h * 0.18));
      break;
    case Glyph::kMinus: Bar(painter, r, 0.5); break;
    case Glyph::kTop:
      Bar(painter, r, 0.16);
      painter.drawPath(Chevron(r, 0.36, true));
      painter.drawPath(Chevron(r, 0.62, true));
      break;
    case Glyph::kUp: painter.drawPath(Chevron(r, 0.36, true)); break;
    case Glyph::kLeft:
    case Glyph::kRight: {
      // The up chevron turned a quarter.
      painter.translate(c);
      painter.rotate(glyph == Glyph::kLeft ? -90 : 90);
      painter.translate(-c);
      painter.drawPath(Chevron(r, 0.36, true));
      break;
    }
    case Glyph::kDown: painter.drawPath(Chevron(r, 0.36, false)); break;
    case Glyph::kBottom:
      painter.drawPath(Chevron(r, 0.1, false));
      painter.drawPath(Chevron(r, 0.36, false));
      Bar(painter, r, 0.84);
      break;
    case Glyph::kCross:
      painter.drawLine(QPointF(r.left() + w * 0.28, r.top() + h * 0.28), QPointF(r.right() - w * 0.28, r.bottom() - h * 0.28));
      painter.drawLine(QPointF(r.right() - w * 0.28, r.top() + h * 0.28), QPointF(r.left() + w * 0.28, r.bottom() - h * 0.28));
      break;
    case Glyph::kTrash:
      painter.drawLine(QPointF(r.left() + w * 0.15, r.top() + h * 0.22), QPointF(r.right() - w * 0.15, r.top() + h * 0.22));
      painter.drawLine(QPointF(c.x() - w * 0.1, r.top() + h * 0.1), QPointF(c.x() + w * 0.1, r.top() + h * 0.1));
      painter.drawRoundedRect(QRectF(r.left() + w * 0.25, r.top() + h * 0.3, w * 0.5, h * 0.6), 2, 2);
      break;
    case Glyph::kKeyboard: {
      const QRectF body(r.left() + w * 0.04, r.top() + h * 0.22, w * 0.92, h * 0.56);
      painter.drawRoundedRect(body, 2.5, 2.5);
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      const qreal dot = w * 0.09;
      for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 5; ++col) {
          painter.drawRect(QRectF(body.left() + w * 0.1 + col * w * 0.16, body.top() + h * 0.1 + row * h * 0.16, dot, dot));
        }
      }
      painter.drawRect(QRectF(body.left() + w * 0.24, body.bottom() - h * 0.16, w * 0.44, dot));
      break;
    }
    case Glyph::kReset: {
      const QRectF ring = r.adjusted(w * 0.18, h * 0.18, -w * 0.18, -h * 0.18);
      painter.drawArc(ring, 100 * 16, 290 * 16);
      QPainterPath head;
      head.moveTo(ring.center().x() - w * 0.02, ring.top() - h * 0.12);
      head.lineTo(ring.center().x() - w * 0.16, ring.top() + h * 0.01);
      head.lineTo(ring.center().x() + w * 0.0, ring.top() + h * 0.13);
      painter.drawPath(head);
      break;
    }
    case Glyph::kRecord:
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawEllipse(c, w * 0.3, h * 0.3);
      break;
    case Glyph::kKey: {
      // A key cap seen from above.
      painter.drawRoundedRect(r.adjusted(w * 0.08, h * 0.08, -w * 0.08, -h * 0.08), w * 0.14, w * 0.14);
      painter.drawRoundedRect(r.adjusted(w * 0.24, h * 0.2, -w * 0.24, -h * 0.3), w * 0.08, w * 0.08);
      break;
    }
    case Glyph::kMacro: {
      // A play mark inside a loop: recorded keys played back.
      painter.drawArc(r.adjusted(w * 0.08, h * 0.08, -w * 0.08, -h * 0.08), 30 * 16, 300 * 16);
      QPainterPath play;
      play.moveTo(c.x() - w * 0.12, c.y() - h * 0.18);
      play.lineTo(c.x() + w * 0.18, c.y());
      play.lineTo(c.x() - w * 0.12, c.y() + h * 0.18);
      play.closeSubpath();
      painter.setBrush(colour);
      painter.drawPath(play);
      break;
    }
    case Glyph::kMedia: {
      // A note.
      painter.setBrush(colour);
      painter.drawEllipse(QPointF(r.left() + w * 0.32, r.bottom() - h * 0.22), w * 0.13, h * 0.1);
      painter.drawEllipse(QPointF(r.right() - w * 0.2, r.bottom() - h * 0.3), w * 0.13, h * 0.1);
      painter.setBrush(Qt::NoBrush);
      painter.drawLine(QPointF(r.left() + w * 0.44, r.bottom() - h * 0.22), QPointF(r.left() + w * 0.44, r.top() + h * 0.16));
      painter.drawLine(QPointF(r.right() - w * 0.08, r.bottom() - h * 0.3), QPointF(r.right() - w * 0.08, r.top() + h * 0.08));
      painter.drawLine(QPointF(r.left() + w * 0.44, r.top() + h * 0.16), QPointF(r.right() - w * 0.08, r.top() + h * 0.08));
      break;
    }
    case Glyph::kFunction:
      painter.drawRoundedRect(r.adjusted(w * 0.06, h * 0.14, -w * 0.06, -h * 0.14), w * 0.12, w * 0.12);
      painter.setFont(Font(h * 0.38, true));
      painter.drawText(r, Qt::AlignCenter, "Fn");
      break;
    case Glyph::kFolder: {
      QPainterPath folder;
      folder.moveTo(r.left() + w * 0.08, r.bottom() - h * 0.16);
      folder.lineTo(r.left() + w * 0.08, r.top() + h * 0.2);
      folder.lineTo(r.left() + w * 0.38, r.top() + h * 0.2);
      folder.lineTo(r.left() + w * 0.48, r.top() + h * 0.32);
      folder.lineTo(r.right() - w * 0.08, r.top() + h * 0.32);
      folder.lineTo(r.right() - w * 0.08, r.bottom() - h * 0.16);
      folder.closeSubpath();
      painter.drawPath(folder);
      break;
    }
    case Glyph::kLogo: {
      // Our mark: a cap with a light bar, tilted a little.
      painter.translate(c);
      painter.rotate(-8);
      painter.translate(-c);
      painter.drawRoundedRect(r.adjusted(w * 0.06, h * 0.06, -w * 0.06, -h * 0.06), w * 0.2, w * 0.2);
      painter.setPen(QPen(colour, stroke * 1.3, Qt::SolidLine, Qt::RoundCap));
      QPainterPath z;
      z.moveTo(r.left() + w * 0.3, r.top() + h * 0.32);
      z.lineTo(r.right() - w * 0.3, r.top() + h * 0.32);
      z.lineTo(r.left() + w * 0.3, r.bottom() - h * 0.32);
      z.lineTo(r.right() - w * 0.3, r.bottom() - h * 0.32);
      painter.drawPath(z);
      break;
    }
  }
  painter.restore();
}

}  // namespace zarvel::skingen
