#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QThread>
#include <memory>

#include "app/key_function_dialog.h"
#include "app/key_selection_gestures.h"
#include "app/main_window_parts.h"
#include "app/modal_closer.h"
#include "app/profile_manager_dialog.h"
#include "app/user_folder_watcher.h"
#include "core/app_core.h"
#include "core/profile_menu.h"
#include "core/lighting_controller.h"
#include "device/device_discovery.h"
#include "device/device_info_record.h"
#include "skin/language.h"
#include "skin/skin_files.h"

namespace zarvel {

namespace id = main_window_id;

MainWindow::Parts::Parts(MainWindow& window) : prompter(&window, queue), writes(queue, &window) {}

MainWindow::MainWindow(Settings& settings, QWidget* parent)
    : SkinnedDialog(kMainSkinFile, parent), settings_(settings), parts_(std::make_unique<Parts>(*this)) {
  setObjectName("MainWindow");
  // No task-bar button while it lives in the notification area; a show
  // request makes it an application window.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setAccessibleName("Varnok Z7Q3RGB");
  LoadSkin();
  BuildControls();
  parts_->panel = std::make_unique<LightingPanel>(*this, Skin(), *this);
  parts_->lighting = std::make_unique<WindowThreadLightingView>(parts_->queue, *parts_->panel);
  SetUpKeyboardAccess();
  // The effect list must not change its effect on an arrow key: the user
  // reaches the list with the mouse, and a stray arrow press would rewrite
  // the keyboard's lighting. The slot list (editable) keeps its cursor keys.
  for (QComboBox* list : findChildren<QComboBox*>())
    if (!list->isEditable()) list->installEventFilter(this);

  QtWindowLink::Handlers handlers;
  handlers.profile_message = [this](QtWindowLink::Done done) {
    // A connection replaces the store: never under a running write.
    parts_->writes.WhenIdle([this, done] {
      if (core_ == nullptr) return done();
      AppCore* core = core_;
      RunKeyboardWork([core] { core->ConnectionRefresh(); }, done);
    });
  };
  handlers.close_dialogs = [this] { CloseChildDialogs(); };
  handlers.open = [this] { HandleOpen(); };
  handlers.hide = [this] { hide(); };
  handlers.timer = [this](int timer_id) {
    parts_->writes.WhenIdle(
        [this, timer_id] {
          if (core_ == nullptr) return;
          AppCore* core = core_;
          if (timer_id == kProfileNotificationTimer)
            RunKeyboardWork([core] { core->OnProfileNotification(); });
          else if (timer_id == kReloadNotificationTimer)
            RunKeyboardWork([core] { core->OnReloadNotification(); });
        },
        timer_id);
  };
  handlers.tray_icon = [this](int icon) { ShowTrayPicture(icon); };
  handlers.message_box = [this](const std::string& key) { parts_->prompter.ShowMessageLater(key, LookupText(key)); };
  parts_->link = std::make_unique<QtWindowLink>(std::move(handlers), this);

  ConnectCommands();
  parts_->gestures = new KeySelectionGestures(
      *this, *this, [this](std::function<void()> work, std::function<void()> done) {
        RunKeyboardWork(std::move(work), std::move(done));
      });
  ApplyLanguage();
}

MainWindow::~MainWindow() {
  parts_->link->Release();
  parts_->prompter.Release();
  parts_->writes.Stop();
}

void MainWindow::AttachCore(AppCore& core) {
  core_ = &core;
  parts_->panel->Connect(core);
  // Another process's change to the per-user files (zarvelctl, a script) is
  // taken between keyboard writes, never in the middle of one.
  if (findChild<UserFolderWatcher*>() == nullptr) {
    auto* watcher = new UserFolderWatcher(this);
    connect(watcher, &UserFolderWatcher::changed, this, [this] { CheckOtherProcessChanges(); });
  }
  parts_->gestures->AttachCore(&core);
}

void MainWindow::CheckOtherProcessChanges() {
  parts_->writes.WhenIdle(
      [this] {
        // The key dialog edits its own copy of the macros and installs it
        // whole when it closes: a change taken meanwhile would be lost then.
        // It is taken once the dialog has closed (OpenKeyDialog). The
        // window's own saves wake the watcher too; they need no pause of
        // the user's input for a check on the keyboard.
        if (core_ == nullptr || core_->KeyFunctionDialogOpen() || !core_->OtherProcessChangesWaiting()) return;
        AppCore* core = core_;
        RunKeyboardWork([core] { core->TakeOtherProcessChanges(); });
      },
      kOtherProcessCheckKey);
}

void MainWindow::DetachCore() {
  CloseChildDialogs();
  delete parts_->key_dialog.data();
  delete parts_->profile_dialog.data();
  parts_->gestures->AttachCore(nullptr);
  core_ = nullptr;
}

MainWindowLink& MainWindow::Link() { return *parts_->link; }
QtPrompter& MainWindow::Prompts() { return parts_->prompter; }
KeyboardWriteRunner& MainWindow::Writes() { return parts_->writes; }
ProgressAnimation& MainWindow::Progress() { return *parts_->progress; }
void MainWindow::SetFileChooser(FileChooser chooser) { parts_->choose_file = std::move(chooser); }
void MainWindow::SetUrlOpener(UrlOpener opener) { parts_->open_url = std::move(opener); }

QWidget* MainWindow::Control(int control_id) const {
  if (auto it = parts_->buttons.find(control_id); it != parts_->buttons.end()) return it->second;
  if (control_id == id::kVersion) return parts_->version;
  if (control_id == id::kProgress) return parts_->progress_picture;
  return nullptr;
}

// ---- messages ----

bool MainWindow::KeyboardConnected() const {
  return core_ != nullptr && core_->Sync().Connection().State() == 1;
}

void MainWindow::HandleOpen() {
  // The show request waits for a running write, so the window never shows
  // profiles that are about to be replaced, and the firmware question is
  // never asked while the window's input is held.
  parts_->writes.WhenIdle([this] {
    ShowRequest();
    RunFirmwareCheck();
  });
}

void MainWindow::ShowRequest() {
  if (!KeyboardConnected()) {
    parts_->prompter.ShowMessage("MAIN_NO_DEVICE_PROMPT", LookupText("MAIN_NO_DEVICE_PROMPT"));
    return;
  }
  // An application window now, with a task-bar button.
  const Qt::WindowFlags flags = (windowFlags() & ~Qt::WindowType_Mask) | Qt::Window;
  if (flags != windowFlags()) setWindowFlags(flags);
  showNormal();
  raise();
  activateWindow();
}

void MainWindow::RunFirmwareCheck() {
  if (core_ == nullptr) return;
  DeviceInfoRecord record{};
  std::uint16_t version = 0;
  if (core_->Link().ReadDeviceInfo(record) == kResultDone)
    version = static_cast<std::uint16_t>(record[device_info_offset::kFirmwareVersion] |
                                         (record[device_info_offset::kFirmwareVersion + 1] << 8));
  if (!FirmwareNeedsUpdate(core_->Sync().Connection().LastOpenedVariant(), version)) return;
  // Cancel ends the program, but through its shutdown: the instance socket
  // and the semaphores must not outlive it. Nothing is written on the way.
  if (!parts_->prompter.AskOkCancel(kFirmwareTooOldText, kFirmwareTooOldCaption)) Q_EMIT exitRequested();
}

void MainWindow::HandleInit() {
  parts_->start_up_done = true;
  hide();
}

void MainWindow::ApplyLanguage() {
  ApplyCaptions();
  parts_->panel->ApplyLanguage();
  ApplyAccessibleNames();
  if (parts_->key_dialog) parts_->key_dialog->ApplyLanguage();
}

bool MainWindow::ChildDialogOpen() const {
  return (parts_->key_dialog && parts_->key_dialog->isVisible()) ||
         (parts_->profile_dialog && parts_->profile_dialog->isVisible()) || QApplication::activeModalWidget() != nullptr;
}

void MainWindow::RunKeyboardWork(std::function<void()> work, std::function<void()> done) {
  // An open dialog works on the core from this thread as it likes; the core
  // then stays here too, and the window pauses for the few reports a profile
  // change or a reconnection takes.
  if (!parts_->writes.Running() && ChildDialogOpen()) {
    work();
    if (done) done();
    return;
  }
  parts_->writes.Run(std::move(work), std::move(done));
}

void MainWindow::CloseChildDialogs() {
  // Only open ones: a closed dialog has nothing to give back to the core,
  // which may be busy on the keyboard-write worker. Noted before anything
  // closes, as the sweep below may hide them.
  const bool key_open = parts_->key_dialog && parts_->key_dialog->isVisible();
  const bool profiles_open = parts_->profile_dialog && parts_->profile_dialog->isVisible();
  parts_->prompter.CancelOpenQuestions();
  // The innermost first: a file dialog over the profile manager, a message
  // box over the key dialog.
  CloseModalThings();
  if (key_open) parts_->key_dialog->CloseCancelled();
  if (profiles_open) parts_->profile_dialog->CloseCancelled();
  Q_EMIT childDialogsClosing();
  if (QWidget* first = parts_->buttons.at(kProfileButtonIds[0])) first->setFocus();
}

void MainWindow::ExitByUser() {
  if (ConfirmUserExit()) Q_EMIT exitRequested();
}

void MainWindow::ReleaseForExit() {
  parts_->link->Release();
  parts_->prompter.Release();
  parts_->writes.Stop();
  CloseChildDialogs();
}

void MainWindow::ReleaseBlockingSends() {
  ReleaseForExit();
  // Everything the worker could wait for is released: it returns by itself.
  constexpr std::chrono::hours kUnbounded{1};
  parts_->writes.WaitForWorker(kUnbounded);
  // The dialogs work on the core, which goes next.
  delete parts_->key_dialog.data();
  delete parts_->profile_dialog.data();
}

// ---- MainView ----

void MainWindow::ShowKeyDescription(int button_id, const std::string& text, bool assigned) {
  parts_->queue.RunOrPost([this, button_id, text, assigned] {
    auto it = parts_->buttons.find(button_id);
    if (it == parts_->buttons.end()) return;
    it->second->setToolTip(QString::fromStdString(text));
    it->second->setAccessibleDescription(QString::fromStdString(text));
    parts_->checked[button_id] = assigned;
    it->second->setChecked(assigned);
  });
}

void MainWindow::ShowActiveProfile(int profile, const ProfileMenuLabel& label) {
  parts_->queue.RunOrPost([this, profile, label] {
    auto it = parts_->buttons.find(id::kProfiles);
    if (it != parts_->buttons.end()) {
      it->second->setText(QString::fromStdString(label.text));
      it->second->setToolTip(QString::fromStdString(label.tooltip));
    }
    if (parts_->profile_dialog != nullptr && parts_->profile_dialog->isVisible())
      parts_->profile_dialog->OnProfileSwitched(profile);
  });
}

void MainWindow::ShowNotice(const std::string& /*key*/, const std::string& text) {
  parts_->queue.RunOrPost([this, text] {
    const QString line = QString::fromStdString(text);
    parts_->notice->setText(line);
    parts_->notice->setToolTip(line);
    parts_->notice->setAccessibleDescription(line);
    parts_->notice->setVisible(!line.isEmpty() && parts_->notice->width() > 0);
    // Nobody sees the window's line while it lives in the notification area;
    // the tray says it once, and the line waits for the next opening.
    if (!line.isEmpty() && !isVisible()) Q_EMIT noticeForTray(line);
  });
}

void MainWindow::CheckProfileButton(int profile) {
  parts_->queue.RunOrPost([this, profile] {
    for (int p = 0; p < 4; ++p) {
      parts_->checked[kProfileButtonIds[p]] = p == profile;
      parts_->buttons.at(kProfileButtonIds[p])->setChecked(p == profile);
    }
  });
}

void MainWindow::EnableApply(bool enabled) {
  parts_->queue.RunOrPost([this, enabled] { parts_->buttons.at(id::kApply)->setEnabled(enabled); });
}

void MainWindow::ShowBusy(bool shown) {
  parts_->queue.RunOrPost([this, shown] {
    if (shown)
      parts_->progress->Show();
    else
      parts_->progress->Hide();
  });
}

void MainWindow::ShowTrayPicture(int icon_resource) {
  parts_->queue.RunOrPost([this, icon_resource] {
    if (icon_resource == parts_->tray_picture) return;
    parts_->tray_picture = icon_resource;
    Q_EMIT trayPictureChanged(icon_resource);
  });
}

void MainWindow::ShowFlip(int flip) {
  parts_->queue.RunOrPost([this, flip] {
    parts_->flip = flip == 1 ? 1 : 0;
    // F1..F4 share their place with the spare buttons: one set is usable.
    for (int f = 1010; f <= 1013; ++f) {
      ImageButton* button = parts_->buttons.at(f);
      if (button->pos() != QPoint(1, 1)) button->setEnabled(parts_->flip == 0);
    }
    for (int spare : parts_->placed_spares)
      if (spare != kSpareKeyButtonId) parts_->buttons.at(spare)->setEnabled(parts_->flip == 1);
    parts_->checked[kFlipButtonIds[0]] = parts_->flip == 1;
    parts_->buttons.at(kFlipButtonIds[0])->setChecked(parts_->flip == 1);
    ApplyArrowPictures();
  });
}

LightingView& MainWindow::Lighting() { return *parts_->lighting; }

// ---- KeyButtonAccess ----

ImageButton* MainWindow::KeyButton(int button_id) {
  auto it = parts_->buttons.find(button_id);
  return it == parts_->buttons.end() ? nullptr : it->second;
}

std::vector<int> MainWindow::KeyButtonIds() const { return parts_->key_ids; }

// ---- keys and closing ----

void MainWindow::KeyPressed(QKeyEvent* event) {
  // Enter and Esc never close or hide the window.
  event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Help) {
    OpenHelp();
    return;
  }
  SkinnedDialog::keyPressEvent(event);
}

