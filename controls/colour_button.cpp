#include "controls/colour_button.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/accessible_controls.h"

namespace zarvel {

namespace {

constexpr int kSwatchSize = 18;
constexpr int kPaletteColumns = 8;

QVector<QColor> DefaultPalette() {
  // The keyboard's LEDs mix red, green and blue at full strength best, so
  // the quick choices are saturated colours plus white.
  return {QColor(255, 0, 0),   QColor(255, 128, 0), QColor(255, 255, 0), QColor(128, 255, 0),
          QColor(0, 255, 0),   QColor(0, 255, 128), QColor(0, 255, 255), QColor(0, 128, 255),
          QColor(0, 0, 255),   QColor(128, 0, 255), QColor(255, 0, 255), QColor(255, 0, 128),
          QColor(255, 255, 255), QColor(255, 192, 128), QColor(128, 192, 255), QColor(64, 64, 64)};
}

std::optional<QColor> AskColourDialog(const QColor& initial, QWidget* parent) {
  const QColor colour = QColorDialog::getColor(initial, parent);
  if (!colour.isValid()) return std::nullopt;
  return colour;
}

}  // namespace

ColourButton::ColourButton(QWidget* parent)
    : QAbstractButton(parent), palette_(DefaultPalette()), other_picker_(AskColourDialog) {
  InstallAccessibleControls();
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  connect(this, &QAbstractButton::clicked, this, [this] { OpenPopup(); });
}

void ColourButton::SetColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void ColourButton::SetPalette(const QVector<QColor>& colours) { palette_ = colours.isEmpty() ? DefaultPalette() : colours; }

void ColourButton::SetOtherColourPicker(OtherColourPicker picker) {
  other_picker_ = picker ? std::move(picker) : OtherColourPicker(AskColourDialog);
}

void ColourButton::OpenPopup() {
  ClosePopup();
  popup_ = new QFrame(this, Qt::Popup);
  popup_->setAttribute(Qt::WA_DeleteOnClose);
  popup_->setFrameShape(QFrame::Box);
  popup_->setObjectName("colourPopup");

  auto* layout = new QVBoxLayout(popup_);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  auto* grid = new QGridLayout();
  grid->setSpacing(2);
  for (int i = 0; i < palette_.size(); ++i) {
    auto* swatch = new QPushButton(popup_);
    swatch->setFixedSize(kSwatchSize, kSwatchSize);
    swatch->setFlat(true);
    swatch->setAutoFillBackground(true);
    swatch->setStyleSheet(QString("background-color: %1; border: 1px solid #202226;").arg(palette_[i].name()));
    swatch->setAccessibleName(ColourText(palette_[i]));
    swatch->setToolTip(swatch->accessibleName());
    connect(swatch, &QPushButton::clicked, this, [this, i] { ChoosePaletteEntry(i); });
    grid->addWidget(swatch, i / kPaletteColumns, i % kPaletteColumns);
  }
  layout->addLayout(grid);
  auto* other = new QPushButton(QString::fromLatin1(kOtherColourText), popup_);
  other->setObjectName("otherColour");
  connect(other, &QPushButton::clicked, this, [this] { ChooseOther(); });
  layout->addWidget(other);

  popup_->adjustSize();
  popup_->move(mapToGlobal(QPoint(0, height())));
  popup_->show();
  // The keyboard starts on the colour shown now (or the first), so a
  // keyboard user can pick with the arrows, Tab and Space.
  const QList<QPushButton*> swatches = popup_->findChildren<QPushButton*>();
  QPushButton* start = swatches.isEmpty() ? nullptr : swatches.first();
  for (int i = 0; i < palette_.size() && i < swatches.size(); ++i)
    if (palette_[i] == colour_) start = swatches[i];
  if (start != nullptr) start->setFocus(Qt::PopupFocusReason);
}

void ColourButton::ChoosePaletteEntry(int index) {
  if (index < 0 || index >= palette_.size()) return;
  ClosePopup();
  colour_ = palette_[index];
  update();
  Q_EMIT colourChosen(colour_);
}

void ColourButton::ChooseOther() {
  // The pop-up goes first: the colour dialog must not open under it.
  ClosePopup();
  const std::optional<QColor> picked = other_picker_(colour_, window());
  if (!picked || !picked->isValid()) return;
  colour_ = *picked;
  update();
  Q_EMIT colourChosen(colour_);
}

void ColourButton::ClosePopup() {
  if (popup_ == nullptr) return;
  QFrame* closing = popup_;
  popup_ = nullptr;
  closing->close();
}

void ColourButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour_);
  painter.setPen(QColor(0x20, 0x22, 0x26));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (isDown() || underMouse()) {
    painter.setPen(QColor(0xE8, 0xEA, 0xED));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
  }
  if (focus_ring_.Shown(hasFocus())) PaintFocusRing(painter, rect());
}

void ColourButton::focusInEvent(QFocusEvent* event) {
  focus_ring_.FocusIn(event->reason());
  QAbstractButton::focusInEvent(event);
  update();
}

void ColourButton::focusOutEvent(QFocusEvent* event) {
  QAbstractButton::focusOutEvent(event);
  update();
}

void ColourButton::mousePressEvent(QMouseEvent* event) {
  focus_ring_.MousePressed();
  QAbstractButton::mousePressEvent(event);
}

void ColourButton::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
    event->accept();
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}

}  // namespace zarvel
