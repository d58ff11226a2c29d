#include "core/app_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "core/store_lock_file.h"
#include "model/file_lock.h"
#include "model/macro_area.h"
#include "model/profile_file.h"
#include "model/user_lighting_file.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
namespace fs = std::filesystem;
using testing::KeyTo;
using testing::MakeMacro;

constexpr KeyCode kF1 = 0x3B;
constexpr KeyCode kKeyB = 0x30;
constexpr int kF1Button = 1010;
constexpr std::size_t kF1Record = 0x3B;
constexpr std::uint8_t kBegin = 0x01, kEnd = 0x02, kWriteInfo = 0x04, kWriteMatrix = 0x08, kWriteMacros = 0x0A;

std::uint16_t RequestOffset(const SimulatedExchange& e) {
  return static_cast<std::uint16_t>(e.request.at(5) | (e.request.at(6) << 8));
}

// The profiles whose key-matrix slot the recorded matrix writes touched.
std::vector<int> MatrixProfilesWritten(const CoreRig& rig) {
  std::vector<int> profiles;
  const int stride = rig.link.KeyMatrixStride();
  for (const SimulatedExchange& e : rig.keyboard.Exchanges()) {
    if (e.request.at(3) != kWriteMatrix) continue;
    const int p = RequestOffset(e) / stride;
    if (profiles.empty() || profiles.back() != p) profiles.push_back(p);
  }
  return profiles;
}

long CountCommand(const CoreRig& rig, std::uint8_t code) {
  const std::vector<std::uint8_t> codes = rig.Commands();
  return std::count(codes.begin(), codes.end(), code);
}

int ActiveOnKeyboard(const CoreRig& rig) {
  return rig.keyboard.Area(KeyboardArea::kDeviceInfo).at(device_info_offset::kActiveProfile);
}

TEST(AppCoreStartTest, FirstStartSeedsTheFolderAndShowsAFreshStore) {
  CoreRig rig;
  const std::string folder = UserDataFolder();
  for (int p = 0; p < 4; ++p)
    EXPECT_TRUE(fs::exists(folder + "UserDengColor_" + std::to_string(p) + ".userd")) << p;
  EXPECT_EQ(rig.core->Store().image, NewImage());
  EXPECT_TRUE(rig.core->Store().macros.empty());
  EXPECT_FALSE(rig.view.apply_enabled);
  EXPECT_EQ(rig.view.descriptions.size(), kKeyButtonCount + kSpecialButtonCount);
  for (const auto& [id, d] : rig.view.descriptions) EXPECT_FALSE(d.assigned) << id;
  // No store file until a keyboard has been read: Apply cannot save.
  EXPECT_FALSE(fs::exists(rig.core->StoreFile()));
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  EXPECT_FALSE(rig.core->Apply());
  EXPECT_TRUE(rig.view.apply_enabled);
}

TEST(AppCoreStartTest, FlipIsReadStoredAndOnlyZeroOrOne) {
  CoreRig rig;
  rig.settings.SetInt("PROFILES", "Flip", 7);
  rig.core->Start();
  EXPECT_EQ(rig.core->Flip(), 0);
  rig.core->ToggleFlip();
  EXPECT_EQ(rig.view.flip, 1);
  EXPECT_EQ(rig.settings.GetInt("PROFILES", "Flip", -1), 1);
  rig.core->ToggleFlip();
  EXPECT_EQ(rig.settings.GetInt("PROFILES", "Flip", -1), 0);
}

TEST(AppCoreSyncTest, ConnectionReadsTheKeyboardIntoTheStoreFile) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(2);
  // A text-block key made before any keyboard was seen does not survive the
  // read: the keyboard never holds texts.
  rig.core->AssignKey(kF1Record, KeyFunction{kFunctionText, 0, 0, 0, 0}, u"hello");
  ASSERT_TRUE(rig.Connect());
  EXPECT_EQ(rig.view.checked_profile, 2);
  EXPECT_EQ(rig.core->CurrentProfile(), 2);
  EXPECT_FALSE(rig.view.apply_enabled);
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionDefault);
  EXPECT_EQ(rig.core->Store().strings.total(), 0u);
  EXPECT_EQ(rig.StoreFileBytes(), rig.KeyboardAsFile());
}

