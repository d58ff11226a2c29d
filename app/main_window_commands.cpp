// What the main window's buttons and menu do. Each handler is one call into
// the application core; the ones that write the keyboard run on the
// keyboard-write worker so the window keeps painting.
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/key_function_dialog.h"
#include "app/key_selection_gestures.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "app/profile_file_dialogs.h"
#include "app/profile_manager_dialog.h"
#include "core/app_core.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "model/key_function.h"
#include "skin/language.h"
#include "skin/message_format.h"
#include "skin/program_paths.h"
#include "skin/skin_files.h"

namespace zarvel {

namespace {

namespace id = main_window_id;

// The maker's pages behind the web buttons. Only the home page is
// configured; a button without a page does nothing.
constexpr const char* kHomePage = "https://www.varnok.com/";

std::string DefaultFileChooser(QWidget* parent, MainWindow::FileDialogKind kind) {
  QFileDialog dialog(parent);
  PrepareBackUpDialog(dialog, kind == MainWindow::FileDialogKind::kBackUp ? BackUpDialogKind::kBackUp
                                                                          : BackUpDialogKind::kRestore);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

void MainWindow::ConnectCommands() {
  for (auto& [control_id, button] : parts_->buttons) {
    const int clicked_id = control_id;
    connect(button, &QAbstractButton::clicked, this, [this, clicked_id] { OnButton(clicked_id); });
  }
}

void MainWindow::RestoreCheckedState(int control_id) {
  // A click toggles a checkable button by itself; what it shows is the
  // core's to say (an assigned key, the keyboard's profile).
  auto it = parts_->checked.find(control_id);
  if (it == parts_->checked.end()) return;
  ImageButton* button = parts_->buttons.at(control_id);
  // While the lighting switch is on, key buttons show colours, not
  // assignments (their marks were cleared): the click changes neither.
  const std::vector<int> keys = KeyButtonIds();
  if (core_ != nullptr && core_->Lighting().State().lightingSwitch &&
      std::find(keys.begin(), keys.end(), control_id) != keys.end()) {
    return;
  }
  button->setChecked(it->second);
}

void MainWindow::OnButton(int control_id) {
  RestoreCheckedState(control_id);
  if (core_ == nullptr) return;
  AppCore* core = core_;
  for (int n = 1; n <= 4; ++n) {
    if (control_id == kProfileButtonIds[n - 1]) {
      parts_->writes.Run([core, n] { core->ProfileButton(n); });
      return;
    }
  }
  switch (control_id) {
    case id::kApply:
      RequestApply();
      return;
    case id::kOk: {
      // Hidden only when the keyboard took the changes: with the keyboard
      // silent the user must still see that Apply is pending.
      auto applied = std::make_shared<bool>(false);
      parts_->writes.Run([core, applied] { *applied = core->Apply(); },
                         [this, applied] {
                           if (*applied) hide();
                         });
      return;
    }
    case id::kCancel:
      hide();
      return;
    case id::kDefault:
      parts_->writes.Run([core] { core->RestoreDefaults(); });
      return;
    case id::kProfiles:
      OpenProfileManager();
      return;
    case id::kMacro:
      OpenKeyDialog(kMacroDialogButtonId, static_cast<int>(kFirstSpecialRecord) + 8, KeyDialogMode::kMacroSet);
      return;
    case id::kHelp:
      OpenHelp();
      return;
    case id::kMinimise:
      showMinimized();
      return;
    case id::kClose:
      ExitByUser();
      return;
    case id::kMenu:
      ShowMenu();
      return;
    case id::kLink:
      OpenUrl(QUrl(QString::fromStdString(ReadSkinScreen(Skin(), SkinFolder()).link)));
      return;
    case id::kWebHome:
      OpenUrl(QUrl(kHomePage));
      return;
    case id::kWebFirstSocial:
    case id::kWebSecondSocial:
      return;
    default:
      break;
  }
  if (control_id == kFlipButtonIds[1] || control_id == kFlipButtonIds[2]) {
    core->ToggleFlip();
    return;
  }
  if (control_id == kFlipButtonIds[0]) return;
  // A key, G, Fn or spare button: the core paints it (or the selection it
  // belongs to) or names the record the key-function dialog opens for.
  parts_->gestures->SyncKeys();
  const int record = core->KeyClick(control_id);
  if (record >= 0)
    OpenKeyDialog(control_id, record,
                  control_id == kMacroDialogButtonId ? KeyDialogMode::kG9Macros : KeyDialogMode::kKey);
}

void MainWindow::OpenKeyDialog(int button_id, int record_index, KeyDialogMode mode) {
  if (!parts_->key_dialog) {
    parts_->key_dialog = new KeyFunctionDialog(*core_, this);
    // The clicked key shows pressed while its dialog is open.
    parts_->key_dialog->SetKeyButtons(this);
    connect(parts_->key_dialog, &QDialog::finished, this, [this] {
      FollowDeferredProfileChange();
      CheckOtherProcessChanges();
    });
  }
  QRect anchor;
  if (ImageButton* button = KeyButton(button_id))
    anchor = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
  parts_->key_dialog->OpenFor(button_id, record_index, mode, anchor);
}

void MainWindow::FollowDeferredProfileChange() {
  // A profile chosen on the keyboard while the key dialog was open: the
  // announcement runs again now, as if it had just come, and asks about
  // unapplied changes as a profile button does.
  if (core_ != nullptr && core_->TakeDeferredProfileNotification())
    parts_->link->StartTimer(kProfileNotificationTimer, 0);
}

void MainWindow::OpenProfileManager() {
  if (!parts_->profile_dialog) {
    parts_->profile_dialog = new ProfileManagerDialog(*core_, settings_, this);
    // Its Apply re-reads the keyboard beside the window, like Apply.
    parts_->profile_dialog->SetWorkRunner([this](std::function<void()> work, std::function<void()> done) {
      parts_->writes.Run(std::move(work), std::move(done));
    });
  }
  parts_->profile_dialog->Open();
}

void MainWindow::ShowMenu() {
  QMenu menu(this);
  menu.setAccessibleName(QString::fromStdString(LookupText("MAIN_MENU_PROMPT")));
  QAction* restore = menu.addAction(QString::fromStdString(LookupText("MENU_1")));
  QAction* back_up = menu.addAction(QString::fromStdString(LookupText("MENU_2")));
  menu.addSeparator();
  parts_->gestures->AddMenuEntries(menu);
  menu.addSeparator();
  // The About box is reached from here too: the frameless window has no
  // system menu, and many desktops have no notification area.
  QAction* about = menu.addAction(QString::fromStdString(LookupText("MAIN_MENU_ABOUT")));
  restore->setData(id::kMenuRestore);
  back_up->setData(id::kMenuBackUp);
  about->setData(id::kMenuAbout);
  QAction* chosen = menu.exec(QCursor::pos());
  if (chosen == restore) RestoreFromFile();
  if (chosen == back_up) BackUpToFile();
  if (chosen == about) Q_EMIT aboutRequested();
}

void MainWindow::RequestApply() {
  if (core_ == nullptr) return;
  AppCore* core = core_;
  RunKeyboardWork([core] { core->Apply(); });
}

void MainWindow::RestoreFromFile() {
  if (core_ == nullptr) return;
  const std::string path = parts_->choose_file ? parts_->choose_file(FileDialogKind::kRestore)
                                               : DefaultFileChooser(this, FileDialogKind::kRestore);
  if (path.empty()) return;
  AppCore* core = core_;
  parts_->writes.Run([core, path] { core->ImportProfileFile(path); });
}

void MainWindow::BackUpToFile() {
  if (core_ == nullptr) return;
  const std::string path = parts_->choose_file ? parts_->choose_file(FileDialogKind::kBackUp)
                                               : DefaultFileChooser(this, FileDialogKind::kBackUp);
  if (path.empty()) return;
  // A backup the user believes made but that is not on disk is worse than
  // none: say so. One that was made is told on the notice line.
  if (!core_->ExportProfileFile(path))
    parts_->prompter.ShowMessage("MAIN_PROMPT_EXPORT", FormatMessage(LookupText("MAIN_PROMPT_EXPORT"), {path}));
}

void MainWindow::OpenHelp() {
  if (parts_->open_url) {
    OpenUrl(QUrl::fromLocalFile(QString::fromStdString(ProgramFolder() + "Help/index.html")));
    return;
  }
  // Without a browser the user still learns where the help file is.
  OpenHelpOrSayWhere(parts_->prompter);
}

void MainWindow::OpenUrl(const QUrl& url) {
  // A page that cannot be opened is not reported.
  if (url.isEmpty() || !url.isValid()) return;
  if (parts_->open_url)
    parts_->open_url(url);
  else
    QDesktopServices::openUrl(url);
}

}  // namespace zarvel
