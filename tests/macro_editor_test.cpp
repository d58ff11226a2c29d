#include "core/macro_editor.h"

#include <gtest/gtest.h>

#include "core/app_core.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::MakeMacro;

constexpr std::size_t kF1Record = 0x3B;
constexpr std::size_t kG1Record = 256;

std::string Name(const MacroRecord& macro) { return MacroNameUtf8(macro); }

std::vector<std::string> Names(const MacroEditor& editor) {
  std::vector<std::string> names;
  for (const MacroRecord& macro : editor.Entries()) names.push_back(Name(macro));
  return names;
}

void StoreMacros(CoreRig& rig, const MacroSet& macros) {
  std::lock_guard lock(rig.core->StoreLock());
  rig.core->Store().macros = macros;
}

KeyFunction PlayMacro(std::uint32_t id) { return KeyFunction{kFunctionMacro, 1, id, 0, 0}; }

MacroRecord MacroWithDelays(std::uint16_t id, std::initializer_list<std::uint32_t> delays) {
  MacroRecord macro = MakeMacro(id, "rows");
  macro.actionCount = 0;
  KeyCode key = 0x1E;
  for (std::uint32_t delay : delays) macro.actions[macro.actionCount++] = MacroAction{delay, key++, kPress};
  return macro;
}

TEST(MacroEditorNamesTest, GeneratedNamesCountUpAndRestartOnAnEmptyList) {
  CoreRig rig;
  MacroEditor editor(*rig.core);
  editor.Load();
  ASSERT_TRUE(editor.Add());
  ASSERT_TRUE(editor.Add());
  EXPECT_EQ(Names(editor), (std::vector<std::string>{"Macro1", "Macro2"}));
  EXPECT_EQ(editor.CurrentIndex(), 1);
  while (!editor.Entries().empty()) editor.DeleteCurrent();
  ASSERT_TRUE(editor.Add());
  EXPECT_EQ(Names(editor), std::vector<std::string>{"Macro1"});
}

TEST(MacroEditorNamesTest, ANameIsTakenWhenAnotherBeginsWithItInAnyCase) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "MACRO10")});
  MacroEditor editor(*rig.core);
  editor.Load();
  ASSERT_TRUE(editor.Add());  // "Macro1" is the beginning of "MACRO10"
  EXPECT_EQ(Name(editor.Entries().back()), "Macro2");
}

TEST(MacroEditorNamesTest, NewMacrosTakeTheLowestFreeIdAndStopAtAHundred) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "a"), MakeMacro(2, "b"), MakeMacro(4, "d")});
  MacroEditor editor(*rig.core);
  editor.Load();
  ASSERT_TRUE(editor.Add());
  EXPECT_EQ(editor.Entries().back().id, 3);
  EXPECT_EQ(editor.Entries().back().unapplied, 1);

  while (editor.Entries().size() < kMaxMacros) ASSERT_TRUE(editor.Add());
  EXPECT_FALSE(editor.Add());
  EXPECT_EQ(editor.Entries().size(), kMaxMacros);
  ASSERT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MACRO_ERR_MAX"});
  EXPECT_NE(rig.prompter.Prompts()[0].text.find("100"), std::string::npos);
}

TEST(MacroEditorNamesTest, TypingRenamesCreatesOrIsIgnored) {
  CoreRig rig;
  MacroEditor editor(*rig.core);
  editor.Load();
  // Typing into the empty box makes the first macro with the typed name.
  ASSERT_TRUE(editor.Rename(u"Greeting"));
  EXPECT_EQ(Names(editor), std::vector<std::string>{"Greeting"});
  EXPECT_EQ(editor.CurrentIndex(), 0);

  ASSERT_TRUE(editor.Add());
  // The beginning of another macro's name is a name of its own; only the
  // very same name (in any case) is replaced, and the box is told which.
  ASSERT_TRUE(editor.Rename(u"gree"));
  EXPECT_EQ(Name(editor.Entries()[1]), "gree");
  ASSERT_TRUE(editor.Rename(u"GREETING"));
  EXPECT_EQ(Name(editor.Entries()[1]), "Macro2");
  EXPECT_EQ(editor.CurrentName(), u"Macro2");
  ASSERT_TRUE(editor.Rename(u"Greeting line"));
  EXPECT_EQ(Name(editor.Entries()[1]), "Greeting line");
  ASSERT_TRUE(editor.Rename(u""));
  EXPECT_EQ(Name(editor.Entries()[1]), "Macro3");

  // Macros but none current (as at opening): there is nothing to rename.
  StoreMacros(rig, {MakeMacro(1, "kept")});
  editor.Load();
  EXPECT_FALSE(editor.Rename(u"lost"));
  EXPECT_EQ(Names(editor), std::vector<std::string>{"kept"});
}

