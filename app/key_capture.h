#pragma once
// Catching the real keyboard's keys for the key-function dialog: the
// single-key page takes the next key pressed, and a recording takes every
// press and release.
//
// Only keys typed into the dialog are caught: an application-wide event
// filter sees every key event of the program before any widget does, and it
// takes them only while the dialog is the active window. The desktop keeps
// its keyboard: there is no keyboard grab, so another program that has the
// focus gets its keys, and the desktop's own key bindings (media keys, the
// window switcher, screenshots) act as always. The Super and Menu keys
// alone are taken from the desktop while the dialog is active, where the
// platform allows (SystemKeyGrab), and given back the moment it is not.
//
// The key is named by its native scan code, which X11 and Wayland give as
// the Linux input number + 8; the key's text or Qt's own key name would tell
// neither left from right modifiers nor the keypad from the navigation keys.
//
// KeyCaptureGuard holds the filter and the Super/Menu grab and gives both
// back in its destructor, so every way out of the dialog (OK, Cancel,
// unplug, program exit, an exception) releases them.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/key_dialog_session.h"
#include "model/key_code.h"
#include "model/macro.h"

class QKeyEvent;

namespace zarvel {

class SystemKeyGrab;

// The key code of a key event, from its native scan code; 0 when the
// platform gave none (the offscreen platform) or the key is not one of ours.
KeyCode KeyCodeOfEvent(const QKeyEvent& event);

class KeyCaptureGuard : public QObject {
  Q_OBJECT
 public:
  // Called for every key press and release typed into the window while the
  // guard lives; returns whether the desktop should have the event after all.
  using Handler = std::function<DialogKeyResult(KeyCode key, MacroDirection direction, bool repeat)>;
  // Called when the window stops being the active one: keys held now will
  // be released where the user goes next.
  using Lost = std::function<void()>;

  // Installs the filter at once; takes Super and Menu whenever `window` is
  // the active window.
  KeyCaptureGuard(QWidget& window, Handler handler, Lost lost = {});
  ~KeyCaptureGuard() override;
  KeyCaptureGuard(const KeyCaptureGuard&) = delete;
  KeyCaptureGuard& operator=(const KeyCaptureGuard&) = delete;

  // Keys are caught now: the window is the active one.
  bool Active() const { return active_; }
  // How many of Super, Right Super and Menu are taken from the desktop now.
  int SystemKeysHeld() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool ForWindow(QObject* watched) const;
  void FollowActivation();

  QPointer<QWidget> window_;
  Handler handler_;
  Lost lost_;
  bool active_ = false;
  std::unique_ptr<SystemKeyGrab> system_keys_;
};

}  // namespace zarvel
