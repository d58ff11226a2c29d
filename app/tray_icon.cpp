#include "app/tray_icon.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#include "device/main_window_link.h"
#include "skin/language.h"
#include "skin/skin_files.h"

namespace zarvel {
namespace {

QString Text(std::string_view key) { return QString::fromStdString(LookupText(key)); }

// A key cap with a lamp: grey when no keyboard is connected, green when one
// is, amber for the keyboard's indicator.
QIcon DrawnPicture(int icon_resource) {
  QColor lamp(0x8a, 0x8a, 0x8a);
  if (icon_resource == kConnectedTrayIcon) lamp = QColor(0x2e, 0xc4, 0x5a);
  if (icon_resource == kIndicatorTrayIcon) lamp = QColor(0xf2, 0xa5, 0x1a);
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(QPen(QColor(0x20, 0x20, 0x24), unit));
    painter.setBrush(QColor(0x3a, 0x3c, 0x44));
    painter.drawRoundedRect(QRectF(unit, 3 * unit, 14 * unit, 10 * unit), 2 * unit, 2 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd8, 0xd8, 0xdc));
    for (int row = 0; row < 2; ++row)
      for (int col = 0; col < 4; ++col)
        painter.drawRect(QRectF((2.5 + 2.5 * col) * unit, (4.5 + 2.5 * row) * unit, 1.6 * unit, 1.6 * unit));
    painter.drawRect(QRectF(4 * unit, 9.6 * unit, 8 * unit, 1.6 * unit));
    painter.setBrush(lamp);
    painter.drawEllipse(QRectF(11 * unit, 9.2 * unit, 2.6 * unit, 2.6 * unit));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon TrayPicture(int icon_resource) {
  // "icon128.png" and its sharp "icon128@2x.png" twin, which QIcon finds itself.
  const QString path = QString::fromStdString(SkinPath("icon")) + QString::number(icon_resource) + ".png";
  if (QFile::exists(path)) {
    QIcon icon(path);
    if (!icon.availableSizes().isEmpty()) return icon;
  }
  return DrawnPicture(icon_resource);
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon() { Remove(); }

void TrayIcon::ShowNotice(const QString& text) {
  if (!icon_ || !shown_ || text.isEmpty()) return;
  constexpr int kNoticeMs = 15000;
  icon_->showMessage(Text("MAIN_CAPTION"), text, QSystemTrayIcon::Information, kNoticeMs);
  ++notices_shown_;
}

bool TrayIcon::Create(int icon_resource) {
  if (icon_) return shown_;
  // Qt asks the desktop once, at the first call, whether a tray exists.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  menu_ = std::make_unique<QMenu>();
  open_ = menu_->addAction(QString());
  about_ = menu_->addAction(QString());
  exit_ = menu_->addAction(QString());
  menu_->setDefaultAction(open_);
  RetranslateMenu();
  connect(menu_.get(), &QMenu::aboutToShow, this, &TrayIcon::RetranslateMenu);
  connect(open_, &QAction::triggered, this, &TrayIcon::openRequested);
  connect(about_, &QAction::triggered, this, &TrayIcon::aboutRequested);
  connect(exit_, &QAction::triggered, this, &TrayIcon::exitRequested);

  picture_ = icon_resource;
  icon_ = std::make_unique<QSystemTrayIcon>(TrayPicture(icon_resource));
  icon_->setToolTip(Text("KEYBOARD_TRAY_DESC"));
  icon_->setContextMenu(menu_.get());
  // X11 trays report the first click of a double click as a click of its
  // own; waiting out the double-click time keeps one request per gesture.
  single_click_.setSingleShot(true);
  single_click_.setInterval(QApplication::doubleClickInterval());
  connect(&single_click_, &QTimer::timeout, this, &TrayIcon::openRequested);
  connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
      single_click_.start();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
      single_click_.stop();
      Q_EMIT openRequested();
    }
  });
  icon_->show();
  shown_ = true;
  return true;
}

void TrayIcon::SetPicture(int icon_resource) {
  if (!icon_ || icon_resource == picture_) return;
  picture_ = icon_resource;
  ++picture_changes_;
  icon_->setIcon(TrayPicture(icon_resource));
}

void TrayIcon::Remove() {
  if (!icon_) return;
  single_click_.stop();
  icon_->hide();
  icon_.reset();
  menu_.reset();
  open_ = about_ = exit_ = nullptr;
  shown_ = false;
}

void TrayIcon::RetranslateMenu() {
  if (!menu_) return;
  open_->setText(Text("MENU_11"));
  about_->setText(Text("MENU_22"));
  exit_->setText(Text("MENU_33"));
  // The default item is shown bold, as the first item of the menu.
  QFont bold = open_->font();
  bold.setBold(true);
  open_->setFont(bold);
  if (icon_) icon_->setToolTip(Text("KEYBOARD_TRAY_DESC"));
}

}  // namespace zarvel