TEST(MacroEditorNamesTest, TypingOverAnotherNamesBeginningUsesUpNoGeneratedNames) {
  // "Other" renamed to "Copy" beside "Copy line", keystroke by keystroke.
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "Copy line"), MakeMacro(2, "Other")});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(1);
  for (const std::u16string typed : {u"C", u"Co", u"Cop", u"Copy"}) ASSERT_TRUE(editor.Rename(typed));
  EXPECT_EQ(Names(editor), (std::vector<std::string>{"Copy line", "Copy"}));
  ASSERT_TRUE(editor.Add());
  EXPECT_EQ(Name(editor.Entries().back()), "Macro1");  // no counter was spent on the way
  editor.ApplyMacroSet();
  EXPECT_EQ(Name(rig.core->Store().macros[1]), "Copy");
}

TEST(MacroEditorPageTest, AMacroIsCurrentWheneverThereAreMacros) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(5, "five"), MakeMacro(7, "seven")});
  MacroEditor editor(*rig.core);
  struct Case {
    bool initial;
    std::uint32_t stored;
    int current;
  };
  for (const Case& c : {Case{true, 7, 1}, Case{true, 0, 0}, Case{true, 99, 0}, Case{false, 7, 0}, Case{false, 0, 0}}) {
    editor.Load();
    EXPECT_FALSE(editor.RowCommandsEnabled());
    editor.EnterPage(c.initial, c.stored);
    EXPECT_EQ(editor.CurrentIndex(), c.current) << c.initial << " " << c.stored;
    EXPECT_TRUE(editor.RowCommandsEnabled());
  }
  // Only the first visit chooses: a macro picked later stays current.
  editor.SelectMacro(1);
  editor.EnterPage(false, 0);
  EXPECT_EQ(editor.CurrentIndex(), 1);

  StoreMacros(rig, {});
  editor.Load();
  editor.EnterPage(true, 5);
  EXPECT_EQ(editor.CurrentIndex(), -1);
  EXPECT_FALSE(editor.RowCommandsEnabled());
  EXPECT_FALSE(editor.InsertRecorded(10, 0x1E, kPress));
}

TEST(MacroEditorDeleteTest, CurrentMovesBackAndTheOnlyMacroLeavesNoneCurrent) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "a"), MakeMacro(2, "b"), MakeMacro(3, "c")});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(2);
  EXPECT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kDeleted);
  EXPECT_EQ(editor.CurrentIndex(), 1);
  editor.SelectMacro(0);
  EXPECT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kDeleted);
  EXPECT_EQ(editor.CurrentIndex(), 0);
  EXPECT_EQ(Names(editor), std::vector<std::string>{"b"});
  EXPECT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kDeleted);
  EXPECT_EQ(editor.CurrentIndex(), -1);
  // Nothing current and nothing left: saving and showing must not touch a copy.
  editor.SaveCurrentMacro();
  editor.SelectMacro(0);
  EXPECT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kNothing);
  EXPECT_TRUE(editor.Rows().empty());
}

