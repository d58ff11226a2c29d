#pragma once
// The main window: the keyboard picture with its key, G and Fn buttons, the
// profile buttons, Default, Apply, OK, Cancel, the menu, the lighting panel
// (LightingPanel) and the progress picture. The application core drives it
// through MainView; the device threads reach it through Link(), whose every
// call is queued onto the window's thread.
//
// Built in two steps, because the core needs the window as its view:
// construct the window, construct the AppCore with it, then AttachCore().
#include <memory>

#include "app/window_parts.h"
#include "core/main_view.h"
#include "device/main_window_link.h"
#include "model/prompter.h"
#include "skin/widgets/skinned_dialog.h"

namespace zarvel {

class AppCore;
class Settings;

class MainWindow : public SkinnedDialog, public MainView, public KeyButtonAccess {
  Q_OBJECT
 public:
  explicit MainWindow(Settings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Connects every control to the core; call once, before the device
  // threads start.
  void AttachCore(AppCore& core);
  // The Qt side of the device threads' messages (PROF, 0x4753, OPEN, hide,
  // timers 1051/1053, tray pictures, message boxes).
  MainWindowLink& Link();
  // The window's message boxes and Yes/No questions (No the default).
  Prompter& Prompts();

  // OPEN: show request, then the firmware-version check.
  void HandleOpen();
  // A show request without the firmware check (the tray's Open).
  void ShowRequest();
  // INIT: hide the window.
  void HandleInit();
  // LANG: every caption, tooltip and label again from the language file.
  void ApplyLanguage();
  // 0x4753: every open child dialog closes as cancelled.
  void CloseChildDialogs();
  // First step of shutdown: a blocking send the monitor waits in returns
  // without running, and no further one waits.
  void ReleaseBlockingSends();

  // MainView
  void ShowKeyDescription(int button_id, const std::string& text, bool assigned) override;
  void CheckProfileButton(int profile) override;
  void EnableApply(bool enabled) override;
  void ShowBusy(bool shown) override;
  void ShowTrayPicture(int icon_resource) override;
  void ShowFlip(int flip) override;
  void ShowActiveProfile(int profile, const ProfileMenuLabel& label) override;
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

 private:
  struct Parts;
  Settings& settings_;
  AppCore* core_ = nullptr;
  std::unique_ptr<Parts> parts_;
};

}  // namespace zarvel
