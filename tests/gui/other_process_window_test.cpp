// The window and zarvelctl on one simulated keyboard at once, as a user's
// script runs zarvelctl while the window sits in the tray: the window shows
// what zarvelctl changed, keeps its own unapplied edits on top of it, names
// the keys both changed, and tells of a store lock another process holds.
// zarvelctl runs as a real process reaching the window's keyboard through
// the state file's socket. A screenshot of the notice goes to
// build/screenshots/.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "app/key_function_dialog.h"
#include "app/macro_page.h"
#include "core/key_buttons.h"
#include "core/lighting_controller.h"
#include "model/atomic_file.h"
#include "model/key_table.h"
#include "skin/program_paths.h"
#include "skin/language.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::KeyTo;
using testing::MainWindowRig;

constexpr int kApply = 1006;

struct CtlRun {
  int status = -1;
  QString err;
};

CtlRun Zarvelctl(MainWindowRig& rig, const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(ZARVEL_PROGRAM_DIR "/zarvelctl"),
                QStringList{QString::fromStdString("--simulate=" + rig.folders.Path("state.txt"))} + args);
  CtlRun run;
  // The window's keyboard answers zarvelctl from this process's threads:
  // the test's thread keeps the window's events going meanwhile.
  QElapsedTimer clock;
  clock.start();
  while (!process.waitForFinished(10)) {
    QCoreApplication::processEvents();
    if (clock.elapsed() > 20000) {
      process.kill();
      process.waitForFinished();
      return run;
    }
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

std::size_t RecordOf(const char* name) { return KeyCodeToRecordIndex(FindKeyByName(name)); }

int ButtonOf(const char* name) {
  const KeyCode code = FindKeyByName(name);
  for (const KeyButton& button : KeyButtons())
    if (button.key == code) return button.buttonId;
  return -1;
}

QLabel* NoticeLine(MainWindowRig& rig) { return rig.window->findChild<QLabel*>(QStringLiteral("Notice")); }

class OtherProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.keyboard.Serves());
  }
  MainWindowRig rig{kDeviceVariants[0], /*state_file=*/true};
};

TEST_F(OtherProcessTest, AnIdleWindowShowsZarvelctlsAssignmentWithinASecond) {
  const int f2 = ButtonOf("F2");
  ASSERT_GE(f2, 0);
  ASSERT_FALSE(rig.Button(f2)->isChecked());
  const CtlRun run = Zarvelctl(rig, {"assign", "F2", "key:c"});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(rig.WaitFor([&] { return rig.Button(f2)->isChecked(); }, 1000));
  EXPECT_LE(clock.elapsed(), 1000);
  EXPECT_EQ(rig.core->Store().Record(0, RecordOf("F2")), KeyTo(FindKeyByName("C")));
  EXPECT_FALSE(rig.core->UnappliedChanges());
  EXPECT_TRUE(NoticeLine(rig)->text().isEmpty()) << "nothing to tell without edits of the window's own";
}

TEST_F(OtherProcessTest, ApplyWritesThePendingEditAndKeepsZarvelctlsAssignment) {
  ASSERT_TRUE(rig.core->AssignKey(RecordOf("F1"), KeyTo(FindKeyByName("B"))));
  const CtlRun run = Zarvelctl(rig, {"assign", "F2", "key:c"});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  ASSERT_TRUE(rig.WaitFor(
      [&] { return NoticeLine(rig)->text() == QString::fromStdString(LookupText(kChangedElsewhereNotice)); }, 1000));
  EXPECT_TRUE(rig.core->UnappliedChanges());
  rig.Click(kApply);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.core->UnappliedChanges());
  EXPECT_EQ(KeyboardRecord(rig, RecordOf("F1")), KeyTo(FindKeyByName("B")));
  EXPECT_EQ(KeyboardRecord(rig, RecordOf("F2")), KeyTo(FindKeyByName("C")));
  ProfileStore file;
  ASSERT_TRUE(LoadStoreFile(file, StoreFilePath()));
  EXPECT_EQ(file.Record(0, RecordOf("F1")), KeyTo(FindKeyByName("B")));
  EXPECT_EQ(file.Record(0, RecordOf("F2")), KeyTo(FindKeyByName("C")));
}

TEST_F(OtherProcessTest, AKeyChangedInBothKeepsTheWindowsEditAndTheNoticeNamesIt) {
  rig.window->ShowRequest();
  ASSERT_TRUE(rig.core->AssignKey(RecordOf("F3"), KeyTo(FindKeyByName("B"))));
  const CtlRun run = Zarvelctl(rig, {"assign", "F3", "key:c"});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  ASSERT_TRUE(rig.WaitFor([&] { return NoticeLine(rig)->text().contains(QStringLiteral("F3")); }, 1000))
      << NoticeLine(rig)->text().toStdString();
  EXPECT_EQ(rig.core->Store().Record(0, RecordOf("F3")), KeyTo(FindKeyByName("B")));
  ASSERT_EQ(rig.core->LastConflicts().size(), 1u);
  const QString folder = QString(ZARVEL_BINARY_DIR) + "/screenshots";
  QDir().mkpath(folder);
  EXPECT_TRUE(rig.window->grab().toImage().save(folder + "/changed_elsewhere_notice.png"));
  rig.Click(kApply);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_EQ(KeyboardRecord(rig, RecordOf("F3")), KeyTo(FindKeyByName("B")));
  EXPECT_TRUE(NoticeLine(rig)->text().contains(QStringLiteral("F3"))) << "still there to be read after Apply";
}

