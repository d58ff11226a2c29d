// The main window against the simulated keyboard, driven through its
// buttons as a user would.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/key_function_dialog.h"
#include "app/main_window.h"
#include "app/progress_animation.h"
#include "core/key_buttons.h"
#include "device/device_discovery.h"
#include "model/profile_file.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::KeyTo;
using testing::MainWindowRig;

constexpr int kKeyA = 1058;        // record 0x1E
constexpr std::size_t kRecordA = 0x1E;
constexpr int kKeyS = 1059;
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kClose = 1124;

void SetActiveProfileOnKeyboard(SimulatedKeyboard& keyboard, int profile) {
  const std::uint8_t byte = static_cast<std::uint8_t>(profile);
  keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kActiveProfile, std::span(&byte, 1));
}

bool ProfileChecked(MainWindowRig& rig, int profile) {
  for (int p = 0; p < 4; ++p)
    if (rig.Button(kProfileButtonIds[p])->isChecked() != (p == profile)) return false;
  return true;
}

TEST(MainWindowTest, AConnectionShowsTheKeyboardsKeysAndActiveProfile) {
  MainWindowRig rig;
  SetActiveProfileOnKeyboard(rig.keyboard, 2);
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(ProfileChecked(rig, 2));
  EXPECT_FALSE(rig.Button(kKeyA)->isChecked());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());

  // Assign, apply, and read everything back through a new connection: the
  // key is shown assigned because the keyboard holds it.
  ASSERT_TRUE(rig.core->AssignKey(kRecordA, KeyTo(0x30)));
  rig.Click(kApplyButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.State() == 0; }));
  {
    // Forgotten locally, without an edit: a user's unapplied edit would be
    // kept over the reconnection.
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().Record(2, kRecordA) = KeyFunction{};
  }
  rig.core->RefreshKeyDescriptions();
  ASSERT_FALSE(rig.Button(kKeyA)->isChecked());
  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.State() == 1; }));
  ASSERT_TRUE(rig.WaitFor([&] { return rig.Button(kKeyA)->isChecked(); }));
  rig.WaitIdle();
  EXPECT_FALSE(rig.Button(kKeyS)->isChecked());
  EXPECT_FALSE(rig.Button(kKeyA)->toolTip().isEmpty());
  EXPECT_NE(rig.Button(kKeyA)->toolTip(), rig.Button(kKeyS)->toolTip());
  EXPECT_TRUE(ProfileChecked(rig, 2));
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());

  // A click on a key opens the key dialog; it never toggles what the key shows.
  rig.Click(kKeyS);
  EXPECT_FALSE(rig.Button(kKeyS)->isChecked());
}

TEST(MainWindowTest, ApplyIsEnabledExactlyWhileChangesAreUnapplied) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());
  rig.core->AssignKey(kRecordA, KeyTo(0x30));
  EXPECT_TRUE(rig.Button(kApplyButtonId)->isEnabled());
  rig.keyboard.ClearExchanges();
  QSignalSpy frames(&rig.window->Progress(), &ProgressAnimation::frameShown);
  rig.Click(kApplyButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());
  EXPECT_FALSE(rig.Commands().empty());
  // The progress picture showed its first frame and goes away afterwards.
  ASSERT_GE(frames.count(), 1);
  EXPECT_EQ(frames.front().at(0).toInt(), 1);
  EXPECT_TRUE(rig.WaitFor([&] { return !rig.window->Control(1177)->isVisible(); }));
}

TEST(MainWindowTest, OkHidesOnlyWhenTheKeyboardTookTheChanges) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.window->isVisible());
  rig.core->AssignKey(kRecordA, KeyTo(0x30));

  rig.keyboard.LoseNextReplies(100000);  // present, but silent
  rig.Click(kOk);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.window->isVisible());
  EXPECT_TRUE(rig.Button(kApplyButtonId)->isEnabled());

  rig.keyboard.LoseNextReplies(0);
  rig.Click(kOk);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.window->isVisible());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());
}

