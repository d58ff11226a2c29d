#pragma once
// What the main window lends the parts built into it or opened from it: the
// lighting panel (which frames key buttons while keys are painted), the
// key-function dialog (placed beside the clicked button) and the profile
// manager.
#include <vector>

namespace zarvel {

class ImageButton;

class KeyButtonAccess {
 public:
  virtual ~KeyButtonAccess() = default;
  // The key, G, Fn or spare button with this control identifier; null when
  // the window has none.
  virtual ImageButton* KeyButton(int button_id) = 0;
  // Every key, G and Fn button's identifier (the buttons key colour frames
  // and their clearing reach).
  virtual std::vector<int> KeyButtonIds() const = 0;
};

}  // namespace zarvel
