#include "core/key_dialog_placement.h"

#include <gtest/gtest.h>

namespace zarvel {
namespace {

TEST(KeyDialogPlacementTest, BesideTheKeyWhereItFitsAndNeverOffTheScreen) {
  const ScreenRect screen{0, 0, 1920, 1080};
  constexpr int kW = 600, kH = 400;
  struct Case {
    const char* what;
    ScreenRect key;
    DialogPosition expected;
  };
  const Case cases[] = {
      {"right and below", {100, 100, 140, 140}, {140, 140}},
      {"right and above", {100, 900, 140, 940}, {140, 500}},
      {"left and below", {1500, 100, 1540, 140}, {900, 140}},
      {"left and above", {1500, 900, 1540, 940}, {900, 500}},
      {"exactly to the right edge", {1280, 100, 1320, 140}, {1320, 140}},
      {"no room either side: right of the key, pulled back", {400, 100, 1700, 140}, {1320, 140}},
      {"no room above or below: pulled up", {100, 300, 140, 800}, {140, 680}},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaceBesideKey(c.key, kW, kH, screen), c.expected) << c.what;

  // A second screen to the right, and a dialog larger than the screen.
  const ScreenRect second{1920, 0, 3840, 1080};
  EXPECT_EQ(PlaceBesideKey({3700, 100, 3740, 140}, kW, kH, second), (DialogPosition{3100, 140}));
  EXPECT_EQ(PlaceBesideKey({10, 10, 20, 20}, 3000, 2000, screen), (DialogPosition{0, 0}));
  EXPECT_EQ(PlaceCentred(kW, kH, second), (DialogPosition{2580, 340}));
}

}  // namespace
}  // namespace zarvel
