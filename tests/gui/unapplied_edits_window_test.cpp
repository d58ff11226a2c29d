// The main window keeps the user's unapplied edits: the Close button asks
// before they go, a reconnection keeps them and says so on the notice line
// (and once through the tray while the window is hidden), a profile chosen on
// the keyboard while the key dialog is open is followed once it closes, and
// the back-up and restore dialogs start where the user's files are.
// Screenshots of the notice line and of the exit question go to
// build/screenshots/.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/key_function_dialog.h"
#include "app/profile_file_dialogs.h"
#include "skin/language.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::KeyTo;
using testing::MainWindowRig;

constexpr int kClose = 1124;
constexpr int kApply = 1006;
constexpr int kKeyA = 1058;  // record 0x1E
constexpr std::size_t kRecordA = 0x1E;
constexpr KeyCode kKeyB = 0x30;
constexpr std::uint8_t kWriteMatrix = 0x08;

enum ExitAnswer { kApplyAndExit = 0, kExitWithoutApplying = 1, kStay = 2 };

bool MatrixWritten(const MainWindowRig& rig) {
  const std::vector<std::uint8_t> codes = rig.Commands();
  return std::find(codes.begin(), codes.end(), kWriteMatrix) != codes.end();
}

bool ProfileChecked(MainWindowRig& rig, int profile) {
  for (int p = 0; p < 4; ++p)
    if (rig.Button(kProfileButtonIds[p])->isChecked() != (p == profile)) return false;
  return true;
}

QLabel* NoticeLine(MainWindowRig& rig) { return rig.window->findChild<QLabel*>(QStringLiteral("Notice")); }

void SaveScreenshot(const QImage& shot, const char* name) {
  const QString folder = QString(ZARVEL_BINARY_DIR) + "/screenshots";
  QDir().mkpath(folder);
  EXPECT_TRUE(shot.save(folder + "/" + name));
}

QString Text(const char* key) { return QString::fromStdString(LookupText(key)); }

TEST(UnappliedEditsWindowTest, CloseAsksOnlyWithUnappliedChangesAndEachAnswerDoesWhatItSays) {
  {
    MainWindowRig rig;
    ASSERT_TRUE(rig.Connect());
    int asked = 0;
    rig.window->Prompts().SetChoiceResponder([&](const PromptRecord&, const std::vector<std::string>&) {
      ++asked;
      return static_cast<int>(kStay);
    });
    QSignalSpy exits(rig.window.get(), &MainWindow::exitRequested);
    rig.Click(kClose);
    EXPECT_EQ(exits.count(), 1) << "without changes Close ends at once";
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(rig.Button(kClose)->toolTip(), Text("MAIN_CLOSE_PROMPT"));
  }
  struct Case {
    ExitAnswer answer;
    bool ends;
    bool written;
  };
  for (const Case& c : {Case{kApplyAndExit, true, true}, Case{kExitWithoutApplying, true, false},
                        Case{kStay, false, false}}) {
    MainWindowRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.window->ShowRequest();
    ASSERT_TRUE(rig.core->AssignKey(kRecordA, KeyTo(kKeyB)));
    rig.keyboard.ClearExchanges();
    std::vector<PromptRecord> asked;
    std::vector<std::string> buttons;
    rig.window->Prompts().SetChoiceResponder([&](const PromptRecord& prompt, const std::vector<std::string>& offered) {
      asked.push_back(prompt);
      buttons = offered;
      return static_cast<int>(c.answer);
    });
    QSignalSpy exits(rig.window.get(), &MainWindow::exitRequested);
    rig.Click(kClose);
    ASSERT_TRUE(rig.WaitIdle());
    const std::string where = "answer " + std::to_string(c.answer);
    ASSERT_EQ(asked.size(), 1u) << where;
    EXPECT_EQ(asked[0].key, "MAIN_PROMPT_EXIT_UNAPPLIED") << where;
    EXPECT_EQ(buttons, (std::vector<std::string>{LookupText("MAIN_EXIT_APPLY"), LookupText("MAIN_EXIT_DISCARD"),
                                                 LookupText("PROFILE_CANCLE")}))
        << where;
    EXPECT_EQ(exits.count(), c.ends ? 1 : 0) << where;
    EXPECT_EQ(MatrixWritten(rig), c.written) << where;
    EXPECT_EQ(rig.Button(kApply)->isEnabled(), !c.written) << where;
    if (c.written) {
      EXPECT_EQ(KeyboardRecord(rig, kRecordA), KeyTo(kKeyB)) << where;
    }
    if (c.answer == kStay) {
      EXPECT_EQ(rig.core->Store().Record(0, kRecordA), KeyTo(kKeyB)) << where;
    }
  }
}

