#include "core/key_dialog_session.h"

#include <gtest/gtest.h>

#include "core/app_core.h"
#include "model/key_matrix.h"
#include "model/key_table.h"
#include "model/macro_area.h"
#include "model/record_delay.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;
using testing::KeyTo;
using testing::MakeMacro;

constexpr std::size_t kF1Record = 0x3B;
constexpr std::size_t kG9Record = 264;
constexpr KeyCode kF1 = 0x3B, kA = 0x1E, kWin = 0x15B, kMute = 0x120;

struct SessionRig {
  SessionRig() { session.Open(kF1Record, false); }
  void Reopen(const KeyFunction& record, std::size_t index = kF1Record, bool macro_only = false) {
    session.Close();
    {
      std::lock_guard lock(rig.core->StoreLock());
      rig.core->Store().Record(0, index) = record;
    }
    session.Open(index, macro_only);
  }
  KeyFunction Stored(std::size_t index = kF1Record) { return rig.core->KeyRecord(index); }

  CoreRig rig;
  std::uint32_t now = 0;
  KeyDialogSession session{*rig.core, rig.settings, [this] { return now; }};
};

TEST(KeyFunctionChoiceTest, ChoicesBuildTheRecordTheKeyboardIsGiven) {
  struct Case {
    const char* what;
    KeyFunction opened;
    std::function<void(KeyFunctionChoice&)> act;
    KeyFunction expected;
  };
  const KeyFunction kept_words{kFunctionDefault, 0, 0, 1, 0xABCD};
  const Case cases[] = {
      {"default key, OK", {}, [](KeyFunctionChoice&) {}, {}},
      {"a captured key", {}, [](KeyFunctionChoice& c) { c.KeyEvent(kA, kPress, false); }, KeyTo(kA)},
      {"the key itself", {}, [](KeyFunctionChoice& c) { c.KeyEvent(kF1, kPress, false); }, {}},
      {"middle button",
       {},
       [](KeyFunctionChoice& c) {
         c.ChooseMouse();
         c.SelectMouseEntry(2);
       },
       KeyTo(0x173)},
      {"multimedia 6",
       {},
       [](KeyFunctionChoice& c) {
         c.ChoosePage(KeyPage::kMedia);
         c.SelectMedia(6);
       },
       {kFunctionMedia, 0, 6, 0, 0}},
      {"media value outside the list", {kFunctionMedia, 0, 40, 0, 0}, [](KeyFunctionChoice&) {},
       {kFunctionMedia, 0, 0, 0, 0}},
      {"function value outside the list", {kFunctionKeyboard, 0, 11, 0, 0}, [](KeyFunctionChoice&) {},
       {kFunctionKeyboard, 0, 0, 0, 0}},
      {"function 10 kept", {kFunctionKeyboard, 0, 10, 0, 0}, [](KeyFunctionChoice&) {},
       {kFunctionKeyboard, 0, 10, 0, 0}},
      {"Clear on a mapped key", KeyTo(kA), [](KeyFunctionChoice& c) { c.Clear(); }, {}},
      {"mark and reserved kept", {kFunctionKey, 0, kA, 1, 0xABCD},
       [](KeyFunctionChoice& c) { c.ChoosePage(KeyPage::kFunction); },
       {kFunctionKeyboard, 0, 0, 1, 0xABCD}},
      {"Clear keeps them too", {kFunctionKey, 0, kA, 1, 0xABCD}, [](KeyFunctionChoice& c) { c.Clear(); },
       kept_words},
      {"text key, OK untouched", {kFunctionText, 0, 64, 0, 0}, [](KeyFunctionChoice&) {},
       {kFunctionText, 0, 64, 0, 0}},
      {"launch key, keyboard choice without a key", {kFunctionLaunch, 0, 64, 0, 0},
       [](KeyFunctionChoice& c) { c.ChooseKeyboard(); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KeyFunctionChoice choice;
    choice.Open(kF1Record, false, c.opened);
    c.act(choice);
    EXPECT_EQ(choice.Build(c.opened, false, 0, 1), c.expected);
  }
}

TEST(KeyFunctionChoiceTest, CaptureTakesFreshPressesOfTheChosenKind) {
  KeyFunctionChoice choice;
  choice.Open(kF1Record, false, {});
  EXPECT_TRUE(choice.KeyEvent(kA, kPress, false).taken);
  EXPECT_FALSE(choice.KeyEvent(kA, kPress, false).taken);  // held: X repeats without a flag
  EXPECT_FALSE(choice.KeyEvent(kA, kRelease, false).taken);
  EXPECT_TRUE(choice.KeyEvent(kMute, kPress, false).passOn);
  EXPECT_EQ(choice.SingleKey(), kA);

  choice.ChooseMouse();
  EXPECT_FALSE(choice.KeyEvent(0x30, kPress, false).taken);
  EXPECT_TRUE(choice.KeyEvent(kWin, kPress, false).taken);
  EXPECT_EQ(choice.SingleKey(), kWin);
  EXPECT_EQ(choice.Page(), KeyPage::kSingleKey);

  choice.Open(kF1Record, false, KeyTo(0x162));
  EXPECT_FALSE(choice.KeyboardChosen());
  EXPECT_EQ(choice.MousePosition(), 4);
}

TEST(KeyFunctionChoiceTest, ClearAndPageButtonsFollowTheKind) {
  KeyFunctionChoice choice;
  choice.Open(kF1Record, false, {});
  EXPECT_FALSE(choice.Clear());
  EXPECT_FALSE(choice.ChoosePage(KeyPage::kSingleKey));
  EXPECT_TRUE(choice.ChoosePage(KeyPage::kMacro));
  EXPECT_TRUE(choice.Clear());  // back to the single-key page and default at once
  EXPECT_EQ(choice.Kind(), kFunctionDefault);
  EXPECT_EQ(choice.Page(), KeyPage::kSingleKey);
  EXPECT_EQ(SpecialIdOfRecord(256), 0x0301);
  EXPECT_EQ(SpecialIdOfRecord(264), 0x0309);
  EXPECT_EQ(SpecialIdOfRecord(273), 0x1309);
  EXPECT_EQ(SpecialIdOfRecord(274), 0);
}

TEST(KeyDialogSessionTest, TextKeysKeepTheirTextUntilTheUserChooses) {
  SessionRig s;
  s.session.Close();
  s.rig.core->AssignKey(kF1Record, KeyFunction{kFunctionText, 0, 0, 0, 0}, u"hello there");
  const KeyFunction text_key = s.Stored();
  s.session.Open(kF1Record, false);
  EXPECT_EQ(s.session.Choice().Page(), KeyPage::kSingleKey);
  ASSERT_TRUE(s.session.ApplyKey());
  EXPECT_EQ(s.Stored(), text_key);
  EXPECT_EQ(s.rig.core->KeyText(kF1Record), u"hello there");

  s.session.Choice().Clear();
  ASSERT_TRUE(s.session.ApplyKey());
  EXPECT_EQ(s.Stored().type, kFunctionDefault);
  EXPECT_EQ(s.rig.core->KeyText(kF1Record), u"");
  EXPECT_EQ(s.rig.core->Store().strings.total(), 0u);
}

TEST(KeyDialogSessionTest, TheDialogCountsAsOpenUntilItClosesAnyWay) {
  SessionRig s;
  EXPECT_FALSE(s.rig.core->SwitchProfile(1));
  EXPECT_EQ(s.rig.prompter.Keys(), std::vector<std::string>{"PROFILE_SEELCT_PROMPT2"});
  s.session.Close();
  s.session.Close();
  s.rig.prompter.Clear();
  s.rig.core->SwitchProfile(1);
  EXPECT_TRUE(s.rig.prompter.Keys().empty());

  {
    KeyDialogSession other(*s.rig.core, s.rig.settings);
    other.Open(kF1Record, false);
    EXPECT_FALSE(s.rig.core->SwitchProfile(2));
  }
  s.rig.prompter.Clear();
  s.rig.core->SwitchProfile(2);
  EXPECT_TRUE(s.rig.prompter.Keys().empty());
  EXPECT_FALSE(s.session.Open(kRecordsPerProfile, false));
}

TEST(KeyDialogSessionTest, CancelLeavesTheStoreUnchanged) {
  SessionRig s;
  s.session.Close();
  {
    std::lock_guard lock(s.rig.core->StoreLock());
    s.rig.core->Store().macros = {MakeMacro(1, "a"), MakeMacro(2, "b")};
  }
  const ProfileImage image = s.rig.core->Store().image;
  const MacroSet macros = s.rig.core->Store().macros;
  s.session.Open(kF1Record, false);
  s.session.KeyEvent(kA, kPress, false);
  s.session.Choice().ChoosePage(KeyPage::kMacro);
  s.session.ShowPage(false);
  s.session.Editor().Add();
  s.session.Editor().Rename(u"x");
  s.session.Close();
  EXPECT_EQ(s.rig.core->Store().image, image);
  EXPECT_EQ(s.rig.core->Store().macros, macros);
}

TEST(KeyDialogSessionTest, GKeysWithoutAPlaceInTheKeyboardAreNotAssigned) {
  SessionRig s;
  s.session.Close();
  // The built-in factory matrix names no special key.
  EXPECT_FALSE(s.rig.core->KeyboardCanStore(kG9Record));
  EXPECT_TRUE(s.rig.core->KeyboardCanStore(kF1Record));
  s.session.Open(kG9Record, true);
  EXPECT_FALSE(s.session.KeyStorable());
  ASSERT_TRUE(s.session.Editor().Add());
  EXPECT_FALSE(s.session.ApplyKey());
  EXPECT_EQ(s.Stored(kG9Record).type, kFunctionDefault);
  EXPECT_EQ(s.rig.core->Store().macros.size(), 1u);
  EXPECT_TRUE(s.rig.view.apply_enabled);

  // A keyboard whose factory matrix has a place for G9 (06 A2 09).
  const std::uint8_t g9[] = {0x06, 0xA2, 0x09};
  s.rig.keyboard.SetArea(KeyboardArea::kDefaultMatrix, 3 * 6, g9);
  ASSERT_TRUE(s.rig.Connect());
  EXPECT_TRUE(s.rig.core->KeyboardCanStore(kG9Record));
  EXPECT_FALSE(s.rig.core->KeyboardCanStore(kG9Record - 1));
}

TEST(KeyDialogSessionTest, RecordedMacroOnG9ReachesTheKeyboardAsTheModelsPredict) {
  SessionRig s;
  s.session.Close();
  const std::uint8_t g9[] = {0x06, 0xA2, 0x09};
  s.rig.keyboard.SetArea(KeyboardArea::kDefaultMatrix, 3 * 6, g9);
  ASSERT_TRUE(s.rig.Connect());
  s.rig.settings.SetString(kProfilesSection, "RecordDelay", "1");

  ASSERT_TRUE(s.session.Open(kG9Record, /*macro_only=*/true));
  EXPECT_TRUE(s.session.RecordDelay());
  EXPECT_EQ(s.session.Choice().Page(), KeyPage::kMacro);
  ASSERT_TRUE(s.session.Editor().Add());
  ASSERT_TRUE(s.session.Recorder().Start());
  EXPECT_TRUE(s.session.Capturing());
  s.now = 120;
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).rowsChanged);
  s.now = 250;
  EXPECT_TRUE(s.session.KeyEvent(kA, kRelease, false).rowsChanged);
  EXPECT_EQ(s.session.Editor().SetRepeatText("3"), "3");
  ASSERT_TRUE(s.session.ApplyKey());
  EXPECT_FALSE(s.session.Recorder().Recording());
  s.session.Close();

  const KeyFunction g9_record = s.Stored(kG9Record);
  EXPECT_EQ(g9_record.type, kFunctionMacro);
  EXPECT_EQ(g9_record.value, 1u);
  EXPECT_EQ(g9_record.extra, 3);
  ASSERT_TRUE(s.rig.core->Apply());

  const MacroSet& macros = s.rig.core->Store().macros;
  ASSERT_EQ(macros.size(), 1u);
  EXPECT_EQ(macros[0].actionCount, 2);
  EXPECT_EQ(macros[0].actions[0], (MacroAction{130, kA, kPress}));
  EXPECT_EQ(macros[0].repeat, 3);
  const MacroAreaSize size = MacroAreaSizes(macros);
  std::vector<std::uint8_t> image(size.withNames);
  ASSERT_TRUE(EncodeMacroArea(macros, size.withNames, true, image));
  const std::vector<std::uint8_t> memory = s.rig.keyboard.Area(KeyboardArea::kMacroMemory);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));

  const std::vector<std::uint8_t> matrices = s.rig.keyboard.Area(KeyboardArea::kKeyMatrices);
  const MatrixEntry g9_entry = MatrixEntryAt(matrices, 6);
  EXPECT_EQ(g9_entry, (MatrixEntry{0x05, 0x01, 0x00}));
}

