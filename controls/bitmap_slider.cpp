#include "controls/bitmap_slider.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "controls/accessible_controls.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {

namespace {

constexpr int kThumbWidth = 6;

}  // namespace

BitmapSlider::BitmapSlider(int id, QWidget* parent) : QWidget(parent), id_(id) {
  InstallAccessibleControls();
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

void BitmapSlider::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
  update();
}

void BitmapSlider::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
  update();
}

void BitmapSlider::SetPicture(std::string_view imageName) {
  if (imageName == picture_name_ && !picture_.isNull()) return;
  picture_name_ = std::string(imageName);
  picture_ = SkinImageCache::Instance().Pixmap(picture_name_, devicePixelRatioF());
  update();
}

int BitmapSlider::PositionAt(int x) const {
  if (maximum_ == minimum_ || width() <= 1) return minimum_;
  // Positions sit evenly from the left edge to the right edge; a click
  // chooses the nearest.
  const double step = static_cast<double>(width() - 1) / (maximum_ - minimum_);
  const int offset = static_cast<int>(std::lround(std::clamp(x, 0, width() - 1) / step));
  return std::clamp(minimum_ + offset, minimum_, maximum_);
}

void BitmapSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!picture_.isNull()) painter.drawPixmap(0, 0, picture_);
  if (focus_ring_.Shown(hasFocus())) PaintFocusRing(painter, rect());
  if (maximum_ == minimum_) return;
  const double step = static_cast<double>(width() - 1) / (maximum_ - minimum_);
  const int centre = static_cast<int>(std::lround((position_ - minimum_) * step));
  const int left = std::clamp(centre - kThumbWidth / 2, 0, std::max(0, width() - kThumbWidth));
  const QRect thumb(left, 0, kThumbWidth, height());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x20, 0x22, 0x26), 1));
  painter.setBrush(hasFocus() ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xD8, 0xDB, 0xE0));
  painter.drawRoundedRect(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

void BitmapSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  focus_ring_.MousePressed();
  ChooseByUser(PositionAt(static_cast<int>(event->position().x())));
  event->accept();
}

void BitmapSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  ChooseByUser(PositionAt(static_cast<int>(event->position().x())));
  event->accept();
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  event->accept();
}

void BitmapSlider::focusInEvent(QFocusEvent* event) {
  focus_ring_.FocusIn(event->reason());
  QWidget::focusInEvent(event);
  update();
}

void BitmapSlider::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void BitmapSlider::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: ChooseByUser(position_ - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Up: ChooseByUser(position_ + 1); break;
    case Qt::Key_Home:
    case Qt::Key_PageDown: ChooseByUser(minimum_); break;
    case Qt::Key_End:
    case Qt::Key_PageUp: ChooseByUser(maximum_); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void BitmapSlider::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  ChooseByUser(position_ + (delta > 0 ? 1 : -1));
  event->accept();
}

void BitmapSlider::ChooseByUser(int position) {
  position = std::clamp(position, minimum_, maximum_);
  // Only a change is reported: dragging within one position writes nothing
  // to the keyboard.
  if (position == position_) return;
  position_ = position;
  update();
  if (QAccessible::isActive()) {
    QAccessibleValueChangeEvent changed(this, position_);
    QAccessible::updateAccessibility(&changed);
  }
  Q_EMIT positionChosen(id_, position_);
}

}  // namespace zarvel
