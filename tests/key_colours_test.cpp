#include "model/key_colours.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace zarvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kEsc = 1022;
constexpr int kF5 = 1014;  // a key without a light
constexpr int kG1 = 1000;
constexpr int kSpare = 1016;

KeyColourState WithTool(int tool) {
  KeyColourState state;
  state.slot.tool = tool;
  state.slot.paintColour = {10, 20, 30};
  state.slot.baseColour = {1, 2, 3};
  return state;
}

TEST(KeyColourButtons, TableMatchesTheKeyboardsLights) {
  std::set<int> ids;
  std::set<int> indexes;
  for (const LitButton& button : LitButtons()) {
    EXPECT_TRUE(ids.insert(button.buttonId).second) << button.buttonId;
    indexes.insert(button.colourIndex);
  }
  // 48 lit keys, G1..G5 and Fn have lights of their own; G6..G9 share one.
  EXPECT_EQ(indexes.size(), 48u + 5u + 1u + 1u);
  EXPECT_EQ(ColourIndexOfButton(kEsc), 0);
  EXPECT_EQ(ColourIndexOfButton(1077), 40);  // M
  EXPECT_EQ(ColourIndexOfButton(1090), 45);  // Space
  EXPECT_EQ(ColourIndexOfButton(kG1), 39);
  EXPECT_EQ(ColourIndexOfButton(1143), 125);
  EXPECT_EQ(ColourIndexOfButton(kFnButtonId), 85);
  EXPECT_EQ(ColourIndexOfButton(kF5), -1);
  EXPECT_EQ(ColourIndexOfButton(kSpare), -1);
}

TEST(PaintKey, EscInProfile2WithPaintColour) {
  KeyColourState state = WithTool(0);
  PaintResult result = PaintKey(state, 2, kEsc, 20);
  ASSERT_TRUE(result.painted);
  ASSERT_EQ(result.writes.size(), 1u);
  EXPECT_EQ(result.writes[0], (KeyColourWrite{0x400, 0, {10, 20, 30}}));
  EXPECT_EQ(result.colourIndex, 0);
  EXPECT_EQ(result.entry, (KeyColourEntry{{10, 20, 30}, false}));
  EXPECT_EQ(ColourAt(state, 2, 0), (SlotColour{10, 20, 30}));
  EXPECT_EQ(ColourAt(state, 1, 0), SlotColour{});
  EXPECT_FALSE(BaseMark(state, 2, kEsc));
}

TEST(PaintKey, BaseColourToolMarksAndAddressesByColourIndex) {
  KeyColourState state = WithTool(1);
  PaintResult result = PaintKey(state, 3, kG1, 20);
  ASSERT_TRUE(result.painted);
  EXPECT_EQ(result.writes[0].offset, 3 * 512 + 3 * 39);
  EXPECT_EQ(result.writes[0].firstColourIndex, 39);
  EXPECT_EQ(result.entry, (KeyColourEntry{{1, 2, 3}, true}));
  EXPECT_TRUE(BaseMark(state, 3, kG1));
  EXPECT_EQ(PaintKey(state, 0, kFnButtonId, 20).writes[0].offset, 255);
}

TEST(PaintKey, NothingHappensOutsideItsConditions) {
  struct Case {
    const char* what;
    int tool, profile, button, effect;
  };
  for (const Case& c : {Case{"effect 20 not selected", 0, 0, kEsc, 1}, Case{"unknown tool", 2, 0, kEsc, 20},
                        Case{"key without a light", 0, 0, kF5, 20}, Case{"spare button", 0, 0, kSpare, 20},
                        Case{"profile 4", 0, 4, kEsc, 20}, Case{"negative profile", 0, -1, kEsc, 20}}) {
    KeyColourState state = WithTool(c.tool);
    KeyColourState before = state;
    PaintResult result = PaintKey(state, c.profile, c.button, c.effect);
    EXPECT_FALSE(result.painted) << c.what;
    EXPECT_TRUE(result.writes.empty()) << c.what;
    EXPECT_EQ(state.colours, before.colours) << c.what;
    EXPECT_EQ(state.marks, before.marks) << c.what;
  }
}

