// Painting many keys in one bracket, undo and redo of key assignments and
// colours, paste of a key's function and the copy of a profile, on the core
// and a simulated keyboard.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/key_selection.h"
#include "core/lighting_controller.h"
#include "device/simulated_firmware.h"
#include "model/atomic_file.h"
#include "model/key_table.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;

constexpr std::size_t kF1Record = 0x3B;
constexpr std::size_t kF2Record = 0x3C;
constexpr std::size_t kF3Record = 0x3D;
constexpr std::size_t kG1Record = 0x100;
constexpr int kEscButton = 1022;
constexpr int kWButton = 1045;

std::vector<int> Letters() { return KeyGroupButtons(KeyGroup::kLetters); }

// Connected, user effect selected, paint tool with `paint`.
struct PaintRig : CoreRig {
  explicit PaintRig(SlotColour paint = {0x10, 0x20, 0x30}) {
    EXPECT_TRUE(Connect());
    LightingController& l = core->Lighting();
    EXPECT_EQ(l.SelectEffect(l.State().effects.PositionOf(kUserEffect)), 1);
    EXPECT_TRUE(l.SetTool(0));
    l.SetPaintColour(paint);
    keyboard.ClearExchanges();
  }
  SlotColour KeyboardColour(int buttonId) const {
    const std::vector<std::uint8_t> area = keyboard.Area(KeyboardArea::kKeyColours);
    const auto at = static_cast<std::size_t>(core->CurrentProfile() * 512 + ColourIndexOfButton(buttonId) * 3);
    return {area.at(at), area.at(at + 1), area.at(at + 2)};
  }
  KeyColourEntry FileEntry(int buttonId) const {
    const LightingController& l = core->Lighting();
    return l.Files().ReadKeyEntry(core->CurrentProfile(), l.Colours().slot.currentSlot, ColourIndexOfButton(buttonId));
  }
};

TEST(PaintManyKeys, TheSelectionGoesOutInOneBracketOfEightWritesAndOneSave) {
  PaintRig rig;
  const std::string slot_file = rig.core->Lighting().Files().LightingFilePath(0);
  const auto saved_before = std::filesystem::last_write_time(slot_file);
  ASSERT_EQ(rig.core->Lighting().PaintKeys(Letters()), 1);
  // One begin, eight 54-byte colour writes, one end: not 26 brackets.
  std::vector<std::uint8_t> expected = {0x01, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x02};
  EXPECT_EQ(rig.Commands(), expected);
  for (int button : Letters()) {
    EXPECT_EQ(rig.KeyboardColour(button), (SlotColour{0x10, 0x20, 0x30})) << button;
    EXPECT_EQ(rig.FileEntry(button), (KeyColourEntry{{0x10, 0x20, 0x30}, false})) << button;
  }
  EXPECT_NE(std::filesystem::last_write_time(slot_file), saved_before);
  // Keys outside the selection kept their colour.
  EXPECT_NE(rig.KeyboardColour(kEscButton), (SlotColour{0x10, 0x20, 0x30}));
  // A list of one lit key among unlit ones is the single key's write.
  rig.keyboard.ClearExchanges();
  rig.core->Lighting().SetPaintColour({1, 1, 1});
  ASSERT_EQ(rig.core->Lighting().PaintKeys({1100, kEscButton, 1101}), 1);
  EXPECT_EQ(rig.Commands(), (std::vector<std::uint8_t>{0x01, 0x11, 0x02}));
  // Only unlit keys: nothing to paint, nothing sent.
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.core->Lighting().PaintKeys(KeyGroupButtons(KeyGroup::kArrows)), 0);
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
}

// The window watches the user's folder for other programs' changes; its own
// saves must not look like one, or each paint would reload the slot and
// swallow the user's next clicks while the keyboard is read.
TEST(PaintManyKeys, TheWindowsOwnSaveIsNoNewsButAnotherProgramsIs) {
  PaintRig rig;
  EXPECT_EQ(rig.core->TakeOtherProcessChanges(), kOtherChangesNone);
  ASSERT_EQ(rig.core->Lighting().PaintKeys(Letters()), 1);
  EXPECT_FALSE(rig.core->OtherProcessChangesWaiting());
  EXPECT_EQ(rig.core->TakeOtherProcessChanges(), kOtherChangesNone);

  // Another program replaces the slot file with the same bytes (a new inode).
  const std::string slot_file = rig.core->Lighting().Files().LightingFilePath(0);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(slot_file, bytes));
  std::ofstream(slot_file + ".theirs", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::filesystem::rename(slot_file + ".theirs", slot_file);
  EXPECT_TRUE(rig.core->OtherProcessChangesWaiting());
  EXPECT_EQ(rig.core->TakeOtherProcessChanges(), kOtherChangesReloaded);
  EXPECT_FALSE(rig.core->OtherProcessChangesWaiting());
}

