#include "skin/widgets/skinned_dialog.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "controls/accessible_controls.h"
#include "skin/skin_files.h"
#include "skin/widgets/skin_image_cache.h"
#include "skin/widgets/skin_region.h"

namespace zarvel {

namespace {

// Wayland shapes only a window's input, never its picture: there the area
// outside the outline must be painted transparent.
bool PicturesNeedTransparency() { return QGuiApplication::platformName().startsWith("wayland"); }

}  // namespace

SkinnedDialog::SkinnedDialog(std::string_view skinFile, QWidget* parent)
    : QDialog(parent),
      skin_file_(skinFile),
      skin_(SkinImageCache::Instance().Folder() + skin_file_) {
  // A screen reader may have asked about the window while it was still a
  // plain dialog (its interface is made once and kept): ask again now, so
  // the window's pictures that do nothing stay out of the tree.
  InstallAccessibleControls();
  if (QAccessibleInterface* early = QAccessible::queryAccessibleInterface(this);
      early != nullptr && early->object() == this && !IsSkinnedWindowInterface(*early))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(early));
  setWindowFlag(Qt::FramelessWindowHint, true);
  // The background picture covers every pixel; nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent, !PicturesNeedTransparency());
  if (PicturesNeedTransparency()) setAttribute(Qt::WA_TranslucentBackground, true);
}

bool SkinnedDialog::LoadSkin() {
  SkinImageCache& cache = SkinImageCache::Instance();
  skin_.SetPath(cache.Folder() + skin_file_);
  const std::string backgroundName = skin_.ReadString(kScreenSection, "Main").value_or("");
  const std::string maskName = skin_.ReadString(kScreenSection, "Mask", backgroundName).value_or(backgroundName);
  QPixmap background = cache.Pixmap(backgroundName, devicePixelRatioF());
  QImage mask = cache.Image(maskName);
  if (background.isNull() || mask.isNull()) return false;

  background_ = background;
  setFixedSize(background_.deviceIndependentSize().toSize());
  region_ = RegionFromMask(mask);
  if (region_.isEmpty()) {
    // An all-white mask leaves nothing of the window; an empty mask would
    // mean "no mask" to the window system and show the whole rectangle.
    setMask(QRegion(-1, -1, 1, 1));
  } else {
    setMask(region_);
  }
  update();
  return true;
}

StateImages SkinnedDialog::LoadStateImages(std::string_view normal, std::string_view hovered,
                                           std::string_view pressed, std::string_view disabled,
                                           std::string_view checked) const {
  SkinImageCache& cache = SkinImageCache::Instance();
  const qreal ratio = devicePixelRatioF();
  StateImages images;
  images.normal = cache.Pixmap(normal, ratio);
  images.hovered = cache.Pixmap(hovered, ratio);
  images.pressed = cache.Pixmap(pressed, ratio);
  images.disabled = cache.Pixmap(disabled, ratio);
  images.checked = checked.empty() ? images.pressed : cache.Pixmap(checked, ratio);
  return images;
}

void SkinnedDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (testAttribute(Qt::WA_TranslucentBackground)) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setClipRegion(region_);
  }
  if (!background_.isNull()) painter.drawPixmap(0, 0, background_);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
  // The background is the window's caption: dragging it moves the window.
  if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
    windowHandle()->startSystemMove();
    event->accept();
    return;
  }
  QDialog::mousePressEvent(event);
}

void SkinnedDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
      // Never the dialog's own accept or reject: each window decides.
      event->accept();
      KeyPressed(event);
      return;
    default:
      event->ignore();
      KeyPressed(event);
      if (!event->isAccepted()) QDialog::keyPressEvent(event);
      return;
  }
}

void SkinnedDialog::KeyPressed(QKeyEvent* event) { event->ignore(); }

}  // namespace zarvel
