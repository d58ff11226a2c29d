#include "controls/skin_picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "skin/widgets/skin_image_cache.h"

namespace zarvel {

SkinPicture::SkinPicture(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void SkinPicture::SetImage(std::string_view name) {
  if (name == image_name_ && !pixmap_.isNull()) return;
  image_name_ = std::string(name);
  pixmap_ = image_name_.empty() ? QPixmap() : SkinImageCache::Instance().Pixmap(image_name_, devicePixelRatioF());
  update();
}

void SkinPicture::paintEvent(QPaintEvent*) {
  if (pixmap_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap_);
}

void SkinPicture::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = true;
  event->accept();
}

void SkinPicture::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  // Like a button: releasing outside the picture takes the click back.
  const bool click = pressed_ && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) Q_EMIT clicked();
}

void SkinPicture::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
    event->accept();
    Q_EMIT clicked();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool SkinPicture::event(QEvent* event) {
  // Pictures that act as buttons carry their tooltip as their name, so
  // screen readers and UI tests can find them.
  if (event->type() == QEvent::ToolTipChange &&
      (accessibleName().isEmpty() || accessibleName() == automatic_name_)) {
    automatic_name_ = toolTip();
    setAccessibleName(automatic_name_);
  }
  return QWidget::event(event);
}

}  // namespace zarvel