bool MainWindow::ConfirmUserExit() {
  if (core_ == nullptr) return true;
  // The flag belongs to the core, which a running write has lent to the
  // worker; the write ends in moments.
  parts_->writes.WaitUntilIdle();
  if (core_ == nullptr || !core_->UnappliedChanges()) return true;
  enum Answer { kApplyAndExit, kExitWithoutApplying, kStay };
  const int answer = parts_->prompter.AskChoice(
      "MAIN_PROMPT_EXIT_UNAPPLIED", LookupText("MAIN_PROMPT_EXIT_UNAPPLIED"),
      {LookupText("MAIN_EXIT_APPLY"), LookupText("MAIN_EXIT_DISCARD"), LookupText("PROFILE_CANCLE")},
      /*default_button=*/kApplyAndExit, /*escape_button=*/kStay);
  if (answer == kExitWithoutApplying) return true;
  if (answer != kApplyAndExit || core_ == nullptr) return false;
  AppCore* core = core_;
  auto applied = std::make_shared<bool>(false);
  parts_->writes.Run([core, applied] { *applied = core->Apply(); },
                     [this, applied] {
                       if (*applied) {
                         Q_EMIT exitRequested();
                         return;
                       }
                       // Ending now would drop what the keyboard did not take.
                       // The box does not wait: a connection queued behind
                       // this write must not wait for the user.
                       parts_->prompter.ShowMessageLater("MAIN_PROMPT_EXIT_NOT_APPLIED",
                                                         LookupText("MAIN_PROMPT_EXIT_NOT_APPLIED"),
                                                         LookupText("MAIN_CAPTION"));
                     });
  return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window system's close only hides: the program lives on in the
  // notification area. Close, the tray's Exit and a second copy's /Kill end it.
  event->ignore();
  hide();
}

void MainWindow::done(int /*result*/) { hide(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    if (qobject_cast<QComboBox*>(watched) != nullptr) {
      switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
          return true;
        default:
          return false;
      }
    }
  }
  if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
    const bool inside = event->type() == QEvent::Enter;
    if (watched == parts_->buttons.at(kFlipButtonIds[1])) parts_->arrow_state[0] = inside ? 2 : 1;
    if (watched == parts_->buttons.at(kFlipButtonIds[2])) parts_->arrow_state[1] = inside ? 2 : 1;
    ApplyArrowPictures();
  }
  return SkinnedDialog::eventFilter(watched, event);
}

}  // namespace zarvel
