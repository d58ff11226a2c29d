#include "app/key_capture.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "model/evdev_keys.h"

namespace zarvel {

KeyCode KeyCodeOfEvent(const QKeyEvent& event) { return NativeScanCodeToKeyCode(event.nativeScanCode()); }

KeyCaptureGuard::KeyCaptureGuard(QWidget& window, Handler handler) : window_(&window), handler_(std::move(handler)) {
  QCoreApplication::instance()->installEventFilter(this);
  if (window.isVisible()) Grab();
}

KeyCaptureGuard::~KeyCaptureGuard() {
  QCoreApplication::instance()->removeEventFilter(this);
  if (grabbing_ && window_ != nullptr) window_->releaseKeyboard();
  grabbing_ = false;
}

void KeyCaptureGuard::Grab() {
  if (grabbing_ || window_ == nullptr) return;
  window_->grabKeyboard();
  grabbing_ = true;
}

bool KeyCaptureGuard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      if (watched == window_) Grab();
      return false;
    case QEvent::Hide:
      // A hidden window keeps no grab: the desktop would lose its keyboard
      // to a window nobody sees.
      if (watched == window_ && grabbing_) {
        window_->releaseKeyboard();
        grabbing_ = false;
      }
      return false;
    case QEvent::ShortcutOverride: {
      // A key meant for the capture must not fire a shortcut on its way.
      auto* key = static_cast<QKeyEvent*>(event);
      if (KeyCodeOfEvent(*key) == 0) return false;
      key->accept();
      return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      const MacroDirection direction = event->type() == QEvent::KeyPress ? kPress : kRelease;
      const DialogKeyResult result = handler_(KeyCodeOfEvent(*key), direction, key->isAutoRepeat());
      if (result.passOn) return false;
      key->accept();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zarvel
