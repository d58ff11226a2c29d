#pragma once
// A picture that shows one skin image by file name and reports clicks: the
// lighting switch, the random-colour pictures, the direction arrows, the
// colour choice pictures, the tool pictures, the progress picture.
//
// SetImage() changes only what is shown; clicked() comes from the user only.
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "skin/widgets/focus_ring.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

class SkinPicture : public QWidget {
  Q_OBJECT
 public:
  explicit SkinPicture(QWidget* parent = nullptr);

  // Shows skin image `name` from the shared cache, drawn at the picture's
  // top-left corner; an empty name shows nothing.
  void SetImage(std::string_view name);
  const std::string& ImageName() const { return image_name_; }

  // What the picture is to a screen reader and the keyboard: a picture
  // (the default) shows only and takes no focus; the other kinds act when
  // clicked, take the focus and Space or Enter clicks them. A toggle or
  // radio picture reports as checked whether it shows a chosen face
  // (core/lighting_picture_state.h); SetAccessibleChecked() overrides that
  // until the next SetImage().
  void SetAccessibleKind(AccessibleKind kind);
  AccessibleKind GetAccessibleKind() const { return kind_; }
  void SetAccessibleChecked(bool checked) { checked_ = checked; }
  bool AccessibleChecked() const { return checked_; }

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  std::string image_name_;
  QPixmap pixmap_;
  bool pressed_ = false;
  QString automatic_name_;  // the accessible name taken from the tooltip
  AccessibleKind kind_ = AccessibleKind::kPicture;
  bool checked_ = false;
  FocusRingState focus_ring_;
};

}  // namespace zarvel
