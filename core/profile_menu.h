#pragma once
// The profile menu's one visible effect: the label of the main window's
// profiles button, rebuilt after every profile switch and after the profile
// manager applies its list.
//
// The menu has a "default profile" entry and one entry per keyboard profile;
// the profile entries all carry the store file's name, since one store file
// holds all four profiles. The checked entry is the keyboard's active
// profile, or the default entry while the keyboard has not told us which
// profile is active. The button shows the checked entry's text, and its
// tooltip is "PROFILE_TIP" followed by that text.
#include <string>

namespace zarvel {

struct ProfileMenuLabel {
  std::string text;
  std::string tooltip;
  bool operator==(const ProfileMenuLabel&) const = default;
};

// The label for `activeProfile` (0..3, or -1 when unknown; anything outside
// 0..3 reads as unknown).
ProfileMenuLabel ProfileMenuLabelFor(int activeProfile);

// The text of every profile entry: the store file's name without its folder.
std::string ProfileMenuEntryText();

}  // namespace zarvel
