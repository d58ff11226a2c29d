#include "app/key_capture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include "app/key_capture_system_keys.h"
#include "model/evdev_keys.h"

namespace zarvel {

KeyCode KeyCodeOfEvent(const QKeyEvent& event) { return NativeScanCodeToKeyCode(event.nativeScanCode()); }

KeyCaptureGuard::KeyCaptureGuard(QWidget& window, Handler handler, Lost lost)
    : window_(&window), handler_(std::move(handler)), lost_(std::move(lost)) {
  QCoreApplication::instance()->installEventFilter(this);
  FollowActivation();
}

KeyCaptureGuard::~KeyCaptureGuard() {
  QCoreApplication::instance()->removeEventFilter(this);
  system_keys_.reset();
}

int KeyCaptureGuard::SystemKeysHeld() const { return system_keys_ ? system_keys_->KeysHeld() : 0; }

bool KeyCaptureGuard::ForWindow(QObject* watched) const {
  if (window_ == nullptr || watched == nullptr) return false;
  if (watched->isWidgetType()) return static_cast<QWidget*>(watched)->window() == window_;
  return watched == window_->windowHandle();
}

void KeyCaptureGuard::FollowActivation() {
  const bool active = window_ != nullptr && window_->isVisible() && window_->isActiveWindow();
  if (active == active_) return;
  active_ = active;
  if (active) {
    system_keys_ = std::make_unique<SystemKeyGrab>(*window_, [this](unsigned native, bool press) {
      if (active_) handler_(NativeScanCodeToKeyCode(native), press ? kPress : kRelease, false);
    });
    return;
  }
  // Given back before anything else happens: the user is on their way to
  // another window, and Super must open the desktop's launcher there.
  system_keys_.reset();
  if (lost_) lost_();
}

bool KeyCaptureGuard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::ActivationChange:
    case QEvent::Show:
    case QEvent::Hide:
      if (watched == window_) FollowActivation();
      return false;
    case QEvent::ShortcutOverride: {
      // A key meant for the capture must not fire a shortcut on its way.
      if (!active_ || !ForWindow(watched)) return false;
      auto* key = static_cast<QKeyEvent*>(event);
      if (KeyCodeOfEvent(*key) == 0) return false;
      key->accept();
      return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // A key typed into another of the program's windows, or arriving
      // after the dialog lost the focus, is not the dialog's.
      if (!ForWindow(watched)) return false;
      FollowActivation();
      if (!active_) return false;
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
