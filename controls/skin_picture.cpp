#include "controls/skin_picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/accessible_controls.h"
#include "core/lighting_picture_state.h"
#include "skin/widgets/skin_image_cache.h"

namespace zarvel {

SkinPicture::SkinPicture(QWidget* parent) : QWidget(parent) {
  InstallAccessibleControls();
  setFocusPolicy(Qt::NoFocus);
}

void SkinPicture::SetAccessibleKind(AccessibleKind kind) {
  kind_ = kind;
  setFocusPolicy(kind == AccessibleKind::kPicture ? Qt::NoFocus : Qt::StrongFocus);
}

void SkinPicture::focusInEvent(QFocusEvent* event) {
  focus_ring_.FocusIn(event->reason());
  QWidget::focusInEvent(event);
  update();
}

void SkinPicture::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void SkinPicture::SetImage(std::string_view name) {
  if (name == image_name_ && !pixmap_.isNull()) return;
  image_name_ = std::string(name);
  const bool was_checked = checked_;
  checked_ = LightingPictureChosen(image_name_);
  if (checked_ != was_checked && kind_ != AccessibleKind::kPicture) NotifyCheckedChanged(*this, checked_);
  pixmap_ = image_name_.empty() ? QPixmap() : SkinImageCache::Instance().Pixmap(image_name_, devicePixelRatioF());
  update();
}

void SkinPicture::paintEvent(QPaintEvent*) {
  if (pixmap_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap_);
  if (focus_ring_.Shown(hasFocus())) PaintFocusRing(painter, rect());
}

void SkinPicture::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = true;
  focus_ring_.MousePressed();
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
  const bool activates = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                         event->key() == Qt::Key_Enter;
  if (activates && kind_ != AccessibleKind::kPicture && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
    event->accept();
    if (!event->isAutoRepeat()) Q_EMIT clicked();
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
