#pragma once
// The skinned dialog base of the main window, the key-function dialog and
// the profile manager (the About box is a plain dialog).
//
// A frameless top-level window whose look is its skin file's pictures:
// "SCREEN"/"Main" is the background (painted at (0, 0), the window sized to
// it) and "SCREEN"/"Mask" cuts the outline (skin/widgets/skin_region.h; the
// background is its own mask when "Mask" is missing). On X11 the mask shapes
// the window; on Wayland, which shapes input only, the area outside the mask
// is painted transparent. A left press on the background itself (not on a
// control) moves the window through the window system, which also works on
// Wayland.
//
// Enter and Esc never close a skinned window by themselves: each window
// decides in its own key handling (KeyPressed()).
#include <QDialog>
#include <QPixmap>
#include <QRegion>
#include <string>
#include <string_view>

#include "skin/ini_file.h"
#include "skin/placement.h"
#include "skin/widgets/image_button.h"

namespace zarvel {

class SkinnedDialog : public QDialog {
  Q_OBJECT
 public:
  // `skinFile` is a file name in the skin folder ("Main.ini").
  SkinnedDialog(std::string_view skinFile, QWidget* parent = nullptr);

  // Loads the background and mask, sizes the window and applies the region.
  // False when either image cannot be read (the start-up check makes that
  // impossible in a running program; the window then stays unskinned).
  bool LoadSkin();

  const CIniFile& Skin() const { return skin_; }
  const QPixmap& Background() const { return background_; }
  // The region built from the mask (also kept on the offscreen platform,
  // which applies no masks).
  const QRegion& WindowRegion() const { return region_; }

  // The four state images of this window by file name, from the shared
  // cache; `checked` defaults to the pressed image.
  StateImages LoadStateImages(std::string_view normal, std::string_view hovered, std::string_view pressed,
                              std::string_view disabled, std::string_view checked = {}) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Enter, Return and Esc reach here instead of closing the window; the
  // default does nothing.
  virtual void KeyPressed(QKeyEvent* event);

 private:
  std::string skin_file_;  // the file name; the folder is the image cache's
  CIniFile skin_;
  QPixmap background_;
  QRegion region_;
};

}  // namespace zarvel
