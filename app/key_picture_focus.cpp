#include "app/key_picture_focus.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

#include "core/key_picture_navigation.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

namespace {

bool PictureMoveFor(int qt_key, PictureMove& move) {
  switch (qt_key) {
    case Qt::Key_Left: move = PictureMove::kLeft; return true;
    case Qt::Key_Right: move = PictureMove::kRight; return true;
    case Qt::Key_Up: move = PictureMove::kUp; return true;
    case Qt::Key_Down: move = PictureMove::kDown; return true;
    case Qt::Key_Home: move = PictureMove::kRowStart; return true;
    case Qt::Key_End: move = PictureMove::kRowEnd; return true;
    default: return false;
  }
}

}  // namespace

KeyPictureFocus::KeyPictureFocus(QObject* parent, std::vector<ImageButton*> keys)
    : QObject(parent), keys_(std::move(keys)) {
  for (ImageButton* key : keys_) {
    key->setFocusPolicy(Qt::ClickFocus);
    key->installEventFilter(this);
  }
  const auto first = std::find_if(keys_.begin(), keys_.end(), [this](ImageButton* k) { return Reachable(*k); });
  MakeTabStop(first != keys_.end() ? *first : (keys_.empty() ? nullptr : keys_.front()));
  if (parent != nullptr) parent->installEventFilter(this);
}

bool KeyPictureFocus::Reachable(const ImageButton& key) const {
  // A key of the picture: shown, placed and usable. Keys that share their
  // place (F1..F4 and the spare buttons) count only while usable.
  return !key.isHidden() && key.isEnabled() && key.pos() != QPoint(1, 1) && key.width() > 0;
}

void KeyPictureFocus::MakeTabStop(ImageButton* key) {
  if (key == nullptr || key == stop_) return;
  if (stop_ != nullptr) stop_->setFocusPolicy(Qt::ClickFocus);
  stop_ = key;
  stop_->setFocusPolicy(Qt::StrongFocus);
}

bool KeyPictureFocus::Move(int qt_key) {
  PictureMove move;
  if (!PictureMoveFor(qt_key, move)) return false;
  auto* focused = qobject_cast<ImageButton*>(QApplication::focusWidget());
  ImageButton* from = std::find(keys_.begin(), keys_.end(), focused) != keys_.end() ? focused : stop_;
  if (from == nullptr) return false;
  std::vector<PictureKey> placed;
  placed.reserve(keys_.size());
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    const ImageButton& k = *keys_[i];
    if (!Reachable(k) && keys_[i] != from) continue;
    placed.push_back({static_cast<int>(i), k.x(), k.y(), k.width(), k.height()});
  }
  const int from_index = static_cast<int>(std::find(keys_.begin(), keys_.end(), from) - keys_.begin());
  const int to_index = NextPictureKey(placed, from_index, move);
  if (to_index == from_index) return false;
  ImageButton* to = keys_[static_cast<std::size_t>(to_index)];
  MakeTabStop(to);
  to->setFocus(Qt::OtherFocusReason);
  return true;
}

bool KeyPictureFocus::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Show && !shown_once_) {
    // The window opens on the keyboard picture, what it is about; the ring
    // waits for the first key the user presses.
    shown_once_ = true;
    auto* window = static_cast<QWidget*>(watched);
    if (stop_ != nullptr && Reachable(*stop_) &&
        (window->focusWidget() == nullptr || !window->focusWidget()->isEnabled()))
      stop_->setFocus(Qt::ActiveWindowFocusReason);
    return false;
  }
  auto* key = qobject_cast<ImageButton*>(watched);
  if (key == nullptr) return false;
  switch (event->type()) {
    case QEvent::FocusIn:
      // However the key got the focus (a click, a shortcut, Tab), Tab comes
      // back to it next time.
      MakeTabStop(key);
      return false;
    case QEvent::EnabledChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Move:
      // F1..F4 and the spare buttons take turns in one place: the stop
      // never stays on a key that cannot take the focus.
      if (stop_ != nullptr && !Reachable(*stop_)) {
        const auto usable = std::find_if(keys_.begin(), keys_.end(), [this](ImageButton* k) { return Reachable(*k); });
        if (usable != keys_.end()) MakeTabStop(*usable);
      }
      return false;
    case QEvent::KeyPress: {
      auto* press = static_cast<QKeyEvent*>(event);
      // Arrows with Shift or Ctrl belong to others (selection of keys).
      if ((press->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
      PictureMove move;
      if (!PictureMoveFor(press->key(), move)) return false;
      Move(press->key());
      press->accept();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zarvel
