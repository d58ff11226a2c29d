#pragma once
// The order in which Tab visits a window's controls: as the eye reads the
// window, line by line from the top, and left to right within a line.
// Controls whose vertical extents overlap the first control of a line share
// that line, so a tall list beside a column of buttons does not split the
// line.
#include <vector>

#include "core/key_picture_navigation.h"

namespace zarvel {

// The identifiers of `controls` in reading order.
std::vector<int> ReadingOrder(std::vector<PictureKey> controls);

}  // namespace zarvel
