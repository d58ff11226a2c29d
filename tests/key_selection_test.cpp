// The selection of many keys on the keyboard picture and the key groups.
#include "core/key_selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/key_colours.h"

namespace zarvel {
namespace {

constexpr int kQ = 1044, kW = 1045, kE = 1046, kR = 1047, kT = 1048, kY = 1049;
constexpr int kA = 1058, kS = 1059, kD = 1060;
constexpr int kOne = 1030, kTwo = 1031;

// Three rows of 40-pixel keys, like the picture's left half: the number row
// at y 0, Q.. at y 40 shifted by 20, A.. at y 80 shifted by 30.
std::vector<KeyRect> Picture() {
  std::vector<KeyRect> keys;
  const std::vector<int> numbers = {kOne, kTwo, 1032, 1033, 1034};
  const std::vector<int> top = {kQ, kW, kE, kR, kT, kY};
  const std::vector<int> home = {kA, kS, kD};
  for (std::size_t i = 0; i < numbers.size(); ++i) keys.push_back({numbers[i], 40 * static_cast<int>(i), 0, 38, 38});
  for (std::size_t i = 0; i < top.size(); ++i) keys.push_back({top[i], 20 + 40 * static_cast<int>(i), 40, 38, 38});
  for (std::size_t i = 0; i < home.size(); ++i) keys.push_back({home[i], 30 + 40 * static_cast<int>(i), 80, 38, 38});
  return keys;
}

KeySelection Selection() {
  KeySelection selection;
  selection.SetSelectable(Picture());
  return selection;
}

using Ids = std::vector<int>;

TEST(KeySelectionTest, RubberBandSelectsTheKeysItTouchesAndModifiersAddOrToggle) {
  KeySelection selection = Selection();
  // A thin drag along the Q row from the middle of W to the middle of T.
  EXPECT_TRUE(selection.Band({0, 80, 55, 130, 4}, SelectMode::kReplace));
  EXPECT_EQ(selection.SelectedList(), (Ids{kW, kE, kR, kT}));
  // A second plain drag replaces; with Shift it adds; with Ctrl it toggles.
  selection.Band({0, 35, 90, 5, 5}, SelectMode::kReplace);
  EXPECT_EQ(selection.SelectedList(), (Ids{kA}));
  selection.Band({0, 80, 55, 50, 4}, SelectMode::kAdd);
  EXPECT_EQ(selection.SelectedList(), (Ids{kW, kE, kA}));
  selection.Band({0, 80, 55, 50, 4}, SelectMode::kToggle);
  EXPECT_EQ(selection.SelectedList(), (Ids{kA}));
  // A band over the gaps between keys selects nothing.
  EXPECT_TRUE(selection.Band({0, 38, 38, 2, 2}, SelectMode::kReplace));
  EXPECT_TRUE(selection.Empty());
}

TEST(KeySelectionTest, CtrlClickTogglesShiftClickExtendsFromTheAnchorAlongTheRow) {
  KeySelection selection = Selection();
  EXPECT_TRUE(selection.Toggle(kW));
  // Shift+click on T: W..T of the same row, not the number or home row keys
  // that the keys' own edges would reach.
  EXPECT_TRUE(selection.Extend(kT));
  EXPECT_EQ(selection.SelectedList(), (Ids{kW, kE, kR, kT}));
  EXPECT_TRUE(selection.Toggle(kE));
  EXPECT_EQ(selection.SelectedList(), (Ids{kW, kR, kT}));
  // Shift+click without an anchor selects just that key.
  selection.Clear();
  EXPECT_TRUE(selection.Extend(kD));
  EXPECT_EQ(selection.SelectedList(), (Ids{kD}));
  // A key that cannot be selected changes nothing.
  EXPECT_FALSE(selection.Toggle(1100));
  EXPECT_FALSE(selection.Extend(1100));
  EXPECT_EQ(selection.SelectedList(), (Ids{kD}));
}

TEST(KeySelectionTest, PlainClickActsOnTheSelectionOnlyWhenItLandsInIt) {
  KeySelection selection = Selection();
  selection.SelectButtons({kW, kA, kS, kD}, SelectMode::kReplace);
  EXPECT_EQ(selection.ClickTargets(kS), (Ids{kW, kA, kS, kD}));
  EXPECT_EQ(selection.SelectedList().size(), 4u);
  // Outside it: that one key, and the selection is gone.
  EXPECT_EQ(selection.ClickTargets(kQ), (Ids{kQ}));
  EXPECT_TRUE(selection.Empty());
  // A selection of one is no selection to paint: the click is the key's own.
  selection.Toggle(kE);
  EXPECT_EQ(selection.ClickTargets(kE), (Ids{kE}));
  EXPECT_TRUE(selection.Empty());
}

TEST(KeySelectionTest, SelectAllClearAndGroupsKeepToTheSelectableKeys) {
  KeySelection selection = Selection();
  EXPECT_TRUE(selection.SelectAll());
  EXPECT_EQ(selection.Selected().size(), Picture().size());
  EXPECT_FALSE(selection.SelectAll());  // nothing new
  EXPECT_TRUE(selection.Clear());
  EXPECT_FALSE(selection.Clear());
  // WASD on a picture that has all four; the number row here has only 1..5.
  EXPECT_TRUE(selection.SelectGroup(KeyGroup::kWasd, SelectMode::kReplace));
  EXPECT_EQ(selection.SelectedList(), (Ids{kW, kA, kS, kD}));
  selection.SelectGroup(KeyGroup::kNumberRow, SelectMode::kReplace);
  EXPECT_EQ(selection.SelectedList(), (Ids{kOne, kTwo, 1032, 1033, 1034}));
  // Keys that stop being selectable (the picture changed mode) drop out.
  selection.SetSelectable({{kOne, 0, 0, 38, 38}});
  EXPECT_EQ(selection.SelectedList(), (Ids{kOne}));
}

TEST(KeyGroupTest, GroupsByNameAndWhichOfTheirKeysHaveALight) {
  struct Case {
    const char* name;
    std::size_t keys;
    std::size_t lit;
  };
  // Every letter has a light; of the number row grave and 1..0; of the
  // F-row F1..F4; no arrow key; every G key (G6..G9 share one light).
  const Case cases[] = {{"letters", 26, 26}, {"NUMBERS", 13, 11}, {"f-row", 12, 4},
                        {"wasd", 4, 4},      {"Arrows", 4, 0},    {"g-keys", 9, 9}};
  for (const Case& c : cases) {
    KeyGroup group;
    ASSERT_TRUE(FindKeyGroup(c.name, group)) << c.name;
    const std::vector<int> buttons = KeyGroupButtons(group);
    EXPECT_EQ(buttons.size(), c.keys) << c.name;
    std::size_t lit = 0;
    for (int button : buttons) lit += ColourIndexOfButton(button) >= 0 ? 1 : 0;
    EXPECT_EQ(lit, c.lit) << c.name;
  }
  KeyGroup group;
  EXPECT_FALSE(FindKeyGroup("vowels", group));
  EXPECT_EQ(KeyGroupNames().size(), 6u);
}

}  // namespace
}  // namespace zarvel