TEST(AppCoreApplyTest, WritesTheActiveProfileOnlyUntilAUsedMacroWasDeleted) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(1);
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  EXPECT_TRUE(rig.view.apply_enabled);
  EXPECT_TRUE(rig.view.descriptions[kF1Button].assigned);

  rig.view.ClearEvents();
  EXPECT_TRUE(rig.core->Apply());
  const std::vector<std::uint8_t> codes = rig.Commands();
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes.front(), kBegin);
  EXPECT_EQ(codes[1], kWriteMacros);
  EXPECT_EQ(codes.back(), kEnd);
  EXPECT_EQ(MatrixProfilesWritten(rig), std::vector<int>{1});
  EXPECT_FALSE(rig.view.apply_enabled);
  EXPECT_EQ(rig.view.events.front(), "busy 1");
  EXPECT_EQ(rig.view.events.back(), "busy 0");
  // The store file and the keyboard now agree, F1 included.
  EXPECT_EQ(rig.KeyboardAsFile(), rig.StoreFileBytes());

  rig.keyboard.ClearExchanges();
  rig.core->MarkWriteAllProfiles();
  rig.core->AssignKey(kF1Record, KeyTo(kF1));
  EXPECT_TRUE(rig.core->Apply());
  EXPECT_EQ(MatrixProfilesWritten(rig), (std::vector<int>{0, 1, 2, 3}));
  // The mark is spent by that write.
  rig.keyboard.ClearExchanges();
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  rig.core->Apply();
  EXPECT_EQ(MatrixProfilesWritten(rig), std::vector<int>{1});
}

// Apply writes the store file on a helper thread while the keyboard is
// written; both must be done, and agree, when Apply returns.
TEST(AppCoreApplyConcurrentTest, StoreFileIsSavedBesideTheKeyboardWrite) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  for (KeyCode code : {kKeyB, kF1, kKeyB}) {
    rig.core->AssignKey(kF1Record, KeyTo(code));
    ASSERT_TRUE(rig.core->Apply());
    ProfileStore saved;
    ASSERT_TRUE(LoadStoreFile(saved, rig.core->StoreFile()));
    EXPECT_EQ(saved.Record(0, kF1Record), KeyTo(code));
  }
  EXPECT_EQ(rig.StoreFileBytes(), rig.KeyboardAsFile());
}

TEST(AppCoreApplyTest, NothingToApplySendsNothing) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(rig.core->Apply());
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_EQ(rig.view.busy_shows, 1);
}

TEST(AppCoreApplyTest, UnpluggedKeyboardKeepsTheChangesPending) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.Disconnect();
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  EXPECT_FALSE(rig.core->Apply());
  EXPECT_TRUE(rig.view.apply_enabled);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
}

TEST(AppCoreApplyTest, MacroCapacityIsCheckedBeforeAnythingIsSent) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros = {MakeMacro(1, "Copy"), MakeMacro(2, "Paste")};
  }
  rig.core->AssignKey(kF1Record, KeyFunction{kFunctionMacro, 0, 2, 0, 0});
  const MacroAreaSize sizes = MacroAreaSizes(rig.core->Store().macros);
  ASSERT_LT(sizes.withoutNames, sizes.withNames);

  rig.context.SetMacroCapacity(sizes.withoutNames - 1);
  EXPECT_FALSE(rig.core->Apply());
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"EXTRA_MACRO_TOO_LONG"});
  EXPECT_TRUE(rig.Commands().empty());
  EXPECT_TRUE(rig.view.apply_enabled);

  // Room for the macros but not their names: they go without names, and the
  // user hears of it after the write.
  rig.prompter.Clear();
  rig.context.SetMacroCapacity(sizes.withoutNames);
  EXPECT_TRUE(rig.core->Apply());
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"EXTRA_PROFILE_SPACE_TIGHT"});
  std::vector<std::uint8_t> nameless(sizes.withoutNames);
  ASSERT_TRUE(EncodeMacroArea(rig.core->Store().macros, nameless.size(), false, nameless));
  const std::vector<std::uint8_t> memory = rig.keyboard.Area(KeyboardArea::kMacroMemory);
  EXPECT_TRUE(std::equal(nameless.begin(), nameless.end(), memory.begin()));
  EXPECT_FALSE(rig.view.apply_enabled);
}

