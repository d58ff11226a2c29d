#include "core/profile_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/profile_file.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;
namespace fs = std::filesystem;

constexpr std::size_t kF1Record = 0x3B;
constexpr KeyCode kKeyB = 0x30;

int ActiveOnKeyboard(const CoreRig& rig) {
  return rig.keyboard.Area(KeyboardArea::kDeviceInfo).at(device_info_offset::kActiveProfile);
}

std::string ListValue(CoreRig& rig, int number) {
  return rig.settings.GetString(kProfileListSection, ProfileListValueName(number), "<none>");
}

TEST(ProfileSwitchNotice, TheProfilesButtonAndAnOpenManagerFollowEverySwitch) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  ProfileManager manager(*rig.core, rig.settings);
  manager.Open();
  EXPECT_EQ(manager.CheckedRow(), 0);
  manager.SetRowChecked(3, true);
  ASSERT_TRUE(manager.ApplyEnabled());

  // The manager's unapplied list counts as unapplied changes.
  EXPECT_TRUE(rig.core->SwitchProfile(2));
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
  EXPECT_EQ(manager.CheckedRow(), 2);
  EXPECT_FALSE(manager.ApplyEnabled());
  EXPECT_EQ(rig.view.active_profile, 2);
  EXPECT_EQ(rig.view.profile_label.text, "$Profile0");
  EXPECT_EQ(rig.view.profile_label.tooltip, "Profile: $Profile0");

  // A switch the keyboard did not take shows the profile as unknown.
  rig.Disconnect();
  EXPECT_FALSE(rig.core->SwitchProfile(1));
  EXPECT_EQ(rig.view.active_profile, -1);
  EXPECT_EQ(rig.view.profile_label.text, "Default profile");
  EXPECT_EQ(rig.view.profile_label.tooltip, "Profile: Default profile");
  EXPECT_EQ(manager.CheckedRow(), -1);

  // Once closed, the manager is out of the core's way.
  manager.Close();
  rig.prompter.Clear();
  ASSERT_TRUE(rig.Reconnect());
  EXPECT_TRUE(rig.core->SwitchProfile(3));
  EXPECT_TRUE(rig.prompter.Keys().empty());
}

TEST(ProfileManagerList, OpeningShowsTheStoreFileFourTimesWhateverWasAddedBefore) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(1);
  ASSERT_TRUE(rig.Connect());
  ProfileManager manager(*rig.core, rig.settings);
  manager.Open();
  manager.AddExistingFile("/somewhere/else/mine.zvl");
  ASSERT_TRUE(manager.DeleteRow(0));
  manager.Close();

  manager.Open();
  const ProfileRow store = RowForFile(rig.core->StoreFile());
  EXPECT_EQ(store.name, "$Profile0");
  EXPECT_EQ(store.folder, UserDataFolder());
  EXPECT_EQ(manager.Rows(), std::vector<ProfileRow>(4, store));
  EXPECT_EQ(manager.CheckedRow(), 1);
  EXPECT_FALSE(manager.ApplyEnabled());
}

TEST(ProfileManagerList, TheCheckFollowsItsRowWhenRowsAboveAreDeleted) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  ProfileManager manager(*rig.core, rig.settings);
  manager.Open();
  manager.SetRowChecked(2, true);
  ASSERT_TRUE(manager.DeleteRow(0));
  EXPECT_EQ(manager.CheckedRow(), 1);
  ASSERT_TRUE(manager.DeleteRow(1));
  EXPECT_EQ(manager.CheckedRow(), -1);
  EXPECT_FALSE(manager.DeleteRow(5));
  manager.SetRowChecked(0, true);
  manager.SetRowChecked(1, true);
  EXPECT_EQ(manager.CheckedRow(), 1);
  manager.SetRowChecked(0, false);  // clearing another row's mark leaves this one
  EXPECT_EQ(manager.CheckedRow(), 1);
}

