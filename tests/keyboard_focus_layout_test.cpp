// Moving through the keyboard picture with the arrow keys, the Tab order by
// the window's layout, and the lighting pictures' checked faces: decided
// without a window.
#include <gtest/gtest.h>

#include <map>
#include <queue>
#include <set>
#include <vector>

#include "core/key_picture_navigation.h"
#include "core/lighting_picture_state.h"
#include "core/reading_order.h"

namespace zarvel {
namespace {

// A small keyboard with what makes real pictures awkward: keys of
// different widths in each row, a wide space bar, a keypad whose + and
// Enter keys are two rows tall, and a column of G keys to the left.
//
//        G1 | Esc  F1  F2
//        G2 | Tab  Q    W    E   Backspace      7  8  9  +
//        G3 | Caps   A    S   Enter             4  5  6  +
//           | Shift    Space          Ctrl      1  2  3  Ent
//                                               0     .  Ent
std::vector<PictureKey> SmallKeyboard() {
  return {
      {1, 0, 0, 30, 30},      // G1
      {2, 0, 35, 30, 30},     // G2
      {3, 0, 70, 30, 30},     // G3
      {10, 40, 0, 30, 30},    // Esc
      {11, 90, 0, 30, 30},    // F1
      {12, 125, 0, 30, 30},   // F2
      {20, 40, 35, 45, 30},   // Tab
      {21, 90, 35, 30, 30},   // Q
      {22, 125, 35, 30, 30},  // W
      {23, 160, 35, 30, 30},  // E
      {24, 195, 35, 70, 30},  // Backspace
      {30, 40, 70, 55, 30},   // Caps
      {31, 100, 70, 30, 30},  // A
      {32, 135, 70, 30, 30},  // S
      {33, 170, 70, 95, 30},  // Enter
      {40, 40, 105, 70, 30},  // Shift
      {41, 115, 105, 110, 30},  // Space
      {42, 230, 105, 35, 30},   // Ctrl
      {50, 280, 35, 30, 30},    // 7
      {51, 315, 35, 30, 30},    // 8
      {52, 350, 35, 30, 30},    // 9
      {53, 385, 35, 30, 65},    // + (two rows)
      {54, 280, 70, 30, 30},    // 4
      {55, 315, 70, 30, 30},    // 5
      {56, 350, 70, 30, 30},    // 6
      {57, 280, 105, 30, 30},   // 1
      {58, 315, 105, 30, 30},   // 2
      {59, 350, 105, 30, 30},   // 3
      {60, 385, 105, 30, 65},   // keypad Enter (two rows)
      {61, 280, 140, 65, 30},   // 0 (two columns)
      {62, 350, 140, 30, 30},   // .
  };
}

int Go(int from, PictureMove move) { return NextPictureKey(SmallKeyboard(), from, move); }

TEST(KeyPictureNavigationTest, ArrowsGoToTheNearestKeyThatWayAndStayInTheRow) {
  EXPECT_EQ(Go(21, PictureMove::kRight), 22);   // Q -> W
  EXPECT_EQ(Go(22, PictureMove::kLeft), 21);    // W -> Q
  EXPECT_EQ(Go(24, PictureMove::kRight), 50);   // Backspace -> keypad 7, same row
  EXPECT_EQ(Go(20, PictureMove::kLeft), 2);     // Tab -> G2
  EXPECT_EQ(Go(33, PictureMove::kRight), 54);   // Enter -> keypad 4, not the taller + beside 7
  // Up and down: the nearest row, and the key most nearly above or below.
  EXPECT_EQ(Go(21, PictureMove::kUp), 11);      // Q -> F1
  EXPECT_EQ(Go(21, PictureMove::kDown), 31);    // Q -> A
  EXPECT_EQ(Go(41, PictureMove::kUp), 32);      // Space -> S (nearest to its middle)
  EXPECT_EQ(Go(33, PictureMove::kDown), 42);    // Enter -> Ctrl, under its middle (not the wide Space)
  EXPECT_EQ(Go(52, PictureMove::kDown), 56);    // 9 -> 6
  EXPECT_EQ(Go(56, PictureMove::kRight), 53);   // 6 -> the tall +
  EXPECT_EQ(Go(61, PictureMove::kUp), 57);      // 0 -> 1
  EXPECT_EQ(Go(53, PictureMove::kDown), 60);    // + -> keypad Enter
}

TEST(KeyPictureNavigationTest, EdgesStayPutAndUnknownKeysGoNowhere) {
  EXPECT_EQ(Go(10, PictureMove::kUp), 10);
  EXPECT_EQ(Go(1, PictureMove::kLeft), 1);
  EXPECT_EQ(Go(53, PictureMove::kRight), 53);
  EXPECT_EQ(Go(999, PictureMove::kRight), 999);
  EXPECT_EQ(NextPictureKey({}, 5, PictureMove::kDown), 5);
}

TEST(KeyPictureNavigationTest, HomeAndEndGoToTheEndsOfTheRow) {
  EXPECT_EQ(Go(22, PictureMove::kRowStart), 2);   // W -> G2
  EXPECT_EQ(Go(22, PictureMove::kRowEnd), 53);    // W -> keypad +
  EXPECT_EQ(Go(41, PictureMove::kRowStart), 40);  // Space -> Shift (no G key in that row)
  EXPECT_EQ(Go(41, PictureMove::kRowEnd), 60);    // Space -> keypad Enter
  EXPECT_EQ(Go(62, PictureMove::kRowStart), 61);
}

// Every key can be reached from every other with the arrows alone, and
// each arrow undoes the opposite one on a plain grid.
TEST(KeyPictureNavigationTest, EveryKeyIsReachableFromAnyKey) {
  const std::vector<PictureKey> keys = SmallKeyboard();
  for (const PictureKey& start : keys) {
    std::set<int> seen{start.id};
    std::queue<int> todo;
    todo.push(start.id);
    while (!todo.empty()) {
      const int at = todo.front();
      todo.pop();
      for (PictureMove move : {PictureMove::kLeft, PictureMove::kRight, PictureMove::kUp, PictureMove::kDown}) {
        const int next = NextPictureKey(keys, at, move);
        if (seen.insert(next).second) todo.push(next);
      }
    }
    EXPECT_EQ(seen.size(), keys.size()) << "from key " << start.id;
  }
  std::vector<PictureKey> grid;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 5; ++col) grid.push_back({row * 10 + col, col * 40, row * 40, 36, 36});
  for (const PictureKey& k : grid) {
    const int right = NextPictureKey(grid, k.id, PictureMove::kRight);
    if (right != k.id) {
      EXPECT_EQ(NextPictureKey(grid, right, PictureMove::kLeft), k.id);
    }
    const int down = NextPictureKey(grid, k.id, PictureMove::kDown);
    if (down != k.id) {
      EXPECT_EQ(NextPictureKey(grid, down, PictureMove::kUp), k.id);
    }
  }
}

TEST(ReadingOrderTest, LinesTopToBottomAndLeftToRightWithinALine) {
  // A title bar, a tall list with buttons beside it, a bottom row whose
  // buttons sit a few pixels apart in height.
  const std::vector<PictureKey> controls = {
      {7, 300, 402, 80, 30},  // Cancel, 2 px lower than OK
      {1, 350, 5, 30, 30},    // Close
      {0, 10, 5, 100, 30},    // Title link
      {3, 250, 60, 80, 30},   // Load, beside the list's top
      {2, 10, 58, 220, 300},  // list
      {4, 250, 100, 80, 30},  // Add
      {6, 200, 400, 80, 30},  // OK
  };
  EXPECT_EQ(ReadingOrder(controls), (std::vector<int>{0, 1, 2, 3, 4, 6, 7}));
  EXPECT_TRUE(ReadingOrder({}).empty());
}

TEST(LightingPictureStateTest, ChosenFacesAreTheDownAndOkPictures) {
  for (const char* chosen : {"dengdown.bmp", "sjsdown.bmp", "leftdown.bmp", "rightdown.bmp", "updown.bmp",
                             "downdown.bmp", "kuosandown.bmp", "julongdown.bmp", "user1down.bmp", "hongok.bmp",
                             "lanok.bmp"})
    EXPECT_TRUE(LightingPictureChosen(chosen)) << chosen;
  for (const char* plain : {"dengup.bmp", "sjsup.bmp", "downup.bmp", "upup.bmp", "julong.bmp", "kuosan.bmp",
                            "user2up.bmp", "hong.bmp", "3.bmp", "", "down", "ok.bm"})
    EXPECT_FALSE(LightingPictureChosen(plain)) << plain;
}

}  // namespace
}  // namespace zarvel
