#pragma once
// A slider drawn from skin pictures, with integer positions: the lighting
// panel's brightness and speed.
//
// The picture (set by name, as the lighting controller hands it out) is the
// track; the position is drawn as a thumb over it. SetPosition() and
// SetRange() move nothing the window reacts to: positionChosen() is emitted
// only for the user's mouse or keyboard input, so a refresh of the panel
// never writes to the keyboard.
#include <QPixmap>
#include <QWidget>
#include <string>
#include <string_view>

#include "skin/widgets/focus_ring.h"

namespace zarvel {

class BitmapSlider : public QWidget {
  Q_OBJECT
 public:
  // `id` is reported with every user change (the control's identifier).
  explicit BitmapSlider(int id, QWidget* parent = nullptr);

  int Id() const { return id_; }
  void SetRange(int minimum, int maximum);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  // Clamped into the range; emits nothing.
  void SetPosition(int position);
  int Position() const { return position_; }
  void SetPicture(std::string_view imageName);
  const std::string& PictureName() const { return picture_name_; }

  // The user's choice (mouse, keyboard, a screen reader): clamped, and
  // reported with positionChosen() when it changes the position.
  void ChooseByUser(int position);

  // The position a click at x (widget pixels) chooses.
  int PositionAt(int x) const;

 Q_SIGNALS:
  void positionChosen(int id, int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  int id_;
  int minimum_ = 0;
  int maximum_ = 4;
  int position_ = 0;
  bool dragging_ = false;
  std::string picture_name_;
  FocusRingState focus_ring_;
  QPixmap picture_;
};

}  // namespace zarvel
