#include "core/key_picture_navigation.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace zarvel {

namespace {

// Centres doubled, so halves stay whole numbers.
int CentreX2(const PictureKey& k) { return 2 * k.left + k.width; }
int CentreY2(const PictureKey& k) { return 2 * k.top + k.height; }

// How far apart two extents [a0, a1) and [b0, b1) lie: 0 when they overlap.
int Gap(int a0, int a1, int b0, int b1) {
  if (b0 >= a1) return b0 - a1;
  if (a0 >= b1) return a0 - b1;
  return 0;
}

}  // namespace

int NextPictureKey(const std::vector<PictureKey>& keys, int current, PictureMove move) {
  const auto from_it = std::find_if(keys.begin(), keys.end(), [current](const PictureKey& k) { return k.id == current; });
  if (from_it == keys.end()) return current;
  const PictureKey from = *from_it;

  if (move == PictureMove::kRowStart || move == PictureMove::kRowEnd) {
    // The row: every key the focused key's middle line runs through.
    const int line2 = CentreY2(from);
    int best = current;
    int best_x = CentreX2(from);
    for (const PictureKey& k : keys) {
      if (line2 < 2 * k.top || line2 >= 2 * (k.top + k.height)) continue;
      const int x = CentreX2(k);
      if (move == PictureMove::kRowStart ? x < best_x : x > best_x) {
        best = k.id;
        best_x = x;
      }
    }
    return best;
  }

  const bool horizontal = move == PictureMove::kLeft || move == PictureMove::kRight;
  const int sign = (move == PictureMove::kRight || move == PictureMove::kDown) ? 1 : -1;
  // Ranked by: first whether the key lies in the focused key's row (left
  // and right stay in the row while it has keys that way), then how far off
  // the row or column it lies plus how far away it is, so up and down take
  // the nearest row and in it the key most nearly above or below; then the
  // distance along the move, how far the centres are apart across it, and
  // the identifier, so the choice never depends on the keys' order.
  using Rank = std::tuple<long, int, int, int>;
  Rank best_rank{std::numeric_limits<long>::max(), 0, 0, 0};
  int best = current;
  for (const PictureKey& k : keys) {
    if (k.id == current) continue;
    const int along2 = horizontal ? (CentreX2(k) - CentreX2(from)) * sign : (CentreY2(k) - CentreY2(from)) * sign;
    if (along2 <= 0) continue;
    const int across_gap = horizontal ? Gap(from.top, from.top + from.height, k.top, k.top + k.height)
                                      : Gap(from.left, from.left + from.width, k.left, k.left + k.width);
    const int along_gap = horizontal ? Gap(from.left, from.left + from.width, k.left, k.left + k.width)
                                     : Gap(from.top, from.top + from.height, k.top, k.top + k.height);
    const int across2 = std::abs(horizontal ? CentreY2(k) - CentreY2(from) : CentreX2(k) - CentreX2(from));
    long primary = static_cast<long>(across_gap) * 4 + along_gap;
    if (horizontal && across_gap > 0) primary += 1000000L;
    const Rank rank{primary, along2, across2, k.id};
    if (rank < best_rank) {
      best_rank = rank;
      best = k.id;
    }
  }
  return best;
}

}  // namespace zarvel
