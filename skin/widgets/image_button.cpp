#include "skin/widgets/image_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

#include "controls/accessible_controls.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/widgets/skin_fonts.h"

namespace zarvel {

namespace {

constexpr int kNormalWeight = 400;
constexpr int kTurnedWeight = 956;

}  // namespace

ButtonState ChooseButtonState(bool enabled, bool pressed, bool hovered, bool checked) {
  if (!enabled) return ButtonState::kDisabled;
  if (pressed) return ButtonState::kPressed;
  if (hovered) return ButtonState::kHovered;
  if (checked) return ButtonState::kChecked;
  return ButtonState::kNormal;
}

const QPixmap& StateImages::For(ButtonState state) const {
  switch (state) {
    case ButtonState::kHovered: return hovered;
    case ButtonState::kPressed: return pressed;
    case ButtonState::kDisabled: return disabled;
    case ButtonState::kChecked: return checked;
    case ButtonState::kNormal: break;
  }
  return normal;
}

StateImages StateImages::AllSame(const QPixmap& image) { return {image, image, image, image, image}; }

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
  InstallAccessibleControls();
  // Checkable so the window can mark assigned keys and the chosen profile;
  // nextCheckState() keeps clicks from changing that mark.
  setCheckable(true);
  // Every button is reachable with Tab; pictures and the keyboard picture's
  // keys (one stop for all) say otherwise.
  setFocusPolicy(Qt::StrongFocus);
  text_colours_.fill(QColor(Qt::white));
  tooltip_timer_.setSingleShot(true);
  tooltip_timer_.setInterval(kTooltipDelayMs);
  connect(&tooltip_timer_, &QTimer::timeout, this, [this] { ShowTooltipNow(); });
}

void ImageButton::SetStateImages(const StateImages& images, QPoint origin) {
  images_ = images;
  origin_ = origin;
  update();
}

void ImageButton::SetImageOrigin(QPoint origin) {
  origin_ = origin;
  update();
}

void ImageButton::SetButtonFont(const std::optional<ButtonFont>& font) {
  font_ = font;
  update();
}

void ImageButton::SetTextColour(ButtonState state, const QColor& colour) {
  text_colours_[static_cast<std::size_t>(state)] = colour;
  update();
}

void ImageButton::SetTextMargins(const QMargins& margins, Qt::Alignment alignment) {
  text_margins_ = margins;
  text_alignment_ = alignment;
  update();
}

void ImageButton::SetFrame(const QColor& colour) {
  frame_ = colour;
  update();
}

void ImageButton::ClearFrame() {
  frame_.reset();
  update();
}

void ImageButton::SetFrameStyle(FrameStyle style) {
  frame_style_ = style;
  update();
}

void ImageButton::SetDimmed(bool dimmed) {
  if (dimmed_ == dimmed) return;
  dimmed_ = dimmed;
  update();
}

void ImageButton::SetNote(const QString& note) { note_ = note; }

QString ImageButton::ShownTooltip() const {
  QString tip = toolTip();
  if (!shortcut_.isEmpty()) {
    const QString what = tip.isEmpty() ? text() : tip;
    tip = QString::fromStdString(FormatMessage(LookupText("ACCESS_SHORTCUT"), {what.toStdString(), shortcut_.toStdString()}));
  }
  if (note_.isEmpty()) return tip;
  if (tip.isEmpty()) return note_;
  return tip + '\n' + note_;
}

