#include "app/tray_icon.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

#ifdef ZARVEL_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

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

const QString kTrayWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kTrayWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// An X11 notification area owns the selection "_NET_SYSTEM_TRAY_S<screen>".
bool X11TrayOwned() {
#ifdef ZARVEL_HAVE_XCB
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return false;
  xcb_connection_t* connection = x11->connection();
  const QByteArray name = "_NET_SYSTEM_TRAY_S0";
  const xcb_intern_atom_cookie_t asked =
      xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData());
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, asked, nullptr);
  if (atom == nullptr) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (owner == nullptr) return false;
  const bool owned = owner->owner != XCB_WINDOW_NONE;
  std::free(owner);
  return owned;
#else
  return false;
#endif
}

// The tray's watcher is on the session bus with a host (a panel) behind it.
bool TrayWatcherReady(const QDBusConnection& bus) {
  if (!bus.interface()->isServiceRegistered(kTrayWatcher)) return false;
  QDBusInterface watcher(kTrayWatcher, kTrayWatcherPath, kTrayWatcher, bus);
  return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

// Whether Qt may be asked about the tray now without losing a later one.
bool MayAskQt() {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return true;
  return TrayWatcherReady(bus) || X11TrayOwned();
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

bool TrayIcon::CreateWhenTrayExists(int icon_resource) {
  picture_ = icon_resource;
  if (MayAskQt()) {
    if (Create(icon_resource)) return true;
  }
  if (watcher_) return false;
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  watcher_ = std::make_unique<QDBusServiceWatcher>(kTrayWatcher, bus, QDBusServiceWatcher::WatchForRegistration);
  connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered, this, &TrayIcon::TryLateTray);
  // A watcher whose panel registers after it: its announcement.
  QDBusConnection(bus).connect(kTrayWatcher, kTrayWatcherPath, kTrayWatcher,
                               QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(TryLateTray()));
  return false;
}

void TrayIcon::TryLateTray() {
  if (icon_ || !watcher_) return;
  if (!TrayWatcherReady(QDBusConnection::sessionBus())) return;
  const int picture = picture_;
  if (!Create(picture)) return;
  watcher_.reset();
  Q_EMIT shownLate();
}

void TrayIcon::SetPicture(int icon_resource) {
  if (!icon_) {
    // Kept for an icon that shows later.
    picture_ = icon_resource;
    return;
  }
  if (icon_resource == picture_) return;
  picture_ = icon_resource;
  ++picture_changes_;
  icon_->setIcon(TrayPicture(icon_resource));
}

void TrayIcon::Hide() {
  watcher_.reset();
  single_click_.stop();
  if (icon_) icon_->hide();
}

void TrayIcon::Remove() {
  watcher_.reset();
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
