#pragma once
// The profile manager: the list of saved profile files, Load, Add, Delete,
// Apply, OK and Cancel. Opened from the main window's profiles button.
//
// Window-modal but not a nested event loop: Open() returns at once and the
// dialog reports its end through QDialog::finished(). A humble view over
// ProfileManager (core/profile_manager.h): each button is one call into the
// model, after which the list is shown again from it.
//
// Object names, for tests: the list "PROGRAM_LIST", the buttons by their
// skin keys ("FUNC_LOAD", "FUNC_ADD", "FUNC_DELETE", "CONTROL_OK",
// "CONTROL_CANCEL", "CONTROL2_APPLY").
#include <functional>
#include <memory>

#include "skin/widgets/skinned_dialog.h"

class QTableWidget;
class QTableWidgetItem;

namespace zarvel {

class AppCore;
class ImageButton;
class ProfileFileDialogs;
class ProfileManager;
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

  // Seams: the file dialogs of Load and Add, and what F1 opens (the
  // program's help page by default).
  void SetFileDialogs(std::unique_ptr<ProfileFileDialogs> dialogs);
  void SetHelpOpener(std::function<void()> openHelp);
  // Runs Apply's work (the keyboard's re-read) and then `done` on the
  // window's thread; the main window hands it to its keyboard-write worker.
  // By default the work runs at once on the calling thread.
  using WorkRunner = std::function<void(std::function<void()> work, std::function<void()> done)>;
  void SetWorkRunner(WorkRunner run);
  // The title, captions and column titles from the language file (section
  // TEXT), each falling back to a fixed text when the file lacks its key.
  void ApplyLanguage();
  bool Applying() const { return applying_; }

  ProfileManager& Model() { return *model_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Esc cancels, Enter is OK (a focused button takes Enter itself).
  void KeyPressed(QKeyEvent* event) override;

 private:
  void BuildControls();
  void ShowModel();
  void RowCheckChanged(QTableWidgetItem* item);
  void Load();
  void Add();
  void Delete();
  void ApplyList();
  void Ok();
  void RunApply(bool closeWhenApplied);

  AppCore& core_;
  Settings& settings_;
  std::shared_ptr<ProfileManager> model_;
  std::unique_ptr<ProfileFileDialogs> dialogs_;
  std::function<void()> open_help_;
  QTableWidget* list_ = nullptr;
  ImageButton* apply_ = nullptr;
  WorkRunner run_;
  bool applying_ = false;
  // The dialog ended during Apply: the manager closes when Apply is done.
  bool close_after_apply_ = false;
};

}  // namespace zarvel
