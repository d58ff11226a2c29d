#pragma once
// The keys selected on the keyboard picture, so one paint, base colour or
// paste reaches many keys at once.
//
// The window tells which buttons can be selected now and where each sits on
// the picture (in user colours only the keys with a light; with the lighting
// switch off every key and G button), and passes on the mouse and keyboard
// gestures; every decision about what they select is made here:
//   rubber band        selects the selectable buttons it touches
//                      (replacing the selection; with Shift adding, with
//                      Ctrl toggling each touched button)
//   Ctrl+click         toggles one button
//   Shift+click        selects every button inside the rectangle spanned by
//                      the anchor (last plain or Ctrl click) and this button
//   Ctrl+A / groups    every selectable button, or a named group's
//   Esc                clears
//   plain click        on a selected button while several are selected: the
//                      whole selection is the target; elsewhere the one
//                      button is, and the selection is cleared
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zarvel {

// A button's rectangle on the keyboard picture (window coordinates).
struct KeyRect {
  int buttonId = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Touches(const KeyRect& other) const;
};

enum class SelectMode { kReplace, kAdd, kToggle };

// The key groups offered by the selection menu and zarvelctl, by the name
// both use.
enum class KeyGroup { kLetters, kNumberRow, kFunctionRow, kWasd, kArrows, kGKeys };
struct KeyGroupName {
  KeyGroup group;
  std::string_view name;      // zarvelctl's name, lower case
  std::string_view textKey;   // language key of the menu entry
};
const std::vector<KeyGroupName>& KeyGroupNames();
// The group of a name (any case); false when there is none.
bool FindKeyGroup(std::string_view name, KeyGroup& group);
// Every button of the group, lit or not, in keyboard order.
std::vector<int> KeyGroupButtons(KeyGroup group);

class KeySelection {
 public:
  // The selectable buttons now; selected buttons that are no longer among
  // them drop out of the selection.
  void SetSelectable(std::vector<KeyRect> keys);
  bool Selectable(int buttonId) const;
  const std::vector<KeyRect>& SelectableKeys() const { return keys_; }

  const std::set<int>& Selected() const { return selected_; }
  std::vector<int> SelectedList() const { return {selected_.begin(), selected_.end()}; }
  bool IsSelected(int buttonId) const { return selected_.count(buttonId) != 0; }
  bool Empty() const { return selected_.empty(); }

  // Each returns whether the selection changed.
  bool Clear();
  bool SelectAll();
  bool Toggle(int buttonId);
  bool Extend(int buttonId);
  bool Band(const KeyRect& band, SelectMode mode);
  bool SelectButtons(const std::vector<int>& buttons, SelectMode mode);
  bool SelectGroup(KeyGroup group, SelectMode mode) { return SelectButtons(KeyGroupButtons(group), mode); }

  // The buttons a plain click on `buttonId` acts on (see above); clears the
  // selection when the click falls outside it.
  std::vector<int> ClickTargets(int buttonId);

 private:
  const KeyRect* Find(int buttonId) const;

  std::vector<KeyRect> keys_;
  std::set<int> selected_;
  int anchor_ = -1;
};

}  // namespace zarvel
