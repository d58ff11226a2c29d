#include "core/macro_recorder.h"

#include <gtest/gtest.h>

#include "core/app_core.h"
#include "core/macro_editor.h"
#include "support/core_rig.h"

namespace zarvel {
namespace {

using testing::CoreRig;

constexpr KeyCode kEsc = 0x01, kA = 0x1E, kB = 0x30, kX = 0x2D, kPrint = 0x137, kMute = 0x120, kWin = 0x15B;

struct Row {
  std::uint32_t delay;
  KeyCode key;
  std::uint16_t direction;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "{" << r.delay << ", 0x" << std::hex << r.key << std::dec << ", " << r.direction << "}";
}

// An editor with one current macro holding `rows`, a recorder on a fake clock.
struct RecorderRig {
  explicit RecorderRig(std::vector<MacroAction> rows = {}, bool record_delay = true) {
    MacroRecord macro;
    macro.id = 1;
    SetMacroNameUtf8(macro, "m");
    for (const MacroAction& a : rows) macro.actions[macro.actionCount++] = a;
    {
      std::lock_guard lock(rig.core->StoreLock());
      rig.core->Store().macros = {macro};
    }
    editor.Load();
    editor.SelectMacro(0);
    recorder.SetRecordDelay(record_delay);
  }
  RecordedEvent At(std::uint32_t time, KeyCode key, MacroDirection direction, bool repeat = false) {
    now = time;
    return recorder.KeyEvent(key, direction, repeat);
  }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (const MacroAction& a : editor.Rows()) rows.push_back(Row{a.delay, a.keyCode, a.direction});
    return rows;
  }

  CoreRig rig;
  MacroEditor editor{*rig.core};
  std::uint32_t now = 1000;
  MacroRecorder recorder{editor, [this] { return now; }};
};

TEST(MacroRecorderTimingTest, PausesBelongToTheRowBeforeAndTheFirstRowGetsZero) {
  RecorderRig r;
  ASSERT_TRUE(r.recorder.Start());
  r.At(1500, kA, kPress);
  r.At(1600, kA, kRelease);
  r.At(1650, kB, kPress);
  r.At(1800, kB, kRelease);
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{100, kA, 0}, {50, kA, 1}, {150, kB, 0}, {0, kB, 1}}));
}

TEST(MacroRecorderTimingTest, WithoutRecordDelayEveryPauseIsFiftyButTheLast) {
  RecorderRig r({}, /*record_delay=*/false);
  ASSERT_TRUE(r.recorder.Start());
  r.At(1003, kA, kPress);
  r.At(1500, kA, kRelease);
  r.At(9000, kB, kPress);
  r.At(9001, kB, kRelease);
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{50, kA, 0}, {50, kA, 1}, {50, kB, 0}, {0, kB, 1}}));
}

TEST(MacroRecorderTimingTest, LongPausesAreCutAndTheTickMayWrap) {
  RecorderRig r;
  r.now = 0xFFFFFF00u;
  ASSERT_TRUE(r.recorder.Start());
  r.At(0xFFFFFF10u, kA, kPress);
  r.At(0x00000010u, kA, kRelease);  // 0x100 ms later, across the wrap
  r.At(50000 + 0x10u, kB, kPress);  // 50 s later
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{0x100, kA, 0}, {40000, kA, 1}, {0, kB, 0}}));
}

TEST(MacroRecorderTimingTest, PrintScreenKeepsItsRealPressAndRelease) {
  // Linux reports Print Screen's press: held 100 ms, it plays held 100 ms,
  // as the first key and after another.
  RecorderRig first;
  ASSERT_TRUE(first.recorder.Start());
  EXPECT_EQ(first.At(5000, kPrint, kPress), RecordedEvent::kRecorded);
  EXPECT_EQ(first.At(5100, kPrint, kRelease), RecordedEvent::kRecorded);
  EXPECT_EQ(first.Rows(), (std::vector<Row>{{100, kPrint, 0}, {0, kPrint, 1}}));

  RecorderRig after;
  ASSERT_TRUE(after.recorder.Start());
  after.At(1100, kA, kPress);
  after.At(1200, kA, kRelease);
  after.At(1500, kPrint, kPress);
  after.At(1550, kPrint, kRelease);
  EXPECT_EQ(after.Rows(), (std::vector<Row>{{100, kA, 0}, {300, kA, 1}, {50, kPrint, 0}, {0, kPrint, 1}}));
}