TEST(MainWindowTest, DefaultResetsKeysOnlyWhenTheUserSaysYes) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kRecordA, KeyTo(0x30));
  rig.Click(kDefaultButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.PromptedWith("MAIN_PROMPT_DEFAULT"));
  EXPECT_TRUE(rig.Button(kKeyA)->isChecked());
  EXPECT_TRUE(rig.Button(kApplyButtonId)->isEnabled());

  rig.answers["MAIN_PROMPT_DEFAULT"] = true;
  rig.Click(kDefaultButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.Button(kKeyA)->isChecked());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());
}

TEST(MainWindowTest, BackUpAndRestoreThroughTheFileDialogs) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kRecordA, KeyTo(0x30));
  const std::string backup = rig.folders.Path("backup.zvl");

  rig.chosen_file = backup;
  rig.window->BackUpToFile();
  ASSERT_TRUE(std::filesystem::exists(backup));
  EXPECT_TRUE(rig.prompts.empty());

  // A backup that cannot be written says so, naming the file.
  rig.chosen_file = rig.folders.Path("no-such-folder/backup.zvl");
  rig.window->BackUpToFile();
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0].key, "MAIN_PROMPT_EXPORT");
  EXPECT_NE(rig.prompts[0].text.find("no-such-folder/backup.zvl"), std::string::npos);

  // Cancelling the dialog does nothing.
  rig.prompts.clear();
  rig.chosen_file.clear();
  rig.keyboard.ClearExchanges();
  rig.window->RestoreFromFile();
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());

  // Restoring the backup brings the key back, writes the keyboard and leaves
  // nothing to apply.
  rig.core->AssignKey(kRecordA, KeyFunction{});
  EXPECT_FALSE(rig.Button(kKeyA)->isChecked());
  rig.chosen_file = backup;
  rig.window->RestoreFromFile();
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.Button(kKeyA)->isChecked());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());
  EXPECT_FALSE(rig.keyboard.Exchanges().empty());

  // A file that is not a profile file is refused and changes nothing.
  const std::string junk = rig.folders.Path("junk.zvl");
  std::ofstream(junk) << "not a profile";
  rig.chosen_file = junk;
  rig.core->AssignKey(kRecordA, KeyFunction{});
  rig.window->RestoreFromFile();
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.PromptedWith("MAIN_PROMPT_INPORT"));
  EXPECT_FALSE(rig.Button(kKeyA)->isChecked());
}

TEST(MainWindowTest, OnlyCloseEndsTheProgramEnterEscCancelAndTheWindowSystemHide) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  QSignalSpy exit_requests(rig.window.get(), &MainWindow::exitRequested);
  rig.window->ShowRequest();
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, 0x1C, 0, 0);
    QCoreApplication::sendEvent(rig.window.get(), &press);
    EXPECT_TRUE(rig.window->isVisible()) << key;
  }
  rig.Click(kCancel);
  EXPECT_FALSE(rig.window->isVisible());
  rig.window->ShowRequest();
  rig.window->close();
  EXPECT_FALSE(rig.window->isVisible());
  EXPECT_EQ(exit_requests.count(), 0);
  rig.Click(kClose);
  EXPECT_EQ(exit_requests.count(), 1);

  // Help and F1 open the help page beside the program.
  rig.window->ShowRequest();
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, 67, 0, 0);
  QCoreApplication::sendEvent(rig.window.get(), &f1);
  rig.Click(1122);
  ASSERT_EQ(rig.opened_urls.size(), 2u);
  EXPECT_TRUE(rig.opened_urls[0].toLocalFile().endsWith("Help/index.html"));
  EXPECT_EQ(rig.opened_urls[0], rig.opened_urls[1]);
}

TEST(MainWindowTest, UnpluggingHidesTheWindowAndClosesTheKeyDialog) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  QSignalSpy closing(rig.window.get(), &MainWindow::childDialogsClosing);
  rig.window->ShowRequest();
  rig.Click(kKeyA);
  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.WaitFor([&] { return !rig.window->isVisible(); }));
  EXPECT_EQ(closing.count(), 1);
  for (auto* dialog : rig.window->findChildren<KeyFunctionDialog*>()) EXPECT_FALSE(dialog->isVisible());
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.ConnectionIcon() == kNotConnectedTrayIcon; }));
}