TEST(KeyFunctionChoiceTest, AListEntryThatChangesTheRecordCountsAsAChange) {
  KeyFunctionChoice choice;
  choice.Open(kF1Record, false, {kFunctionMedia, 0, 3, 0, 0});
  EXPECT_TRUE(choice.SelectMedia(5));
  EXPECT_FALSE(choice.SelectMedia(5));    // the same entry again
  EXPECT_FALSE(choice.SelectMedia(99));   // outside the list
  EXPECT_FALSE(choice.SelectFunction(2));  // another page's list: not stored
  EXPECT_TRUE(choice.ChoosePage(KeyPage::kFunction));
  EXPECT_TRUE(choice.SelectFunction(4));
  EXPECT_EQ(choice.Build({}, false, 0, 1), (KeyFunction{kFunctionKeyboard, 0, 4, 0, 0}));

  choice.Open(kF1Record, false, {});
  EXPECT_FALSE(choice.SelectMouseEntry(2));  // the keyboard choice is ticked
  choice.ChooseMouse();
  EXPECT_TRUE(choice.SelectMouseEntry(3));
  EXPECT_EQ(choice.Build({}, false, 0, 1), KeyTo(0x161));
}

TEST(KeyFunctionChoiceTest, TheDialogKnowsWhichKeyItEdits) {
  KeyFunctionChoice choice;
  const std::pair<std::size_t, const char*> keys[] = {
      {kF1Record, "F1"}, {0x1C, "Enter"}, {0x9C, "Num Enter"}, {256, "G1"}, {kG9Record, "G9"}};
  for (const auto& [record, name] : keys) {
    choice.Open(record, false, {});
    EXPECT_EQ(KeyCodeToRecordIndex(choice.Key()), record) << name;
    EXPECT_EQ(choice.KeyName(), name);
  }
}

