#pragma once
// The focus ring of the skinned controls: the skin's field-focus cyan, two
// pixels wide between two dark lines, drawn just inside the control. The
// dark lines keep it visible on the light pressed and checked pictures, the
// cyan on the dark ones, and on a key tinted in any colour.
//
// The ring shows while the control has the focus from the keyboard (Tab,
// the arrows in the keyboard picture, a shortcut), not after a mouse click,
// which would leave a ring behind on every clicked button.
#include <QColor>
#include <QFocusEvent>
#include <QRect>

class QPainter;

namespace zarvel {

inline constexpr QColor kFocusRingColour{0x2f, 0xb4, 0xe8};

// Draws the ring inside `rect` (logical pixels: at @2x it is twice as many
// device pixels, as thick as the rest of the picture).
void PaintFocusRing(QPainter& painter, const QRect& rect, const QColor& colour = kFocusRingColour);

// Whether a control shows its ring: follows how the focus arrived. A focus
// given back when the window is active again (a dialog closed) keeps what
// the control showed before.
class FocusRingState {
 public:
  void FocusIn(Qt::FocusReason reason);
  void MousePressed() { keyboard_ = false; }
  bool Shown(bool has_focus) const { return has_focus && keyboard_; }

 private:
  bool keyboard_ = false;
};

}  // namespace zarvel