TEST(MainWindowTest, ProfileChangesOnTheKeyboardSelectThatProfile) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(ProfileChecked(rig, 0));
  rig.keyboard.ChangeProfileOnKeyboard(3);
  ASSERT_TRUE(rig.WaitFor([&] { return ProfileChecked(rig, 3); }));
  EXPECT_EQ(rig.core->CurrentProfile(), 3);

  // The keyboard reset itself: the window goes back to the first profile.
  rig.keyboard.SendNotification(kReloadNotification);
  ASSERT_TRUE(rig.WaitFor([&] { return ProfileChecked(rig, 0); }));
  rig.WaitIdle();
  EXPECT_EQ(rig.core->CurrentProfile(), 0);

  // A profile button switches the keyboard too.
  rig.Click(kProfileButtonIds[1]);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(ProfileChecked(rig, 1));
  EXPECT_EQ(rig.context.ActiveProfileCache(), 1);
}

TEST(MainWindowTest, ShowRequestsAndTheFirmwareQuestion) {
  {
    MainWindowRig rig;  // no keyboard: a message, and the window stays hidden
    rig.window->HandleOpen();
    EXPECT_TRUE(rig.PromptedWith("MAIN_NO_DEVICE_PROMPT"));
    EXPECT_FALSE(rig.window->isVisible());
  }
  for (const auto& [version, cancel, asked] :
       {std::tuple{0x0107, true, true}, std::tuple{0x0107, false, true}, std::tuple{0x0108, true, false}}) {
    MainWindowRig rig;
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(version & 0xFF), static_cast<std::uint8_t>(version >> 8)};
    rig.keyboard.SetArea(KeyboardArea::kDeviceInfo, device_info_offset::kFirmwareVersion, bytes);
    ASSERT_TRUE(rig.Connect());
    QSignalSpy exit_requests(rig.window.get(), &MainWindow::exitRequested);
    rig.answers[kFirmwareTooOldCaption] = !cancel;
    rig.window->HandleOpen();
    EXPECT_TRUE(rig.window->isVisible());
    const bool was_asked = !rig.prompts.empty() && rig.prompts.back().text == kFirmwareTooOldText &&
                           rig.prompts.back().kind == PromptKind::kOkCancel;
    EXPECT_EQ(was_asked, asked) << std::hex << version;
    // Cancel ends the program through its shutdown, not on the spot.
    EXPECT_EQ(exit_requests.count(), asked && cancel ? 1 : 0) << std::hex << version;
  }
}

TEST(MainWindowTest, FlipSwapsF1ToF4WithTheSpareButtonsAndIsKept) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  constexpr int kF1 = 1010;
  constexpr int kD1 = 1016;
  ASSERT_TRUE(rig.Button(kF1)->isEnabled());
  ASSERT_FALSE(rig.Button(kD1)->isEnabled());
  rig.Click(kFlipButtonIds[1]);
  EXPECT_FALSE(rig.Button(kF1)->isEnabled());
  EXPECT_TRUE(rig.Button(kD1)->isEnabled());
  EXPECT_EQ(rig.settings.GetInt(kFlipSection, kFlipKey, 0), 1);
  // A spare button has no key: a click opens nothing and sends nothing.
  rig.keyboard.ClearExchanges();
  rig.Click(kD1);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  rig.Click(kFlipButtonIds[2]);
  EXPECT_TRUE(rig.Button(kF1)->isEnabled());
  EXPECT_EQ(rig.settings.GetInt(kFlipSection, kFlipKey, 1), 0);
}

TEST(MainWindowTest, ArrowKeysInTheEffectListChangeNothing) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  auto* effects = rig.window->findChild<QComboBox*>("CONTROL_XGcombox");
  ASSERT_NE(effects, nullptr);
  ASSERT_GT(effects->count(), 2);
  rig.window->ShowRequest();
  effects->setFocus();
  const int before = effects->currentIndex();
  rig.keyboard.ClearExchanges();
  for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, 0, 0, 0);
    QCoreApplication::sendEvent(effects, &press);
  }
  EXPECT_EQ(effects->currentIndex(), before);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
}

TEST(MainWindowTest, EveryButtonHasANameForScreenReaders) {
  MainWindowRig rig;
  for (ImageButton* button : rig.window->findChildren<ImageButton*>())
    EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
  EXPECT_EQ(rig.Button(kApplyButtonId)->accessibleName(), rig.Button(kApplyButtonId)->text());
}

}  // namespace
}  // namespace zarvel
