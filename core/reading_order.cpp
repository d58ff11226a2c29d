#include "core/reading_order.h"

#include <algorithm>

namespace zarvel {

std::vector<int> ReadingOrder(std::vector<PictureKey> controls) {
  std::stable_sort(controls.begin(), controls.end(), [](const PictureKey& a, const PictureKey& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  std::vector<int> order;
  order.reserve(controls.size());
  std::size_t line_start = 0;
  while (line_start < controls.size()) {
    // The line runs while a control starts above the middle of the line's
    // first control.
    const PictureKey& first = controls[line_start];
    const int middle = first.top + std::max(1, first.height) / 2;
    std::size_t line_end = line_start + 1;
    while (line_end < controls.size() && controls[line_end].top < middle) ++line_end;
    std::stable_sort(controls.begin() + static_cast<long>(line_start), controls.begin() + static_cast<long>(line_end),
                     [](const PictureKey& a, const PictureKey& b) { return a.left < b.left; });
    for (std::size_t i = line_start; i < line_end; ++i) order.push_back(controls[i].id);
    line_start = line_end;
  }
  return order;
}

}  // namespace zarvel