TEST(MacroEditorDeleteTest, DeletingAnAppliedMacroMarksEveryProfileForWriting) {
  struct Case {
    const char* what;
    std::size_t profile, record;  // the key that plays macro 2; record 0 for none
    std::vector<bool> answers;
    MacroDeleteResult result;
    bool asked;
  };
  const Case cases[] = {
      {"unused", 0, 0, {}, MacroDeleteResult::kDeleted, false},
      {"G1 of the first profile, Yes", 0, kG1Record, {true}, MacroDeleteResult::kDeleted, true},
      {"F1 of the last profile, No", 3, kF1Record, {false}, MacroDeleteResult::kKept, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CoreRig rig;
    StoreMacros(rig, {MakeMacro(1, "a"), MakeMacro(2, "b")});
    if (c.record != 0) rig.core->Store().Record(c.profile, c.record) = PlayMacro(2);
    for (bool answer : c.answers) rig.prompter.ScriptAnswers({answer});
    MacroEditor editor(*rig.core);
    editor.Load();
    editor.SelectMacro(1);
    EXPECT_EQ(editor.DeleteCurrent(), c.result);
    EXPECT_EQ(!rig.prompter.Keys().empty(), c.asked);
    EXPECT_TRUE(rig.core->Writer().WriteAllProfilesMarked());
  }
  // A macro added in this opening was never in the keyboard: nothing moves.
  CoreRig rig;
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.Add();
  EXPECT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kDeleted);
  EXPECT_FALSE(rig.core->Writer().WriteAllProfilesMarked());
}

TEST(MacroEditorApplyTest, KeysOfDeletedOrReplacedMacrosBecomeDefaultAndIdZeroTakesTheFirst) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "a"), MakeMacro(2, "b"), MakeMacro(3, "c")});
  rig.core->Store().Record(0, kF1Record) = PlayMacro(3);
  rig.core->Store().Record(2, kG1Record) = PlayMacro(3);
  rig.core->Store().Record(1, kF1Record) = PlayMacro(0);
  rig.core->Store().Record(3, kF1Record) = PlayMacro(1);
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(2);
  rig.prompter.ScriptAnswers({true});
  ASSERT_EQ(editor.DeleteCurrent(), MacroDeleteResult::kDeleted);
  ASSERT_TRUE(editor.Add());
  ASSERT_EQ(editor.Entries().back().id, 3);  // the deleted macro's id again
  editor.ApplyMacroSet();

  EXPECT_EQ(rig.core->Store().Record(0, kF1Record).type, kFunctionDefault);
  EXPECT_EQ(rig.core->Store().Record(2, kG1Record).type, kFunctionDefault);
  EXPECT_EQ(rig.core->Store().Record(1, kF1Record), PlayMacro(1));
  EXPECT_EQ(rig.core->Store().Record(3, kF1Record), PlayMacro(1));
  EXPECT_TRUE(rig.view.apply_enabled);
  ASSERT_EQ(rig.core->Store().macros.size(), 3u);
  for (const MacroRecord& macro : rig.core->Store().macros) EXPECT_EQ(macro.unapplied, 0);
}

TEST(MacroEditorApplyTest, ASecondApplyKeepsKeysOfTheMacrosTheFirstApplied) {
  CoreRig rig;
  MacroEditor editor(*rig.core);
  editor.Load();
  ASSERT_TRUE(editor.Add());
  editor.InsertRecorded(0, 0x1E, kPress);
  editor.ApplyMacroSet();
  rig.core->AssignKey(kF1Record, PlayMacro(editor.CurrentId()));
  editor.ApplyMacroSet();
  EXPECT_EQ(rig.core->KeyRecord(kF1Record).type, kFunctionMacro);
  ASSERT_EQ(rig.core->Store().macros.size(), 1u);
  EXPECT_EQ(rig.core->Store().macros[0].actionCount, 1);
}

TEST(MacroEditorApplyTest, DiscardingLeavesTheStoreExactlyAsItWas) {
  CoreRig rig;
  StoreMacros(rig, {MakeMacro(1, "a"), MakeMacro(2, "b")});
  rig.core->Store().Record(0, kF1Record) = PlayMacro(2);
  const MacroSet macros_before = rig.core->Store().macros;
  const ProfileImage image_before = rig.core->Store().image;
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(0);
  editor.Rename(u"renamed");
  editor.InsertRecorded(30, 0x1E, kPress);
  editor.SetRepeatText("9");
  editor.Add();
  editor.SelectMacro(1);
  rig.prompter.ScriptAnswers({true});
  editor.DeleteCurrent();
  editor.Discard();
  EXPECT_EQ(rig.core->Store().macros, macros_before);
  EXPECT_EQ(rig.core->Store().image, image_before);
}

