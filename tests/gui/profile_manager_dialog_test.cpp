// The profile manager window on the simulated keyboard: its fixed texts, the
// list with its check marks, Load, Add, Delete, Apply, OK, Cancel and F1.
#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <deque>
#include <fstream>

#include "app/about_dialog.h"
#include "app/profile_file_dialogs.h"
#include "app/progress_animation.h"
#include "app/profile_manager_dialog.h"
#include "core/profile_manager.h"
#include "skin/language.h"
#include "skin/program_paths.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_image_cache.h"
#include "support/core_rig.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;
using testing::MainWindowRig;

constexpr int kProfilesButton = 1005;  // the main window's profiles button

// File dialogs answered from a script; every question is recorded.
class ScriptedDialogs final : public ProfileFileDialogs {
 public:
  std::optional<std::string> OpenFile(QWidget*, const std::string& initial) override { return Next(initial); }
  std::optional<std::string> SaveFile(QWidget*, const std::string& initial) override { return Next(initial); }
  std::optional<std::string> Next(const std::string& initial) {
    asked.push_back(initial);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
};

struct DialogRig {
  DialogRig() {
    SkinImageCache::Instance().SetFolder("");
    EXPECT_TRUE(rig.Connect());
    dialog = std::make_unique<ProfileManagerDialog>(*rig.core, rig.settings, nullptr);
    auto scripted = std::make_unique<ScriptedDialogs>();
    files = scripted.get();
    dialog->SetFileDialogs(std::move(scripted));
    dialog->SetHelpOpener([this] { ++helps; });
    dialog->Open();
    list = dialog->findChild<QTableWidget*>("PROGRAM_LIST");
  }
  ImageButton* Button(const char* key) const { return dialog->findChild<ImageButton*>(key); }
  void Click(const char* key) const {
    ImageButton* button = Button(key);
    ASSERT_NE(button, nullptr) << key;
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  }
  // The row whose check mark is set, as the list shows it; -1 for none.
  int CheckedRow() const {
    int checked = -1;
    for (int row = 0; row < list->rowCount(); ++row) {
      if (list->item(row, 0)->checkState() == Qt::Checked) {
        EXPECT_EQ(checked, -1) << "two rows checked";
        checked = row;
      }
    }
    return checked;
  }
  // What a click into a row's check box does.
  void ToggleCheck(int row) const {
    QTableWidgetItem* mark = list->item(row, 0);
    mark->setCheckState(mark->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
  int ActiveOnKeyboard() const {
    return rig.keyboard.Area(KeyboardArea::kDeviceInfo).at(device_info_offset::kActiveProfile);
  }

  CoreRig rig;
  std::unique_ptr<ProfileManagerDialog> dialog;
  ScriptedDialogs* files = nullptr;
  QTableWidget* list = nullptr;
  int helps = 0;
};

TEST(ProfileManagerWindow, OpensWithTheStoreFileFourTimesAndItsFixedTexts) {
  DialogRig d;
  ASSERT_NE(d.list, nullptr);
  const std::pair<const char*, const char*> captions[] = {{"FUNC_LOAD", "Load"},     {"FUNC_ADD", "Add"},
                                                          {"FUNC_DELETE", "Delete"}, {"CONTROL_OK", "OK"},
                                                          {"CONTROL_CANCEL", "Cancel"}, {"CONTROL2_APPLY", "Apply"}};
  for (const auto& [key, caption] : captions) EXPECT_EQ(d.Button(key)->text(), QString::fromUtf8(caption)) << key;
  const char* columns[] = {"Active", "Name", "Folder"};
  for (int c = 0; c < 3; ++c) EXPECT_EQ(d.list->horizontalHeaderItem(c)->text(), QString::fromUtf8(columns[c]));
  EXPECT_EQ(d.dialog->windowTitle(), "Profiles");
  ASSERT_EQ(d.list->rowCount(), 4);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(d.list->item(row, 1)->text(), "$Profile0");
    EXPECT_EQ(d.list->item(row, 2)->text().toStdString(), UserDataFolder());
  }
  EXPECT_EQ(d.CheckedRow(), 0);
  EXPECT_FALSE(d.Button("CONTROL2_APPLY")->isEnabled());

  const QString folder = QString::fromUtf8(ZARVEL_BINARY_DIR) + "/screenshots";
  ASSERT_TRUE(QDir().mkpath(folder));
  EXPECT_TRUE(d.dialog->grab().save(folder + "/profile_manager.png"));

  QTest::keyClick(d.dialog.get(), Qt::Key_F1);
  EXPECT_EQ(d.helps, 1);
}

// A language file from before the manager's keys existed: the captions fall
// back to their fixed texts rather than "#Error".
TEST(ProfileManagerWindow, ALanguageFileWithoutTheManagersKeysShowsTheFixedTexts) {
  DialogRig d;
  const std::filesystem::path shipped = LanguageFilePath(GetLanguageIndex());
  const std::filesystem::path folder = d.rig.folders.root / "old-program";
  std::filesystem::create_directories(folder);
  {
    std::ifstream in(shipped);
    std::ofstream out(folder / shipped.filename());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("PROFILE_MANAGER_", 0) != 0) out << line << '\n';
    }
  }
  SetProgramFolder(folder.string() + "/");
  d.dialog->ApplyLanguage();
  SetProgramFolder(ZARVEL_PROGRAM_DIR);
  EXPECT_EQ(d.Button("FUNC_LOAD")->text(), QString::fromUtf8("载入"));
  EXPECT_EQ(d.Button("CONTROL2_APPLY")->text(), QString::fromUtf8("应用"));
  EXPECT_EQ(d.list->horizontalHeaderItem(2)->text(), QString::fromUtf8("路径"));
  EXPECT_EQ(d.dialog->windowTitle(), "Profiles");
  d.dialog->ApplyLanguage();
  EXPECT_EQ(d.Button("FUNC_LOAD")->text(), "Load");
}

