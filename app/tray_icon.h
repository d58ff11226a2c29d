#pragma once
// The program's icon in the notification area.
//
// Its tooltip is KEYBOARD_TRAY_DESC; its picture says whether the keyboard is
// connected (128 not connected, 141 connected, 142 while the keyboard's
// indicator announcement is on). The menu holds Open (the default item,
// shown bold), About and Exit, with their language texts looked up again
// each time the menu opens. A double click opens the window; so does a single
// click, because the StatusNotifierItem hosts of KDE and others report no
// double clicks (it waits out the double-click time, so a double click still
// opens once).
//
// Desktops without a notification area (many Wayland and GNOME ones): the
// program runs without an icon; Create() says so. A notification area that
// comes later (a login autostart that beat the panel, an extension switched
// on) is watched for: the tray's D-Bus watcher appearing on the session bus
// shows the icon then.
//
// Qt decides once per process whether the tray is reached over D-Bus, at its
// first look; looking before the watcher exists would leave the program
// iconless for the whole session. So Qt is only asked once the watcher is
// there, or when an X11 tray (which Qt reaches without D-Bus) owns its
// selection, or when there is no session bus at all.
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

class QMenu;
class QAction;
class QDBusServiceWatcher;

namespace zarvel {

// The picture of one of the three icon numbers: the skin's image when it has
// one, else a picture drawn here, so a skin without tray images still shows
// the connection state.
QIcon TrayPicture(int icon_resource);

class TrayIcon : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  // Shows the icon with `icon_resource`. False when the desktop has no
  // notification area; every other call then does nothing.
  bool Create(int icon_resource);
  // Create(), or when no tray exists yet, the same as soon as one appears
  // (shownLate() then). False when the icon is not shown now.
  bool CreateWhenTrayExists(int icon_resource);
  // Changes the picture when it differs from the last one set.
  void SetPicture(int icon_resource);
  // Takes the icon out of the notification area.
  void Remove();
  // Hides the icon without destroying it or its menu: safe from inside the
  // menu's own handlers (the exit request).
  void Hide();
  // A notice as a balloon by the icon (the desktop decides how it looks and
  // how long it stays); nothing without an icon.
  void ShowNotice(const QString& text);
  // How many notices were handed to the desktop (tests).
  int NoticesShown() const { return notices_shown_; }
  bool IsShown() const { return shown_; }
  int Picture() const { return picture_; }
  // How often the picture really changed (tests: the same picture twice
  // registers once).
  int PictureChanges() const { return picture_changes_; }

 Q_SIGNALS:
  void openRequested();
  void aboutRequested();
  void exitRequested();
  // The notification area appeared after the start and the icon is shown.
  void shownLate();

 private:
  void RetranslateMenu();

 private Q_SLOTS:
  void TryLateTray();

 private:

  QTimer single_click_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  QAction* open_ = nullptr;
  QAction* about_ = nullptr;
  QAction* exit_ = nullptr;
  std::unique_ptr<QDBusServiceWatcher> watcher_;
  bool shown_ = false;
  int picture_ = 0;
  int picture_changes_ = 0;
  int notices_shown_ = 0;
};

}  // namespace zarvel