TEST(MacroEditorRowsTest, RepeatAndDelayTextsAreNormalised) {
  CoreRig rig;
  StoreMacros(rig, {MacroWithDelays(1, {0})});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(0);
  const std::pair<const char*, const char*> repeats[] = {
      {"300", "255"}, {"256", "255"}, {"255", "255"}, {"0", "1"}, {"-4", "1"}, {"x", "1"}, {"42", "42"}};
  for (const auto& [typed, shown] : repeats) EXPECT_EQ(editor.SetRepeatText(typed), shown) << typed;
  EXPECT_EQ(editor.RepeatCount(), 42);
  // Emptied to type "5" over "1": the box stays empty meanwhile (no "15"),
  // counts as 1, and shows 1 once the user leaves it.
  EXPECT_EQ(editor.SetRepeatText(""), "");
  EXPECT_EQ(editor.RepeatCount(), 1);
  EXPECT_EQ(editor.RepeatText(), "1");
  EXPECT_EQ(editor.SetRepeatText("5"), "5");
  EXPECT_EQ(editor.SetRepeatText(""), "");
  editor.SaveCurrentMacro();
  EXPECT_EQ(editor.Entries()[0].repeat, 1);
  EXPECT_EQ(editor.SetRepeatText("42"), "42");

  struct Delay {
    const char* typed;
    std::int64_t stored;
    bool message;
  };
  for (const Delay& d : {Delay{"40005", 40000, true}, Delay{"12345", 12340, false}, Delay{"40000", 40000, false},
                         Delay{"-1", 40000, true}, Delay{"99999999999999999999", 40000, true}, Delay{"7", 0, false}}) {
    rig.prompter.Clear();
    EXPECT_EQ(editor.SetRowDelay(0, d.typed), d.stored) << d.typed;
    EXPECT_EQ(editor.Rows()[0].delay, d.stored) << d.typed;
    EXPECT_EQ(rig.prompter.Keys().size(), d.message ? 1u : 0u) << d.typed;
  }
  EXPECT_EQ(editor.SetRowDelay(1, "10"), -1);

  editor.SaveCurrentMacro();
  editor.ApplyMacroSet();
  EXPECT_EQ(rig.core->Store().macros[0].repeat, 42);
  EXPECT_EQ(rig.core->Store().macros[0].actions[0].delay, 0u);
}

TEST(MacroEditorRowsTest, MovedRowsKeepTheirOwnDelay) {
  CoreRig rig;
  StoreMacros(rig, {MacroWithDelays(1, {10, 20, 30, 40})});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(0);
  auto delays = [&] {
    std::vector<std::uint32_t> d;
    for (const MacroAction& a : editor.Rows()) d.push_back(a.delay);
    return d;
  };
  editor.SelectRow(2);
  ASSERT_TRUE(editor.MoveSelectedRow(RowMove::kTop));
  EXPECT_EQ(delays(), (std::vector<std::uint32_t>{30, 10, 20, 40}));
  ASSERT_TRUE(editor.MoveSelectedRow(RowMove::kBottom));
  EXPECT_EQ(delays(), (std::vector<std::uint32_t>{10, 20, 40, 30}));
  ASSERT_TRUE(editor.MoveSelectedRow(RowMove::kUp));
  EXPECT_EQ(delays(), (std::vector<std::uint32_t>{10, 20, 30, 40}));
  EXPECT_EQ(editor.SelectedRow(), 2);
  ASSERT_TRUE(editor.MoveSelectedRow(RowMove::kDown));
  EXPECT_EQ(delays(), (std::vector<std::uint32_t>{10, 20, 40, 30}));
  ASSERT_TRUE(editor.DeleteSelectedRow());
  EXPECT_EQ(delays(), (std::vector<std::uint32_t>{10, 20, 40}));

  rig.prompter.ScriptAnswers({false});
  EXPECT_FALSE(editor.ClearRows());
  rig.prompter.ScriptAnswers({true});
  EXPECT_TRUE(editor.ClearRows());
  EXPECT_TRUE(editor.Rows().empty());
}