void ImageButton::PaintColouredKey(QPainter& painter, ButtonState state) {
  const QColor colour = *frame_;
  const QPixmap& image = images_.For(state);
  if (!image.isNull()) {
    const qreal ratio = image.devicePixelRatio();
    const QRectF source((origin_.x() - 1) * ratio, (origin_.y() - 1) * ratio, width() * ratio, height() * ratio);
    painter.drawPixmap(QRectF(rect()), image, source);
  }
  // The key cap takes the colour, with enough of the legend left to read.
  QColor tint = colour;
  tint.setAlpha(170);
  painter.fillRect(rect(), tint);
  const int w = kColouredKeyFrameWidth;
  painter.fillRect(QRect(0, 0, width(), w), colour);
  painter.fillRect(QRect(0, height() - w, width(), w), colour);
  painter.fillRect(QRect(0, w, w, height() - 2 * w), colour);
  painter.fillRect(QRect(width() - w, w, w, height() - 2 * w), colour);
  // A line of the opposite lightness inside the frame: black, navy or dark
  // red keys still stand out from the dark key caps around them.
  const QColor contrast = colour.lightnessF() < 0.5 ? QColor(255, 255, 255, 200) : QColor(0, 0, 0, 200);
  painter.setPen(QPen(contrast, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(w, w, width() - 2 * w - 1, height() - 2 * w - 1));
}

void ImageButton::SetDrawCallback(DrawCallback callback) {
  draw_callback_ = std::move(callback);
  update();
}

void ImageButton::SetCaption(const QString& caption) {
  setText(caption);
  NameForScreenReaders(caption);
}

ButtonState ImageButton::CurrentState() const { return ChooseButtonState(isEnabled(), isDown(), hovered_, isChecked()); }

QSize ImageButton::sizeHint() const { return size().isValid() ? size() : QSize(1, 1); }

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const ButtonState state = CurrentState();
  bool normalShown = false;
  if (frame_ && frame_style_ == FrameStyle::kColouredKey) {
    PaintColouredKey(painter, state);
  } else if (frame_) {
    // Only the frame: the key under it (the window's background) stays
    // visible, framed in the colour it is painted with.
    const int w = kFrameWidth;
    painter.fillRect(QRect(0, 0, width(), w), *frame_);
    painter.fillRect(QRect(0, height() - w, width(), w), *frame_);
    painter.fillRect(QRect(0, w, w, height() - 2 * w), *frame_);
    painter.fillRect(QRect(width() - w, w, w, height() - 2 * w), *frame_);
  } else {
    const QPixmap& image = images_.For(state);
    if (!image.isNull()) {
      // The skin draws each button's face one pixel up and left of where
      // the button sits.
      const qreal ratio = image.devicePixelRatio();
      const QRectF source((origin_.x() - 1) * ratio, (origin_.y() - 1) * ratio, width() * ratio, height() * ratio);
      painter.drawPixmap(QRectF(rect()), image, source);
    }
    normalShown = state == ButtonState::kNormal;
  }

  if (font_ && !text().isEmpty()) {
    painter.setFont(SkinFont(font_->face, font_->points, font_->turned ? kTurnedWeight : kNormalWeight));
    painter.setPen(text_colours_[static_cast<std::size_t>(state)]);
    const QRectF box = QRectF(rect()).adjusted(text_margins_.left(), text_margins_.top(), -text_margins_.right(),
                                              -text_margins_.bottom());
    const qreal degrees = font_->angle / 10.0;
    if (font_->angle == 0) {
      painter.drawText(box, static_cast<int>(text_alignment_), text());
    } else if (font_->turned) {
      // Centre the text for the extent it covers once turned.
      const QFontMetricsF metrics(painter.font());
      const QSizeF extent(metrics.horizontalAdvance(text()), metrics.height());
      painter.save();
      painter.translate(box.center());
      painter.rotate(-degrees);  // the skin counts angles anticlockwise
      painter.drawText(QRectF(QPointF(-extent.width() / 2, -extent.height() / 2), extent), Qt::AlignCenter, text());
      painter.restore();
    } else {
      const QFontMetricsF metrics(painter.font());
      painter.save();
      painter.translate(box.topLeft());
      painter.rotate(-degrees);
      painter.drawText(QPointF(0, metrics.ascent()), text());
      painter.restore();
    }
  }

  if (dimmed_) {
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
    painter.fillRect(rect(), QBrush(QColor(150, 150, 150, 120), Qt::BDiagPattern));
  }

  if (draw_callback_) draw_callback_(*this, painter, normalShown);
  if (FocusRingShown()) PaintFocusRing(painter, rect());
}

void ImageButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  if (!ShownTooltip().isEmpty()) tooltip_timer_.start();
  QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  tooltip_timer_.stop();
  update();
  QAbstractButton::leaveEvent(event);
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
  focus_ring_.MousePressed();
  QAbstractButton::mousePressEvent(event);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    event->accept();
    if (!event->isAutoRepeat() && isEnabled()) click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

void ImageButton::focusInEvent(QFocusEvent* event) {
  focus_ring_.FocusIn(event->reason());
  QAbstractButton::focusInEvent(event);
  update();
}

void ImageButton::focusOutEvent(QFocusEvent* event) {
  QAbstractButton::focusOutEvent(event);
  update();
}

void ImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click is a second click, not something else: the
  // profile and key buttons count every click.
  mousePressEvent(event);
}

bool ImageButton::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      // Our own timer shows the tooltip sooner than the toolkit would.
      event->accept();
      return true;
    case QEvent::ToolTipChange:
      if (text().isEmpty()) NameForScreenReaders(toolTip());
      break;
    default:
      break;
  }
  return QAbstractButton::event(event);
}

void ImageButton::ShowTooltipNow() {
  if (!hovered_ || ShownTooltip().isEmpty()) return;
  QToolTip::showText(QCursor::pos(), ShownTooltip(), this, rect());
}

void ImageButton::NameForScreenReaders(const QString& name) {
  // A name the window set itself (a key's name) wins over captions and tips.
  if (!accessibleName().isEmpty() && accessibleName() != automatic_name_) return;
  automatic_name_ = name;
  setAccessibleName(name);
}

}  // namespace zarvel