TEST(UnappliedEditsWindowTest, ApplyAndExitThatTheKeyboardRefusesStaysAndSaysWhy) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.core->AssignKey(kRecordA, KeyTo(kKeyB)));
  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.State() == 0; }));
  rig.WaitIdle();
  rig.window->Prompts().SetChoiceResponder(
      [](const PromptRecord&, const std::vector<std::string>&) { return static_cast<int>(kApplyAndExit); });
  QSignalSpy exits(rig.window.get(), &MainWindow::exitRequested);
  EXPECT_FALSE(rig.window->ConfirmUserExit());
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_EQ(exits.count(), 0);
  EXPECT_TRUE(rig.PromptedWith("MAIN_PROMPT_EXIT_NOT_APPLIED"));
  EXPECT_TRUE(rig.core->UnappliedChanges());
}

// The real question box: Apply and exit is the default (Enter), Esc stays.
TEST(UnappliedEditsWindowTest, TheExitQuestionDefaultsToApplyAndEscapeStays) {
  MainWindowRig rig;
  rig.window->Prompts().SetResponder(nullptr);
  QString default_text;
  QTimer::singleShot(200, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (box->defaultButton() != nullptr) default_text = box->defaultButton()->text();
    SaveScreenshot(box->grab().toImage(), "exit_question.png");
    QTest::keyClick(box, Qt::Key_Escape);
  });
  const int answer = rig.window->Prompts().AskChoice(
      "MAIN_PROMPT_EXIT_UNAPPLIED", LookupText("MAIN_PROMPT_EXIT_UNAPPLIED"),
      {LookupText("MAIN_EXIT_APPLY"), LookupText("MAIN_EXIT_DISCARD"), LookupText("PROFILE_CANCLE")}, kApplyAndExit,
      kStay);
  EXPECT_EQ(answer, kStay);
  EXPECT_EQ(default_text, Text("MAIN_EXIT_APPLY"));
}

TEST(UnappliedEditsWindowTest, AReconnectionKeepsTheEditsAndTellsOnceThroughTheTrayWhileHidden) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_FALSE(rig.window->isVisible());
  QSignalSpy tray(rig.window.get(), &MainWindow::noticeForTray);
  ASSERT_TRUE(rig.core->AssignKey(kRecordA, KeyTo(kKeyB)));
  rig.keyboard.Unplug();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.State() == 0; }));
  rig.keyboard.PlugIn();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.context.State() == 1; }));
  ASSERT_TRUE(rig.WaitFor([&] { return tray.count() > 0; }));
  rig.WaitIdle();
  EXPECT_EQ(tray.count(), 1);
  EXPECT_EQ(tray.at(0).at(0).toString(), Text("MAIN_PROMPT_CHANGES_KEPT"));
  EXPECT_TRUE(rig.Button(kApply)->isEnabled());
  EXPECT_TRUE(rig.Button(kKeyA)->isChecked());
  EXPECT_TRUE(rig.prompts.empty()) << "a box popped up: " << rig.prompts.front().key;

  // The line waits for the next opening.
  rig.window->ShowRequest();
  QLabel* line = NoticeLine(rig);
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->isVisible());
  EXPECT_EQ(line->text(), Text("MAIN_PROMPT_CHANGES_KEPT"));
  EXPECT_GT(line->width(), 300);
  SaveScreenshot(rig.window->grab().toImage(), "notice_changes_kept.png");

  rig.Click(kApply);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(line->isVisible());
  EXPECT_EQ(KeyboardRecord(rig, kRecordA), KeyTo(kKeyB));
}

TEST(UnappliedEditsWindowTest, AKeyboardProfileChangeWaitsForTheKeyDialog) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  rig.Click(kKeyA);
  auto* dialog = rig.window->findChild<KeyFunctionDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->isVisible());
  rig.keyboard.ChangeProfileOnKeyboard(3);
  rig.WaitFor([] { return false; }, 300);
  rig.WaitIdle();
  EXPECT_FALSE(rig.PromptedWith("PROFILE_SEELCT_PROMPT2"));
  EXPECT_TRUE(ProfileChecked(rig, 0));

  dialog->CloseCancelled();
  EXPECT_TRUE(rig.WaitFor([&] { return ProfileChecked(rig, 3); }));
  rig.WaitIdle();
  EXPECT_EQ(rig.core->CurrentProfile(), 3);
  EXPECT_EQ(rig.context.ActiveProfileCache(), 3);
}

TEST(UnappliedEditsWindowTest, BackUpSaysSoOnTheNoticeLineAndTheDialogsStartAtHome) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.window->ShowRequest();
  rig.chosen_file = rig.folders.Path("backup.zvl");
  rig.window->BackUpToFile();
  EXPECT_TRUE(rig.prompts.empty());
  QLabel* line = NoticeLine(rig);
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->isVisible());
  EXPECT_TRUE(line->text().contains(QString::fromStdString(rig.chosen_file)));
  SaveScreenshot(rig.window->grab().toImage(), "notice_backup_done.png");

  for (const BackUpDialogKind kind : {BackUpDialogKind::kBackUp, BackUpDialogKind::kRestore}) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    PrepareBackUpDialog(dialog, kind);
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir::home().absolutePath());
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"(*.zvl)", "(*)"}));
    EXPECT_EQ(dialog.defaultSuffix(), "zvl");
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_EQ(dialog.acceptMode(),
              kind == BackUpDialogKind::kBackUp ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  }
}

}  // namespace
}  // namespace zarvel
