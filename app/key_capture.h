#pragma once
// Catching the real keyboard's keys for the key-function dialog: the
// single-key page takes the next key pressed, and a recording takes every
// press and release.
//
// An application-wide event filter sees every key event of the program
// before any widget does, and a keyboard grab on the dialog keeps the
// desktop from acting on keys meant for the dialog (Super would open the
// launcher, Menu a context menu). The key is named by its native scan code,
// which X11 and Wayland give as the Linux input number + 8; the key's text
// or Qt's own key name would tell neither left from right modifiers nor the
// keypad from the navigation keys.
//
// The grab takes the whole desktop's keyboard: KeyCaptureGuard holds both
// filter and grab and gives both back in its destructor, so every way out of
// the dialog (OK, Cancel, unplug, program exit, an exception) releases them.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "core/key_dialog_session.h"
#include "model/key_code.h"
#include "model/macro.h"

class QKeyEvent;

namespace zarvel {

// The key code of a key event, from its native scan code; 0 when the
// platform gave none (the offscreen platform) or the key is not one of ours.
KeyCode KeyCodeOfEvent(const QKeyEvent& event);

class KeyCaptureGuard : public QObject {
  Q_OBJECT
 public:
  // Called for every key press and release while the guard lives; returns
  // whether the desktop should have the event after all.
  using Handler = std::function<DialogKeyResult(KeyCode key, MacroDirection direction, bool repeat)>;

  // Installs the filter at once and grabs the keyboard for `window` (now
  // when it is shown, else as soon as it is).
  KeyCaptureGuard(QWidget& window, Handler handler);
  ~KeyCaptureGuard() override;
  KeyCaptureGuard(const KeyCaptureGuard&) = delete;
  KeyCaptureGuard& operator=(const KeyCaptureGuard&) = delete;

  bool Grabbing() const { return grabbing_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Grab();

  QPointer<QWidget> window_;
  Handler handler_;
  bool grabbing_ = false;
};

}  // namespace zarvel