TEST(ProfileManagerApply, WritesTheListAndMakesTheCheckedRowsProfileActive) {
  struct Case {
    const char* name;
    int check;   // row to check, -1 none
    int active;  // the keyboard's active profile afterwards
  };
  for (const Case& test : {Case{"third row", 2, 2}, Case{"fifth row", 4, 0}, Case{"no row", -1, 1}}) {
    SCOPED_TRACE(test.name);
    CoreRig rig;
    rig.keyboard.ChangeProfileOnKeyboard(1);
    ASSERT_TRUE(rig.Connect());
    ProfileManager manager(*rig.core, rig.settings);
    manager.Open();
    manager.AddExistingFile("/data/keyboards/work.zvl");
    manager.SetRowChecked(1, false);
    if (test.check >= 0) manager.SetRowChecked(test.check, true);

    ASSERT_TRUE(manager.Apply());
    EXPECT_EQ(ActiveOnKeyboard(rig), test.active);
    EXPECT_EQ(ListValue(rig, 0), "5");
    EXPECT_EQ(ListValue(rig, 1), rig.core->StoreFile() + ".zvl");
    EXPECT_EQ(ListValue(rig, 5), "/data/keyboards/work.zvl");
    EXPECT_FALSE(manager.ApplyEnabled());
    EXPECT_EQ(manager.CheckedRow(), test.check);
    EXPECT_EQ(rig.view.active_profile, test.active);
    // The window shows the profile the keyboard now runs.
    EXPECT_EQ(rig.core->CurrentProfile(), test.active);
    EXPECT_EQ(rig.view.checked_profile, test.active);
    // The keyboard was read again.
    EXPECT_EQ(rig.StoreFileBytes(), rig.KeyboardAsFile());
  }
}

TEST(ProfileManagerApply, UnappliedKeyEditsAreAskedAboutBeforeTheReread) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  ProfileManager manager(*rig.core, rig.settings);
  manager.Open();

  // No: the re-read discards them, after the user was asked.
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  manager.SetRowChecked(0, true);
  ASSERT_TRUE(manager.Apply());
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
  EXPECT_NE(rig.core->Store().Record(0, kF1Record), KeyTo(kKeyB));
  EXPECT_FALSE(rig.core->UnappliedChanges());

  // Yes: written to the keyboard first, so the re-read keeps them.
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  rig.prompter.ScriptAnswers({true});
  ASSERT_TRUE(manager.Apply());
  EXPECT_EQ(rig.core->Store().Record(0, kF1Record), KeyTo(kKeyB));
  EXPECT_FALSE(rig.view.apply_enabled);

  // Yes, but the keyboard is gone: nothing is re-read or recorded, the edits
  // stay pending.
  rig.core->AssignKey(kF1Record, KeyTo(0x31));
  manager.AddExistingFile("/x/y.zvl");
  rig.Disconnect();
  rig.prompter.ScriptAnswers({true});
  EXPECT_FALSE(manager.Apply());
  EXPECT_EQ(rig.core->Store().Record(0, kF1Record), KeyTo(0x31));
  EXPECT_TRUE(rig.core->UnappliedChanges());
  EXPECT_TRUE(manager.ApplyEnabled());
  EXPECT_EQ(ListValue(rig, 0), "4");
}

TEST(ProfileManagerAdd, ANewFileIsMadeInsideTheUserFolderAndListedOnlyWhenWritten) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  ProfileManager manager(*rig.core, rig.settings);
  manager.Open();

  const std::string suggestion = manager.NewFileSuggestion();
  EXPECT_EQ(suggestion, UserDataFolder() + "New profile.zvl");
  EXPECT_EQ(fs::path(suggestion).parent_path().string() + "/", UserDataFolder());
  EXPECT_EQ(manager.LoadFileSuggestion(), UserDataFolder() + "*.zvl");

  // A bare name gets the extension, as the dialog's default extension does.
  const std::string bare = rig.folders.Path("fresh");
  ASSERT_TRUE(manager.AddNewFile(bare));
  EXPECT_EQ(ValidateProfileFile(bare + ".zvl", rig.prompter), 1);
  EXPECT_EQ(manager.Rows().back(), (ProfileRow{"fresh", rig.folders.root.string() + "/"}));
  EXPECT_TRUE(manager.ApplyEnabled());

  const std::size_t rows = manager.Rows().size();
  EXPECT_FALSE(manager.AddNewFile(rig.folders.Path("no/such/folder/x.zvl")));
  EXPECT_EQ(manager.Rows().size(), rows);
  ASSERT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_NEW_ERROR"});
  EXPECT_NE(rig.prompter.Prompts()[0].text.find("no/such/folder/x.zvl"), std::string::npos);
}

}  // namespace
}  // namespace zarvel
