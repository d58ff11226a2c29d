// What the user edited and has not applied yet survives everything that is
// not their own choice to drop it: a refused restore file, a keyboard that
// does not answer a read, an unplug and reconnection, and a profile change
// made on the keyboard while the key dialog is open. Each case checks the
// store, the unapplied-changes flag and what the keyboard received.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/app_core.h"
#include "device/device_info_record.h"
#include "model/profile_file.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;
using testing::MakeMacro;

constexpr std::size_t kF1Record = 0x3B;
constexpr KeyCode kKeyB = 0x30;
constexpr std::uint8_t kReadMatrix = 0x07, kWriteMatrix = 0x08, kReadMacros = 0x09, kWriteMacros = 0x0A;

bool Sent(const CoreRig& rig, std::uint8_t command) {
  const std::vector<std::uint8_t> codes = rig.Commands();
  return std::find(codes.begin(), codes.end(), command) != codes.end();
}

// The keyboard's own record of `record` in `profile`, read back as a new
// connection would.
KeyFunction KeyboardRecord(CoreRig& rig, std::size_t profile, std::size_t record) {
  ProfileStore keyboard;
  EXPECT_TRUE(LoadStoreFromBytes(keyboard, rig.KeyboardAsFile()));
  return keyboard.Record(profile, record);
}

// A profile file the header check passes, made to fail a later step.
std::string WriteRefusedFile(CoreRig& rig, const std::string& fault) {
  ProfileStore store;
  store.Record(0, 0x10) = KeyTo(kKeyB);
  store.macros.push_back(MakeMacro(1, "One"));
  if (fault == "duplicate ids") store.macros.push_back(MakeMacro(1, "Also one"));
  if (fault == "too large") {
    for (std::uint16_t id = 2; id <= 60; ++id) {
      MacroRecord macro = MakeMacro(id, "A macro with a long name");
      macro.actionCount = 200;
      store.macros.push_back(macro);
    }
  }
  const std::string path = rig.folders.Path(fault + ".zvl");
  EXPECT_TRUE(SaveImageToFile(store, path));
  if (fault == "macro missing") {
    // The header promises one macro more than the file holds.
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);
    bytes.resize(bytes.size() - 40);
    EXPECT_TRUE(WriteFileAtomically(path, bytes));
  }
  return path;
}

TEST(UnappliedEditsImportTest, EveryRefusalLeavesTheEditsAndApplyAsTheyWere) {
  for (const std::string fault : {"macro missing", "duplicate ids", "too large"}) {
    CoreRig rig;
    ASSERT_TRUE(rig.Connect());
    const std::vector<std::uint8_t> store_file = rig.StoreFileBytes();
    const std::string path = WriteRefusedFile(rig, fault);
    rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
    const ProfileStore before = rig.core->Store();
    rig.keyboard.ClearExchanges();
    rig.view.ClearEvents();

    const int result = rig.core->ImportProfileFile(path);
    EXPECT_TRUE(result == kCoreImportRefused || result == kCoreImportNotSent) << fault;
    EXPECT_FALSE(rig.prompter.Keys().empty()) << fault << ": the refusal was not told";
    EXPECT_EQ(rig.core->Store().image, before.image) << fault;
    EXPECT_EQ(rig.core->Store().macros, before.macros) << fault;
    EXPECT_TRUE(rig.core->UnappliedChanges()) << fault;
    EXPECT_TRUE(rig.view.apply_enabled) << fault;
    EXPECT_EQ(rig.view.Count("apply 0"), 0) << fault;
    EXPECT_FALSE(Sent(rig, kWriteMatrix) || Sent(rig, kWriteMacros)) << fault;
    EXPECT_EQ(rig.StoreFileBytes(), store_file) << fault;

    // Apply writes the edit the user made, not the store file's old content.
    ASSERT_TRUE(rig.core->Apply()) << fault;
    EXPECT_EQ(KeyboardRecord(rig, 0, kF1Record), KeyTo(kKeyB)) << fault;
  }
}

// ---- a keyboard that does not answer ----

TEST(UnappliedEditsReadTest, ASilentKeyboardShowsTheStoreFileNeverABlankStore) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
  ASSERT_TRUE(rig.core->Apply());
  const std::vector<std::uint8_t> store_file = rig.StoreFileBytes();

  // The device information read fails (the profile manager's re-read, or a
  // connection the keyboard stops answering right after).
  for (const bool through_connection : {false, true}) {
    const std::string where = through_connection ? "connection" : "re-read";
    rig.context.SetActiveProfileCache(-1);
    rig.keyboard.ClearExchanges();
    rig.view.notices.clear();
    rig.keyboard.LoseNextReplies(kCommandAttempts);
    if (through_connection)
      rig.core->ConnectionRefresh();
    else
      rig.core->ReadAllFromKeyboard(/*keep_flag=*/false);
    EXPECT_EQ(rig.core->Store().Record(0, kF1Record), KeyTo(kKeyB)) << where;
    EXPECT_TRUE(rig.view.descriptions[1010].assigned) << where;
    EXPECT_EQ(rig.view.notices, std::vector<std::string>{"MAIN_PROMPT_KEYBOARD_NOT_READ"}) << where;
    EXPECT_EQ(rig.view.notice_key, "MAIN_PROMPT_KEYBOARD_NOT_READ") << where;
    EXPECT_EQ(rig.StoreFileBytes(), store_file) << where;
    EXPECT_FALSE(Sent(rig, kWriteMatrix)) << where;
  }

  // Once the keyboard answers again, the next read puts the notice away.
  rig.core->ReadAllFromKeyboard(/*keep_flag=*/false);
  EXPECT_EQ(rig.view.notice_key, "");
  // The next edit goes on from the real profiles: F1 is still B afterwards.
  rig.core->AssignKey(0x10, KeyTo(kKeyB));
  ASSERT_TRUE(rig.core->Apply());
  EXPECT_EQ(KeyboardRecord(rig, 0, kF1Record), KeyTo(kKeyB));
}