TEST(KeyDialogSessionTest, TheMacrosButtonLeavesG9AloneAndAClickOnG9AssignsIt) {
  for (const KeyDialogMode mode : {KeyDialogMode::kMacroSet, KeyDialogMode::kG9Macros}) {
    SCOPED_TRACE(static_cast<int>(mode));
    SessionRig s;
    s.session.Close();
    const std::uint8_t g9[] = {0x06, 0xA2, 0x09};  // a keyboard with a place for G9
    s.rig.keyboard.SetArea(KeyboardArea::kDefaultMatrix, 3 * 6, g9);
    ASSERT_TRUE(s.rig.Connect());
    const KeyFunction g9_mute{kFunctionMedia, 0x0309, 7, 0, 0};
    {
      std::lock_guard lock(s.rig.core->StoreLock());
      s.rig.core->Store().Record(0, kG9Record) = g9_mute;
      s.rig.core->Store().macros = {MakeMacro(1, "first")};
    }
    s.rig.core->SetUnappliedChanges(false);
    ASSERT_TRUE(s.session.Open(kG9Record, mode));
    EXPECT_EQ(s.session.Choice().Page(), KeyPage::kMacro);
    EXPECT_TRUE(s.session.KeyStorable());
    ASSERT_TRUE(s.session.Editor().Rename(u"renamed"));
    ASSERT_TRUE(s.session.ConfirmApply());
    EXPECT_TRUE(s.session.ApplyKey());
    s.session.Close();

    EXPECT_EQ(MacroNameUtf8(s.rig.core->Store().macros[0]), "renamed");
    EXPECT_TRUE(s.rig.core->UnappliedChanges());
    if (mode == KeyDialogMode::kMacroSet)
      EXPECT_EQ(s.Stored(kG9Record), g9_mute);
    else
      EXPECT_EQ(s.Stored(kG9Record), (KeyFunction{kFunctionMacro, 1, 1, 0, 0}));
  }
  // With no macros at all, the Macros button's OK leaves G9 as it was too.
  SessionRig s;
  s.session.Close();
  const KeyFunction g9_mute{kFunctionMedia, 0x0309, 7, 0, 0};
  {
    std::lock_guard lock(s.rig.core->StoreLock());
    s.rig.core->Store().Record(0, kG9Record) = g9_mute;
  }
  ASSERT_TRUE(s.session.Open(kG9Record, KeyDialogMode::kMacroSet));
  EXPECT_TRUE(s.session.ApplyKey());
  EXPECT_EQ(s.Stored(kG9Record), g9_mute);
}

