#include "core/key_dialog_placement.h"

#include <algorithm>

namespace zarvel {

namespace {

int ClampInto(int position, int size, int low, int high) {
  // A dialog larger than the screen shows its top-left part: that is where
  // its caption and page buttons are.
  return std::max(low, std::min(position, high - size));
}

}  // namespace

DialogPosition PlaceBesideKey(const ScreenRect& key, int width, int height, const ScreenRect& screen) {
  const bool fits_below = key.bottom + height <= screen.bottom;
  const bool fits_above = key.top - height >= screen.top;
  DialogPosition position{key.right, key.bottom};
  if (fits_below || fits_above) {
    const int y = fits_below ? key.bottom : key.top - height;
    if (key.right + width <= screen.right) {
      position = {key.right, y};
    } else if (key.left - width >= screen.left) {
      position = {key.left - width, y};
    }
  }
  position.x = ClampInto(position.x, width, screen.left, screen.right);
  position.y = ClampInto(position.y, height, screen.top, screen.bottom);
  return position;
}

DialogPosition PlaceCentred(int width, int height, const ScreenRect& screen) {
  return {screen.left + (screen.Width() - width) / 2, screen.top + (screen.Height() - height) / 2};
}

}  // namespace zarvel