TEST(AppCoreDefaultsTest, NoChangesNothingYesResetsTheShownKeysOfTheActiveProfile) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(3);
  ASSERT_TRUE(rig.Connect());
  constexpr std::size_t kUnshownRecord = 0x56;  // a key of the table without a button here
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().Record(3, kUnshownRecord) = KeyTo(kKeyB);
    rig.core->Store().Record(0, kF1Record) = KeyTo(kKeyB);
  }
  rig.core->AssignKey(kF1Record, KeyFunction{kFunctionText, 0, 0, 0, 0}, u"typed");
  rig.core->AssignKey(kFirstSpecialRecord, KeyTo(kKeyB));  // G1
  ASSERT_TRUE(rig.core->Apply());
  rig.keyboard.ClearExchanges();

  EXPECT_FALSE(rig.core->RestoreDefaults());
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MAIN_PROMPT_DEFAULT"});
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionText);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());

  rig.prompter.ScriptAnswers({true});
  EXPECT_TRUE(rig.core->RestoreDefaults());
  const ProfileStore& store = rig.core->Store();
  EXPECT_EQ(store.Record(3, kF1Record), KeyFunction{});
  EXPECT_EQ(store.Record(3, kFirstSpecialRecord), KeyFunction{});
  EXPECT_EQ(store.Record(3, kUnshownRecord), KeyTo(kKeyB));
  EXPECT_EQ(store.Record(0, kF1Record), KeyTo(kKeyB));
  // The text stays in the table until the store is reloaded.
  EXPECT_GT(store.strings.Entry(GlobalRecordNumber(3, kF1Record)).size, 0u);
  EXPECT_FALSE(rig.view.descriptions[kF1Button].assigned);
  EXPECT_EQ(MatrixProfilesWritten(rig), std::vector<int>{3});
  EXPECT_FALSE(rig.view.apply_enabled);
}

TEST(AppCoreSwitchTest, ProfileAboveThreeSelectsTheFirst) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(2);
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(rig.core->SwitchProfile(5));
  EXPECT_EQ(ActiveOnKeyboard(rig), 0);
  EXPECT_EQ(rig.context.ActiveProfileCache(), 0);
}

TEST(AppCoreSwitchTest, UnappliedChangesAskFirst) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const ProfileImage before = rig.core->Store().image;

  // No: the edits go, the store is the store file's content again.
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  EXPECT_TRUE(rig.core->SwitchProfile(1));
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"});
  EXPECT_EQ(rig.core->Store().image, before);
  EXPECT_FALSE(rig.view.apply_enabled);
  EXPECT_EQ(ActiveOnKeyboard(rig), 1);
  EXPECT_EQ(CountCommand(rig, kWriteMatrix), 0);

  // Yes: applied into the profile that was active, then switched.
  rig.keyboard.ClearExchanges();
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  rig.prompter.ScriptAnswers({true});
  EXPECT_TRUE(rig.core->SwitchProfile(2));
  EXPECT_EQ(MatrixProfilesWritten(rig), std::vector<int>{1});
  EXPECT_EQ(rig.Commands().back(), kWriteInfo);
  EXPECT_EQ(ActiveOnKeyboard(rig), 2);
  EXPECT_EQ(rig.core->Store().Record(1, kF1Record), KeyTo(kKeyB));
}

