#pragma once
// Transparent labels and check boxes in the windows' text colour: the
// background picture shows through, so they sit on the skin like painted text.
#include <QCheckBox>
#include <QColor>
#include <QLabel>

#include "skin/widgets/focus_ring.h"

namespace zarvel {

// The text colour of labels and check boxes on the dark skin.
QColor SkinTextColour();

class SkinLabel : public QLabel {
  Q_OBJECT
 public:
  explicit SkinLabel(QWidget* parent = nullptr);
};

// clicked() (QCheckBox's) comes from the user only; setChecked() from a
// refresh emits only toggled(), which windows do not use.
// It shows the skin's focus ring while it has the focus from the keyboard.
class SkinCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit SkinCheckBox(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  FocusRingState focus_ring_;
};

}  // namespace zarvel