TEST(SendKeyColours, EightChunksOf54BytesFromTheProfilesBlock) {
  KeyColourState state;
  for (std::size_t i = 0; i < state.colours.size(); ++i) state.colours[i] = static_cast<std::uint8_t>(i * 7);
  KeyColourWrites writes = SendKeyColours(state, 1);
  ASSERT_EQ(writes.size(), 8u);
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(writes[k].firstColourIndex, static_cast<int>(18 * k));
    EXPECT_EQ(writes[k].offset, 512 + 54 * k);
    Bytes expected(state.colours.begin() + 512 + 54 * k, state.colours.begin() + 512 + 54 * (k + 1));
    EXPECT_EQ(writes[k].bytes, expected) << k;
  }
  EXPECT_TRUE(SendKeyColours(state, 4).empty());
}

// G1..G5 are painted into the slot file like every key; a load that skipped
// them sent them black at every connection.
TEST(LoadUserSlot, EveryLitButtonIncludingTheGButtonsLoadsItsEntry) {
  KeyColourState state;
  state.colours[3 * 39] = 0x77;  // G1 in profile 0, from before the load
  std::map<int, KeyColourEntry> file = {
      {0, {{12, 34, 56}, false}}, {85, {{9, 8, 7}, true}}, {39, {{1, 2, 3}, false}}, {125, {{4, 5, 6}, false}}};
  std::vector<int> asked;
  KeyEntryReader reader = [&](int index) {
    asked.push_back(index);
    auto found = file.find(index);
    return found == file.end() ? KeyColourEntry{} : found->second;
  };
  SlotSettings settings{1, {4, 5, 6}, {7, 8, 9}};
  KeyColourWrites writes = LoadUserSlot(state, 0, 3, settings, reader, false);
  EXPECT_TRUE(writes.empty());
  EXPECT_EQ(asked.size(), LitButtons().size());
  EXPECT_EQ(state.slot.currentSlot, 3);
  EXPECT_EQ(state.slot.Settings(), settings);
  EXPECT_EQ(ColourAt(state, 0, 0), (SlotColour{12, 34, 56}));
  EXPECT_FALSE(BaseMark(state, 0, kEsc));
  EXPECT_EQ(ColourAt(state, 0, 85), (SlotColour{9, 8, 7}));
  EXPECT_EQ(ColourAt(state, 0, 1), (SlotColour{255, 0, 0}));  // missing entry: red, marked
  EXPECT_TRUE(BaseMark(state, 0, 1029));
  EXPECT_EQ(ColourAt(state, 0, 39), (SlotColour{1, 2, 3}));    // G1
  EXPECT_FALSE(BaseMark(state, 0, 1000));
  EXPECT_EQ(ColourAt(state, 0, 125), (SlotColour{4, 5, 6}));   // the light G6..G9 share
  EXPECT_EQ(ColourAt(state, 0, 7), (SlotColour{255, 0, 0}));   // G2 without an entry
  EXPECT_TRUE(BaseMark(state, 0, 1001));

  EXPECT_EQ(LoadUserSlot(state, 2, 0, settings, reader, true).size(), 8u);
}