// Where the window's buttons are: one row of 10-pixel keys, F5 (unlit) among them.
std::vector<KeyRect> Row(const std::vector<int>& buttons) {
  std::vector<KeyRect> keys;
  for (std::size_t i = 0; i < buttons.size(); ++i) keys.push_back({buttons[i], 10 * static_cast<int>(i), 0, 10, 10});
  return keys;
}

TEST(PaintManyKeys, AClickOnASelectedKeyPaintsTheSelectionAndAClickElsewhereItsKeyAlone) {
  PaintRig rig;
  ASSERT_EQ(rig.core->Lighting().ToggleLightingSwitch(), 1);
  const std::vector<int> row = {1045, 1046, 1047, 1048, 1014, kEscButton};  // W E R T F5 Esc
  rig.core->SetSelectionKeys(Row(row));
  // Only lit keys can be selected while the user colours are shown.
  EXPECT_FALSE(rig.core->Selection().Selectable(1014));
  ASSERT_TRUE(rig.core->Selection().Band({0, 0, 0, 45, 5}, SelectMode::kReplace));
  rig.keyboard.ClearExchanges();
  EXPECT_EQ(rig.core->KeyClick(1047), -1);
  EXPECT_EQ(rig.Commands().size(), 10u);
  for (int button : {1045, 1046, 1047, 1048}) EXPECT_EQ(rig.KeyboardColour(button), (SlotColour{0x10, 0x20, 0x30}));
  EXPECT_EQ(rig.core->Selection().Selected().size(), 4u);
  rig.keyboard.ClearExchanges();
  rig.core->KeyClick(kEscButton);
  EXPECT_EQ(rig.Commands().size(), 3u);
  EXPECT_TRUE(rig.core->Selection().Empty());
  // With the switch off every key with a record can be selected (for a
  // paste), and a plain click opens the key's dialog and ends the selection.
  rig.core->Lighting().ToggleLightingSwitch();
  rig.core->SetSelectionKeys(Row(row));
  EXPECT_TRUE(rig.core->Selection().SelectAll());
  EXPECT_EQ(rig.core->Selection().Selected().size(), row.size());
  EXPECT_EQ(rig.core->KeyClick(1014), 0x3F);
  EXPECT_TRUE(rig.core->Selection().Empty());
}

TEST(PaintManyKeys, BaseToolWithANewColourRepaintsMarkedKeysTooInTheSameBracket) {
  PaintRig rig;
  LightingController& l = rig.core->Lighting();
  // Esc wears the base colour (the template's keys are marked); W is painted.
  ASSERT_EQ(l.PaintKeys({kEscButton}, SlotColour{1, 2, 3}, 1), 1);
  ASSERT_EQ(l.PaintKeys({kWButton}, SlotColour{9, 9, 9}, 0), 1);
  rig.keyboard.ClearExchanges();
  ASSERT_EQ(l.PaintKeys(KeyGroupButtons(KeyGroup::kWasd), SlotColour{0, 0xFF, 0}, 1), 1);
  EXPECT_EQ(rig.Commands().size(), 10u);
  EXPECT_EQ(l.Colours().slot.baseColour, (SlotColour{0, 0xFF, 0}));
  EXPECT_EQ(l.Colours().slot.tool, 1);
  for (int button : {kEscButton, kWButton, 1058}) {
    EXPECT_EQ(rig.KeyboardColour(button), (SlotColour{0, 0xFF, 0})) << button;
    EXPECT_TRUE(rig.FileEntry(button).mark) << button;
  }
}

