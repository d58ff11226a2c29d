#pragma once
// Transparent labels and check boxes in the windows' text colour: the
// background picture shows through, so they sit on the skin like painted text.
#include <QCheckBox>
#include <QColor>
#include <QLabel>

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
class SkinCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit SkinCheckBox(QWidget* parent = nullptr);
};

}  // namespace zarvel
