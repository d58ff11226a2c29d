#pragma once
// The profile manager: the list of saved profile files, Load, Add, Delete,
// Apply, OK and Cancel. Opened from the main window's profiles button.
//
// Window-modal but not a nested event loop: Open() returns at once and the
// dialog reports its end through QDialog::finished().
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

class AppCore;
class Settings;

class ProfileManagerDialog : public SkinnedDialog {
  Q_OBJECT
 public:
  ProfileManagerDialog(AppCore& core, Settings& settings, QWidget* parent);
  ~ProfileManagerDialog() override;

  void Open();
  // Closes as if cancelled (0x4753 on unplug, program exit).
  void CloseCancelled();
  // The keyboard's active profile changed (SwitchProfile): the row of
  // `profile` is checked and the Apply state cleared.
  void OnProfileSwitched(int profile);

 private:
  AppCore& core_;
  Settings& settings_;
};

}  // namespace zarvel