TEST(UndoColours, UndoSendsThePreviousColoursAtOnceAndRedoBringsThePaintBack) {
  PaintRig rig;
  const SlotColour esc_before = rig.KeyboardColour(kEscButton);
  ASSERT_EQ(rig.core->Lighting().PaintKey(kEscButton), 1);
  ASSERT_EQ(rig.core->Lighting().PaintKeys(Letters()), 1);
  const SlotColour w_before = esc_before;  // the template gives every key one colour
  ASSERT_EQ(rig.core->History().UndoCount(), 2u);
  rig.keyboard.ClearExchanges();

  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.Commands().size(), 10u);  // begin, the eight writes, end
  EXPECT_EQ(rig.KeyboardColour(kWButton), w_before);
  EXPECT_EQ(rig.FileEntry(kWButton).colour, w_before);
  EXPECT_EQ(rig.KeyboardColour(kEscButton), (SlotColour{0x10, 0x20, 0x30}));  // the first paint stays
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.KeyboardColour(kEscButton), esc_before);
  EXPECT_TRUE(rig.FileEntry(kEscButton).mark);
  EXPECT_FALSE(rig.core->Undo());

  ASSERT_TRUE(rig.core->Redo());
  ASSERT_TRUE(rig.core->Redo());
  EXPECT_EQ(rig.KeyboardColour(kWButton), (SlotColour{0x10, 0x20, 0x30}));
  EXPECT_EQ(rig.FileEntry(kWButton), (KeyColourEntry{{0x10, 0x20, 0x30}, false}));
  EXPECT_FALSE(rig.core->Redo());
  // A new paint after an undo forgets what could be redone.
  rig.core->Undo();
  ASSERT_EQ(rig.core->Lighting().PaintKey(kWButton), 1);
  EXPECT_FALSE(rig.core->CanRedo());
}

TEST(UndoColours, ABaseColourChangeIsUndoneWithTheBaseColourItself) {
  PaintRig rig;
  LightingController& l = rig.core->Lighting();
  const SlotColour base = l.Colours().slot.baseColour;
  ASSERT_EQ(l.SetBaseColour({0x44, 0x55, 0x66}), 1);
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(l.Colours().slot.baseColour, base);
  EXPECT_EQ(l.Files().ReadSlotSettings(0, l.Colours().slot.currentSlot).baseColour, base);
  EXPECT_EQ(rig.KeyboardColour(kEscButton), base);
}

TEST(UndoColours, AStepOfAnotherSlotIsDroppedNotUndoneIntoTheSlotShown) {
  PaintRig rig;
  LightingController& l = rig.core->Lighting();
  ASSERT_EQ(l.PaintKey(kEscButton), 1);
  ASSERT_EQ(l.SelectUserSlot(4), 1);
  const SlotColour shown = rig.KeyboardColour(kEscButton);
  rig.keyboard.ClearExchanges();
  EXPECT_FALSE(rig.core->Undo());
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_EQ(rig.KeyboardColour(kEscButton), shown);
  EXPECT_FALSE(rig.core->CanUndo());
}

TEST(UndoKeys, UndoChangesTheStoreAndTheFlagButNeverWritesTheKeyboard) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  const KeyFunction original = rig.core->KeyRecord(kF1Record);
  rig.core->AssignKey(kF1Record, KeyTo(0x30));
  rig.core->AssignKey(kF1Record, KeyTo(0x31));
  ASSERT_TRUE(rig.core->Apply());
  EXPECT_FALSE(rig.core->CanUndo());  // Apply ends the key history
  rig.core->AssignKey(kF2Record, KeyTo(0x32));
  rig.keyboard.ClearExchanges();

  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.core->KeyRecord(kF2Record), KeyFunction{});
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), KeyTo(0x31));  // applied: not undone
  EXPECT_TRUE(rig.core->UnappliedChanges());
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  EXPECT_FALSE(rig.core->Undo());
  ASSERT_TRUE(rig.core->Redo());
  EXPECT_EQ(rig.core->KeyRecord(kF2Record), KeyTo(0x32));
  EXPECT_TRUE(rig.keyboard.Exchanges().empty());
  // The description of the key follows.
  EXPECT_TRUE(rig.view.descriptions.at(1011).assigned);
  (void)original;
}