TEST(MacroRecorderTimingTest, AReleaseOnlyKeyWithoutAPressGetsOneTwoMillisecondsBeforeItsRelease) {
  constexpr KeyCode kSysReq = 0x054;
  for (const KeyCode key : {kPrint, kSysReq}) {
    SCOPED_TRACE(key);
    // As the first key: the pause since Record goes before the added press
    // (and, as the first row's, is dropped); the key is not held for it.
    RecorderRig first;
    ASSERT_TRUE(first.recorder.Start());
    EXPECT_EQ(first.At(9000, key, kRelease), RecordedEvent::kRecorded);
    EXPECT_EQ(first.Rows(), (std::vector<Row>{{2, key, 0}, {0, key, 1}}));

    for (bool record_delay : {true, false}) {
      SCOPED_TRACE(record_delay);
      RecorderRig after({}, record_delay);
      ASSERT_TRUE(after.recorder.Start());
      after.At(1100, kA, kPress);
      after.At(1200, kA, kRelease);
      after.At(1700, key, kRelease);
      const std::uint32_t pause = record_delay ? 500 : 50, held = record_delay ? 2 : 50;
      EXPECT_EQ(after.Rows(),
                (std::vector<Row>{{record_delay ? 100u : 50u, kA, 0}, {pause, kA, 1}, {held, key, 0}, {0, key, 1}}));
    }
  }
}

TEST(MacroRecorderTimingTest, KeysStillHeldAreReleasedWhenTheRecordingStopsOrTheKeyboardIsLost) {
  RecorderRig r;
  ASSERT_TRUE(r.recorder.Start());
  r.At(1100, kA, kPress);
  r.At(1200, kB, kPress);
  r.now = 1300;
  EXPECT_TRUE(r.recorder.ReleaseHeldKeys());
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{100, kA, 0}, {100, kB, 0}, {0, kA, 1}, {0, kB, 1}}));
  // A is no longer down: its next press is a press, not a repeat.
  EXPECT_EQ(r.At(1400, kA, kPress), RecordedEvent::kRecorded);
  // Its release never comes (the Record button was clicked): Stop adds it.
  r.now = 1450;
  r.recorder.Stop();
  ASSERT_EQ(r.Rows().size(), 6u);
  EXPECT_EQ(r.Rows()[4], (Row{50, kA, 0}));
  EXPECT_EQ(r.Rows()[5], (Row{0, kA, 1}));
  EXPECT_TRUE(r.editor.UnbalancedRows().empty());
}

TEST(MacroRecorderTimingTest, RecordingAfterAMiddleRowKeepsItsPauseAfterTheLastNewRow) {
  RecorderRig r({{10, kX, kPress}, {20, kX, kRelease}, {0, kB, kPress}});
  r.editor.SelectRow(0);
  ASSERT_TRUE(r.recorder.Start());
  r.At(1070, kA, kPress);
  r.At(1100, kA, kRelease);
  EXPECT_EQ(r.Rows(),
            (std::vector<Row>{{70, kX, 0}, {30, kA, 0}, {10, kA, 1}, {20, kX, 1}, {0, kB, 0}}));
  EXPECT_EQ(r.editor.SelectedRow(), 2);
}

// Record cannot be reached with the keyboard while every key is recorded:
// holding Esc for a second and letting it go stops, and leaves no Esc behind.
TEST(MacroRecorderStopTest, EscHeldForASecondStopsAndLeavesTheRowsAsBeforeIt) {
  // Recording in the middle of a macro: the pause after the row before comes back too.
  RecorderRig r({{10, kX, kPress}, {20, kX, kRelease}});
  r.editor.SelectRow(0);
  ASSERT_TRUE(r.recorder.Start());
  r.At(1070, kA, kPress);
  r.At(1100, kA, kRelease);
  EXPECT_EQ(r.At(1400, kEsc, kPress), RecordedEvent::kRecorded);
  EXPECT_EQ(r.At(1900, kEsc, kPress, /*repeat=*/true), RecordedEvent::kSwallowed);
  EXPECT_EQ(r.At(2400, kEsc, kPress, /*repeat=*/true), RecordedEvent::kSwallowed);
  EXPECT_TRUE(r.recorder.Recording());  // still held: its repeats must not reach the dialog
  EXPECT_EQ(r.At(2450, kEsc, kRelease), RecordedEvent::kRecorded);
  EXPECT_FALSE(r.recorder.Recording());
  EXPECT_TRUE(r.recorder.StoppedByHeldEscape());
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{70, kX, 0}, {30, kA, 0}, {10, kA, 1}, {20, kX, 1}}));
  EXPECT_EQ(r.editor.SelectedRow(), 2);
  EXPECT_TRUE(r.editor.UnbalancedRows().empty());
}