// Help with no browser to show it says where the help file is.
TEST(ProfileManagerWindow, HelpWithoutABrowserSaysWhereTheHelpFileIs) {
  DialogRig d;
  QUrl asked;
  OpenHelpOrSayWhere(d.rig.prompter, [&](const QUrl& url) {
    asked = url;
    return false;
  });
  EXPECT_TRUE(asked.toLocalFile().endsWith("Help/index.html"));
  ASSERT_EQ(d.rig.prompter.Keys(), std::vector<std::string>{"HELP_NOT_OPENED"});
  EXPECT_NE(d.rig.prompter.Prompts()[0].text.find(asked.toLocalFile().toStdString()), std::string::npos);
  d.rig.prompter.Clear();
  OpenHelpOrSayWhere(d.rig.prompter, [](const QUrl&) { return true; });
  EXPECT_TRUE(d.rig.prompter.Keys().empty());
}

// From the main window, the manager's Apply re-reads the keyboard beside the
// window: the progress picture turns while it runs, and the window's input
// is held back until it ends.
TEST(ProfileManagerWindow, ApplyFromTheMainWindowRunsWhileTheWindowPaints) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.window->isVisible(); }));
  rig.Click(kProfilesButton);
  auto* dialog = rig.window->findChild<ProfileManagerDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(rig.WaitFor([&] { return dialog->isVisible(); }));
  auto* list = dialog->findChild<QTableWidget*>("PROGRAM_LIST");
  list->item(2, 0)->setCheckState(Qt::Checked);
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(1000));

  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> frames;
  QObject::connect(&rig.window->Progress(), &ProgressAnimation::frameShown, [&] { frames.push_back(Clock::now()); });
  auto* apply = dialog->findChild<ImageButton*>("CONTROL2_APPLY");
  ASSERT_TRUE(apply->isEnabled());
  apply->click();
  EXPECT_TRUE(rig.window->Writes().Running());
  EXPECT_TRUE(dialog->Applying());
  // A click on Cancel now is swallowed: the dialog stays while its Apply runs.
  QTest::mouseClick(dialog->findChild<ImageButton*>("CONTROL_CANCEL"), Qt::LeftButton);
  ASSERT_TRUE(rig.WaitIdle());
  const Clock::time_point end = Clock::now();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->Applying());
  EXPECT_EQ(rig.keyboard.Area(KeyboardArea::kDeviceInfo).at(device_info_offset::kActiveProfile), 2);
  EXPECT_FALSE(apply->isEnabled());

  ASSERT_GE(frames.size(), 3u) << "the progress picture did not turn";
  frames.push_back(end);
  double maxGapMs = 0;
  for (std::size_t i = 1; i < frames.size(); ++i)
    maxGapMs = std::max(maxGapMs, std::chrono::duration<double, std::milli>(frames[i] - frames[i - 1]).count());
  // Frames change every 50 ms; a loaded machine may stretch that, a frozen
  // window would show none at all.
  EXPECT_LT(maxGapMs, 1000.0);
  rig.keyboard.SetTransferLatency(std::chrono::microseconds(0));
}