// The key dialog installs its copy of the macros whole when it closes; a
// macro another program added meanwhile, and the key playing it, survive it.
TEST_F(OtherProcessTest, AMacroAddedElsewhereWhileTheKeyDialogEditsMacrosIsKept) {
  constexpr int kMacros = 1007;
  rig.window->ShowRequest();
  rig.Click(kMacros);
  auto* dialog = rig.window->findChild<KeyFunctionDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->isVisible());
  // Another program adds macro 900 and gives F5 to it.
  ProfileStore file;
  ASSERT_TRUE(LoadStoreFile(file, StoreFilePath()));
  file.macros.push_back(testing::MakeMacro(900, "theirs"));
  KeyFunction plays;
  plays.type = kFunctionMacro;
  plays.value = 900;
  file.Record(0, RecordOf("F5")) = plays;
  ASSERT_TRUE(SaveStoreFile(file, StoreFilePath()));
  QTest::qWait(400);  // the folder watcher has seen it
  // The user adds a macro of their own and presses OK.
  dialog->Macros().AddButton().click();
  dialog->OkButton().click();
  ASSERT_TRUE(rig.WaitFor([&] { return !dialog->isVisible(); }));
  ASSERT_TRUE(rig.WaitFor([&] { return FindMacroById(rig.core->Store().macros, 900) != nullptr; }, 2000));
  EXPECT_EQ(rig.core->Store().Record(0, RecordOf("F5")), plays);
  EXPECT_GE(rig.core->Store().macros.size(), 2u);  // the user's macro too
  EXPECT_TRUE(rig.core->UnappliedChanges());
}

// The keyboard announces only switches made on itself; one made by
// zarvelctl is followed all the same, without a question or a write.
TEST_F(OtherProcessTest, AnIdleWindowFollowsZarvelctlsProfileSwitch) {
  ASSERT_EQ(rig.core->CurrentProfile(), 0);
  const CtlRun run = Zarvelctl(rig, {"profile", "3"});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(rig.WaitFor([&] { return rig.Button(kProfileButtonIds[2])->isChecked(); }, 1000));
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_EQ(rig.core->CurrentProfile(), 2);
  EXPECT_FALSE(rig.Button(kProfileButtonIds[0])->isChecked());
  EXPECT_EQ(rig.core->Sync().GetActiveProfile(), 2);
  EXPECT_TRUE(rig.prompts.empty());
}

TEST_F(OtherProcessTest, ThePanelShowsZarvelctlsEffectWithinASecond) {
  ASSERT_NE(rig.core->Lighting().State().effect, 5);
  const CtlRun run = Zarvelctl(rig, {"lighting", "--effect", "5"});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(rig.WaitFor([&] { return rig.core->Lighting().State().effect == 5; }, 1000));
}

TEST_F(OtherProcessTest, ApplyMeetingAHeldLockSaysSoAndWorksOnceItIsFree) {
  if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty()) GTEST_SKIP() << "no flock";
  ::setenv("ZARVEL_LOCK_WAIT", "1", 1);
  ASSERT_TRUE(rig.core->AssignKey(RecordOf("F4"), KeyTo(FindKeyByName("B"))));
  const std::vector<std::uint8_t> before = [] {
    std::vector<std::uint8_t> bytes;
    ReadRegularFile(StoreFilePath(), bytes, 1 << 20);
    return bytes;
  }();
  QProcess holder;
  holder.start(QStringLiteral("flock"),
               {QString::fromStdString(UserDataFolder() + "zarvel.lock"), QStringLiteral("sleep"), QStringLiteral("3")});
  ASSERT_TRUE(holder.waitForStarted());
  QThread::msleep(200);
  rig.Click(kApply);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_TRUE(rig.PromptedWith("STORE_BUSY_PROMPT"));
  EXPECT_TRUE(rig.core->UnappliedChanges());
  std::vector<std::uint8_t> after;
  ReadRegularFile(StoreFilePath(), after, 1 << 20);
  EXPECT_EQ(after, before) << "nothing half-written";
  // A panel edit meeting the held lock says the same and sends nothing.
  rig.prompts.clear();
  const int effect = rig.core->Lighting().State().effect;
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.core->Lighting().SelectEffect(1), 0);
  EXPECT_TRUE(rig.PromptedWith("STORE_BUSY_PROMPT"));
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_EQ(rig.core->Lighting().State().effect, effect);
  ASSERT_TRUE(holder.waitForFinished(10000));
  rig.Click(kApply);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.core->UnappliedChanges());
  EXPECT_EQ(KeyboardRecord(rig, RecordOf("F4")), KeyTo(FindKeyByName("B")));
  ::unsetenv("ZARVEL_LOCK_WAIT");
}

}  // namespace
}  // namespace zarvel
