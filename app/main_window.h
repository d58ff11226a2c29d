#pragma once
// The main window: the keyboard picture with its key, G and Fn buttons, the
// profile buttons, Default, Apply, OK, Cancel, the menu, the lighting panel
// (LightingPanel) and the progress picture. The application core drives it
// through MainView; the device threads reach it through Link(), whose every
// call is queued onto the window's thread.
//
// Built in two steps, because the core needs the window as its view:
// construct the window, construct the AppCore with it, then AttachCore().
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

#include "app/qt_prompter.h"
#include "app/window_parts.h"
#include "core/main_view.h"
#include "device/main_window_link.h"
#include "model/prompter.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

class AppCore;
enum class KeyDialogMode : int;
class KeyboardWriteRunner;
class ProgressAnimation;
class Settings;

class MainWindow : public SkinnedDialog, public MainView, public KeyButtonAccess {
  Q_OBJECT
 public:
  explicit MainWindow(Settings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Connects every control to the core; call once, before the device
  // threads start.
  void AttachCore(AppCore& core);
  // The last step before the core goes: the child dialogs, which hold the
  // core, close as cancelled and are destroyed, and the window forgets the
  // core.
  void DetachCore();
  // The Qt side of the device threads' messages (PROF, 0x4753, OPEN, hide,
  // timers 1051/1053, tray pictures, message boxes).
  MainWindowLink& Link();
  // The window's message boxes and Yes/No questions (No the default).
  QtPrompter& Prompts();

  // OPEN: show request, then the firmware-version check.
  void HandleOpen();
  // A show request without the firmware check (the tray's Open).
  void ShowRequest();
  // INIT: hide the window.
  void HandleInit();
  // LANG: every caption, tooltip and label again from the language file.
  void ApplyLanguage();
  // 0x4753 (the keyboard went away): every modal thing (menus, message
  // boxes, file and colour dialogs) and every child dialog closes as
  // cancelled, and a question already asked answers No whatever the user
  // clicks later. Safe from inside any event loop.
  void CloseChildDialogs();
  // The user's own exit (the Close button, the tray's Exit): the one place
  // to ask the user something first; then exitRequested(). An exit for any
  // other reason (/Kill, a signal, logout) never comes here and never waits
  // for the user.
  void ExitByUser();
  // First step of shutdown, safe from inside any event loop: a blocking send
  // the monitor waits in returns without running, and no further one waits;
  // open message boxes close and no new one shows, a question a keyboard
  // write waits for answers No; no new keyboard write starts; every modal
  // thing and child dialog closes as cancelled. Nothing is deleted and no
  // loop is run: the nested loops return once control gets back to them.
  void ReleaseForExit();
  // ReleaseForExit(), then (from the top of the program only) the running
  // keyboard write is waited for, and the key-function dialog and the
  // profile manager are deleted, so the core can then go.
  void ReleaseBlockingSends();

  // The user's own exit (the Close button, the tray's Exit; never /Kill, a
  // signal or the end of the session). Without unapplied changes: true, end
  // now. With them, asks MAIN_PROMPT_EXIT_UNAPPLIED: "Exit without applying"
  // gives true; Cancel gives false and the program stays; "Apply and exit"
  // (the default) gives false too and applies on the keyboard-write worker,
  // then emits exitRequested() when the keyboard and the store file took the
  // changes, or tells MAIN_PROMPT_EXIT_NOT_APPLIED and stays.
  bool ConfirmUserExit();

  // Apply as the Apply button does: on the keyboard-write worker, after a
  // write that is running. For Apply requests from outside the window (the
  // clock change): never call AppCore::Apply() directly while the window
  // may be lending the core to its worker.
  void RequestApply();

  // Menu commands: restore from a file, back up to a file.
  void RestoreFromFile();
  void BackUpToFile();
  // The help page (Help button and F1).
  void OpenHelp();

  // What the file dialogs ask: the chosen path, empty when cancelled.
  // Replaced by tests and tools; the default shows a QFileDialog.
  enum class FileDialogKind { kRestore, kBackUp };
  using FileChooser = std::function<std::string(FileDialogKind kind)>;
  void SetFileChooser(FileChooser chooser);
  // How web and help pages open; the default is QDesktopServices.
  using UrlOpener = std::function<void(const QUrl& url)>;
  void SetUrlOpener(UrlOpener opener);

  // Long keyboard work runs here (tests and benchmarks wait on it).
  KeyboardWriteRunner& Writes();
  ProgressAnimation& Progress();
  // Any control of the window by identifier; null when it has none.
  QWidget* Control(int control_id) const;

  // MainView
  void ShowKeyDescription(int button_id, const std::string& text, bool assigned) override;
  void CheckProfileButton(int profile) override;
  void EnableApply(bool enabled) override;
  void ShowBusy(bool shown) override;
  void ShowTrayPicture(int icon_resource) override;
  void ShowFlip(int flip) override;
  void ShowActiveProfile(int profile, const ProfileMenuLabel& label) override;
  void ShowNotice(const std::string& key, const std::string& text) override;
  LightingView& Lighting() override;

  // KeyButtonAccess
  ImageButton* KeyButton(int button_id) override;
  std::vector<int> KeyButtonIds() const override;

 Q_SIGNALS:
  // The tray icon's picture should change (only emitted when it differs).
  void trayPictureChanged(int icon_resource);
  // The user asked to end the program (Close button, the firmware question's
  // Cancel); the application runs its shutdown sequence.
  void exitRequested();
  // The keyboard went away: dialogs the application owns (the About box)
  // close as cancelled, as the window's own do.
  void childDialogsClosing();
  // The menu's About entry (the tray has one too; a desktop may have no tray).
  void aboutRequested();
  // A notice arrived while the window is hidden: the tray tells it once (the
  // window's notice line keeps it for when the window is next opened).
  void noticeForTray(const QString& text);

 protected:
  void KeyPressed(QKeyEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  void done(int result) override;

 private:
  void BuildControls();
  void ApplyCaptions();
  // Keyboard and screen-reader access (main_window_access.cpp).
  void SetUpKeyboardAccess();
  void ApplyAccessibleNames();
  void ConnectCommands();
  void OnButton(int control_id);
  void OpenKeyDialog(int button_id, int record_index, KeyDialogMode mode);
  void FollowDeferredProfileChange();
  // Takes another process's changes to the per-user files once no keyboard
  // write runs and the key dialog is closed.
  void CheckOtherProcessChanges();
  void OpenProfileManager();
  void OpenUrl(const QUrl& url);
  void ShowMenu();
  void ApplyArrowPictures();
  void RestoreCheckedState(int control_id);
  void RunFirmwareCheck();
  // Keyboard work of the core: on the keyboard-write worker, or here while
  // a dialog is open; `done` runs here afterwards.
  void RunKeyboardWork(std::function<void()> work, std::function<void()> done = {});
  bool ChildDialogOpen() const;
  bool KeyboardConnected() const;

  struct Parts;
  Settings& settings_;
  AppCore* core_ = nullptr;
  std::unique_ptr<Parts> parts_;
};

}  // namespace zarvel