TEST(ProfileManagerWindow, ApplyWithUnappliedKeyEditsAsksFirstThenSwitches) {
  DialogRig d;
  d.rig.core->AssignKey(0x3B, KeyTo(0x30));
  d.ToggleCheck(2);
  EXPECT_EQ(d.CheckedRow(), 2);
  ASSERT_TRUE(d.Button("CONTROL2_APPLY")->isEnabled());
  d.Click("CONTROL2_APPLY");
  EXPECT_EQ(d.rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
  EXPECT_EQ(d.ActiveOnKeyboard(), 2);
  EXPECT_FALSE(d.Button("CONTROL2_APPLY")->isEnabled());
  EXPECT_EQ(d.rig.settings.GetString(kProfileListSection, "PROFILE00", ""), "4");
  EXPECT_EQ(d.rig.view.active_profile, 2);
}

TEST(ProfileManagerWindow, LoadAddAndDeleteChangeOnlyTheList) {
  DialogRig d;
  const std::string made = d.rig.folders.Path("made.zvl");
  d.files->answers = {std::nullopt, made, std::string("/elsewhere/kept.zvl")};
  d.Click("FUNC_ADD");  // cancelled
  EXPECT_EQ(d.list->rowCount(), 4);
  d.Click("FUNC_ADD");
  EXPECT_EQ(d.files->asked[1], UserDataFolder() + "New profile.zvl");
  EXPECT_TRUE(std::filesystem::exists(made));
  d.Click("FUNC_LOAD");
  EXPECT_EQ(d.files->asked[2], UserDataFolder() + "*.zvl");
  ASSERT_EQ(d.list->rowCount(), 6);
  EXPECT_EQ(d.list->item(4, 1)->text(), "made");
  EXPECT_EQ(d.list->item(5, 2)->text(), "/elsewhere/");

  d.list->selectRow(0);
  d.Click("FUNC_DELETE");
  EXPECT_EQ(d.list->rowCount(), 5);
  EXPECT_EQ(d.CheckedRow(), -1);
  EXPECT_TRUE(d.Button("CONTROL2_APPLY")->isEnabled());
  // Nothing reached the keyboard or the settings.
  EXPECT_TRUE(d.rig.keyboard.Exchanges().empty());
  EXPECT_EQ(d.rig.settings.GetString(kProfileListSection, "PROFILE00", "none"), "none");

  d.Click("CONTROL_CANCEL");
  EXPECT_FALSE(d.dialog->isVisible());
  EXPECT_EQ(d.rig.settings.GetString(kProfileListSection, "PROFILE00", "none"), "none");
  EXPECT_FALSE(d.dialog->Model().IsOpen());
}

TEST(ProfileManagerWindow, OkAppliesAndClosesAndASwitchWhileOpenChecksTheNewRow) {
  DialogRig d;
  d.ToggleCheck(1);
  // The keyboard moves to profile 3 while the manager is open.
  EXPECT_TRUE(d.rig.core->SwitchProfile(3));
  d.dialog->OnProfileSwitched(3);
  EXPECT_EQ(d.CheckedRow(), 3);
  EXPECT_FALSE(d.Button("CONTROL2_APPLY")->isEnabled());

  d.ToggleCheck(1);
  d.Click("CONTROL_OK");
  EXPECT_EQ(d.ActiveOnKeyboard(), 1);
  EXPECT_FALSE(d.dialog->isVisible());
  EXPECT_EQ(d.rig.settings.GetString(kProfileListSection, "PROFILE04", ""), d.rig.core->StoreFile() + ".zvl");
}

}  // namespace
}  // namespace zarvel