// Turning the lighting switch on while the window shows the keyboard's
// profile switches nothing: no question about the unapplied edits, no
// reload, and the edits stay pending for Apply.
TEST(AppCoreSwitchTest, LightingSwitchOnForTheShownProfileKeepsUnappliedEdits) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  ASSERT_TRUE(rig.core->UnappliedChanges());
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.core->Lighting().ToggleLightingSwitch(), 1);
  EXPECT_TRUE(rig.core->Lighting().State().lightingSwitch);
  EXPECT_TRUE(rig.prompter.Keys().empty());
  EXPECT_TRUE(rig.core->UnappliedChanges());
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(kKeyB));
  EXPECT_EQ(CountCommand(rig, kWriteInfo), 0);
  EXPECT_EQ(CountCommand(rig, kWriteMatrix), 0);
}

TEST(AppCoreSwitchTest, RefusedWhileTheKeyDialogIsOpenOrTheKeyboardIsGone) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->SetKeyFunctionDialogOpen(true);
  EXPECT_FALSE(rig.core->SwitchProfile(1));
  EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SEELCT_PROMPT2"});
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  rig.core->SetKeyFunctionDialogOpen(false);

  // A profile the keyboard did not take is not reported as switched, so the
  // profile buttons keep showing the truth.
  rig.Disconnect();
  rig.core->ProfileButton(2);
  EXPECT_NE(rig.view.checked_profile, 1);
}

TEST(AppCoreProfileButtonTest, SameProfileRereadsLightingButDoesNotSwitch) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->ProfileButton(1);
  EXPECT_EQ(CountCommand(rig, kWriteInfo), 0);
  rig.keyboard.ClearExchanges();
  rig.core->ProfileButton(4);
  EXPECT_EQ(rig.core->CurrentProfile(), 3);
  EXPECT_EQ(rig.view.checked_profile, 3);
  EXPECT_EQ(ActiveOnKeyboard(rig), 3);
}

TEST(AppCoreNotificationTest, ProfileChangedOnTheKeyboardIsFollowed) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.keyboard.ChangeProfileOnKeyboard(2);
  rig.core->OnProfileNotification();
  EXPECT_EQ(rig.core->CurrentProfile(), 2);
  EXPECT_EQ(rig.view.checked_profile, 2);
  EXPECT_EQ(rig.context.ActiveProfileCache(), 2);

  // A profile number the window has no button for is ignored.
  const std::uint8_t five = 5;
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, {&five, 1});
  rig.view.ClearEvents();
  rig.core->OnProfileNotification();
  EXPECT_EQ(rig.core->CurrentProfile(), 2);
  EXPECT_EQ(rig.view.Count("profile 0"), 0);
}

TEST(AppCoreNotificationTest, KeyboardResetSelectsTheFirstProfile) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(3);
  ASSERT_TRUE(rig.Connect());
  rig.core->Lighting().Files().WriteSlotName(0, 4, "mine");
  rig.core->OnReloadNotification();
  EXPECT_EQ(rig.core->CurrentProfile(), 0);
  EXPECT_EQ(rig.view.checked_profile, 0);
  EXPECT_EQ(ActiveOnKeyboard(rig), 0);
  // The keyboard offers the user effect, so the slots are back to the template.
  EXPECT_NE(rig.core->Lighting().Files().ReadSlotName(0, 4), "mine");
}