TEST(UndoKeys, AProgramKeyGetsItsTextBackAndTwoEditsUndoInOrder) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF3Record, KeyFunction{kFunctionLaunch, 0, 0, 0, 0}, u"/usr/bin/true");
  rig.core->AssignKey(kF3Record, KeyTo(0x30));
  EXPECT_EQ(rig.core->KeyText(kF3Record), u"");
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.core->KeyRecord(kF3Record).type, kFunctionLaunch);
  EXPECT_EQ(rig.core->KeyText(kF3Record), u"/usr/bin/true");
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.core->KeyRecord(kF3Record), KeyFunction{});
  // Storing what a key already has is no step.
  rig.core->AssignKey(kF3Record, KeyFunction{});
  EXPECT_FALSE(rig.core->CanUndo());
}

TEST(UndoKeys, ProfileSwitchRestoreAndReconnectionClearTheHistory) {
  struct Case {
    const char* name;
    std::function<void(CoreRig&)> event;
  };
  const std::vector<Case> cases = {
      {"profile button", [](CoreRig& r) { r.core->ProfileButton(2); }},
      {"restore from a file",
       [](CoreRig& r) {
         const std::string file = r.folders.Path("backup.zvl");
         ASSERT_TRUE(r.core->ExportProfileFile(file));
         ASSERT_EQ(r.core->ImportProfileFile(file), kCoreImportDone);
       }},
      {"reconnection that reads the keyboard",
       [](CoreRig& r) {
         ASSERT_TRUE(r.core->Apply());
         ASSERT_TRUE(r.Reconnect());
       }},
      {"default keys", [](CoreRig& r) { r.core->RestoreDefaults(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoreRig rig;
    ASSERT_TRUE(rig.Connect());
    LightingController& l = rig.core->Lighting();
    ASSERT_EQ(l.SelectEffect(l.State().effects.PositionOf(kUserEffect)), 1);
    ASSERT_EQ(l.PaintKey(kEscButton), 1);
    rig.core->AssignKey(kF1Record, KeyTo(0x30));
    ASSERT_EQ(rig.core->History().UndoCount(), 2u);
    // The profile button asks about the unapplied edit (No: discard); the
    // default button asks first (Yes).
    rig.prompter.ScriptAnswers({std::string(c.name) == "default keys"});
    c.event(rig);
    EXPECT_FALSE(rig.core->CanUndo());
    EXPECT_FALSE(rig.core->CanRedo());
  }
}

TEST(UndoKeys, ApplyDropsKeyStepsButColourStepsStay) {
  PaintRig rig;
  rig.core->AssignKey(kF1Record, KeyTo(0x30));
  ASSERT_EQ(rig.core->Lighting().PaintKey(kEscButton), 1);
  rig.core->AssignKey(kF2Record, KeyTo(0x31));
  ASSERT_TRUE(rig.core->Apply());
  ASSERT_EQ(rig.core->History().UndoCount(), 1u);
  EXPECT_EQ(rig.core->History().NextUndo()->kind, EditStep::Kind::kColours);
}

TEST(EditHistoryLimit, TheOldestStepGoesPastTheLimit) {
  EditHistory history;
  for (std::size_t i = 0; i < kEditHistoryLimit + 5; ++i) {
    EditStep step;
    step.keys.push_back({i, {}, {}, KeyTo(0x30), {}});
    history.Push(0, step);
  }
  EXPECT_EQ(history.UndoCount(), kEditHistoryLimit);
  EXPECT_EQ(history.NextUndo()->keys.front().record, kEditHistoryLimit + 4);
  // A step of another profile starts the history afresh.
  history.Push(1, EditStep{});
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.Profile(), 1);
}

TEST(PasteKey, OnePasteIntoManyKeysIsOneStepAndAMacroPastesTheSameMacro) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros = {testing::MakeMacro(7, "m")};
  }
  const KeyFunction macro{kFunctionMacro, 3, 7, 0, 0};
  rig.core->AssignKey(kF1Record, macro);
  const std::size_t q = KeyCodeToRecordIndex(0x10), w = KeyCodeToRecordIndex(0x11);
  ASSERT_TRUE(rig.core->CopyKey(1010));  // F1
  rig.core->SetSelectionKeys({{1044, 0, 0, 10, 10}, {1045, 10, 0, 10, 10}, {1010, 20, 0, 10, 10}});
  rig.core->Selection().SelectAll();
  EXPECT_EQ(rig.core->PasteKey(1010), 2);
  EXPECT_EQ(rig.core->KeyRecord(q), macro);
  EXPECT_EQ(rig.core->KeyRecord(w), macro);
  ASSERT_EQ(rig.core->History().UndoCount(), 2u);
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.core->KeyRecord(q), KeyFunction{});
  EXPECT_EQ(rig.core->KeyRecord(w), KeyFunction{});
  EXPECT_EQ(rig.core->KeyRecord(kF1Record), macro);
  // A key given the key it is becomes a default key, not a loop.
  rig.core->PasteKeyFunction(KeyTo(0x10), {}, {q});
  EXPECT_EQ(rig.core->KeyRecord(q).type, kFunctionDefault);
}

