#pragma once
// The key-function dialog with its macro page, opened from the main window by
// a key click, G9 or the macro button.
//
// Window-modal but not a nested event loop: OpenFor() returns at once and the
// dialog reports its end through QDialog::finished(). Opening counts the
// dialog as open in the core (profile switches are refused while it is);
// every way it closes undoes that and gives back the Super and Menu keys.
//
// The dialog is a view of one KeyDialogSession: each control's handler is a
// call into the session, after which the dialog shows the session again.
// While the single-key page is shown or a recording runs, the keys typed
// into the dialog are caught (KeyCaptureGuard) instead of reaching the
// controls; keys typed into other windows stay theirs.
#include <QRect>
#include <memory>

#include "core/key_function_builder.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

class AppCore;
class ImageButton;
class KeyButtonAccess;
class KeyDialogSession;
class ListPage;
class MacroPage;
class Settings;
class SingleKeyPage;
class SkinLabel;

class KeyFunctionDialog : public SkinnedDialog {
  Q_OBJECT
 public:
  // `settings` holds the record-delay choice; the user's settings when null.
  KeyFunctionDialog(AppCore& core, QWidget* parent, Settings* settings = nullptr);
  ~KeyFunctionDialog() override;

  // Opens for `record_index` of the edited profile, clicked on `button_id`;
  // the macro modes (G9, the Macros button) show only the macro page.
  // `anchor` is the clicked button's rectangle in global coordinates.
  void OpenFor(int button_id, int record_index, KeyDialogMode mode, const QRect& anchor);
  // `macro_only` true is a click on G9.
  void OpenFor(int button_id, int record_index, bool macro_only, const QRect& anchor) {
    OpenFor(button_id, record_index, macro_only ? KeyDialogMode::kG9Macros : KeyDialogMode::kKey, anchor);
  }
  // Closes as if cancelled (0x4753 on unplug, program exit); nothing is kept.
  void CloseCancelled();
  void ApplyLanguage();

  // The main window's key buttons, so the clicked one shows pressed while
  // the dialog is open. Optional.
  void SetKeyButtons(KeyButtonAccess* buttons);

  // ---- for the window's tests ----
  KeyDialogSession& Session();
  // Whether the key filter is installed / catching keys now (the dialog is
  // the active window) / how many of Super, Right Super and Menu it holds.
  bool Capturing() const;
  bool CaptureActive() const;
  int SystemKeysHeld() const;
  SkinLabel& Caption();
  ImageButton& PageButton(KeyPage page);
  ImageButton& OkButton();
  ImageButton& CancelButton();
  ImageButton& ApplyButton();
  ImageButton& ClearButton();
  ImageButton& OnScreenKeyboardButton();
  SingleKeyPage& SingleKey();
  MacroPage& Macros();
  ListPage& MediaPage();
  ListPage& FunctionPage();
  SkinLabel& NoPlaceNotice();

 protected:
  void KeyPressed(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 public Q_SLOTS:
  void done(int result) override;

 private:
  struct Parts;
  void BuildControls();
  void ShowMode();
  void ShowPage();
  void ChoosePage(KeyPage page);
  void ChoiceChanged(bool changed);
  bool Apply();
  void FinishClose();
  void UpdateCapture();
  void Place(const QRect& anchor);
  void StartOnScreenKeyboard();

  AppCore& core_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace zarvel
