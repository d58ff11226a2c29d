#pragma once
// The keyboard picture as one stop in the window's Tab order.
//
// Only one key button takes Tab focus at a time (the last focused key, the
// first key at the start); the others take focus only from a click or from
// this helper. Inside the picture the arrow keys move to the nearest key in
// that direction and Home/End to the row's ends (core/key_picture_navigation);
// Space and Enter click the focused key, as a mouse click would. The focused
// key's own button has Qt's focus, so QApplication::focusWidget() names it.
// The window first opens with the focus on the picture.
#include <QObject>
#include <vector>

namespace zarvel {

class ImageButton;

class KeyPictureFocus : public QObject {
  Q_OBJECT
 public:
  // `keys` in the order a new window starts from (the first placed one
  // takes Tab first).
  KeyPictureFocus(QObject* parent, std::vector<ImageButton*> keys);

  // The key that takes Tab now.
  ImageButton* TabStop() const { return stop_; }
  // Moves the focus as an arrow, Home or End key would; false when the key
  // has no neighbour that way.
  bool Move(int qt_key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeTabStop(ImageButton* key);
  bool Reachable(const ImageButton& key) const;

  std::vector<ImageButton*> keys_;
  ImageButton* stop_ = nullptr;
  bool shown_once_ = false;
};

}  // namespace zarvel
