#include "controls/skin_label.h"

#include <QPainter>

#include "skin/widgets/skin_fonts.h"

namespace zarvel {

namespace {

// Labels are painted straight onto the skin's picture: no fill of their own,
// text in the skin's colour.
void PaintOnSkin(QWidget& widget) {
  widget.setAutoFillBackground(false);
  widget.setAttribute(Qt::WA_TranslucentBackground, true);
  QPalette palette = widget.palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Active, role, SkinTextColour());
    palette.setColor(QPalette::Inactive, role, SkinTextColour());
    palette.setColor(QPalette::Disabled, role, SkinTextColour().darker(160));
  }
  widget.setPalette(palette);
  widget.setFont(SkinFont(kArialUnicode, 9));
}

}  // namespace

QColor SkinTextColour() { return QColor(0xE8, 0xEA, 0xED); }

SkinLabel::SkinLabel(QWidget* parent) : QLabel(parent) { PaintOnSkin(*this); }

SkinCheckBox::SkinCheckBox(QWidget* parent) : QCheckBox(parent) { PaintOnSkin(*this); }

void SkinCheckBox::paintEvent(QPaintEvent* event) {
  QCheckBox::paintEvent(event);
  if (!focus_ring_.Shown(hasFocus())) return;
  QPainter painter(this);
  PaintFocusRing(painter, rect());
}

void SkinCheckBox::focusInEvent(QFocusEvent* event) {
  focus_ring_.FocusIn(event->reason());
  QCheckBox::focusInEvent(event);
}

void SkinCheckBox::mousePressEvent(QMouseEvent* event) {
  focus_ring_.MousePressed();
  QCheckBox::mousePressEvent(event);
}

}  // namespace zarvel
