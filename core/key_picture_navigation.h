#pragma once
// Moving the keyboard focus through the keyboard picture with the arrow
// keys: from the focused key to the nearest key in the pressed direction,
// by where the skin places the keys, and Home/End to the ends of the row.
//
// Decided here without the window, so every skin's picture can be checked
// (every key reachable, nothing stuck) without a display.
#include <vector>

namespace zarvel {

// One key of the picture: its control identifier and its rectangle.
struct PictureKey {
  int id = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

enum class PictureMove { kLeft, kRight, kUp, kDown, kRowStart, kRowEnd };

// The key the focus moves to from `current`; `current` itself when there is
// no key that way (or `current` is not one of `keys`). Left/Right stay in
// the row where they can; Up/Down take the nearest row and, in it, the key
// most nearly above or below.
int NextPictureKey(const std::vector<PictureKey>& keys, int current, PictureMove move);

}  // namespace zarvel