TEST(UndoKeys, AKeyOfAMacroDeletedSinceComesBackAsADefaultKey) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros = {testing::MakeMacro(7, "m"), testing::MakeMacro(8, "n")};
  }
  const KeyFunction macro{kFunctionMacro, 1, 7, 0, 0};
  rig.core->AssignKey(kF1Record, macro);
  rig.core->AssignKey(kF1Record, KeyTo(0x30));
  {
    std::lock_guard lock(rig.core->StoreLock());
    rig.core->Store().macros.erase(rig.core->Store().macros.begin());
  }
  ASSERT_TRUE(rig.core->Undo());
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionDefault);
}

TEST(PasteKey, AGKeyTheKeyboardHasNoPlaceForIsRefusedWithTheDialogsMessage) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF1Record, KeyTo(0x30));
  const ProfileImage before = rig.core->Store().image;
  EXPECT_EQ(rig.core->PasteKeyFunction(KeyTo(0x30), {}, {kF2Record, kG1Record}), 0);
  EXPECT_EQ(rig.prompter.Keys(), (std::vector<std::string>{"KEY_NO_PLACE_PROMPT"}));
  EXPECT_NE(rig.prompter.Prompts().front().text.find("G1"), std::string::npos);
  EXPECT_EQ(rig.core->Store().image, before);  // F2 not pasted either
}

TEST(CopyProfile, KeysGoIntoTheOtherProfileAfterAskingAndAreWrittenLikeApply) {
  CoreRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.core->AssignKey(kF1Record, KeyTo(0x30));
  rig.core->AssignKey(kF3Record, KeyFunction{kFunctionText, 0, 0, 0, 0}, u"hello");
  rig.prompter.ScriptAnswers({false});
  EXPECT_FALSE(rig.core->CopyProfile(0, 2, false));
  EXPECT_EQ(rig.core->Store().Record(2, kF1Record), KeyFunction{});

  rig.prompter.ScriptAnswers({true});
  rig.keyboard.ClearExchanges();
  ASSERT_TRUE(rig.core->CopyProfile(0, 2, false));
  EXPECT_EQ(rig.core->Store().Record(2, kF1Record), KeyTo(0x30));
  EXPECT_EQ(rig.core->Store().strings.Entry(GlobalRecordNumber(2, kF3Record)).text, u"hello");
  EXPECT_FALSE(rig.core->UnappliedChanges());
  // Profile 3 in the keyboard now has F1 typing B: read back as a connection would.
  const std::vector<std::uint8_t> keyboard = rig.KeyboardAsFile();
  ProfileImage image{};
  ASSERT_TRUE(LoadStoreFromBytes(rig.core->Store(), keyboard));
  EXPECT_EQ(rig.core->Store().Record(2, kF1Record), KeyTo(0x30));
  EXPECT_FALSE(rig.core->CopyProfile(1, 1, false));
  (void)image;
}

TEST(CopyProfile, WithLightingTheRecordAndTheUserColoursGoAlong) {
  PaintRig rig;
  LightingController& l = rig.core->Lighting();
  ASSERT_EQ(l.PaintKey(kEscButton), 1);
  rig.prompter.ScriptAnswers({true});
  ASSERT_TRUE(rig.core->CopyProfile(0, 3, true));
  const std::vector<std::uint8_t> area = rig.keyboard.Area(KeyboardArea::kLighting);
  EXPECT_TRUE(std::equal(area.begin(), area.begin() + 42, area.begin() + 3 * 42));
  EXPECT_EQ(l.Files().ReadKeyEntry(3, l.Colours().slot.currentSlot, 0),
            (KeyColourEntry{{0x10, 0x20, 0x30}, false}));
}

}  // namespace
}  // namespace zarvel
