#pragma once
// The key-function dialog with its macro page, opened from the main window by
// a key click, G9 or the macro button.
//
// Window-modal but not a nested event loop: OpenFor() returns at once and the
// dialog reports its end through QDialog::finished(). Opening counts the
// dialog as open in the core (profile switches are refused while it is);
// every way it closes undoes that and releases any keyboard grab.
#include <QRect>

#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

class AppCore;

class KeyFunctionDialog : public SkinnedDialog {
  Q_OBJECT
 public:
  KeyFunctionDialog(AppCore& core, QWidget* parent);
  ~KeyFunctionDialog() override;

  // Opens for `record_index` of the edited profile, clicked on `button_id`;
  // `macro_only` (the macro button and G9) shows only the macro page.
  // `anchor` is the clicked button's rectangle in global coordinates.
  void OpenFor(int button_id, int record_index, bool macro_only, const QRect& anchor);
  // Closes as if cancelled (0x4753 on unplug, program exit); nothing is kept.
  void CloseCancelled();
  void ApplyLanguage();

 private:
  AppCore& core_;
};

}  // namespace zarvel