TEST(UserSlotEdits, RenameKeepsSlotAndColoursAndCutsAtCharacters) {
  KeyColourState state = WithTool(0);
  state.slot.currentSlot = 4;
  KeyColourArray colours = state.colours;
  EXPECT_EQ(RenameUserSlot(state, "Desk"), "Desk");
  EXPECT_EQ(state.slot.names[4], "Desk");
  EXPECT_EQ(state.slot.currentSlot, 4);
  EXPECT_EQ(state.colours, colours);

  std::string longName(258, 'a');
  longName += "\xC3\xA9\xC3\xA9";  // two two-byte characters: 260 characters
  EXPECT_EQ(RenameUserSlot(state, longName), std::string(258, 'a') + "\xC3\xA9");

  EXPECT_FALSE(SelectUserSlot(state, 10));
  EXPECT_TRUE(SelectUserSlot(state, 9));
  EXPECT_EQ(state.slot.currentSlot, 9);
  EXPECT_FALSE(SetTool(state, 2));
  EXPECT_TRUE(SetTool(state, 1));
  EXPECT_EQ(SetPaintColour(state, {5, 5, 5}), (SlotSettings{1, {1, 2, 3}, {5, 5, 5}}));
  EXPECT_EQ(ToolPicturesFor(1), (ToolPictures{"user1up.bmp", "user2down.bmp"}));
  EXPECT_EQ(ToolPicturesFor(7), (ToolPictures{"user1up.bmp", "user2up.bmp"}));
}

TEST(SetBaseColour, RepaintsExactlyTheMarkedButtonsThenSends) {
  KeyColourState state = WithTool(1);
  PaintKey(state, 1, kEsc, 20);         // marked
  PaintKey(state, 1, kFnButtonId, 20);  // marked
  state.slot.tool = 0;
  PaintKey(state, 1, 1090, 20);  // Space, painted: not marked
  PaintKey(state, 2, 1044, 20);  // another profile

  EXPECT_FALSE(SetBaseColour(state, 1, {1, 2, 3}).changed);

  BaseColourChange change = SetBaseColour(state, 1, {200, 100, 50});
  ASSERT_TRUE(change.changed);
  EXPECT_EQ(change.settings.baseColour, (SlotColour{200, 100, 50}));
  EXPECT_EQ(change.repaintedButtons, (std::vector<int>{kEsc, kFnButtonId}));
  ASSERT_EQ(change.entries.size(), 2u);
  EXPECT_EQ(change.entries[1].colourIndex, 85);
  EXPECT_EQ(change.entries[1].entry, (KeyColourEntry{{200, 100, 50}, true}));
  EXPECT_EQ(change.writes.size(), 8u);
  EXPECT_EQ(ColourAt(state, 1, 0), (SlotColour{200, 100, 50}));
  EXPECT_EQ(ColourAt(state, 1, 45), (SlotColour{10, 20, 30}));
  EXPECT_EQ(change.writes[2].bytes[45 * 3 - 36 * 3], 10);  // Space as painted, in chunk 2
}

TEST(SetBaseColour, SharedLightOfG6ToG9IsWrittenOnce) {
  KeyColourState state = WithTool(0);
  RecomputeBaseMarks(state);  // the array is all zero, the base colour is not
  EXPECT_FALSE(BaseMark(state, 0, 1140));
  state.slot.baseColour = {};
  RecomputeBaseMarks(state);  // the zeroed array now equals the base colour everywhere
  EXPECT_TRUE(BaseMark(state, 3, 1140));
  BaseColourChange change = SetBaseColour(state, 0, {1, 1, 1});
  EXPECT_EQ(change.repaintedButtons.size(), kColourButtonCount);
  EXPECT_EQ(change.entries.size(), 48u + 5u + 1u + 1u);
}

TEST(RecomputeBaseMarks, ComparesEveryProfileWithTheCurrentBaseColour) {
  KeyColourState state = WithTool(0);
  state.colours[2 * 512 + 3 * 85 + 0] = 1;
  state.colours[2 * 512 + 3 * 85 + 1] = 2;
  state.colours[2 * 512 + 3 * 85 + 2] = 3;
  RecomputeBaseMarks(state);
  EXPECT_TRUE(BaseMark(state, 2, kFnButtonId));
  EXPECT_FALSE(BaseMark(state, 1, kFnButtonId));
  EXPECT_FALSE(BaseMark(state, 2, kEsc));

  std::vector<ButtonFrame> frames = KeyColourFrames(state, 2);
  EXPECT_EQ(frames.size(), kColourButtonCount);
  EXPECT_EQ(frames.back(), (ButtonFrame{kFnButtonId, {1, 2, 3}}));
}

}  // namespace
}  // namespace zarvel
