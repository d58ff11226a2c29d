// The key-function dialog as the main window opens it: a key reassigned, a
// macro recorded in the macro editor and given to another key, then the main
// window's Apply writes exactly what the models make of the store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "app/key_function_dialog.h"
#include "app/macro_page.h"
#include "core/main_view.h"
#include "model/evdev_keys.h"
#include "model/key_matrix.h"
#include "model/macro_area.h"
#include "skin/widgets/image_button.h"
#include "support/main_window_rig.h"

namespace zarvel {
namespace {

using testing::MainWindowRig;

constexpr int kKeyA = 1058, kKeyS = 1059, kMacroCommandId = 1007;
constexpr std::size_t kPositionA = 19, kPositionS = 27;

void Tap(KeyCode key) {
  const unsigned native = KeyCodeToEvdev(key) + kXkbKeycodeOffset;
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, native, 0, 0);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    QApplication::sendEvent(target, &event);
  }
}

KeyFunctionDialog* OpenedDialog(MainWindowRig& rig) {
  KeyFunctionDialog* dialog = rig.window->findChild<KeyFunctionDialog*>();
  if (dialog == nullptr || !dialog->isVisible()) return nullptr;
  QApplication::setActiveWindow(dialog);
  QApplication::processEvents();
  return dialog;
}

TEST(KeyDialogFromMainWindowTest, KeysAndARecordedMacroReachTheKeyboardThroughApply) {
  MainWindowRig rig;
  ASSERT_TRUE(rig.Connect());

  rig.Click(kKeyA);
  KeyFunctionDialog* dialog = OpenedDialog(rig);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(rig.core->KeyFunctionDialogOpen());
  Tap(0x30);  // A now types B
  dialog->OkButton().click();
  EXPECT_FALSE(rig.core->KeyFunctionDialogOpen());
  EXPECT_TRUE(rig.Button(kApplyButtonId)->isEnabled());

  rig.Click(kMacroCommandId);  // the macro button opens the macro editor
  dialog = OpenedDialog(rig);
  ASSERT_NE(dialog, nullptr);
  dialog->Macros().AddButton().click();
  dialog->Macros().RecordButton().click();
  Tap(0x2E);  // C
  Tap(0x20);  // D
  dialog->OkButton().click();

  rig.Click(kKeyS);
  dialog = OpenedDialog(rig);
  ASSERT_NE(dialog, nullptr);
  dialog->PageButton(KeyPage::kMacro).click();  // the first macro becomes current
  dialog->OkButton().click();

  rig.keyboard.ClearExchanges();
  rig.Click(kApplyButtonId);
  ASSERT_TRUE(rig.WaitIdle());
  EXPECT_FALSE(rig.Button(kApplyButtonId)->isEnabled());

  MacroSet macros;
  ProfileBlock block;
  {
    std::lock_guard lock(rig.core->StoreLock());
    macros = rig.core->Store().macros;
    block = rig.core->Store().image[0];
  }
  ASSERT_EQ(macros.size(), 1u);
  ASSERT_EQ(macros[0].actionCount, 4);
  const MacroAreaSize size = MacroAreaSizes(macros);
  std::vector<std::uint8_t> image(size.withNames);
  ASSERT_TRUE(EncodeMacroArea(macros, size.withNames, true, image));
  const std::vector<std::uint8_t> memory = rig.keyboard.Area(KeyboardArea::kMacroMemory);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));

  const std::vector<std::uint8_t> expected =
      EncodeKeyMatrix(block, rig.context.DefaultMatrix(), macros, rig.link.KeyMatrixSize());
  const std::vector<std::uint8_t> matrices = rig.keyboard.Area(KeyboardArea::kKeyMatrices);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), matrices.begin()));
  EXPECT_EQ(MatrixEntryAt(matrices, kPositionA), (MatrixEntry{0x02, 0x02, 0x05}));
  EXPECT_EQ(MatrixEntryAt(matrices, kPositionS), (MatrixEntry{0x05, 0x01, 0x00}));
}

}  // namespace
}  // namespace zarvel