// ---- unplug and reconnection ----

// The connection monitor's part of a reconnection, then the window's refresh
// with the exchanges it made kept.
void ReconnectKeepingExchanges(CoreRig& rig, int profile_on_return) {
  rig.Disconnect();
  rig.keyboard.PlugIn();
  const std::uint8_t profile = static_cast<std::uint8_t>(profile_on_return);
  rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, {&profile, 1});
  ASSERT_TRUE(rig.command.BuildPathList());
  ASSERT_NE(OpenCommandInterface(rig.link, rig.context), nullptr);
  ReadConnectionData(rig.link, rig.context);
  rig.keyboard.ClearExchanges();
  rig.view.ClearEvents();
  rig.core->ConnectionRefresh();
}

TEST(UnappliedEditsConnectionTest, AReconnectionKeepsTheEditsReadsNoProfilesAndSaysSoOnce) {
  for (const int profile_on_return : {0, 2}) {
    const std::string where = "back on profile " + std::to_string(profile_on_return + 1);
    CoreRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.core->AssignKey(kF1Record, KeyTo(kKeyB));
    const ProfileStore before = rig.core->Store();

    ReconnectKeepingExchanges(rig, profile_on_return);
    EXPECT_EQ(rig.core->Store().image, before.image) << where;
    EXPECT_TRUE(rig.core->UnappliedChanges()) << where;
    EXPECT_TRUE(rig.view.apply_enabled) << where;
    EXPECT_FALSE(Sent(rig, kReadMatrix) || Sent(rig, kReadMacros)) << where << ": the profiles were read";
    EXPECT_EQ(rig.view.notices, std::vector<std::string>{kChangesKeptNotice}) << where;
    EXPECT_EQ(rig.core->CurrentProfile(), profile_on_return) << where;
    EXPECT_EQ(rig.view.checked_profile, profile_on_return) << where;
    EXPECT_TRUE(rig.prompter.Keys().empty()) << where;

    // Apply writes the edit into the profile it was made in, whichever
    // profile the keyboard came back on; the notice goes with it.
    ASSERT_TRUE(rig.core->Apply()) << where;
    EXPECT_EQ(KeyboardRecord(rig, 0, kF1Record), KeyTo(kKeyB)) << where;
    EXPECT_FALSE(rig.view.apply_enabled) << where;
    EXPECT_EQ(rig.view.notice_key, "") << where;
  }
}

TEST(UnappliedEditsConnectionTest, WithoutEditsAReconnectionReadsTheKeyboardAsBefore) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  ReconnectKeepingExchanges(rig, 0);
  EXPECT_TRUE(Sent(rig, kReadMatrix));
  EXPECT_TRUE(rig.view.notices.empty());
  EXPECT_FALSE(rig.view.apply_enabled);
}

// ---- a profile chosen on the keyboard while the key dialog is open ----

TEST(UnappliedEditsProfileTest, AKeyboardProfileChangeWaitsForTheKeyDialogThenAsks) {
  for (const bool apply : {true, false}) {
    const std::string where = apply ? "answered Yes" : "answered No";
    CoreRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.core->SetKeyFunctionDialogOpen(true);
    rig.keyboard.ChangeProfileOnKeyboard(2);
    rig.core->OnProfileNotification();
    // Nothing yet: no refusal box, the window stays on the dialog's profile.
    EXPECT_TRUE(rig.prompter.Keys().empty()) << where;
    EXPECT_EQ(rig.core->CurrentProfile(), 0) << where;
    rig.core->AssignKey(kF1Record, KeyTo(kKeyB));  // the dialog's OK
    rig.core->SetKeyFunctionDialogOpen(false);

    ASSERT_TRUE(rig.core->TakeDeferredProfileNotification()) << where;
    EXPECT_FALSE(rig.core->TakeDeferredProfileNotification()) << where;
    rig.prompter.ScriptAnswers({apply});
    rig.core->OnProfileNotification();
    EXPECT_EQ(rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SELECT_PROMPT"}) << where;
    EXPECT_EQ(rig.core->CurrentProfile(), 2) << where;
    EXPECT_EQ(rig.view.checked_profile, 2) << where;
    EXPECT_EQ(rig.context.ActiveProfileCache(), 2) << where;
    EXPECT_FALSE(rig.view.apply_enabled) << where;
    // Yes wrote the edit into the profile it was made in; No dropped it.
    EXPECT_EQ(KeyboardRecord(rig, 0, kF1Record), apply ? KeyTo(kKeyB) : KeyFunction{}) << where;
    EXPECT_EQ(rig.core->Store().Record(0, kF1Record), apply ? KeyTo(kKeyB) : KeyFunction{}) << where;
  }
}

// ---- back-up ----

TEST(UnappliedEditsBackUpTest, AFinishedBackUpIsANoticeAFailedOneABox) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const std::string path = rig.folders.Path("backup.zvl");
  ASSERT_TRUE(rig.core->ExportProfileFile(path));
  EXPECT_EQ(rig.view.notice_key, "MAIN_PROMPT_BACKUP_DONE");
  EXPECT_TRUE(rig.prompter.Keys().empty());
  rig.view.notices.clear();
  EXPECT_FALSE(rig.core->ExportProfileFile(rig.folders.Path("no/such/folder/backup.zvl")));
  EXPECT_TRUE(rig.view.notices.empty());
}

}  // namespace
}  // namespace zarvel