TEST(KeyDialogSessionTest, LeavingTheDialogMidRecordingReleasesTheHeldKeysInTheMacro) {
  SessionRig s;
  s.Reopen({}, kG9Record, true);
  ASSERT_TRUE(s.session.Editor().Add());
  ASSERT_TRUE(s.session.Recorder().Start());
  s.now = 100;
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).rowsChanged);
  // Alt+Tab to another window: A's release goes there.
  s.now = 400;
  EXPECT_TRUE(s.session.KeyboardLost().rowsChanged);
  EXPECT_TRUE(s.session.Editor().UnbalancedRows().empty());
  ASSERT_EQ(s.session.Editor().Rows().size(), 2u);
  EXPECT_EQ(s.session.Editor().Rows()[0], (MacroAction{s.session.RecordDelay() ? 300u : 50u, kA, kPress}));
  // Back in the dialog, A is a fresh press, not a held key's repeat.
  s.now = 500;
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).rowsChanged);
  EXPECT_TRUE(s.session.KeyboardLost().rowsChanged);

  // On the single-key page a key held while leaving is captured again later.
  s.Reopen({});
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).keyTaken);
  s.session.KeyboardLost();
  ASSERT_TRUE(s.session.WaitForKey());
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).keyTaken);
}

// The single-key page never traps the keyboard: it takes one key per
// request, so Tab, Esc and Enter can be assigned and still move on, cancel
// and confirm afterwards.
TEST(KeyDialogSessionTest, TheSingleKeyPageTakesOneKeyPerRequest) {
  constexpr KeyCode kTab = 0x0F, kEsc = 0x01, kB = 0x30;
  SessionRig s;
  EXPECT_TRUE(s.session.Capturing());  // opened on the page: waiting
  EXPECT_TRUE(s.session.WaitingForKey());
  const DialogKeyResult tab = s.session.KeyEvent(kTab, kPress, false);
  EXPECT_TRUE(tab.keyTaken);
  EXPECT_FALSE(tab.passOn);
  EXPECT_EQ(s.session.Choice().SingleKey(), kTab);
  EXPECT_FALSE(s.session.Capturing());
  // Tab's release and every key after it are the dialog's own again.
  EXPECT_TRUE(s.session.KeyEvent(kTab, kRelease, false).passOn);
  EXPECT_TRUE(s.session.KeyEvent(kEsc, kPress, false).passOn);
  EXPECT_EQ(s.session.Choice().SingleKey(), kTab);

  // Asked again, Esc is a key like any other.
  ASSERT_TRUE(s.session.WaitForKey());
  EXPECT_TRUE(s.session.KeyEvent(kB, kPress, false).keyTaken);
  EXPECT_EQ(s.session.Choice().SingleKey(), kB);
  ASSERT_TRUE(s.session.WaitForKey());
  EXPECT_TRUE(s.session.KeyEvent(kEsc, kPress, false).keyTaken);
  EXPECT_EQ(s.session.Choice().SingleKey(), kEsc);

  // With a mouse button chosen only the Windows key is taken; other keys
  // keep working in the dialog instead of vanishing.
  s.session.Choice().ChooseMouse();
  ASSERT_TRUE(s.session.WaitForKey());
  EXPECT_TRUE(s.session.KeyEvent(kA, kPress, false).passOn);
  EXPECT_TRUE(s.session.Capturing());
  EXPECT_TRUE(s.session.KeyEvent(kWin, kPress, false).keyTaken);
  EXPECT_FALSE(s.session.Capturing());

  // Other pages ask for nothing; coming back to the page asks again.
  s.session.Choice().ChoosePage(KeyPage::kMedia);
  s.session.ShowPage(false);
  EXPECT_FALSE(s.session.WaitForKey());
  EXPECT_FALSE(s.session.Capturing());
  s.session.Choice().ChoosePage(KeyPage::kSingleKey);
  s.session.ShowPage(false);
  EXPECT_TRUE(s.session.Capturing());
  s.session.Close();
  EXPECT_FALSE(s.session.Capturing());
  EXPECT_FALSE(s.session.WaitForKey());
}

TEST(KeyDialogSessionTest, RefusingToStoreAnUnbalancedMacroStoresNothing) {
  SessionRig s;
  s.Reopen({}, kG9Record, true);
  ASSERT_TRUE(s.session.Editor().Add());
  s.session.Editor().InsertRecorded(0, kA, kPress);
  const MacroSet before = s.rig.core->Store().macros;
  s.rig.prompter.ScriptAnswers({false});
  EXPECT_FALSE(s.session.ConfirmApply());
  EXPECT_EQ(s.rig.core->Store().macros, before);
  EXPECT_EQ(s.Stored(kG9Record), KeyFunction{});
  EXPECT_EQ(s.rig.prompter.Keys(), std::vector<std::string>{"MACRO_UNBALANCED_CONFIRM"});
}

}  // namespace
}  // namespace zarvel