TEST(MacroRecorderStopTest, AShortEscOrAnEscHeldWithOtherKeysIsRecordedLikeAnyKey) {
  RecorderRig r;
  ASSERT_TRUE(r.recorder.Start());
  r.At(1100, kEsc, kPress);
  r.At(1999, kEsc, kRelease);
  // Esc held as a modifier of another key, however long.
  r.At(2100, kEsc, kPress);
  r.At(2200, kA, kPress);
  r.At(2300, kA, kRelease);
  r.At(5000, kEsc, kRelease);
  EXPECT_TRUE(r.recorder.Recording());
  EXPECT_FALSE(r.recorder.StoppedByHeldEscape());
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{899, kEsc, 0},
                                        {101, kEsc, 1},
                                        {100, kEsc, 0},
                                        {100, kA, 0},
                                        {2700, kA, 1},
                                        {0, kEsc, 1}}));
}

TEST(MacroRecorderEventTest, RepeatsMediaKeysAndUnknownKeysRecordNothing) {
  RecorderRig r;
  ASSERT_TRUE(r.recorder.Start());
  EXPECT_EQ(r.At(1010, kA, kPress), RecordedEvent::kRecorded);
  // X marks only some repeats of a held key; a press of a key already down is one.
  EXPECT_EQ(r.At(1500, kA, kPress), RecordedEvent::kSwallowed);
  EXPECT_EQ(r.At(1530, kA, kPress, /*repeat=*/true), RecordedEvent::kSwallowed);
  EXPECT_EQ(r.At(1540, kMute, kPress), RecordedEvent::kPassOn);
  EXPECT_EQ(r.At(1550, kMute, kRelease), RecordedEvent::kPassOn);
  EXPECT_EQ(r.At(1560, 0, kPress), RecordedEvent::kPassOn);
  EXPECT_EQ(r.At(1600, kA, kRelease), RecordedEvent::kRecorded);
  EXPECT_EQ(r.At(1700, kWin, kPress), RecordedEvent::kRecorded);
  EXPECT_EQ(r.At(1750, kWin, kRelease), RecordedEvent::kRecorded);
  EXPECT_EQ(r.Rows(), (std::vector<Row>{{590, kA, 0}, {100, kA, 1}, {50, kWin, 0}, {0, kWin, 1}}));

  r.recorder.Stop();
  EXPECT_EQ(r.At(1800, kB, kPress), RecordedEvent::kPassOn);
  EXPECT_EQ(r.Rows().size(), 4u);
}

TEST(MacroRecorderLimitTest, APressIsTakenOnlyWhileItsReleaseFits) {
  // 3997 rows: A fits with its release; B, pressed while A is held, would
  // leave no room for both releases, so neither of its edges is stored.
  RecorderRig r(std::vector<MacroAction>(kMaxMacroActions - 3, MacroAction{10, kX, kPress}));
  ASSERT_TRUE(r.recorder.Start());
  EXPECT_EQ(r.At(1010, kA, kPress), RecordedEvent::kRecorded);
  EXPECT_EQ(r.At(1020, kB, kPress), RecordedEvent::kSwallowed);
  EXPECT_EQ(r.At(1030, kPrint, kRelease), RecordedEvent::kSwallowed);
  EXPECT_EQ(r.At(1040, kB, kRelease), RecordedEvent::kSwallowed);
  EXPECT_TRUE(r.recorder.Recording());
  EXPECT_EQ(r.At(1050, kA, kRelease), RecordedEvent::kRecorded);
  EXPECT_EQ(r.editor.Rows().size(), kMaxMacroActions - 1);
  EXPECT_EQ(r.editor.Rows().back().direction, kRelease);
  // No press and release fit any more: the recording ends by itself.
  EXPECT_FALSE(r.recorder.Recording());
  EXPECT_TRUE(r.recorder.StoppedByLimit());
  EXPECT_FALSE(r.recorder.Start());
}

TEST(MacroRecorderLimitTest, PrintScreenNeedsRoomForBothRows) {
  RecorderRig r(std::vector<MacroAction>(kMaxMacroActions - 2, MacroAction{10, kX, kPress}));
  ASSERT_TRUE(r.recorder.Start());
  EXPECT_EQ(r.At(1300, kPrint, kRelease), RecordedEvent::kRecorded);
  EXPECT_EQ(r.editor.Rows().size(), kMaxMacroActions);
  EXPECT_EQ(r.editor.Rows()[kMaxMacroActions - 2].keyCode, kPrint);
  EXPECT_FALSE(r.recorder.Recording());
}

TEST(MacroRecorderLimitTest, NothingRecordsWithoutACurrentMacro) {
  CoreRig rig;
  MacroEditor editor(*rig.core);
  editor.Load();
  MacroRecorder recorder(editor, [] { return 0u; });
  EXPECT_FALSE(recorder.Start());
  EXPECT_EQ(recorder.KeyEvent(kA, kPress), RecordedEvent::kPassOn);
}

}  // namespace
}  // namespace zarvel
