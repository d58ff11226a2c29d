#include "skin/widgets/focus_ring.h"

#include <QPainter>
#include <algorithm>

namespace zarvel {

void PaintFocusRing(QPainter& painter, const QRect& rect, const QColor& colour) {
  if (rect.width() < 6 || rect.height() < 6) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  const QColor dark(0x0b, 0x0d, 0x10, 230);
  const auto frame = [&](int inset, int width, const QColor& c) {
    const QRect r = rect.adjusted(inset, inset, -inset, -inset);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), width), c);
    painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), c);
    painter.fillRect(QRect(r.left(), r.top() + width, width, r.height() - 2 * width), c);
    painter.fillRect(QRect(r.right() - width + 1, r.top() + width, width, r.height() - 2 * width), c);
  };
  if (std::min(rect.width(), rect.height()) < 20) {
    // A check box's box: the cyan alone, so the tick stays readable.
    frame(0, 2, colour);
  } else {
    frame(0, 1, dark);
    frame(1, 2, colour);
    frame(3, 1, dark);
  }
  painter.restore();
}

void FocusRingState::FocusIn(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::MouseFocusReason: keyboard_ = false; break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason: break;
    default: keyboard_ = true; break;
  }
}

}  // namespace zarvel
