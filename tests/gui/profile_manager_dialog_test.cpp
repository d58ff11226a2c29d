// The profile manager window on the simulated keyboard: its fixed texts, the
// list with its check marks, Load, Add, Delete, Apply, OK, Cancel and F1.
#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <deque>

#include "app/profile_file_dialogs.h"
#include "app/profile_manager_dialog.h"
#include "core/profile_manager.h"
#include "skin/widgets/image_button.h"
#include "skin/widgets/skin_image_cache.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;

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
  const std::pair<const char*, const char*> captions[] = {{"FUNC_LOAD", "载入"},      {"FUNC_ADD", "添加"},
                                                          {"FUNC_DELETE", "删除"},    {"CONTROL_OK", "确定"},
                                                          {"CONTROL_CANCEL", "取消"}, {"CONTROL2_APPLY", "应用"}};
  for (const auto& [key, caption] : captions) EXPECT_EQ(d.Button(key)->text(), QString::fromUtf8(caption)) << key;
  const char* columns[] = {"激活", "名称", "路径"};
  for (int c = 0; c < 3; ++c) EXPECT_EQ(d.list->horizontalHeaderItem(c)->text(), QString::fromUtf8(columns[c]));
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