TEST(AppCoreNotificationTest, ResetOntoAnotherProfileIsFollowedByTheCache) {
  CoreRig rig;
  // A keyboard without the user effect: the reset path then does not switch
  // profiles on its own, and only the cache tells the first profile apart.
  std::array<std::uint8_t, kEffectListLength> effects{};
  effects[0] = 1;
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kEffectList, effects);
  ASSERT_TRUE(rig.Connect());
  ASSERT_EQ(rig.context.ActiveProfileCache(), 0);
  const std::uint8_t two = 2;  // the reset left the keyboard on profile 3, unannounced
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, {&two, 1});
  rig.core->OnReloadNotification();
  EXPECT_EQ(rig.core->CurrentProfile(), 0);
  EXPECT_EQ(ActiveOnKeyboard(rig), 0);
  EXPECT_EQ(rig.context.ActiveProfileCache(), 0);
}

// Another process holds the store through a whole sequence (connection,
// profile button, keyboard reset): the sequence writes nothing, its steps do
// not wait again one after the other, and the user hears it once.
TEST(AppCoreBusyTest, ASequenceWaitsOnceAndSaysSoOnce) {
  CoreRig rig;
  rig.keyboard.ChangeProfileOnKeyboard(1);
  ASSERT_TRUE(rig.Connect());
  FileLock other_process;
  ASSERT_EQ(other_process.Take(StoreLockFile::DefaultPath(), std::chrono::milliseconds(0)), kFileLockTaken);
  ::setenv("ZARVEL_LOCK_WAIT", "0.3", 1);
  const std::vector<std::uint8_t> store = rig.StoreFileBytes();
  const std::vector<std::function<void()>> sequences{[&] { rig.core->ConnectionRefresh(); },
                                                     [&] { rig.core->ProfileButton(3); },
                                                     [&] { rig.core->OnReloadNotification(); }};
  for (std::size_t n = 0; n < sequences.size(); ++n) {
    rig.prompter.Clear();
    rig.keyboard.ClearExchanges();
    const auto start = std::chrono::steady_clock::now();
    sequences[n]();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"STORE_BUSY_PROMPT"}) << n;
    EXPECT_LT(took, std::chrono::milliseconds(550)) << n << ": the steps waited again";
    EXPECT_EQ(CountCommand(rig, kWriteInfo) + CountCommand(rig, kWriteMatrix) + CountCommand(rig, 0x06) +
                  CountCommand(rig, 0x11),
              0)
        << n;
  }
  EXPECT_EQ(ActiveOnKeyboard(rig), 1);
  EXPECT_EQ(rig.StoreFileBytes(), store);
  other_process.Release();
  ::unsetenv("ZARVEL_LOCK_WAIT");
  rig.prompter.Clear();
  rig.core->ProfileButton(3);
  EXPECT_TRUE(rig.prompter.Keys().empty());
  EXPECT_EQ(ActiveOnKeyboard(rig), 2);
}

TEST(AppCoreRefreshTest, UnknownActiveProfileIsAskedOncePerRefresh) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  // A profile number the program cannot address is never cached, so every
  // question about it goes to the keyboard.
  const std::uint8_t seven = 7;
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, {&seven, 1});
  rig.context.SetActiveProfileCache(-1);
  rig.keyboard.ClearExchanges();
  rig.core->RefreshKeyDescriptions();
  const std::vector<std::uint8_t> commands = rig.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), std::uint8_t{0x03}), 1);
}

TEST(AppCoreKeyClickTest, ButtonsOpenTheirRecordOrNothing) {
  CoreRig rig;
  EXPECT_EQ(rig.core->KeyClick(kF1Button), static_cast<int>(kF1Record));
  EXPECT_EQ(rig.core->KeyClick(1084), 0xDB);                                    // Win
  EXPECT_EQ(rig.core->KeyClick(1000), -1);                                      // G1 only paints
  EXPECT_EQ(rig.core->KeyClick(1143), static_cast<int>(kFirstSpecialRecord) + 8);  // G9
  EXPECT_EQ(rig.core->KeyClick(1016), -1);                                      // spare
  EXPECT_EQ(rig.core->KeyClick(1174), -1);                                      // Fn
}

}  // namespace
}  // namespace zarvel