TEST(MacroEditorRowsTest, AKeyCellKeepsAnUnlistedKeyUnlessAnotherIsPicked) {
  constexpr KeyCode kF13 = 0x064, kA = 0x1E, kB = 0x30;
  ASSERT_EQ(MacroEditor::KeyCellPick(kF13), MacroEditor::kKeepRowKey);  // not in the pick list
  CoreRig rig;
  MacroRecord macro = MakeMacro(1, "keys");
  macro.actionCount = 2;
  macro.actions[0] = MacroAction{10, kF13, kPress};
  macro.actions[1] = MacroAction{0, kF13, kRelease};
  StoreMacros(rig, {macro});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(0);

  // Opening and leaving the cell commits what it preselected: the row's own key.
  EXPECT_FALSE(editor.CommitKeyCell(0, MacroEditor::KeyCellPick(kF13)));
  EXPECT_FALSE(editor.CommitKeyCell(0, kPickListSize));
  EXPECT_EQ(editor.Rows()[0].keyCode, kF13);
  // A listed key preselects its own entry, which changes nothing either.
  const int a_pick = MacroEditor::KeyCellPick(kA);
  ASSERT_GE(a_pick, 0);
  EXPECT_EQ(PickIndexToKeyCode(static_cast<std::uint16_t>(a_pick)), kA);
  // Picking another entry does change it.
  const int b_pick = MacroEditor::KeyCellPick(kB);
  EXPECT_TRUE(editor.CommitKeyCell(1, b_pick));
  EXPECT_EQ(editor.Rows()[1].keyCode, kB);

  editor.ApplyMacroSet();
  EXPECT_EQ(rig.core->Store().macros[0].actions[0].keyCode, kF13);
}

TEST(MacroEditorRowsTest, PressesWithoutReleaseAndReleasesWithoutPressAreFound) {
  constexpr KeyCode kH = 0x23, kJ = 0x24, kShift = 0x2A;
  const auto find = [](std::initializer_list<MacroAction> actions) {
    const std::vector<MacroAction> rows(actions);
    return UnbalancedActions(rows);
  };
  EXPECT_TRUE(find({}).empty());
  EXPECT_TRUE(find({{0, kShift, kPress}, {0, kH, kPress}, {0, kH, kRelease}, {0, kShift, kRelease}}).empty());
  // The release row's key changed: "H down ... J up" holds H and lets go of J.
  EXPECT_EQ(find({{0, kH, kPress}, {0, kJ, kRelease}}), (std::vector<int>{0, 1}));
  // A release before its press, and a key pressed twice but released once.
  EXPECT_EQ(find({{0, kH, kRelease}, {0, kH, kPress}}), (std::vector<int>{0, 1}));
  EXPECT_EQ(find({{0, kH, kPress}, {0, kH, kPress}, {0, kH, kRelease}}), (std::vector<int>{0}));
}

TEST(MacroEditorApplyTest, AnUnbalancedMacroIsStoredOnlyWhenTheUserSaysSo) {
  constexpr KeyCode kH = 0x23, kJ = 0x24;
  CoreRig rig;
  MacroRecord fine = MakeMacro(1, "fine");
  StoreMacros(rig, {fine});
  MacroEditor editor(*rig.core);
  editor.Load();
  editor.SelectMacro(0);
  EXPECT_TRUE(editor.ConfirmBalanced());
  EXPECT_TRUE(rig.prompter.Keys().empty());

  ASSERT_TRUE(editor.Add());
  ASSERT_TRUE(editor.Rename(u"held"));
  editor.InsertRecorded(0, kH, kPress);
  editor.InsertRecorded(30, kH, kRelease);
  EXPECT_TRUE(editor.UnbalancedRows().empty());
  ASSERT_TRUE(editor.SetRowKey(1, kJ));
  EXPECT_EQ(editor.UnbalancedRows(), (std::vector<int>{0, 1}));

  rig.prompter.ScriptAnswers({false});
  EXPECT_FALSE(editor.ConfirmBalanced());
  ASSERT_EQ(rig.prompter.Keys(), std::vector<std::string>{"MACRO_UNBALANCED_CONFIRM"});
  EXPECT_NE(rig.prompter.Prompts()[0].text.find("\"held\""), std::string::npos);
  rig.prompter.ScriptAnswers({true});
  EXPECT_TRUE(editor.ConfirmBalanced());
}

}  // namespace
}  // namespace zarvel
