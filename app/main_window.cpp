// Placeholder until the main window lands: a skinned window with no controls.
#include "app/main_window.h"

#include "core/lighting_view.h"
#include "skin/skin_files.h"

namespace zarvel {

namespace {
class PlaceholderLink final : public MainWindowLink {
 public:
  void SendProfileMessage() override {}
  void SendCloseDialogsMessage() override {}
  void PostOpenMessage() override {}
  void HideWindow() override {}
  void StartTimer(int, int) override {}
  void ShowTrayIcon(int) override {}
  void ShowMessageBox(std::string_view) override {}
};
class PlaceholderPrompter final : public Prompter {
 public:
  void ShowMessage(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};
}  // namespace

struct MainWindow::Parts {
  PlaceholderLink link;
  PlaceholderPrompter prompter;
  NullLightingView lighting;
};

MainWindow::MainWindow(Settings& settings, QWidget* parent)
    : SkinnedDialog(kMainSkinFile, parent), settings_(settings), parts_(std::make_unique<Parts>()) {}
MainWindow::~MainWindow() = default;
void MainWindow::AttachCore(AppCore& core) { core_ = &core; }
MainWindowLink& MainWindow::Link() { return parts_->link; }
Prompter& MainWindow::Prompts() { return parts_->prompter; }
void MainWindow::HandleOpen() { ShowRequest(); }
void MainWindow::ShowRequest() { show(); }
void MainWindow::HandleInit() { hide(); }
void MainWindow::ApplyLanguage() {}
void MainWindow::CloseChildDialogs() {}
void MainWindow::ReleaseBlockingSends() {}
void MainWindow::ShowKeyDescription(int, const std::string&, bool) {}
void MainWindow::CheckProfileButton(int) {}
void MainWindow::EnableApply(bool) {}
void MainWindow::ShowBusy(bool) {}
void MainWindow::ShowTrayPicture(int) {}
void MainWindow::ShowFlip(int) {}
void MainWindow::ShowActiveProfile(int, const ProfileMenuLabel&) {}
LightingView& MainWindow::Lighting() { return parts_->lighting; }
ImageButton* MainWindow::KeyButton(int) { return nullptr; }
std::vector<int> MainWindow::KeyButtonIds() const { return {}; }

}  // namespace zarvel
